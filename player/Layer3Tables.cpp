#include "Layer3Tables.h"

#include <cmath>

const ScaleFactorBands kScaleFactorBands[6] = {
    // 22.05 kHz
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238,
      284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192}},
    // 24 kHz
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 114, 136, 162, 194, 232,
      278, 332, 394, 464, 540, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 136, 180, 192}},
    // 16 kHz
    {{0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238,
      284, 336, 396, 464, 522, 576},
     {0, 4, 8, 12, 18, 26, 36, 48, 62, 80, 104, 134, 174, 192}},
    // 44.1 kHz
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162,
      196, 238, 288, 342, 418, 576},
     {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192}},
    // 48 kHz
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156,
      190, 230, 276, 330, 384, 576},
     {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192}},
    // 32 kHz
    {{0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194,
      240, 296, 364, 448, 550, 576},
     {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192}},
};

const uint8_t kPretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                             1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

const uint8_t kSlen[2][16] = {
    {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4},
    {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3}};

const uint8_t kLsfPartitionBands[6][3][4] = {
    {{6, 5, 5, 5}, {9, 9, 9, 9}, {6, 9, 9, 9}},
    {{6, 5, 7, 3}, {9, 9, 12, 6}, {6, 9, 12, 6}},
    {{11, 10, 0, 0}, {18, 18, 0, 0}, {15, 18, 0, 0}},
    {{7, 7, 7, 0}, {12, 12, 12, 0}, {6, 15, 12, 0}},
    {{6, 6, 6, 3}, {12, 9, 9, 6}, {6, 12, 9, 6}},
    {{8, 8, 5, 0}, {15, 12, 9, 0}, {6, 18, 9, 0}},
};

LsfScaleFactorLayout LsfLayout(int sfc, bool intensityRight) {
  LsfScaleFactorLayout l = {{0, 0, 0, 0}, 0, false};
  sfc &= 511;
  if (!intensityRight) {
    if (sfc < 400) {
      l.slen[0] = uint8_t((sfc >> 4) / 5);
      l.slen[1] = uint8_t((sfc >> 4) % 5);
      l.slen[2] = uint8_t((sfc & 15) >> 2);
      l.slen[3] = uint8_t(sfc & 3);
      l.table = 0;
    } else if (sfc < 500) {
      int x = sfc - 400;
      l.slen[0] = uint8_t((x >> 2) / 5);
      l.slen[1] = uint8_t((x >> 2) % 5);
      l.slen[2] = uint8_t(x & 3);
      l.table = 1;
    } else {
      int x = sfc - 500;
      l.slen[0] = uint8_t(x / 3);
      l.slen[1] = uint8_t(x % 3);
      l.table = 2;
      l.preflag = true;
    }
    return l;
  }
  int half = sfc >> 1;
  if (half < 180) {
    l.slen[0] = uint8_t(half / 36);
    l.slen[1] = uint8_t((half % 36) / 6);
    l.slen[2] = uint8_t((half % 36) % 6);
    l.table = 3;
  } else if (half < 244) {
    int x = half - 180;
    l.slen[0] = uint8_t((x & 63) >> 4);
    l.slen[1] = uint8_t((x & 15) >> 2);
    l.slen[2] = uint8_t(x & 3);
    l.table = 4;
  } else {
    int x = half - 244;
    l.slen[0] = uint8_t(x / 3);
    l.slen[1] = uint8_t(x % 3);
    l.table = 5;
  }
  return l;
}

namespace {
const double kAliasC[8] = {-0.6,   -0.535, -0.33,   -0.185,
                           -0.095, -0.041, -0.0142, -0.0037};
}

#define ALIAS_CS(i) float(1.0 / std::sqrt(1.0 + kAliasC[i] * kAliasC[i]))
#define ALIAS_CA(i) float(kAliasC[i] / std::sqrt(1.0 + kAliasC[i] * kAliasC[i]))
const float kAliasCs[8] = {ALIAS_CS(0), ALIAS_CS(1), ALIAS_CS(2), ALIAS_CS(3),
                           ALIAS_CS(4), ALIAS_CS(5), ALIAS_CS(6), ALIAS_CS(7)};
const float kAliasCa[8] = {ALIAS_CA(0), ALIAS_CA(1), ALIAS_CA(2), ALIAS_CA(3),
                           ALIAS_CA(4), ALIAS_CA(5), ALIAS_CA(6), ALIAS_CA(7)};
#undef ALIAS_CS
#undef ALIAS_CA

const Layer3Constants& Layer3Constants::Get() {
  static const Layer3Constants constants;
  return constants;
}

Layer3Constants::Layer3Constants() {
  const double pi = 3.14159265358979323846;
  for (int i = 0; i <= kMaxSpectralCode; ++i) {
    signedPow43[kMaxSpectralCode + i] = float(std::pow(double(i), 4.0 / 3.0));
    signedPow43[kMaxSpectralCode - i] = -signedPow43[kMaxSpectralCode + i];
  }
  for (int n = 0; n < 64; ++n) scaleMultiplier[n] = float(std::pow(2.0, -0.5 * n));
  for (int g = 0; g < 256; ++g) globalGain[g] = float(std::pow(2.0, 0.25 * (g - 210)));

  for (int i = 0; i < 36; ++i) {
    double longSine = std::sin(pi / 36 * (i + 0.5));
    window[0][i] = float(longSine);
    // Start block: long rise, flat, short fall, zeros.
    window[1][i] = float(i < 18   ? longSine
                         : i < 24 ? 1.0
                         : i < 30 ? std::sin(pi / 12 * (i - 18 + 0.5))
                                  : 0.0);
    // Stop block: zeros, short rise, flat, long fall.
    window[3][i] = float(i < 6    ? 0.0
                         : i < 12 ? std::sin(pi / 12 * (i - 6 + 0.5))
                         : i < 18 ? 1.0
                                  : longSine);
    window[2][i] = i < 12 ? float(std::sin(pi / 12 * (i + 0.5))) : 0.0f;
  }

  for (int p = 0; p < 7; ++p) {
    if (p == 6) {
      intensityLeft[p] = 1.0f;
      intensityRight[p] = 0.0f;
      continue;
    }
    double r = std::tan(p * pi / 12);
    intensityLeft[p] = float(r / (1 + r));
    intensityRight[p] = float(1 / (1 + r));
  }
  for (int s = 0; s < 2; ++s)
    for (int k = 0; k < 16; ++k)
      lsfIntensity[s][k] = float(std::pow(2.0, -(s ? 0.5 : 0.25) * k));
}
