#include "SynthesisFilterBank.h"

#include <math.h>
#include <stdint.h>
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

#if defined(__SSE2__)
// The same splitting four values at a time, each value computed as Dct<N>
// computes it: halves 32 -> 16 -> 8 split as vectors, the eight 4-point
// transforms run side by side in the lanes, and the outputs are merged back.
struct VectorFactors {
  float level32[16], level16[8], level8[4];
  VectorFactors() {
    for (int n = 0; n < 16; ++n) level32[n] = kFactors.f[2 * n + 1];
    for (int n = 0; n < 8; ++n) level16[n] = kFactors.f[(2 * n + 1) * 2];
    for (int n = 0; n < 4; ++n) level8[n] = kFactors.f[(2 * n + 1) * 4];
  }
};
const VectorFactors kVectorFactors;

inline __m128 Reverse(__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3)); }

// x: count vectors (4 count values); a, b: count / 2 vectors each.
inline void Split(const __m128* x, int count, const float* factors, __m128* a, __m128* b) {
  for (int j = 0; j < count / 2; ++j) {
    __m128 r = Reverse(x[count - 1 - j]);
    a[j] = _mm_add_ps(x[j], r);
    b[j] = _mm_mul_ps(_mm_sub_ps(x[j], r), _mm_loadu_ps(factors + 4 * j));
  }
}

// even, odd: count vectors each; out: 2 count vectors.
inline void Merge(const __m128* even, const __m128* odd, int count, __m128* out) {
  for (int j = 0; j < count; ++j) {
    __m128 next = j + 1 < count ? odd[j + 1] : _mm_setzero_ps();
    // odd[k] + odd[k + 1], the last alone.
    __m128 shifted = _mm_move_ss(odd[j], next);
    shifted = _mm_shuffle_ps(shifted, shifted, _MM_SHUFFLE(0, 3, 2, 1));
    __m128 sums = _mm_add_ps(odd[j], shifted);
    out[2 * j] = _mm_unpacklo_ps(even[j], sums);
    out[2 * j + 1] = _mm_unpackhi_ps(even[j], sums);
  }
}

// Eight 4-point transforms, each held in one vector, side by side.
void Dct4x8(__m128* v) {
  const __m128 f8 = _mm_set1_ps(kFactors.f[8]), f16 = _mm_set1_ps(kFactors.f[16]);
  const __m128 f24 = _mm_set1_ps(kFactors.f[24]);
  for (int g = 0; g < 8; g += 4) {
    __m128 p0 = v[g], p1 = v[g + 1], p2 = v[g + 2], p3 = v[g + 3];
    _MM_TRANSPOSE4_PS(p0, p1, p2, p3);
    __m128 a0 = _mm_add_ps(p0, p3), a1 = _mm_add_ps(p1, p2);
    __m128 b0 = _mm_mul_ps(_mm_sub_ps(p0, p3), f8), b1 = _mm_mul_ps(_mm_sub_ps(p1, p2), f24);
    __m128 e0 = _mm_add_ps(a0, a1), e1 = _mm_mul_ps(_mm_sub_ps(a0, a1), f16);
    __m128 o0 = _mm_add_ps(b0, b1), o1 = _mm_mul_ps(_mm_sub_ps(b0, b1), f16);
    __m128 r0 = e0, r1 = _mm_add_ps(o0, o1), r2 = e1, r3 = o1;
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    v[g] = r0;
    v[g + 1] = r1;
    v[g + 2] = r2;
    v[g + 3] = r3;
  }
}

void VectorDct32(const float* in, __m128* out) {
  __m128 x[8], a[4], b[4];
  for (int j = 0; j < 8; ++j) x[j] = _mm_loadu_ps(in + 4 * j);
  Split(x, 8, kVectorFactors.level32, a, b);
  // The four 8-point problems aa, ab, ba, bb, then their eight halves.
  __m128 q8[8];
  Split(a, 4, kVectorFactors.level16, q8, q8 + 2);
  Split(b, 4, kVectorFactors.level16, q8 + 4, q8 + 6);
  __m128 q4[8];
  for (int p = 0; p < 4; ++p) Split(q8 + 2 * p, 2, kVectorFactors.level8, q4 + p, q4 + 4 + p);
  Dct4x8(q4);
  for (int p = 0; p < 4; ++p) Merge(q4 + p, q4 + 4 + p, 1, q8 + 2 * p);
  Merge(q8, q8 + 2, 2, a);
  Merge(q8 + 4, q8 + 6, 2, b);
  Merge(a, b, 4, out);
}
#endif

}  // namespace

void SynthesisFilterBank::Dct32(const float in[32], float out[32]) {
#if defined(__SSE2__)
  __m128 y[8];
  VectorDct32(in, y);
  for (int j = 0; j < 8; ++j) _mm_storeu_ps(out + 4 * j, y[j]);
#else
  Dct<32>::Run(in, out);
#endif
}

SynthesisFilterBank::SynthesisFilterBank(int channel, float scale)
    : channel_(channel),
      scale_(scale),
      ring_(reinterpret_cast<float*>((reinterpret_cast<uintptr_t>(ringStorage_) + 15) &
                                     ~uintptr_t(15))) {
  Reset();
}

void SynthesisFilterBank::Reset() {
  memset(input, 0, sizeof input);
  memset(ringStorage_, 0, sizeof ringStorage_);
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
  // The 64 values of the new V block: V[i] = y[i + 16] for i < 16, 0 at 16,
  // -y[48 - i] up to 47, -y[i - 48] above.
  offset_ = (offset_ + 1024 - 64) & 1023;
  float* v = ring_ + offset_;
  float* copy = ring_ + offset_ + 1024;
#if defined(__SSE2__)
  __m128 y[9];
  VectorDct32(in, y);
  y[8] = _mm_setzero_ps();
  const __m128 sign = _mm_set1_ps(-0.0f);
  __m128 block[16];
  for (int j = 0; j < 4; ++j) {
    block[j] = y[4 + j];
    block[12 + j] = _mm_xor_ps(y[j], sign);
  }
  for (int m = 0; m < 8; ++m) {
    // y[29 - 4m] .. y[32 - 4m], y[32] being 0, reversed and negated.
    __m128 t = _mm_move_ss(y[7 - m], y[8 - m]);
    t = _mm_shuffle_ps(t, t, _MM_SHUFFLE(0, 3, 2, 1));
    block[4 + m] = _mm_xor_ps(Reverse(t), sign);
  }
  for (int j = 0; j < 16; ++j) {
    _mm_store_ps(v + 4 * j, block[j]);
    _mm_store_ps(copy + 4 * j, block[j]);
  }

  // Output j: sum over i of D[64i + j] V[128i + j] + D[64i + 32 + j] V[128i + 96 + j],
  // added in that order.
  // Four sums side by side, so that their additions overlap.
  float sum[32];
  const __m128 scale = _mm_set1_ps(scale_);
  for (int j = 0; j < 32; j += 16) {
    __m128 s[4] = {_mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
    for (int i = 0; i < 8; ++i) {
      const float* d = kWindow + 64 * i + j;
      const float* x = v + 128 * i + j;
      for (int k = 0; k < 4; ++k)
        s[k] = _mm_add_ps(s[k], _mm_mul_ps(_mm_load_ps(d + 4 * k), _mm_load_ps(x + 4 * k)));
      for (int k = 0; k < 4; ++k)
        s[k] = _mm_add_ps(s[k], _mm_mul_ps(_mm_load_ps(d + 32 + 4 * k), _mm_load_ps(x + 96 + 4 * k)));
    }
    for (int k = 0; k < 4; ++k) _mm_storeu_ps(sum + j + 4 * k, _mm_mul_ps(s[k], scale));
  }
  ToPcm16Block(sum, out);
#else
  float y[32];
  Dct32(in, y);
  for (int i = 0; i < 16; ++i) v[i] = y[i + 16];
  v[16] = 0.0f;
  for (int i = 17; i < 48; ++i) v[i] = -y[48 - i];
  for (int i = 48; i < 64; ++i) v[i] = -y[i - 48];
  memcpy(copy, v, 64 * sizeof(float));

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
  for (int j = 0; j < 32; ++j) sum[j] *= scale_;
  ToPcm16Block(sum, out);
#endif
}

void SynthesisFilterBank::ToPcm16Block(const float in[32], int16_t out[32]) {
#if defined(__SSE2__)
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
#else
  for (int j = 0; j < 32; ++j) out[j] = ToPcm16(in[j]);
#endif
}
