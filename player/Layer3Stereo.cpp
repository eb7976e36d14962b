#include "Layer3Stereo.h"

#include <algorithm>

namespace {

const float kInvSqrt2 = 0.70710677f;

// Factors of one intensity position; false when the position says "none".
struct IntensityRule {
  bool mpeg1;
  int intensityScale;
  bool Factors(int pos, int max, float& left, float& right) const {
    const Layer3Constants& k = Layer3Constants::Get();
    if (mpeg1) {
      if (pos < 0 || pos >= 7) return false;
      left = k.intensityLeft[pos];
      right = k.intensityRight[pos];
      return true;
    }
    if (max < 0 || pos == max || pos < 0) return false;
    left = right = 1.0f;
    if (pos & 1)
      left = k.lsfIntensity[intensityScale][std::min((pos + 1) / 2, 15)];
    else if (pos)
      right = k.lsfIntensity[intensityScale][std::min(pos / 2, 15)];
    return true;
  }
};

void ApplyIntensity(float* l, float* r, int from, int to, float kl, float kr) {
  for (int i = from; i < to; ++i) {
    float x = l[i];
    l[i] = x * kl;
    r[i] = x * kr;
  }
}

void MiddleSide(float* l, float* r, int from, int to) {
  for (int i = from; i < to; ++i) {
    float m = l[i], s = r[i];
    l[i] = (m + s) * kInvSqrt2;
    r[i] = (m - s) * kInvSqrt2;
  }
}

bool AnyNonZero(const int* codes, int from, int to) {
  for (int i = from; i < to; ++i)
    if (codes[i]) return true;
  return false;
}

}  // namespace

void Layer3StereoProcess(bool mpeg1, int modeExtension,
                         const Layer3GranuleInfo& right,
                         const ScaleFactorBands& bands, Layer3Channel ch[2]) {
  const bool ms = (modeExtension & 2) != 0;
  const bool is = (modeExtension & 1) != 0;
  float* l = ch[0].xr;
  float* r = ch[1].xr;
  const int top = std::max(ch[0].nonZero, ch[1].nonZero);
  if (!is) {
    if (ms) MiddleSide(l, r, 0, top);
    ch[0].nonZero = ch[1].nonZero = top;
    return;
  }

  // Marks the lines carried by intensity; the rest are middle/side or plain.
  bool intensity[576] = {};
  IntensityRule rule = {mpeg1, right.scalefacCompress & 1};
  const Layer3Channel& rc = ch[1];
  const int* codes = rc.codes;
  const bool shortBlock = right.windowSwitching && right.blockType == 2;

  auto longBands = [&](int firstBand, int endLine) {
    for (int sfb = firstBand; sfb < 22; ++sfb) {
      int from = bands.longEdge[sfb], to = std::min(int(bands.longEdge[sfb + 1]), endLine);
      if (from >= to) break;
      int src = sfb == 21 ? 20 : sfb;  // the last band has no scale factor
      float kl, kr;
      if (!rule.Factors(rc.scaleLong[src], rc.maxLong[src], kl, kr)) continue;
      ApplyIntensity(l, r, from, to, kl, kr);
      std::fill(intensity + from, intensity + to, true);
    }
  };

  if (!shortBlock) {
    int last = rc.nonZero - 1;
    while (last >= 0 && !codes[last]) --last;
    int band = 0;
    while (band < 22 && bands.longEdge[band + 1] <= last) ++band;
    longBands(last < 0 ? 0 : band + 1, 576);
  } else {
    int firstShort = right.mixedBlock ? 3 : 0;
    bool shortPartSilent = true;
    for (int w = 0; w < 3; ++w) {
      int highest = firstShort - 1;  // highest short band with data
      for (int sfb = 12; sfb >= firstShort; --sfb) {
        int width = bands.shortEdge[sfb + 1] - bands.shortEdge[sfb];
        int from = bands.shortEdge[sfb] * 3 + w * width;
        if (AnyNonZero(codes, from, from + width)) {
          highest = sfb;
          break;
        }
      }
      if (highest >= firstShort) shortPartSilent = false;
      for (int sfb = highest + 1; sfb < 13; ++sfb) {
        int width = bands.shortEdge[sfb + 1] - bands.shortEdge[sfb];
        int from = bands.shortEdge[sfb] * 3 + w * width;
        int src = sfb == 12 ? 11 : sfb;
        float kl, kr;
        if (!rule.Factors(rc.scaleShort[src][w], rc.maxShort[src], kl, kr)) continue;
        ApplyIntensity(l, r, from, from + width, kl, kr);
        std::fill(intensity + from, intensity + from + width, true);
      }
    }
    if (right.mixedBlock && shortPartSilent) {
      int last = 35;
      while (last >= 0 && !codes[last]) --last;
      int band = 0;
      while (bands.longEdge[band + 1] <= last) ++band;
      longBands(last < 0 ? 0 : band + 1, 36);
    }
  }

  if (ms) {
    for (int i = 0; i < 576;) {
      int from = i;
      while (i < 576 && !intensity[i]) ++i;
      MiddleSide(l, r, from, i);
      while (i < 576 && intensity[i]) ++i;
    }
  }
  ch[0].nonZero = ch[1].nonZero = 576;
}
