// Layers I and II decoded against the encoder's input: the delay is found
// by correlation, then each configuration must reach its signal-to-noise
// floor (a wrong table falls to a few dB), and tones show the channel order.
#include <gtest/gtest.h>
#include <math.h>

#include <string>

#include "Layer12Tables.h"
#include "TestKit.h"

using testkit::CaptureSink;
using testkit::MakeSignal;
using testkit::Pcm;

namespace {

Pcm Music(int rate, int channels, double seconds = 1.5) {
  std::vector<std::vector<testkit::Tone>> tones = {{{440, 0.3}, {1500, 0.1}},
                                                   {{1000, 0.3}, {2200, 0.1}}};
  tones.resize(channels);
  return MakeSignal(rate, seconds, tones);
}

struct Measured {
  double snr[2] = {0, 0};
  int lag = 0;
};

Measured Compare(const Pcm& in, const CaptureSink& sink, int maxLag) {
  Measured m;
  std::vector<float> out0(sink.pcm[0].begin(), sink.pcm[0].end());
  m.lag = testkit::FindDelay(in.Channel(0), out0, maxLag);
  for (int c = 0; c < in.channels; ++c) {
    std::vector<float> out(sink.pcm[c].begin(), sink.pcm[c].end());
    m.snr[c] = testkit::Snr(in.Channel(c), out, m.lag, 2000);
  }
  return m;
}

void ExpectChannelOrder(const Pcm& in, const CaptureSink& sink) {
  std::vector<float> left(sink.pcm[0].begin(), sink.pcm[0].end());
  std::vector<float> right(sink.pcm[1].begin(), sink.pcm[1].end());
  EXPECT_GT(testkit::ToneLevel(left, in.rate, 440), 10 * testkit::ToneLevel(right, in.rate, 440));
  EXPECT_GT(testkit::ToneLevel(right, in.rate, 1000), 10 * testkit::ToneLevel(left, in.rate, 1000));
}

}  // namespace

struct Layer2Case {
  const char* name;
  int rate, channels;
  char mode;
  int kbits;
  const char* extra;
  double floor;
};

class Layer2Decode : public testing::TestWithParam<Layer2Case> {};

TEST_P(Layer2Decode, ReachesItsSignalToNoiseFloor) {
  const Layer2Case& c = GetParam();
  Pcm in = Music(c.rate, c.channels);
  std::string path = std::string(c.name) + ".mp2";
  ASSERT_TRUE(testkit::EncodeLayer2(in, path, c.mode, c.kbits, c.extra));
  CaptureSink sink;
  FileDecodeReport r = DecodeFile(path.c_str(), sink);
  ASSERT_GT(r.decoded, 10);
  EXPECT_EQ(r.crcMismatches, 0);
  EXPECT_EQ(r.first.Channels(), c.channels);
  EXPECT_EQ(r.first.SamplingRate(), c.rate);
  EXPECT_EQ(sink.pcm[0].size(), size_t(r.decoded) * 1152);
  if (c.channels == 1) {
    EXPECT_TRUE(sink.pcm[1].empty());
  }
  Measured m = Compare(in, sink, 3000);
  for (int ch = 0; ch < c.channels; ++ch) {
    RecordProperty("snr" + std::to_string(ch), std::to_string(m.snr[ch]));
    printf("%s channel %d: lag %d, %.1f dB\n", c.name, ch, m.lag, m.snr[ch]);
    EXPECT_GT(m.snr[ch], c.floor) << "channel " << ch;
  }
  if (c.channels == 2) ExpectChannelOrder(in, sink);
}

INSTANTIATE_TEST_SUITE_P(
    Twolame, Layer2Decode,
    testing::Values(Layer2Case{"stereo44_192", 44100, 2, 's', 192, "", 63},
                    Layer2Case{"stereo44_crc_pad", 44100, 2, 's', 256, "-p -d", 70},
                    Layer2Case{"mono48_64", 48000, 1, 'm', 64, "", 70},
                    Layer2Case{"mono32_48", 32000, 1, 'm', 48, "", 52},
                    Layer2Case{"mono44_32", 44100, 1, 'm', 32, "", 39},
                    Layer2Case{"joint48_128", 48000, 2, 'j', 128, "", 60},
                    Layer2Case{"dual44_256", 44100, 2, 'd', 256, "", 70},
                    Layer2Case{"lsf22_stereo64", 22050, 2, 's', 64, "", 48},
                    Layer2Case{"lsf24_mono48", 24000, 1, 'm', 48, "-p", 51},
                    Layer2Case{"lsf16_joint32", 16000, 2, 'j', 32, "", 25}),
    [](const testing::TestParamInfo<Layer2Case>& i) { return std::string(i.param.name); });

struct Layer1Case {
  const char* name;
  int version, rateIndex, bitRateIndex, mode, modeExtension;
  double floor;
};

class Layer1Decode : public testing::TestWithParam<Layer1Case> {};

TEST_P(Layer1Decode, ReachesItsSignalToNoiseFloor) {
  const Layer1Case& c = GetParam();
  const int rates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};
  int rate = rates[c.version][c.rateIndex];
  int channels = c.mode == 3 ? 1 : 2;
  Pcm in = Music(rate, channels);
  if (c.mode == 1)  // joint stereo: the right channel is the left at half level
    for (size_t i = 0; i < in.Frames(); ++i) in.samples[2 * i + 1] = in.samples[2 * i] / 2;
  testkit::Layer1Options o;
  o.version = c.version;
  o.samplingRateIndex = c.rateIndex;
  o.bitRateIndex = c.bitRateIndex;
  o.mode = c.mode;
  o.modeExtension = c.modeExtension;
  std::vector<uint8_t> file = testkit::WriteLayer1(in, o);
  std::string path = std::string(c.name) + ".mp1";
  ASSERT_TRUE(testkit::WriteFile(path, file.data(), file.size()));
  CaptureSink sink;
  FileDecodeReport r = DecodeFile(path.c_str(), sink);
  ASSERT_EQ(size_t(r.decoded), in.Frames() / 384);
  EXPECT_EQ(sink.pcm[0].size(), size_t(r.decoded) * 384);
  if (channels == 1) {
    EXPECT_TRUE(sink.pcm[1].empty());
  }
  Measured m = Compare(in, sink, 1000);
  EXPECT_EQ(m.lag, 481);
  for (int ch = 0; ch < channels; ++ch) {
    printf("%s channel %d: lag %d, %.1f dB\n", c.name, ch, m.lag, m.snr[ch]);
    EXPECT_GT(m.snr[ch], c.floor) << "channel " << ch;
  }
  if (c.mode == 0) ExpectChannelOrder(in, sink);
}

INSTANTIATE_TEST_SUITE_P(
    FrameWriter, Layer1Decode,
    testing::Values(Layer1Case{"stereo48_384", 1, 1, 12, 0, 0, 77},
                    Layer1Case{"mono32_256", 1, 2, 8, 3, 0, 78},
                    Layer1Case{"intensity48_from4", 1, 1, 10, 1, 0, 74},
                    Layer1Case{"lsf24_stereo256", 0, 1, 14, 0, 0, 78}),
    [](const testing::TestParamInfo<Layer1Case>& i) { return std::string(i.param.name); });

TEST(Layer12Tables, ScaleFactorsAndGroupedCodesStayInsideTheirTables) {
  EXPECT_FLOAT_EQ(layer12::kScaleFactors[0], 2.0f);
  EXPECT_FLOAT_EQ(layer12::kScaleFactors[3], 1.0f);
  EXPECT_NEAR(layer12::kScaleFactors[62], 2.0 * pow(2.0, -62 / 3.0), 1e-12);
  EXPECT_EQ(layer12::kScaleFactors[63], 0.0f);  // unused index: silence
  // Grouped classes: every code the bits can hold has three values; codes
  // past levels^3 are silence. Code 5 of the 3-level class is digits 2, 1, 0.
  struct Case {
    int cls, levels, bits;
  } cases[] = {{0, 3, 5}, {1, 5, 7}, {3, 9, 10}};
  for (const Case& c : cases) {
    const layer12::QuantClass& q = layer12::Layer2Class(c.cls);
    ASSERT_NE(q.grouped, nullptr);
    EXPECT_EQ(q.levels, c.levels);
    EXPECT_EQ(q.bits, c.bits);
    int valid = c.levels * c.levels * c.levels;
    for (int code = valid; code < (1 << c.bits); ++code)
      for (int k = 0; k < 3; ++k) EXPECT_EQ(q.grouped[code * 3 + k], 0.0f);
    EXPECT_FLOAT_EQ(q.grouped[(valid - 1) * 3], q.grouped[(valid - 1) * 3 + 2]);
  }
  const layer12::QuantClass& three = layer12::Layer2Class(0);
  EXPECT_FLOAT_EQ(three.grouped[5 * 3 + 0], 2.0f / 3.0f);
  EXPECT_FLOAT_EQ(three.grouped[5 * 3 + 1], 0.0f);
  EXPECT_FLOAT_EQ(three.grouped[5 * 3 + 2], -2.0f / 3.0f);
}
