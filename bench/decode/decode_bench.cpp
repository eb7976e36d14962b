// Decodes an MPEG audio file to memory on one thread and reports seconds of
// audio per second of decoding and the peak memory of the process.
#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>

#include "FileDecoder.h"
#include "PcmSink.h"

namespace {

class NullSink : public PcmSink {
 public:
  void Append(int channel, int16_t sample) override { sum[channel & 1] += sample; ++samples; }
  void AppendBlock(int channel, const int16_t* block, int count) override {
    long long s = 0;
    for (int i = 0; i < count; ++i) s += block[i];
    sum[channel & 1] += s;
    samples += count;
  }
  void WriteBuffer() override {}
  void Clear() override {}
  void SetStopped() override {}
  long long sum[2] = {0, 0};  // keeps the samples observable
  long long samples = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: decode_bench <file> [passes]\n");
    return 2;
  }
  int passes = argc > 2 ? atoi(argv[2]) : 1;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  double audioSeconds = 0, decodeSeconds = 0, best = 0;
  NullSink sink;
  int frames = 0;
  for (int pass = 0; pass < passes; ++pass) {
    QueryPerformanceCounter(&start);
    FileDecodeReport r = DecodeFile(argv[1], sink);
    QueryPerformanceCounter(&end);
    const double seconds = double(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    // A bench file holds one layer: every frame lasts as long as the first.
    const double audio = r.decoded * r.first.MsPerFrame() / 1000.0;
    decodeSeconds += seconds;
    audioSeconds += audio;
    frames += r.frames;
    if (seconds > 0 && audio / seconds > best) best = audio / seconds;
  }
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  if (frames == 0 || decodeSeconds <= 0) {
    fprintf(stderr, "no frames decoded\n");
    return 1;
  }
  printf("frames %d, audio %.1f s, decoding %.3f s\n", frames, audioSeconds, decodeSeconds);
  // The best pass is the one least disturbed by other work on the machine.
  printf("real-time factor %.0f (over all passes; best pass %.0f)\n", audioSeconds / decodeSeconds,
         best);
  printf("peak working set %.1f MB, peak private %.1f MB\n", memory.PeakWorkingSetSize / 1048576.0,
         memory.PeakPagefileUsage / 1048576.0);
  printf("checksum %lld %lld\n", sink.sum[0], sink.sum[1]);
  return 0;
}
