// Decoding Layer III files into memory and comparing with the encoder's
// input.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "PcmSink.h"

// Keeps every sample per channel and counts the frames written.
class CaptureSink : public PcmSink {
 public:
  void Append(int channel, int16_t sample) override { samples[channel & 1].push_back(sample); }
  void WriteBuffer() override { ++buffers; }
  void Clear() override {}
  void SetStopped() override {}

  std::vector<int16_t> samples[2];
  int buffers = 0;
};

struct DecodedFile {
  bool opened = false;
  int channels = 0;
  int rate = 0;
  int frames = 0;
  CaptureSink sink;
};

// Decodes a whole file as the playback thread does.
void DecodeLayer3File(const std::string& path, DecodedFile& out);

std::vector<int16_t> ReadPcm(const std::string& path);  // raw 16-bit little-endian

// Offset of `decoded` against the interleaved `reference`, found by
// correlation over [0, maxDelay).
int FindDelay(const std::vector<int16_t>& reference, int channels,
              const std::vector<int16_t> decoded[2], int maxDelay);

// Signal-to-noise ratio in dB of one channel of the decoded output shifted
// by `delay` against the reference.
double SnrDb(const std::vector<int16_t>& reference, int channels, int channel,
             const std::vector<int16_t>& decoded, int delay);
