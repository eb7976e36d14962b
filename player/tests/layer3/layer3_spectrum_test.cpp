// Layer III side information, scale factors, spectrum decoding and stereo
// on hand-made data, chiefly data that points outside its arrays.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "BitReservoir.h"
#include "Layer3Hybrid.h"
#include "Layer3SideInfo.h"
#include "Layer3Spectrum.h"
#include "Layer3Stereo.h"

namespace {

class BitWriter {
 public:
  void Put(uint32_t value, int n) {
    for (int i = n - 1; i >= 0; --i) {
      if (bits_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= uint8_t(0x80 >> (bits_ % 8));
      ++bits_;
    }
  }
  int Bits() const { return bits_; }
  std::vector<uint8_t>& Bytes() {
    bytes_.resize(64, 0);
    return bytes_;
  }

 private:
  std::vector<uint8_t> bytes_;
  int bits_ = 0;
};

Layer3GranuleInfo LongGranule() {
  Layer3GranuleInfo g = {};
  g.globalGain = 210;
  return g;
}

TEST(Layer3SideInfo, BigValuesBeyondTheGranuleAreLimited) {
  BitWriter w;
  w.Put(300, 9);  // main_data_begin
  w.Put(0, 5);    // private bits
  w.Put(0xA, 4);  // scfsi
  for (int gr = 0; gr < 2; ++gr) {
    w.Put(4095, 12);  // part2_3_length
    w.Put(511, 9);    // big_values
    w.Put(255, 8);    // global_gain
    w.Put(15, 4);     // scalefac_compress
    w.Put(1, 1);      // window switching
    w.Put(2, 2);      // block type: short
    w.Put(0, 1);      // not mixed
    w.Put(31, 5), w.Put(4, 5);
    w.Put(7, 3), w.Put(0, 3), w.Put(5, 3);
    w.Put(1, 1), w.Put(1, 1), w.Put(1, 1);
  }
  Layer3SideInfo info;
  ParseLayer3SideInfo(w.Bytes().data(), true, 1, info);
  EXPECT_EQ(info.mainDataBegin, 300);
  EXPECT_EQ(info.scfsi[0], 0xA);
  const Layer3GranuleInfo& g = info.granule[1][0];
  EXPECT_EQ(g.part23Length, 4095);
  EXPECT_EQ(g.bigValues, 288);
  EXPECT_EQ(g.blockType, 2);
  EXPECT_EQ(g.tableSelect[0], 31);
  EXPECT_EQ(g.tableSelect[1], 4);
  EXPECT_EQ(g.subblockGain[2], 5);
  EXPECT_TRUE(g.preflag);
  EXPECT_EQ(g.count1Table, 1);
}

TEST(Layer3Spectrum, RegionsAndTablesOutsideTheStandardStayInBounds) {
  struct Case {
    int region0, region1;
    int tables[3];
    bool decodable;
  } cases[] = {
      {15, 7, {1, 24, 31}, true},  // region boundaries past the last band
      {3, 2, {5, 4, 1}, false},    // table 4 does not exist
      {0, 0, {14, 1, 1}, false},   // nor does table 14
  };
  const ScaleFactorBands& bands = kScaleFactorBands[3];
  for (const Case& c : cases) {
    BitReservoir bits;
    for (int i = 0; i < 600; ++i) bits.PutByte(uint8_t(i * 37 + 11));
    Layer3GranuleInfo g = LongGranule();
    g.bigValues = 288;
    g.region0Count = c.region0;
    g.region1Count = c.region1;
    for (int r = 0; r < 3; ++r) g.tableSelect[r] = c.tables[r];
    Layer3Channel ch = {};
    // part2_3_length longer than the data: the granule ends with the data.
    const int64_t end = 600 * 8;
    EXPECT_EQ(DecodeSpectrum(bits, g, bands, end, ch), c.decodable);
    EXPECT_LE(ch.nonZero, 576);
    EXPECT_EQ(bits.BitPosition(), end);
    if (!c.decodable) {
      EXPECT_EQ(ch.nonZero, 0);
      for (int v : ch.codes) ASSERT_EQ(v, 0);
    }
  }
}

TEST(Layer3Spectrum, Count1QuadrupleRunningPastTheGranuleIsDropped) {
  // Table B: code 0000 is (1, 1, 1, 1), followed by four sign bits.
  struct Case {
    int endBits;
    int nonZero;
  } cases[] = {{6, 0}, {8, 4}, {12, 4}};
  for (const Case& c : cases) {
    BitReservoir bits;
    const uint8_t data[] = {0x05, 0x00, 0x00};  // code 0000, signs + - + -
    bits.PutBytes(data, 3);
    Layer3GranuleInfo g = LongGranule();
    g.count1Table = 1;
    Layer3Channel ch = {};
    EXPECT_TRUE(DecodeSpectrum(bits, g, kScaleFactorBands[3], c.endBits, ch));
    EXPECT_EQ(ch.nonZero, c.nonZero) << c.endBits;
    EXPECT_EQ(bits.BitPosition(), c.endBits);
    if (c.nonZero) {
      EXPECT_EQ(ch.codes[0], 1);
      EXPECT_EQ(ch.codes[1], -1);
      EXPECT_EQ(ch.codes[2], 1);
      EXPECT_EQ(ch.codes[3], -1);
    }
  }
}

TEST(Layer3ScaleFactors, ScfsiKeepsTheFirstGranulesGroups) {
  Layer3GranuleInfo g = LongGranule();
  g.scalefacCompress = 15;  // slen 4 and 3
  BitWriter w;
  for (int sfb = 0; sfb < 21; ++sfb) w.Put(sfb % 8, sfb < 11 ? 4 : 3);
  BitReservoir bits;
  bits.PutBytes(w.Bytes().data(), 64);
  Layer3Channel ch = {};
  ReadScaleFactorsMpeg1(bits, g, 0xF, 0, ch);  // granule 0 always reads
  EXPECT_EQ(bits.BitPosition(), 11 * 4 + 10 * 3);
  for (int sfb = 0; sfb < 21; ++sfb) EXPECT_EQ(ch.scaleLong[sfb], sfb % 8);

  // Granule 1, every group kept: no bit is read.
  ReadScaleFactorsMpeg1(bits, g, 0xF, 1, ch);
  EXPECT_EQ(bits.BitPosition(), 11 * 4 + 10 * 3);
  for (int sfb = 0; sfb < 21; ++sfb) EXPECT_EQ(ch.scaleLong[sfb], sfb % 8);

  // Groups 1 and 3 (bands 6-10, 16-20) kept, 0 and 2 read anew as 1s.
  BitReservoir ones;
  for (int i = 0; i < 8; ++i) ones.PutByte(0xFF);
  ReadScaleFactorsMpeg1(ones, g, 0x5, 1, ch);
  EXPECT_EQ(ones.BitPosition(), 6 * 4 + 5 * 3);
  for (int sfb = 0; sfb < 21; ++sfb) {
    bool kept = (sfb >= 6 && sfb <= 10) || sfb >= 16;
    EXPECT_EQ(ch.scaleLong[sfb], kept ? sfb % 8 : (sfb < 6 ? 15 : 7)) << sfb;
  }
}

TEST(Layer3ScaleFactors, MixedBlocksFillLongThenShortBands) {
  // Scale factors numbered in transmission order, each of its partition's
  // length; the layout must put them in long bands first, then short
  // bands from band 3 on, window by window.
  struct Case {
    bool lsf;
    int sfc;
    int lengths[4];
    int counts[4];  // scale factors per length
    int longBands;
  } cases[] = {
      {false, 12, {3, 2, 0, 0}, {8 + 9, 18, 0, 0}, 8},  // slen 3 and 2
      {true, 125, {1, 2, 3, 1}, {6, 9, 9, 9}, 6},       // LSF partitions, table 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lsf ? "lsf" : "mpeg1");
    BitWriter w;
    int value = 0;
    std::vector<int> sent, maxima;
    for (int part = 0; part < 4; ++part)
      for (int i = 0; i < c.counts[part]; ++i, ++value) {
        int len = c.lengths[part];
        int v = len ? value % (1 << len) : 0;
        w.Put(uint32_t(v), len);
        sent.push_back(v);
        maxima.push_back((1 << len) - 1);
      }
    BitReservoir bits;
    bits.PutBytes(w.Bytes().data(), 64);
    Layer3GranuleInfo g = LongGranule();
    g.windowSwitching = true;
    g.blockType = 2;
    g.mixedBlock = true;
    g.scalefacCompress = c.sfc;
    Layer3Channel ch = {};
    if (c.lsf)
      ReadScaleFactorsLsf(bits, g, false, ch);
    else
      ReadScaleFactorsMpeg1(bits, g, 0, 0, ch);
    size_t k = 0;
    for (int sfb = 0; sfb < c.longBands; ++sfb, ++k) EXPECT_EQ(ch.scaleLong[sfb], sent[k]) << sfb;
    for (int sfb = 3; sfb < 12; ++sfb) {
      for (int win = 0; win < 3; ++win, ++k)
        EXPECT_EQ(ch.scaleShort[sfb][win], sent[k]) << sfb << " " << win;
      if (c.lsf) {
        EXPECT_EQ(ch.maxShort[sfb], maxima[k - 1]) << sfb;
      }
    }
    EXPECT_EQ(k, sent.size());
    EXPECT_EQ(bits.BitPosition(), w.Bits());
  }
}

TEST(Layer3Requantise, LargestCodesAndMultipliersKeepTheirValues) {
  Layer3GranuleInfo g = LongGranule();
  g.windowSwitching = true;
  g.blockType = 2;
  g.scalefacScale = 1;
  g.subblockGain[0] = 7;
  Layer3Channel ch = {};
  for (auto& band : ch.scaleShort) band[0] = 31;  // an LSF intensity-range factor
  ch.codes[0] = 8206;  // 15 + 8191 with 13 linbits
  ch.codes[1] = -8191;
  ch.nonZero = 2;
  Requantise(g, kScaleFactorBands[0], ch);
  // n = 4 * 7 + (31 << 1) = 90
  const double factor = std::pow(2.0, -45.0);
  EXPECT_NEAR(ch.xr[0], std::pow(8206.0, 4.0 / 3.0) * factor, 1e-6 * std::pow(8206.0, 4.0 / 3.0) * factor);
  EXPECT_NEAR(ch.xr[1], -std::pow(8191.0, 4.0 / 3.0) * factor, 1e-6 * std::pow(8191.0, 4.0 / 3.0) * factor);
  EXPECT_EQ(ch.xr[2], 0.0f);
}

// Left channel all 1.0, right channel silent: every band is intensity coded
// with the right channel's scale factors as positions.
void IntensitySetup(Layer3Channel ch[2]) {
  for (int i = 0; i < 576; ++i) {
    ch[0].xr[i] = 1.0f;
    ch[0].codes[i] = 1;
    ch[1].xr[i] = 0.0f;
    ch[1].codes[i] = 0;
  }
  ch[0].nonZero = 576;
  ch[1].nonZero = 0;
}

TEST(Layer3Stereo, Mpeg1IntensityPositions) {
  Layer3Channel ch[2] = {};
  IntensitySetup(ch);
  const ScaleFactorBands& bands = kScaleFactorBands[3];
  for (int sfb = 0; sfb < 22; ++sfb) ch[1].scaleLong[sfb] = 3;
  ch[1].scaleLong[0] = 0;   // all right
  ch[1].scaleLong[1] = 6;   // all left
  ch[1].scaleLong[2] = 7;   // no intensity: middle/side
  ch[1].scaleLong[20] = 6;  // the last band follows band 20
  Layer3GranuleInfo right = LongGranule();
  Layer3StereoProcess(true, 3, right, bands, ch);
  const float h = 0.70710677f;
  struct Expect {
    int line;
    float left, right;
  } expect[] = {{0, 0.0f, 1.0f},  {4, 1.0f, 0.0f}, {8, h, h},
                {12, 0.5f, 0.5f}, {400, 1.0f, 0.0f}, {575, 1.0f, 0.0f}};
  for (const Expect& e : expect) {
    EXPECT_NEAR(ch[0].xr[e.line], e.left, 1e-6) << e.line;
    EXPECT_NEAR(ch[1].xr[e.line], e.right, 1e-6) << e.line;
  }
}

TEST(Layer3Stereo, LsfIntensityPositionsAndTheirNoneValue) {
  Layer3Channel ch[2] = {};
  IntensitySetup(ch);
  const ScaleFactorBands& bands = kScaleFactorBands[0];
  for (int sfb = 0; sfb < 21; ++sfb) {
    ch[1].scaleLong[sfb] = 0;
    ch[1].maxLong[sfb] = 7;  // three-bit partition
  }
  ch[1].maxLong[21] = -1;
  ch[1].scaleLong[1] = 3;  // odd: left scaled
  ch[1].scaleLong[2] = 4;  // even: right scaled
  ch[1].scaleLong[3] = 7;  // the partition's top value: no intensity
  ch[1].scaleLong[20] = 1;
  Layer3GranuleInfo right = LongGranule();
  right.scalefacCompress = 1;  // intensity_scale 1: steps of 2^-1/2
  Layer3StereoProcess(false, 1, right, bands, ch);
  struct Expect {
    int line;
    float left, right;
  } expect[] = {{0, 1.0f, 1.0f},   {6, 0.5f, 1.0f},     {12, 1.0f, 0.5f},
                {18, 1.0f, 0.0f},  {500, 0.70710677f, 1.0f}, {575, 0.70710677f, 1.0f}};
  for (const Expect& e : expect) {
    EXPECT_NEAR(ch[0].xr[e.line], e.left, 1e-6) << e.line;
    EXPECT_NEAR(ch[1].xr[e.line], e.right, 1e-6) << e.line;
  }
}

TEST(Layer3Hybrid, SkippingSilentSubbandsChangesNothing) {
  struct Case {
    int blockType;
    bool mixed;
    int nonZero;
  } cases[] = {{0, false, 1},  {0, false, 11}, {0, false, 18}, {0, false, 100},
               {2, false, 5},  {2, false, 40}, {2, true, 17},  {2, true, 30},
               {2, true, 60},  {1, false, 20}, {3, false, 200}};
  const ScaleFactorBands& bands = kScaleFactorBands[3];
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.blockType << (c.mixed ? " mixed " : " ") << c.nonZero);
    Layer3GranuleInfo g = LongGranule();
    g.windowSwitching = c.blockType != 0;
    g.blockType = c.blockType;
    g.mixedBlock = c.mixed;
    float xr[2][576] = {}, overlap[2][576];
    for (int i = 0; i < c.nonZero; ++i) xr[0][i] = xr[1][i] = float((i * 7919) % 13) - 6.0f;
    for (int i = 0; i < 576; ++i) overlap[0][i] = overlap[1][i] = float(i % 5);
    float fast[18][32], full[18][32];
    Layer3HybridSynthesis(g, bands, xr[0], c.nonZero, overlap[0], fast);
    Layer3HybridSynthesis(g, bands, xr[1], 576, overlap[1], full);
    for (int t = 0; t < 18; ++t)
      for (int sb = 0; sb < 32; ++sb) ASSERT_EQ(fast[t][sb], full[t][sb]) << t << " " << sb;
    for (int i = 0; i < 576; ++i) ASSERT_EQ(overlap[0][i], overlap[1][i]) << i;
  }
}

// Long blocks as the standard writes them, in double precision: alias
// butterflies, the 36-point IMDCT, window, overlap, frequency inversion.
void DirectLongGranule(int blockType, const float* in, double overlap[32][18],
                       double out[18][32]) {
  const double pi = 3.14159265358979323846;
  double xr[576];
  for (int i = 0; i < 576; ++i) xr[i] = in[i];
  for (int sb = 1; sb < 32; ++sb)
    for (int i = 0; i < 8; ++i) {
      double a = xr[18 * sb - 1 - i], b = xr[18 * sb + i];
      xr[18 * sb - 1 - i] = a * kAliasCs[i] - b * kAliasCa[i];
      xr[18 * sb + i] = b * kAliasCs[i] + a * kAliasCa[i];
    }
  const float* win = Layer3Constants::Get().window[blockType];
  for (int sb = 0; sb < 32; ++sb) {
    double z[36];
    for (int i = 0; i < 36; ++i) {
      double sum = 0;
      for (int k = 0; k < 18; ++k) sum += xr[18 * sb + k] * std::cos(pi / 72 * (2 * i + 19) * (2 * k + 1));
      z[i] = sum * win[i];
    }
    for (int i = 0; i < 18; ++i) {
      double t = z[i] + overlap[sb][i];
      overlap[sb][i] = z[18 + i];
      out[i][sb] = (sb & 1) && (i & 1) ? -t : t;
    }
  }
}

TEST(Layer3Hybrid, LongBlocksFollowTheStandardsFormulas) {
  // Types 0, 1, 3 one after another, every subband busy, so that the
  // overlap of one type carries into the next.
  const ScaleFactorBands& bands = kScaleFactorBands[3];
  float overlap[576] = {};
  double directOverlap[32][18] = {};
  srand(5);
  for (int blockType : {0, 1, 3, 0}) {
    SCOPED_TRACE(blockType);
    Layer3GranuleInfo g = LongGranule();
    g.windowSwitching = blockType != 0;
    g.blockType = blockType;
    float xr[576];
    for (float& v : xr) v = (rand() / float(RAND_MAX)) * 2 - 1;
    double expect[18][32];
    DirectLongGranule(blockType, xr, directOverlap, expect);
    float got[18][32];
    Layer3HybridSynthesis(g, bands, xr, 576, overlap, got);
    for (int t = 0; t < 18; ++t)
      for (int sb = 0; sb < 32; ++sb) ASSERT_NEAR(got[t][sb], expect[t][sb], 2e-5) << t << " " << sb;
  }
}

TEST(Layer3Hybrid, MixedBlockIsLongBelowLine36AndShortAbove) {
  const ScaleFactorBands& bands = kScaleFactorBands[3];
  auto run = [&](int blockType, bool mixed, int from, int to, float out[18][32]) {
    Layer3GranuleInfo g = LongGranule();
    g.windowSwitching = blockType != 0;
    g.blockType = blockType;
    g.mixedBlock = mixed;
    float xr[576] = {}, overlap[576] = {};
    for (int i = from; i < to; ++i) xr[i] = float((i * 31) % 11) - 5.0f;
    Layer3HybridSynthesis(g, bands, xr, 576, overlap, out);
  };
  float mixed[18][32], other[18][32];
  // Lines 0-27: a long block (no butterfly of boundary 2 reaches them).
  run(2, true, 0, 28, mixed);
  run(0, false, 0, 28, other);
  for (int t = 0; t < 18; ++t)
    for (int sb = 0; sb < 32; ++sb) ASSERT_FLOAT_EQ(mixed[t][sb], other[t][sb]) << t << " " << sb;
  // Lines 36 and up: a short block.
  run(2, true, 36, 576, mixed);
  run(2, false, 36, 576, other);
  for (int t = 0; t < 18; ++t)
    for (int sb = 0; sb < 32; ++sb) ASSERT_FLOAT_EQ(mixed[t][sb], other[t][sb]) << t << " " << sb;
}

}  // namespace
