#include "SynthesisFilterBank.h"

#include <math.h>
#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  ComputePcm(input, sink);
  memset(input, 0, sizeof input);
}

void SynthesisFilterBank::ComputePcm(const float in[32], PcmSink& sink) {
  int16_t pcm[32];
  Filter(in, pcm);
  sink.AppendBlock(channel_, pcm, 32);
}

void SynthesisFilterBank::Filter(const float in[32], int16_t out[32]) {
  float y[32];
  Dct32(in, y);

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

  // Output j: sum over i of D[64i + j] V[128i + j] + D[64i + 32 + j] V[128i + 96 + j],
  // added in that order.
  float sum[32];
#if defined(__SSE2__)
  const __m128 scale = _mm_set1_ps(scale_);
  for (int j = 0; j < 32; j += 4) {
    __m128 s = _mm_setzero_ps();
    for (int i = 0; i < 8; ++i) {
      const float* d = kWindow + 64 * i + j;
      const float* x = v + 128 * i + j;
      s = _mm_add_ps(s, _mm_mul_ps(_mm_loadu_ps(d), _mm_loadu_ps(x)));
      s = _mm_add_ps(s, _mm_mul_ps(_mm_loadu_ps(d + 32), _mm_loadu_ps(x + 96)));
    }
    _mm_storeu_ps(sum + j, _mm_mul_ps(s, scale));
  }
  ToPcm16Block(sum, out);
#else
  for (int j = 0; j < 32; ++j) sum[j] = 0.0f;
  for (int i = 0; i < 8; ++i) {
    const float* d0 = kWindow + 64 * i;
    const float* d1 = d0 + 32;
    const float* v0 = v + 128 * i;
    const float* v1 = v0 + 96;
    for (int j = 0; j < 32; ++j) sum[j] += d0[j] * v0[j];
    for (int j = 0; j < 32; ++j) sum[j] += d1[j] * v1[j];
  }
  for (int j = 0; j < 32; ++j) out[j] = ToPcm16(sum[j] * scale_);
#endif
}

#if defined(__SSE2__)
void SynthesisFilterBank::ToPcm16Block(const float in[32], int16_t out[32]) {
  // As ToPcm16, four at a time: min gives the top value for not-a-number.
  const __m128 top = _mm_set1_ps(32767.0f), bottom = _mm_set1_ps(-32768.0f);
  const __m128 half = _mm_set1_ps(0.5f), minusHalf = _mm_set1_ps(-0.5f);
  for (int j = 0; j < 32; j += 8) {
    __m128i r[2];
    for (int k = 0; k < 2; ++k) {
      __m128 v = _mm_max_ps(_mm_min_ps(_mm_loadu_ps(in + j + 4 * k), top), bottom);
      __m128i i = _mm_cvttps_epi32(v);
      __m128 rest = _mm_sub_ps(v, _mm_cvtepi32_ps(i));
      i = _mm_sub_epi32(i, _mm_castps_si128(_mm_cmpge_ps(rest, half)));
      i = _mm_add_epi32(i, _mm_castps_si128(_mm_cmple_ps(rest, minusHalf)));
      r[k] = i;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_packs_epi32(r[0], r[1]));
  }
}
#endif
