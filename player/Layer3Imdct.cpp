#include "Layer3Imdct.h"

#include <cmath>

#include "Layer3Tables.h"

namespace {

// Outputs 0-8 and 18-26 of the 36-point transform; the rest follow from
// x[17 - i] = -x[i] and x[53 - i] = x[i].
struct ImdctCosines {
  float longCos[18][18];  // [line][unique output]
  float shortCos[6][6];   // [line][output 0-2 and 6-8]
  ImdctCosines() {
    const double pi = 3.14159265358979323846;
    for (int k = 0; k < 18; ++k)
      for (int r = 0; r < 18; ++r) {
        int i = r < 9 ? r : r + 9;
        longCos[k][r] = float(std::cos(pi / 72 * (2 * i + 19) * (2 * k + 1)));
      }
    for (int k = 0; k < 6; ++k)
      for (int r = 0; r < 6; ++r) {
        int i = r < 3 ? r : r + 3;
        shortCos[k][r] = float(std::cos(pi / 24 * (2 * i + 7) * (2 * k + 1)));
      }
  }
};

const ImdctCosines& Cosines() {
  static const ImdctCosines c;
  return c;
}

}  // namespace

void Imdct36(const float* in, float* out) {
  const ImdctCosines& c = Cosines();
  float t[18] = {};
  for (int k = 0; k < 18; ++k) {
    float v = in[k];
    if (v == 0.0f) continue;
    for (int r = 0; r < 18; ++r) t[r] += v * c.longCos[k][r];
  }
  for (int i = 0; i < 9; ++i) {
    out[i] = t[i];
    out[17 - i] = -t[i];
    out[18 + i] = t[9 + i];
    out[35 - i] = t[9 + i];
  }
}

void Imdct12(const float* in, int stride, float* out) {
  const ImdctCosines& c = Cosines();
  float t[6] = {};
  for (int k = 0; k < 6; ++k) {
    float v = in[k * stride];
    for (int r = 0; r < 6; ++r) t[r] += v * c.shortCos[k][r];
  }
  for (int i = 0; i < 3; ++i) {
    out[i] = t[i];
    out[5 - i] = -t[i];
    out[6 + i] = t[3 + i];
    out[11 - i] = t[3 + i];
  }
}

void ImdctSubband(const float* in, int blockType, float* overlap, float* out) {
  const Layer3Constants& k = Layer3Constants::Get();
  float z[36];
  if (blockType == 2) {
    for (float& v : z) v = 0.0f;
    const float* win = k.window[2];
    for (int w = 0; w < 3; ++w) {
      float y[12];
      Imdct12(in + w, 3, y);
      for (int i = 0; i < 12; ++i) z[6 + 6 * w + i] += y[i] * win[i];
    }
  } else {
    Imdct36(in, z);
    const float* win = k.window[blockType];
    for (int i = 0; i < 36; ++i) z[i] *= win[i];
  }
  for (int i = 0; i < 18; ++i) {
    out[i] = z[i] + overlap[i];
    overlap[i] = z[18 + i];
  }
}
