#include "SynthesisFilterBank.h"

#include <math.h>
#include <string.h>

namespace {

// 1 / (2 cos(k pi / 64)), k = 0..31.
struct CosineFactors {
  float f[32];
  CosineFactors() {
    for (int k = 0; k < 32; ++k) f[k] = static_cast<float>(0.5 / cos(k * 3.14159265358979323846 / 64.0));
  }
};
const CosineFactors kFactors;

// N-point DCT-II by even/odd splitting: the odd half is divided by
// 2 cos((2n + 1) pi / 2N) so that its transform gives the odd outputs as
// sums of neighbours.
template <int N>
struct Dct {
  static void Run(const float* x, float* out) {
    float a[N / 2], b[N / 2], ea[N / 2], ob[N / 2];
    for (int n = 0; n < N / 2; ++n) {
      a[n] = x[n] + x[N - 1 - n];
      b[n] = (x[n] - x[N - 1 - n]) * kFactors.f[(2 * n + 1) * 32 / N];
    }
    Dct<N / 2>::Run(a, ea);
    Dct<N / 2>::Run(b, ob);
    for (int k = 0; k < N / 2 - 1; ++k) {
      out[2 * k] = ea[k];
      out[2 * k + 1] = ob[k] + ob[k + 1];
    }
    out[N - 2] = ea[N / 2 - 1];
    out[N - 1] = ob[N / 2 - 1];
  }
};

template <>
struct Dct<1> {
  static void Run(const float* x, float* out) { out[0] = x[0]; }
};

}  // namespace

void SynthesisFilterBank::Dct32(const float in[32], float out[32]) { Dct<32>::Run(in, out); }

SynthesisFilterBank::SynthesisFilterBank(int channel, float scale)
    : channel_(channel), scale_(scale) {
  Reset();
}

void SynthesisFilterBank::Reset() {
  memset(input, 0, sizeof input);
  memset(ring_, 0, sizeof ring_);
  offset_ = 0;
}

void SynthesisFilterBank::ComputePcm(PcmSink& sink) {
  float y[32];
  Dct32(input, y);

  // The 64 values of the new V block: V[i] = y[i + 16] for i < 16, 0 at 16,
  // -y[48 - i] up to 47, -y[i - 48] above.
  offset_ = (offset_ + 1024 - 64) & 1023;
  float* v = ring_ + offset_;
  float* copy = ring_ + offset_ + 1024;
  for (int i = 0; i < 16; ++i) v[i] = y[i + 16];
  v[16] = 0.0f;
  for (int i = 17; i < 48; ++i) v[i] = -y[48 - i];
  for (int i = 48; i < 64; ++i) v[i] = -y[i - 48];
  memcpy(copy, v, 64 * sizeof(float));

  // Output j: sum over i of D[64i + j] V[128i + j] + D[64i + 32 + j] V[128i + 96 + j].
  float sum[32];
  for (int j = 0; j < 32; ++j) sum[j] = 0.0f;
  for (int i = 0; i < 8; ++i) {
    const float* d0 = kWindow + 64 * i;
    const float* d1 = d0 + 32;
    const float* v0 = v + 128 * i;
    const float* v1 = v0 + 96;
    for (int j = 0; j < 32; ++j) sum[j] += d0[j] * v0[j];
    for (int j = 0; j < 32; ++j) sum[j] += d1[j] * v1[j];
  }
  for (int j = 0; j < 32; ++j) sink.Append(channel_, ToPcm16(sum[j] * scale_));
  memset(input, 0, sizeof input);
}
