#include "Layer3Imdct.h"

#include <cmath>

#include "FloatLanes.h"
#include "Layer3Tables.h"

namespace {

// The 36-point transform is the 18-point DCT-IV C[n] of its lines, read
// as x[i] = C[i + 9] for i < 9, -C[26 - i] up to 26 and -C[i - 27] above.
// The DCT-IV comes from an 18-point DCT-II D of the lines weighted by
// 2 cos((2n + 1) pi / 72): D[k] = C[k] + C[k - 1], D[0] = 2 C[0]. The
// DCT-II splits into two 9-point ones as the synthesis filter's does.
struct ImdctConstants {
  // Each value four times over, for all lanes at once.
  alignas(16) float weight[18][4];      // 2 cos((2n + 1) pi / 72)
  alignas(16) float oddFactor[9][4];    // 1 / (2 cos((2n + 1) pi / 36))
  alignas(16) float cos9[9][4][4];      // cos(k (2n + 1) pi / 18), n < 4
  alignas(16) float half[4];            // 0.5
  // The long windows of block types 0, 1, 3 (at 0, 1, 3) with the sign of
  // the transform's outputs 9-35 folded in.
  alignas(16) float window[4][36][4];
  float shortCos[6][6];  // [line][output 0-2 and 6-8] of the 12-point transform
  ImdctConstants() {
    const double pi = 3.14159265358979323846;
    const Layer3Constants& k = Layer3Constants::Get();
    for (int l = 0; l < 4; ++l) {
      for (int n = 0; n < 18; ++n) weight[n][l] = float(2 * std::cos((2 * n + 1) * pi / 72));
      for (int n = 0; n < 9; ++n) oddFactor[n][l] = float(0.5 / std::cos((2 * n + 1) * pi / 36));
      for (int j = 0; j < 9; ++j)
        for (int n = 0; n < 4; ++n) cos9[j][n][l] = float(std::cos(j * (2 * n + 1) * pi / 18));
      half[l] = 0.5f;
      for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 36; ++i) window[t][i][l] = i < 9 ? k.window[t][i] : -k.window[t][i];
    }
    for (int j = 0; j < 6; ++j)
      for (int r = 0; r < 6; ++r) {
        int i = r < 3 ? r : r + 3;
        shortCos[j][r] = float(std::cos(pi / 24 * (2 * i + 7) * (2 * j + 1)));
      }
  }
};

const ImdctConstants& Constants() {
  static const ImdctConstants c;
  return c;
}

// 9-point DCT-II, out[k] = sum of a[n] cos(k (2n + 1) pi / 18): inputs
// paired from both ends, the middle one weighted 1, 0, -1, 0, ...
template <class V>
void Dct9(const ImdctConstants& c, const V* a, V* out) {
  V s[4], d[4];
  for (int n = 0; n < 4; ++n) {
    s[n] = a[n] + a[8 - n];
    d[n] = a[n] - a[8 - n];
  }
  const V m = a[4];
  out[0] = s[0] + s[1] + s[2] + s[3] + m;
  for (int k = 1; k < 9; ++k) {
    const float(*w)[4] = c.cos9[k];
    const V w0 = V::Constant(w[0]), w1 = V::Constant(w[1]);
    const V w2 = V::Constant(w[2]), w3 = V::Constant(w[3]);
    if (k & 1) {
      out[k] = d[0] * w0 + d[1] * w1 + d[2] * w2 + d[3] * w3;
    } else {
      V sum = s[0] * w0 + s[1] * w1 + s[2] * w2 + s[3] * w3;
      out[k] = k % 4 == 0 ? sum + m : sum - m;
    }
  }
}

// The 36 outputs of the long transform from 18 lines, outputs 9-35 with
// their sign left to the window.
template <class V>
void Transform36(const V* x, V* out) {
  const ImdctConstants& c = Constants();
  V a[9], b[9];
  for (int n = 0; n < 9; ++n) {
    V lo = x[n] * V::Constant(c.weight[n]), hi = x[17 - n] * V::Constant(c.weight[17 - n]);
    a[n] = lo + hi;
    b[n] = (lo - hi) * V::Constant(c.oddFactor[n]);
  }
  V even[9], odd[9];
  Dct9(c, a, even);
  Dct9(c, b, odd);
  V dct4[18];
  V prev = even[0] * V::Constant(c.half);
  dct4[0] = prev;
  for (int k = 1; k < 18; ++k) {
    V d2 = k & 1 ? (k < 17 ? odd[k / 2] + odd[k / 2 + 1] : odd[8]) : even[k / 2];
    prev = d2 - prev;
    dct4[k] = prev;
  }
  for (int i = 0; i < 9; ++i) {
    out[i] = dct4[9 + i];
    out[9 + i] = dct4[17 - i];
    out[18 + i] = dct4[8 - i];
    out[27 + i] = dct4[i];
  }
}

// The 12 outputs of a short transform from 6 lines read with a stride.
template <class V>
void Transform12(const float* in, int stride, int laneStride, V* out) {
  const ImdctConstants& c = Constants();
  V t[6];
  for (int r = 0; r < 6; ++r) t[r] = V(0.0f);
  for (int k = 0; k < 6; ++k) {
    V v = V::Gather(in + k * stride, laneStride);
    for (int r = 0; r < 6; ++r) t[r] = t[r] + v * V(c.shortCos[k][r]);
  }
  const V zero(0.0f);
  for (int i = 0; i < 3; ++i) {
    out[i] = t[i];
    out[5 - i] = zero - t[i];
    out[6 + i] = t[3 + i];
    out[11 - i] = t[3 + i];
  }
}

// Subbands sb .. sb + V::kCount - 1, one block type.
template <class V>
void ImdctLanes(const float* xr, int sb, int blockType, float* overlap, float (*out)[32]) {
  const Layer3Constants& k = Layer3Constants::Get();
  const float* lines = xr + 18 * sb;
  V z[36];
  if (blockType == 2) {
    for (V& v : z) v = V(0.0f);
    const float* win = k.window[2];
    for (int w = 0; w < 3; ++w) {
      V y[12];
      Transform12(lines + w, 3, 18, y);
      for (int i = 0; i < 12; ++i) z[6 + 6 * w + i] = z[6 + 6 * w + i] + y[i] * V(win[i]);
    }
  } else {
    V x[18];
    for (int i = 0; i < 16; i += 4) V::Gather4(lines + i, 18, x + i);
    x[16] = V::Gather(lines + 16, 18);
    x[17] = V::Gather(lines + 17, 18);
    Transform36(x, z);
    const float(*win)[4] = Constants().window[blockType];
    for (int i = 0; i < 36; ++i) z[i] = z[i] * V::Constant(win[i]);
  }
  const V sign = V::OddNegative(sb);
  for (int i = 0; i < 18; ++i) {
    float* ov = overlap + 32 * i + sb;
    V t = z[i] + V::Load(ov);
    z[18 + i].Store(ov);
    if (i & 1) t = t * sign;
    t.Store(out[i] + sb);
  }
}

}  // namespace

void Imdct36(const float* in, float* out) {
  Float1 x[18], y[36];
  for (int i = 0; i < 18; ++i) x[i] = Float1(in[i]);
  Transform36(x, y);
  for (int i = 0; i < 36; ++i) out[i] = i < 9 ? y[i].v : -y[i].v;
}

void Imdct12(const float* in, int stride, float* out) {
  Float1 y[12];
  Transform12(in, stride, 0, y);
  for (int i = 0; i < 12; ++i) out[i] = y[i].v;
}

const int kImdctLanes = FloatLanes::kCount;

void ImdctSubbands(const float* xr, int sb, int blockType, float* overlap, float (*out)[32]) {
  ImdctLanes<FloatLanes>(xr, sb, blockType, overlap, out);
}

void ImdctSubband(const float* xr, int sb, int blockType, float* overlap, float (*out)[32]) {
  ImdctLanes<Float1>(xr, sb, blockType, overlap, out);
}

void OverlapOnly(int sb, float* overlap, float (*out)[32]) {
  typedef FloatLanes V;
  for (int i = 0; i < 18; ++i) {
    float* ov = overlap + 32 * i;
    for (int s = sb; s < 32; s += V::kCount) {
      V t = V::Load(ov + s);
      if (i & 1) t = t * V::OddNegative(s);
      t.Store(out[i] + s);
      V(0.0f).Store(ov + s);
    }
  }
}
