// The synthesis filter bank: its fast DCT, its window (proved by
// reconstruction through the matching analysis filter bank) and its output
// conversion.
#include <gtest/gtest.h>
#include <math.h>

#include "SynthesisFilterBank.h"
#include "TestKit.h"

using testkit::AnalysisFilter;
using testkit::CaptureSink;

TEST(Synthesis, FastDctEqualsTheDirectFormula) {
  srand(7);
  for (int round = 0; round < 50; ++round) {
    float in[32], out[32];
    for (float& v : in) v = (rand() / float(RAND_MAX)) * 2 - 1;
    SynthesisFilterBank::Dct32(in, out);
    for (int k = 0; k < 32; ++k) {
      double direct = 0;
      for (int n = 0; n < 32; ++n) direct += in[n] * cos(k * (2 * n + 1) * 3.14159265358979 / 64);
      EXPECT_NEAR(out[k], direct, 2e-5) << "k=" << k;
    }
  }
}

// The standard's synthesis in double precision: V FIFO, U, window, sums.
class DirectSynthesis {
 public:
  void Push(const float* in, double* out) {
    for (int i = 1023; i >= 64; --i) v_[i] = v_[i - 64];
    for (int i = 0; i < 64; ++i) {
      double s = 0;
      for (int k = 0; k < 32; ++k) s += cos((16 + i) * (2 * k + 1) * 3.14159265358979 / 64) * in[k];
      v_[i] = s;
    }
    for (int j = 0; j < 32; ++j) {
      double s = 0;
      for (int i = 0; i < 8; ++i)
        s += SynthesisFilterBank::kWindow[64 * i + j] * v_[128 * i + j] +
             SynthesisFilterBank::kWindow[64 * i + 32 + j] * v_[128 * i + 96 + j];
      out[j] = s;
    }
  }

 private:
  double v_[1024] = {};
};

TEST(Synthesis, WindowReconstructsThroughTheMatchingAnalysis) {
  // Analysis with C = D / 32 and synthesis with D, both in double precision.
  const int n = 32 * 600;
  std::vector<float> x(n);
  srand(3);
  for (int i = 0; i < n; ++i)
    x[i] = 0.5f * sinf(i * 0.0137f) + 0.3f * sinf(i * 0.291f) + 0.15f * sinf(i * 1.77f) +
           0.03f * ((rand() / float(RAND_MAX)) * 2 - 1);
  AnalysisFilter analysis;
  DirectSynthesis direct;
  SynthesisFilterBank fast(0, 32768.0f);
  CaptureSink sink;
  std::vector<float> out;
  int worst = 0;
  for (int b = 0; b < n / 32; ++b) {
    float sub[32];
    double block[32];
    analysis.Push(&x[b * 32], sub);
    for (int k = 0; k < 32; ++k) fast.input[k] = sub[k];
    fast.ComputePcm(sink);
    direct.Push(sub, block);
    for (int j = 0; j < 32; ++j) {
      out.push_back(static_cast<float>(block[j]));
      int expected = static_cast<int>(lround(block[j] * 32768.0));
      worst = std::max(worst, std::abs(sink.pcm[0][b * 32 + j] - expected));
    }
  }
  int lag = testkit::FindDelay(x, out, 600);
  EXPECT_EQ(lag, 481);
  EXPECT_GT(testkit::Snr(x, out, lag, 1024), 90.0);
  // The fast filter gives the direct formula's samples.
  EXPECT_LE(worst, 1);
}

TEST(Synthesis, OutputIsClippedAndRoundedHalfAwayFromZero) {
  struct Case {
    float in;
    int out;
  } cases[] = {{40000.0f, 32767}, {-40000.0f, -32768}, {0.5f, 1},         {-0.5f, -1},
               {1.49f, 1},        {-2.5f, -3},         {32767.4f, 32767}, {-32768.4f, -32768},
               {NAN, 32767},      {0.0f, 0}};
  for (const Case& c : cases) EXPECT_EQ(ToPcm16(c.in), c.out) << c.in;

  // The filter converts 32 at a time: the same values, wherever they stand
  // in the block, and values near every rounding edge.
  float block[32];
  int16_t converted[32];
  for (int shift = 0; shift < 32; ++shift) {
    for (int j = 0; j < 32; ++j) block[(j + shift) % 32] = cases[j % 10].in;
    SynthesisFilterBank::ToPcm16Block(block, converted);
    for (int j = 0; j < 32; ++j) EXPECT_EQ(converted[j], ToPcm16(block[j])) << block[j];
  }
  srand(11);
  for (int round = 0; round < 200; ++round) {
    for (float& v : block) {
      // A half, or the float just below or above it.
      v = floorf((rand() / float(RAND_MAX)) * 80000 - 40000) + 0.5f;
      int side = rand() % 3;
      if (side) v = nextafterf(v, side == 1 ? -INFINITY : INFINITY);
    }
    SynthesisFilterBank::ToPcm16Block(block, converted);
    for (int j = 0; j < 32; ++j) ASSERT_EQ(converted[j], ToPcm16(block[j])) << block[j];
  }

  // A steady input that would give 40000 comes out as 32767.
  AnalysisFilter analysis;
  SynthesisFilterBank synthesis(0, 40000.0f);
  CaptureSink sink;
  float dc[32];
  for (float& v : dc) v = 1.0f;
  for (int b = 0; b < 40; ++b) {
    analysis.Push(dc, synthesis.input);
    synthesis.ComputePcm(sink);
  }
  EXPECT_EQ(sink.pcm[0].back(), 32767);
}

TEST(Synthesis, ResetForgetsEarlierBlocks) {
  SynthesisFilterBank synthesis(1, 32768.0f);
  CaptureSink sink;
  for (int b = 0; b < 20; ++b) {
    for (int k = 0; k < 32; ++k) synthesis.input[k] = 0.3f * sinf(b * 0.7f + k);
    synthesis.ComputePcm(sink);
  }
  synthesis.Reset();
  sink.pcm[1].clear();
  synthesis.ComputePcm(sink);
  ASSERT_EQ(sink.pcm[1].size(), 32u);
  for (int16_t v : sink.pcm[1]) EXPECT_EQ(v, 0);
}
