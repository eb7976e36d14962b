// Four floats worked on at once where the build has SSE2, else one: the
// same arithmetic runs on several independent channels of data (such as
// neighbouring subbands), each lane giving what the one-float code gives.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

struct Float1 {
  static const int kCount = 1;
  float v;
  Float1() = default;
  Float1(float x) : v(x) {}  // NOLINT: a constant in every lane
  static Float1 Load(const float* p) { return Float1(*p); }
  static Float1 Gather(const float* p, int) { return Float1(*p); }
  // out[c] = Gather(p + c, stride) for c < 4.
  static void Gather4(const float* p, int, Float1* out) {
    for (int c = 0; c < 4; ++c) out[c] = Float1(p[c]);
  }
  // A constant stored four times over at a multiple of 16 bytes.
  static Float1 Constant(const float* p4) { return Float1(*p4); }
  void Store(float* p) const { *p = v; }
  // +1 in the lanes of even subbands from `first` on, -1 in those of odd ones.
  static Float1 OddNegative(int first) { return Float1(first & 1 ? -1.0f : 1.0f); }
};
inline Float1 operator+(Float1 a, Float1 b) { return Float1(a.v + b.v); }
inline Float1 operator-(Float1 a, Float1 b) { return Float1(a.v - b.v); }
inline Float1 operator*(Float1 a, Float1 b) { return Float1(a.v * b.v); }

#if defined(__SSE2__)
struct Float4 {
  static const int kCount = 4;
  __m128 v;
  Float4() = default;
  Float4(float x) : v(_mm_set1_ps(x)) {}  // NOLINT: a constant in every lane
  explicit Float4(__m128 x) : v(x) {}
  static Float4 Load(const float* p) { return Float4(_mm_loadu_ps(p)); }
  // p[0], p[stride], p[2 stride], p[3 stride].
  static Float4 Gather(const float* p, int stride) {
    return Float4(_mm_setr_ps(p[0], p[stride], p[2 * stride], p[3 * stride]));
  }
  static void Gather4(const float* p, int stride, Float4* out) {
    __m128 r0 = _mm_loadu_ps(p), r1 = _mm_loadu_ps(p + stride);
    __m128 r2 = _mm_loadu_ps(p + 2 * stride), r3 = _mm_loadu_ps(p + 3 * stride);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    out[0] = Float4(r0);
    out[1] = Float4(r1);
    out[2] = Float4(r2);
    out[3] = Float4(r3);
  }
  static Float4 Constant(const float* p4) { return Float4(_mm_load_ps(p4)); }
  void Store(float* p) const { _mm_storeu_ps(p, v); }
  static Float4 OddNegative(int first) {
    return first & 1 ? Float4(_mm_setr_ps(-1.0f, 1.0f, -1.0f, 1.0f))
                     : Float4(_mm_setr_ps(1.0f, -1.0f, 1.0f, -1.0f));
  }
};
inline Float4 operator+(Float4 a, Float4 b) { return Float4(_mm_add_ps(a.v, b.v)); }
inline Float4 operator-(Float4 a, Float4 b) { return Float4(_mm_sub_ps(a.v, b.v)); }
inline Float4 operator*(Float4 a, Float4 b) { return Float4(_mm_mul_ps(a.v, b.v)); }
typedef Float4 FloatLanes;
#else
typedef Float1 FloatLanes;
#endif
