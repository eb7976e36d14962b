// Decodes an MPEG audio file to memory on one thread and reports seconds of
// audio per second of decoding and the peak memory of the process.
#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>

#include <memory>

#include "FrameReader.h"
#include "Layer12Decoder.h"
#include "Layer12Subband.h"
#include "Layer3Decoder.h"
#include "PcmSink.h"
#include "SynthesisFilterBank.h"

namespace {

class NullSink : public PcmSink {
 public:
  void Append(int channel, int16_t sample) override { sum[channel & 1] += sample; ++samples; }
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
  double audioSeconds = 0, decodeSeconds = 0;
  NullSink sink;
  int frames = 0;
  for (int pass = 0; pass < passes; ++pass) {
    FrameReader reader(argv[1]);
    FrameHeader h;
    SynthesisFilterBank f0(0, 32768.0f), f1(1, 32768.0f);
    std::unique_ptr<Layer3Decoder> layer3;
    QueryPerformanceCounter(&start);
    while (reader.ReadHeader(h)) {
      bool mono = h.IsSingleChannel();
      if (h.layer == 3) {
        if (!layer3)
          layer3.reset(new Layer3Decoder(&reader, &h, &f0, mono ? nullptr : &f1, &sink,
                                         mono ? kLeftOnly : kBothChannels));
        layer3->DecodeFrame();
        audioSeconds += h.MsPerFrame() / 1000.0;
        ++frames;
        continue;
      }
      if (DecodeLayer12Frame(reader, h, mono ? kLeftOnly : kBothChannels, f0, mono ? nullptr : &f1,
                             sink))
        audioSeconds += h.MsPerFrame() / 1000.0;
      ++frames;
    }
    QueryPerformanceCounter(&end);
    decodeSeconds += double(end.QuadPart - start.QuadPart) / frequency.QuadPart;
  }
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  if (frames == 0 || decodeSeconds <= 0) {
    fprintf(stderr, "no frames decoded\n");
    return 1;
  }
  printf("frames %d, audio %.1f s, decoding %.3f s\n", frames, audioSeconds, decodeSeconds);
  printf("real-time factor %.0f\n", audioSeconds / decodeSeconds);
  printf("peak working set %.1f MB, peak private %.1f MB\n", memory.PeakWorkingSetSize / 1048576.0,
         memory.PeakPagefileUsage / 1048576.0);
  printf("checksum %lld %lld\n", sink.sum[0], sink.sum[1]);
  return 0;
}
