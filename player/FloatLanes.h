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
