// Constant tables of Layer III decoding.
#pragma once
#include <cstdint>

// Scale-factor band edges by table index: 0-2 MPEG-2 LSF (22.05, 24,
// 16 kHz), 3-5 MPEG-1 (44.1, 48, 32 kHz). Long: 22 bands, short: 13 bands
// of one window.
struct ScaleFactorBands {
  int16_t longEdge[23];
  int16_t shortEdge[14];
};
extern const ScaleFactorBands kScaleFactorBands[6];

// Added to long-block scale factors when preflag is set.
extern const uint8_t kPretab[22];

// MPEG-1 scale-factor lengths by scalefac_compress.
extern const uint8_t kSlen[2][16];

// MPEG-2 LSF: scale factors per partition, by partition table (0-2 other
// channels, 3-5 right channel of intensity stereo) and block kind (0 long,
// 1 short, 2 mixed).
extern const uint8_t kLsfPartitionBands[6][3][4];

// The four LSF scale-factor lengths, the partition table and preflag of a
// scalefac_compress value.
struct LsfScaleFactorLayout {
  uint8_t slen[4];
  int table;
  bool preflag;
};
LsfScaleFactorLayout LsfLayout(int scalefacCompress, bool intensityRight);

// Alias-reduction butterflies.
extern const float kAliasCs[8];
extern const float kAliasCa[8];

// The largest Huffman-coded value: 15 and an escape of 13 bits.
const int kMaxSpectralCode = 15 + 8191;

// Computed once: sign(code) |code|^(4/3) for every coded value (at
// signedPow43[code + kMaxSpectralCode]), 2^(-n/2) for n 0-63,
// 2^((g - 210) / 4) for global gains 0-255, the four IMDCT windows (block
// type 2: 12 values), MPEG-1 intensity factors by position (0-6) and the
// LSF intensity factors by intensity_scale and half position (0-15).
struct Layer3Constants {
  float signedPow43[2 * kMaxSpectralCode + 1];
  float scaleMultiplier[64];
  float globalGain[256];
  float window[4][36];
  float intensityLeft[7];
  float intensityRight[7];
  float lsfIntensity[2][16];

  static const Layer3Constants& Get();

 private:
  Layer3Constants();
};
