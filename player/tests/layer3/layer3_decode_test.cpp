// Layer III files made by the encoder from known signals, decoded and
// compared with the encoder's input.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>

#include "FrameReader.h"
#include "Layer12Subband.h"
#include "Layer3Decoder.h"
#include "Layer3TestSupport.h"
#include "SynthesisFilterBank.h"

namespace {

struct Config {
  const char* name;
  int channels;
  int rate;
  double floorDb;  // per channel, a little below the first measurement
};

const Config kConfigs[] = {
    {"cbr128_joint", 2, 44100, 21.5},  {"ms_forced", 2, 44100, 21.5},
    {"cbr192_stereo", 2, 44100, 24.5}, {"cbr320_music", 2, 44100, 30.5},
    {"cbr320_tones", 2, 44100, 63.0},  {"vbr_joint", 2, 44100, 28.5},
    {"cbr64_mono", 1, 44100, 20.5},    {"crc_joint48", 2, 48000, 22.0},
    {"cbr96_joint32", 2, 32000, 22.0}, {"lsf_joint22", 2, 22050, 20.0},
    {"lsf_mono24", 1, 24000, 21.0},    {"lsf_stereo16", 2, 16000, 18.0},
};

// Lag of the decoded file against the encoder's input, by correlation of
// the first channel.
int Delay(const testkit::Pcm& reference, const Layer3File& d) {
  std::vector<float> out(d.sink.pcm[0].begin(), d.sink.pcm[0].end());
  return testkit::FindDelay(reference.Channel(0), out, 3000);
}

double ChannelSnr(const testkit::Pcm& reference, const Layer3File& d, int ch, int delay) {
  std::vector<float> out(d.sink.pcm[ch].begin(), d.sink.pcm[ch].end());
  return testkit::Snr(reference.Channel(ch), out, delay, 0);
}

TEST(Layer3Decode, EveryConfigurationReproducesTheEncodersInput) {
  for (const Config& c : kConfigs) {
    SCOPED_TRACE(c.name);
    testkit::Pcm reference = ReadRawPcm(std::string(c.name) + ".raw", c.channels, c.rate);
    ASSERT_GT(reference.Frames(), 0u);
    Layer3File d;
    DecodeLayer3File(std::string(c.name) + ".mp3", d);
    ASSERT_TRUE(d.opened);
    EXPECT_EQ(d.channels, c.channels);
    EXPECT_EQ(d.rate, c.rate);
    // One granule of 576 lines per frame for LSF, two for MPEG-1.
    const size_t perFrame = c.rate < 32000 ? 576 : 1152;
    EXPECT_EQ(d.sink.pcm[0].size(), perFrame * d.sink.frames);
    EXPECT_EQ(d.sink.pcm[1].size(), c.channels == 2 ? perFrame * d.sink.frames : 0u);
    EXPECT_GE(d.sink.frames, d.frames - 2);

    int delay = Delay(reference, d);
    for (int ch = 0; ch < c.channels; ++ch) {
      double snr = ChannelSnr(reference, d, ch, delay);
      std::printf("%-14s delay %4d channel %d: %.2f dB\n", c.name, delay, ch, snr);
      EXPECT_GE(snr, c.floorDb) << "channel " << ch;
    }
  }
}

TEST(Layer3Decode, ToneInTheLeftChannelStaysThere) {
  testkit::Pcm reference = ReadRawPcm("left_only.raw", 2, 44100);
  Layer3File d;
  DecodeLayer3File("left_only.mp3", d);
  ASSERT_EQ(d.channels, 2);
  double snr = ChannelSnr(reference, d, 0, Delay(reference, d));
  std::printf("left_only: left %.2f dB\n", snr);
  EXPECT_GE(snr, 24.0);
  int peak = 0;
  for (int16_t s : d.sink.pcm[1]) peak = std::max(peak, std::abs(int(s)));
  EXPECT_LE(peak, 2) << "the right channel must stay silent";
}

TEST(Layer3Decode, HighToneDoesNotLeakIntoOtherBands) {
  // A tone at 0.4 of the rate sits in subband 25; wrong alias reduction or
  // windows spread it into its neighbours and the result falls apart.
  testkit::Pcm reference = ReadRawPcm("high_tone.raw", 2, 44100);
  Layer3File d;
  DecodeLayer3File("high_tone.mp3", d);
  int delay = Delay(reference, d);
  for (int ch = 0; ch < 2; ++ch) {
    double snr = ChannelSnr(reference, d, ch, delay);
    std::printf("high_tone: channel %d %.2f dB\n", ch, snr);
    EXPECT_GE(snr, 27.5);
  }
  std::vector<float> out(d.sink.pcm[0].begin(), d.sink.pcm[0].end());
  double tone = testkit::ToneLevel(out, 44100, 17640);
  for (double hz : {1000.0, 4410.0, 13230.0})
    EXPECT_LT(testkit::ToneLevel(out, 44100, hz), tone * 0.01) << hz;
}

// main_data_begin of the frame the reader holds (MPEG-1: 9 bits).
int MainDataBegin(const FrameReader& reader, const FrameHeader& header) {
  const uint8_t* p = reader.Body() + reader.BitPosition() / 8;
  return header.version == 1 ? (p[0] << 1) | (p[1] >> 7) : p[0];
}

TEST(Layer3Decode, AfterResetFramesPointingBeforeItGiveNoOutput) {
  FrameReader reader("cbr128_joint.mp3");
  FrameHeader header;
  ASSERT_TRUE(reader.ReadHeader(header));
  SynthesisFilterBank f0(0, 32768.0f), f1(1, 32768.0f);
  testkit::CaptureSink sink;
  Layer3Decoder decoder(&reader, &header, &f0, &f1, &sink, kBothChannels);
  // Decode into the stream, then reset at a frame that uses the reservoir.
  int frame = 0;
  for (; frame < 20 || MainDataBegin(reader, header) == 0; ++frame) {
    decoder.DecodeFrame();
    ASSERT_TRUE(reader.ReadHeader(header));
  }
  ASSERT_EQ(sink.frames, frame);
  decoder.Reset();
  decoder.DecodeFrame();
  EXPECT_EQ(sink.frames, frame) << "a frame whose data came before the reset";
  int received = header.mainDataSize;
  // Later frames decode again as soon as their data is in the reservoir.
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(reader.ReadHeader(header));
    int before = sink.frames;
    bool expectOutput = MainDataBegin(reader, header) <= received;
    decoder.DecodeFrame();
    EXPECT_EQ(sink.frames - before, expectOutput ? 1 : 0) << i;
    received += header.mainDataSize;
  }
  EXPECT_GT(sink.frames, frame);
}

TEST(Layer3Decode, ResetDecodesAsAFreshDecoderWould) {
  // Decoder a runs 30 frames, is reset as at a seek and goes on; decoder b
  // starts at the same frame. Both give the same samples.
  FrameReader ra("cbr128_joint.mp3"), rb("cbr128_joint.mp3");
  FrameHeader ha, hb;
  ASSERT_TRUE(ra.ReadHeader(ha));
  ASSERT_TRUE(rb.ReadHeader(hb));
  SynthesisFilterBank a0(0, 32768.0f), a1(1, 32768.0f), b0(0, 32768.0f), b1(1, 32768.0f);
  testkit::CaptureSink sa, sb;
  Layer3Decoder a(&ra, &ha, &a0, &a1, &sa, kBothChannels);
  for (int i = 0; i < 30; ++i) {
    a.DecodeFrame();
    ASSERT_TRUE(ra.ReadHeader(ha));
    ASSERT_TRUE(rb.ReadHeader(hb));
  }
  a.Reset();
  a0.Reset();
  a1.Reset();
  sa.pcm[0].clear();
  sa.pcm[1].clear();
  Layer3Decoder b(&rb, &hb, &b0, &b1, &sb, kBothChannels);
  for (int i = 0; i < 30; ++i) {
    a.DecodeFrame();
    b.DecodeFrame();
    ASSERT_TRUE(ra.ReadHeader(ha));
    ASSERT_TRUE(rb.ReadHeader(hb));
  }
  ASSERT_GT(sb.pcm[0].size(), 0u);
  EXPECT_EQ(sa.pcm[0], sb.pcm[0]);
  EXPECT_EQ(sa.pcm[1], sb.pcm[1]);
}

TEST(Layer3Decode, MutatedFilesNeitherCrashNorHang) {
  const char* files[] = {"cbr128_joint.mp3", "vbr_joint.mp3", "lsf_joint22.mp3",
                         "cbr64_mono.mp3", "crc_joint48.mp3"};
  std::mt19937 rng(12345);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(40);
  int runs = 0;
  for (int round = 0; round < 40 && std::chrono::steady_clock::now() < deadline; ++round) {
    for (const char* name : files) {
      std::vector<uint8_t> bytes = testkit::ReadFile(name);
      ASSERT_FALSE(bytes.empty());
      // Every round a denser mutation.
      std::uniform_int_distribution<size_t> at(0, bytes.size() - 1);
      const int flips = 5 + round * 15;
      for (int i = 0; i < flips; ++i) bytes[at(rng)] ^= uint8_t(1 + rng() % 255);
      ASSERT_TRUE(testkit::WriteFile("mutated.mp3", bytes.data(), bytes.size()));
      Layer3File d;
      DecodeLayer3File("mutated.mp3", d);
      for (const auto& s : d.sink.pcm) EXPECT_LE(s.size(), size_t(d.frames) * 1152);
      ++runs;
    }
  }
  EXPECT_GE(runs, 5);
}

}  // namespace
