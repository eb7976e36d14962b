// A small Layer I encoder for the tests: the standard's analysis filter
// bank, scale factors from the peak of each subband, a greedy bit allocation
// and plain quantisation.
#include <math.h>

#include "Crc16.h"
#include "Layer12Tables.h"
#include "SynthesisFilterBank.h"
#include "TestKit.h"

namespace testkit {

void AnalysisFilter::Push(const float* in32, float* out32) {
  const double pi = 3.14159265358979323846;
  static double m[32][64];
  static bool ready = false;
  if (!ready) {
    for (int k = 0; k < 32; ++k)
      for (int i = 0; i < 64; ++i) m[k][i] = cos((2 * k + 1) * (i - 16) * pi / 64);
    ready = true;
  }
  for (int i = 511; i >= 32; --i) x_[i] = x_[i - 32];
  for (int i = 0; i < 32; ++i) x_[31 - i] = in32[i];
  double y[64] = {};
  for (int i = 0; i < 64; ++i)
    for (int j = 0; j < 8; ++j)
      y[i] += SynthesisFilterBank::kWindow[i + 64 * j] / 32.0 * x_[i + 64 * j];
  for (int k = 0; k < 32; ++k) {
    double s = 0;
    for (int i = 0; i < 64; ++i) s += m[k][i] * y[i];
    out32[k] = static_cast<float>(s);
  }
}

namespace {

class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Put(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
      if (bit_ == 0) out_.push_back(0);
      if ((v >> i) & 1) out_.back() |= static_cast<uint8_t>(0x80 >> bit_);
      bit_ = (bit_ + 1) & 7;
    }
  }

 private:
  std::vector<uint8_t>& out_;
  int bit_ = 0;
};

int ScaleIndex(float peak) {
  int i = 62;
  while (i > 0 && layer12::kScaleFactors[i] < peak) --i;
  return i;
}

}  // namespace

std::vector<uint8_t> WriteLayer1(const Pcm& pcm, const Layer1Options& o) {
  const int rates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};
  const int kbits[2][15] = {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
                            {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}};
  int nch = o.mode == FrameHeader::kSingleChannel ? 1 : 2;
  int bound = o.mode == FrameHeader::kJointStereo ? 4 * o.modeExtension + 4 : 32;
  int frameBytes = 12000 * kbits[o.version][o.bitRateIndex] / rates[o.version][o.samplingRateIndex] * 4;

  uint32_t header = 0xFFF00000u | (uint32_t(o.version) << 19) | (3u << 17) |
                    (o.crc ? 0u : 1u) << 16 | uint32_t(o.bitRateIndex) << 12 |
                    uint32_t(o.samplingRateIndex) << 10 | uint32_t(o.mode) << 6 |
                    uint32_t(o.modeExtension) << 4 | 1u << 2;
  std::vector<uint8_t> out;
  AnalysisFilter filters[2];
  size_t frames = pcm.Frames() / 384;
  for (size_t f = 0; f < frames; ++f) {
    float sub[2][12][32];
    for (int c = 0; c < nch; ++c)
      for (int s = 0; s < 12; ++s) {
        float in[32];
        for (int i = 0; i < 32; ++i)
          in[i] = pcm.samples[(f * 384 + s * 32 + i) * pcm.channels + (c < pcm.channels ? c : 0)] /
                  32768.0f;
        filters[c].Push(in, sub[c][s]);
      }
    // Intensity subbands carry the left channel's shape.
    int scf[2][32], alloc[2][32] = {};
    for (int c = 0; c < nch; ++c)
      for (int sb = 0; sb < 32; ++sb) {
        float peak = 0;
        for (int s = 0; s < 12; ++s) peak = fmaxf(peak, fabsf(sub[c][s][sb]));
        scf[c][sb] = ScaleIndex(peak);
      }
    int coded = 0;
    for (int sb = 0; sb < 32; ++sb) coded += sb < bound ? nch : 1;
    int budget = frameBytes * 8 - 32 - (o.crc ? 16 : 0) - 4 * coded;
    for (;;) {
      int bc = -1, bsb = -1;
      double worst = 1e-6;
      for (int sb = 0; sb < 32; ++sb)
        for (int c = 0; c < (sb < bound ? nch : 1); ++c) {
          int a = alloc[c][sb];
          if (a >= 14) continue;
          int cost = a == 0 ? 24 + 6 * (sb < bound ? 1 : nch) : 12;
          if (cost > budget) continue;
          double noise = layer12::kScaleFactors[scf[c][sb]] / double(1 << (a + 1));
          if (noise > worst) {
            worst = noise;
            bc = c;
            bsb = sb;
          }
        }
      if (bc < 0) break;
      budget -= alloc[bc][bsb] == 0 ? 24 + 6 * (bsb < bound ? 1 : nch) : 12;
      ++alloc[bc][bsb];
    }
    for (int sb = bound; sb < 32; ++sb) alloc[1][sb] = alloc[0][sb];

    size_t start = out.size();
    BitWriter w(out);
    w.Put(header, 32);
    Crc16 crc;
    crc.Add(header & 0xFFFF, 16);
    for (int sb = 0; sb < 32; ++sb)
      for (int c = 0; c < (sb < bound ? nch : 1); ++c) crc.Add(alloc[c][sb], 4);
    if (o.crc) w.Put(crc.Value(), 16);
    for (int sb = 0; sb < 32; ++sb)
      for (int c = 0; c < (sb < bound ? nch : 1); ++c) w.Put(alloc[c][sb], 4);
    for (int sb = 0; sb < 32; ++sb)
      for (int c = 0; c < nch; ++c)
        if (alloc[c][sb]) w.Put(scf[c][sb], 6);
    for (int s = 0; s < 12; ++s)
      for (int sb = 0; sb < 32; ++sb)
        for (int c = 0; c < (sb < bound ? nch : 1); ++c) {
          int a = alloc[c][sb];
          if (!a) continue;
          int nb = a + 1;
          double x = sub[c][s][sb] / layer12::kScaleFactors[scf[c][sb]];
          long code = lrint((x * ((1 << nb) - 1) + (1 << nb) - 2) / 2);
          if (code < 0) code = 0;
          if (code > (1 << nb) - 2) code = (1 << nb) - 2;
          w.Put(static_cast<uint32_t>(code), nb);
        }
    out.resize(start + frameBytes, 0);
  }
  return out;
}

}  // namespace testkit
