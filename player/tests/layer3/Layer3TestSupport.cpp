#include "Layer3TestSupport.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "FrameReader.h"
#include "Layer12Subband.h"
#include "Layer3Decoder.h"
#include "SynthesisFilterBank.h"

void DecodeLayer3File(const std::string& path, DecodedFile& out) {
  FrameReader reader(path.c_str());
  FrameHeader header;
  if (!reader.IsOpen() || !reader.ReadHeader(header)) return;
  out.opened = true;
  out.channels = header.Channels();
  out.rate = header.SamplingRate();
  SynthesisFilterBank filter0(0, 32768.0f), filter1(1, 32768.0f);
  int choice = out.channels == 1 ? kLeftOnly : kBothChannels;
  Layer3Decoder decoder(&reader, &header, &filter0, out.channels == 2 ? &filter1 : nullptr,
                        &out.sink, choice);
  do {
    if (header.layer == 3) decoder.DecodeFrame();
    ++out.frames;
  } while (reader.ReadHeader(header));
}

std::vector<int16_t> ReadPcm(const std::string& path) {
  std::vector<int16_t> pcm;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return pcm;
  uint8_t b[2];
  while (std::fread(b, 1, 2, f) == 2) pcm.push_back(int16_t(b[0] | (b[1] << 8)));
  std::fclose(f);
  return pcm;
}

int FindDelay(const std::vector<int16_t>& reference, int channels,
              const std::vector<int16_t> decoded[2], int maxDelay) {
  const size_t frames = reference.size() / channels;
  const size_t window = std::min<size_t>(32768, frames / 2);
  const size_t start = 0;
  int best = 0;
  double bestSum = -1e300;
  for (int d = 0; d < maxDelay; ++d) {
    double sum = 0;
    for (int c = 0; c < channels; ++c) {
      const std::vector<int16_t>& out = decoded[c];
      if (out.size() < start + window + d) continue;
      for (size_t i = start; i < start + window; ++i)
        sum += double(reference[i * channels + c]) * out[i + d];
    }
    if (sum > bestSum) bestSum = sum, best = d;
  }
  return best;
}

double SnrDb(const std::vector<int16_t>& reference, int channels, int channel,
             const std::vector<int16_t>& decoded, int delay) {
  const size_t frames = reference.size() / channels;
  double signal = 0, noise = 0;
  for (size_t i = 0; i < frames && i + delay < decoded.size(); ++i) {
    double x = reference[i * channels + channel];
    double e = x - decoded[i + delay];
    signal += x * x;
    noise += e * e;
  }
  if (noise <= 0) return 200.0;
  return 10.0 * std::log10(signal / noise);
}
