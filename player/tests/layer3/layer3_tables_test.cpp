// Proofs of the Layer III tables: Huffman codes, band edges, partitions,
// IMDCT and its windows.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "BitReservoir.h"
#include "HuffmanTables.h"
#include "Layer3Imdct.h"
#include "Layer3Tables.h"

namespace {

const int kExistingTables[] = {1,  2,  3,  5,  6,  7,  8,  9,  10, 11, 12,
                               13, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
                               25, 26, 27, 28, 29, 30, 31, 32, 33};

TEST(Layer3Huffman, EveryTableIsPrefixFreeAndComplete) {
  for (int t : kExistingTables) {
    const HuffmanCodeTable& table = kHuffmanCodeTables[t];
    const int n = table.size * table.size;
    double kraft = 0;
    for (int i = 0; i < n; ++i) {
      ASSERT_LT(table.codes[i], 1u << table.lengths[i]) << "table " << t;
      kraft += std::ldexp(1.0, -table.lengths[i]);
      for (int j = 0; j < n; ++j) {
        if (i == j || table.lengths[i] > table.lengths[j]) continue;
        EXPECT_NE(table.codes[j] >> (table.lengths[j] - table.lengths[i]), table.codes[i])
            << "table " << t << ": code " << i << " is a prefix of " << j;
      }
    }
    EXPECT_DOUBLE_EQ(kraft, 1.0) << "table " << t;
  }
}

TEST(Layer3Huffman, LookupDecodesEveryCodeOfEveryTable) {
  const HuffmanLookup& lookup = HuffmanLookup::Get();
  EXPECT_FALSE(lookup.Exists(0));
  EXPECT_FALSE(lookup.Exists(4));
  EXPECT_FALSE(lookup.Exists(14));
  for (int t : kExistingTables) {
    ASSERT_TRUE(lookup.Exists(t)) << t;
    const HuffmanCodeTable& table = kHuffmanCodeTables[t];
    for (int i = 0; i < table.size * table.size; ++i) {
      // The code, left-aligned in 32 bits, followed by ones.
      uint32_t word = (uint32_t(table.codes[i]) << (32 - table.lengths[i])) |
                      (0xFFFFFFFFu >> table.lengths[i]);
      BitReservoir bits;
      for (int b = 3; b >= 0; --b) bits.PutByte(uint8_t(word >> (8 * b)));
      bits.PutByte(0xFF);
      int v = lookup.Decode(t, bits);
      EXPECT_EQ(v, (i / table.size) * 16 + i % table.size) << "table " << t << " pair " << i;
      EXPECT_EQ(bits.BitPosition(), table.lengths[i]) << "table " << t << " pair " << i;
    }
  }
}

TEST(Layer3Huffman, LinbitsOfTheStandard) {
  const int linbits[32] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                           1, 2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13};
  for (int t = 0; t < 32; ++t) EXPECT_EQ(kHuffmanCodeTables[t].linbits, linbits[t]) << t;
}

TEST(Layer3Tables, BandEdgesRiseAndCoverTheGranule) {
  for (const ScaleFactorBands& b : kScaleFactorBands) {
    EXPECT_EQ(b.longEdge[0], 0);
    EXPECT_EQ(b.longEdge[22], 576);
    EXPECT_EQ(b.shortEdge[0], 0);
    EXPECT_EQ(b.shortEdge[13] * 3, 576);
    for (int i = 0; i < 22; ++i) EXPECT_LT(b.longEdge[i], b.longEdge[i + 1]);
    for (int i = 0; i < 13; ++i) EXPECT_LT(b.shortEdge[i], b.shortEdge[i + 1]);
    // Mixed blocks switch at line 36, both as long and as short bands.
    EXPECT_EQ(b.shortEdge[3] * 3, 36);
  }
  for (int i = 3; i < 6; ++i) EXPECT_EQ(kScaleFactorBands[i].longEdge[8], 36);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(kScaleFactorBands[i].longEdge[6], 36);
}

TEST(Layer3Tables, LsfPartitionsCoverEveryScaleFactor) {
  for (const auto& table : kLsfPartitionBands) {
    int sums[3] = {};
    for (int kind = 0; kind < 3; ++kind)
      for (int part = 0; part < 4; ++part) sums[kind] += table[kind][part];
    EXPECT_EQ(sums[0], 21);      // long bands 0-20
    EXPECT_EQ(sums[1], 36);      // short bands 0-11, three windows
    EXPECT_EQ(sums[2], 6 + 27);  // long bands 0-5, short bands 3-11
  }
}

TEST(Layer3Tables, LsfScaleFactorCompressRanges) {
  struct Case {
    int sfc;
    bool intensityRight;
    int slen[4];
    int table;
    bool preflag;
  } cases[] = {
      {0, false, {0, 0, 0, 0}, 0, false},   {399, false, {4, 4, 3, 3}, 0, false},
      {400, false, {0, 0, 0, 0}, 1, false}, {499, false, {4, 4, 3, 0}, 1, false},
      {500, false, {0, 0, 0, 0}, 2, true},  {511, false, {3, 2, 0, 0}, 2, true},
      {359, true, {4, 5, 5, 0}, 3, false},  {360, true, {0, 0, 0, 0}, 4, false},
      {487, true, {3, 3, 3, 0}, 4, false},  {488, true, {0, 0, 0, 0}, 5, false},
      {511, true, {3, 2, 0, 0}, 5, false},
  };
  for (const Case& c : cases) {
    LsfScaleFactorLayout l = LsfLayout(c.sfc, c.intensityRight);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(l.slen[i], c.slen[i]) << c.sfc << " slen " << i;
    EXPECT_EQ(l.table, c.table) << c.sfc;
    EXPECT_EQ(l.preflag, c.preflag) << c.sfc;
  }
}

// The transform as the standard writes it.
void DirectImdct(const float* in, int stride, int n, double* out) {
  const double pi = 3.14159265358979323846;
  for (int i = 0; i < n; ++i) {
    double sum = 0;
    for (int k = 0; k < n / 2; ++k)
      sum += in[k * stride] * std::cos(pi / (2 * n) * (2 * i + 1 + n / 2.0) * (2 * k + 1));
    out[i] = sum;
  }
}

TEST(Layer3Imdct, FastTransformsEqualTheDirectFormula) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  for (int trial = 0; trial < 50; ++trial) {
    float in[18];
    for (float& v : in) v = dist(rng) * (trial % 5 == 0 ? 30000.0f : 1.0f);
    double expect[36];
    float got[36];
    double peak = 1e-30;
    for (float v : in) peak = std::max(peak, double(std::fabs(v)));
    DirectImdct(in, 1, 36, expect);
    Imdct36(in, got);
    for (int i = 0; i < 36; ++i) EXPECT_NEAR(got[i], expect[i], 2e-6 * 18 * peak) << i;
    DirectImdct(in + 1, 3, 12, expect);
    Imdct12(in + 1, 3, got);
    for (int i = 0; i < 12; ++i) EXPECT_NEAR(got[i], expect[i], 2e-6 * 6 * peak) << i;
  }
}

TEST(Layer3Imdct, WindowsOverlapToUnitPower) {
  const auto& w = Layer3Constants::Get().window;
  for (int i = 0; i < 18; ++i) {
    // Long after long, and start block (type 1) into stop block (type 3).
    EXPECT_NEAR(w[0][i] * w[0][i] + w[0][i + 18] * w[0][i + 18], 1.0, 1e-6) << i;
    EXPECT_NEAR(w[1][i + 18] * w[1][i + 18] + w[3][i] * w[3][i], 1.0, 1e-6) << i;
    EXPECT_FLOAT_EQ(w[1][i], w[0][i]);
    EXPECT_FLOAT_EQ(w[3][i + 18], w[0][i + 18]);
  }
  for (int i = 0; i < 6; ++i)
    EXPECT_NEAR(w[2][i] * w[2][i] + w[2][i + 6] * w[2][i + 6], 1.0, 1e-6) << i;
}

}  // namespace
