// Decodes MPEG audio files into a sink that keeps nothing and reports the
// speed as a multiple of real time (best of several passes).
#include <windows.h>

#include <cstdio>
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
  void Append(int, int16_t sample) override { sum_ += sample; }
  void WriteBuffer() override {}
  void Clear() override {}
  void SetStopped() override {}
  long long sum_ = 0;
};

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return double(t.QuadPart) / double(f.QuadPart);
}

// One pass over the file; returns the seconds of audio, or -1.
double DecodeOnce(const char* path, double& seconds) {
  FrameReader reader(path);
  FrameHeader header;
  if (!reader.IsOpen() || !reader.ReadHeader(header)) return -1;
  const bool mono = header.IsSingleChannel();
  const int choice = mono ? kLeftOnly : kBothChannels;
  SynthesisFilterBank filter0(0, 32768.0f), filter1(1, 32768.0f);
  NullSink sink;
  std::unique_ptr<Layer3Decoder> layer3;
  double audio = 0;
  const double start = Now();
  do {
    if (header.layer == 3) {
      if (!layer3)
        layer3.reset(new Layer3Decoder(&reader, &header, &filter0, mono ? nullptr : &filter1,
                                       &sink, choice));
      layer3->DecodeFrame();
    } else {
      DecodeLayer12Frame(reader, header, choice, filter0, mono ? nullptr : &filter1, sink);
    }
    audio += double(header.SamplesPerFrame()) / header.SamplingRate();
  } while (reader.ReadHeader(header));
  seconds = Now() - start;
  return audio;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: decode_bench file...\n");
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    double best = 1e30, audio = -1;
    for (int pass = 0; pass < 5; ++pass) {
      double seconds = 0;
      audio = DecodeOnce(argv[i], seconds);
      if (audio < 0) break;
      if (seconds < best) best = seconds;
    }
    if (audio < 0) {
      std::printf("%s: cannot be decoded\n", argv[i]);
      return 1;
    }
    std::printf("%s: %.1f s of audio in %.3f s, %.0f times real time\n", argv[i], audio, best,
                audio / best);
  }
  return 0;
}
