// Decoding whole files into a sink and into interleaved PCM in memory.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "FileDecoder.h"
#include "TestKit.h"
#include "UserMessage.h"

namespace {

std::vector<float> Floats(const std::vector<int16_t>& v, size_t from = 0, size_t count = SIZE_MAX) {
  from = std::min(from, v.size());
  count = std::min(count, v.size() - from);
  return std::vector<float>(v.begin() + from, v.begin() + from + count);
}

// A Layer II single-channel file made once per run.
const char* MonoLayer2() {
  static bool made = false;
  if (!made) {
    testkit::Pcm pcm = testkit::MakeSignal(44100, 1.0, {{{440, 0.3}, {3000, 0.1}}});
    made = testkit::EncodeLayer2(pcm, "mono.mp2", 'm', 96);
  }
  return "mono.mp2";
}

TEST(FileDecode, StreamChangingLayerDecodesEveryPart) {
  // Layer III, then Layer II, then the same Layer III file again.
  testkit::CaptureSink l3, l2, all;
  FileDecodeReport a = DecodeFile("cbr128_joint.mp3", l3);
  FileDecodeReport b = DecodeFile("layer2.mp2", l2);
  FileDecodeReport r = DecodeFile("layer_change.mp3", all);
  ASSERT_GT(a.frames, 20);
  ASSERT_GT(b.frames, 20);
  ASSERT_EQ(b.first.layer, 2);
  EXPECT_EQ(r.first.layer, 3);
  EXPECT_EQ(r.rate, 44100);
  EXPECT_EQ(r.channels, 2);
  EXPECT_EQ(r.frames, 2 * a.frames + b.frames);
  EXPECT_EQ(r.decoded, r.frames);
  EXPECT_EQ(r.crcMismatches + r.failed, 0);

  const size_t nA = l3.pcm[0].size(), nB = l2.pcm[0].size();
  ASSERT_EQ(all.pcm[0].size(), 2 * nA + nB);
  ASSERT_EQ(all.pcm[1].size(), 2 * nA + nB);
  for (int ch = 0; ch < 2; ++ch) {
    SCOPED_TRACE(ch);
    EXPECT_EQ(std::vector<int16_t>(all.pcm[ch].begin(), all.pcm[ch].begin() + nA), l3.pcm[ch]);
    // The Layer II part starts with the filters still holding the end of
    // the Layer III part.
    EXPECT_GE(testkit::Snr(Floats(l2.pcm[ch]), Floats(all.pcm[ch], nA, nB), 0, 1000), 40.0);
    // A new Layer III decoder: the second copy decodes as the first.
    EXPECT_GE(testkit::Snr(Floats(l3.pcm[ch]), Floats(all.pcm[ch], nA + nB), 0, 0), 60.0);
  }
}

TEST(FileDecode, InMemoryPcmEqualsTheSinkPath) {
  struct Case {
    const char* path;
    int channels;
  } cases[] = {{"layer_change.mp3", 2}, {"cbr64_mono.mp3", 1}, {MonoLayer2(), 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    testkit::CaptureSink sink;
    FileDecodeReport r = DecodeFile(c.path, sink);
    DecodedPcm pcm = DecodeFileToPcm(c.path);
    ASSERT_GT(r.decoded, 20);
    EXPECT_EQ(r.channels, c.channels);
    EXPECT_EQ(pcm.report.channels, c.channels);
    EXPECT_EQ(pcm.report.rate, 44100);
    EXPECT_EQ(pcm.report.frames, r.frames);
    EXPECT_EQ(pcm.report.decoded, r.decoded);
    // A single-channel stream goes through filter 0 alone.
    if (c.channels == 1) {
      EXPECT_TRUE(sink.pcm[1].empty());
    }
    ASSERT_FALSE(sink.pcm[0].empty());
    EXPECT_EQ(pcm.samples, sink.Interleaved(c.channels, r.rate).samples);
  }
}

TEST(FileDecode, BrokenFilesFailCleanlyOrGiveWhatTheyHold) {
  std::vector<uint8_t> l3 = testkit::ReadFile("cbr128_joint.mp3");
  std::vector<uint8_t> l2 = testkit::ReadFile("layer2.mp2");
  std::vector<uint8_t> change = testkit::ReadFile("layer_change.mp3");
  ASSERT_GT(l3.size(), 4000u);
  ASSERT_GT(l2.size(), 4000u);
  const int whole = DecodeFileToPcm("cbr128_joint.mp3").report.frames;
  const int wholeLayer2 = DecodeFileToPcm("layer2.mp2").report.frames;

  std::mt19937 rng(7);
  std::vector<uint8_t> garbage(65536);
  for (uint8_t& b : garbage) b = uint8_t(rng());
  // Nothing but one frame's header, over and over: every body is headers.
  auto headersOnly = [](const std::vector<uint8_t>& file) {
    std::vector<uint8_t> out;
    while (out.size() < 16384) out.insert(out.end(), file.begin(), file.begin() + 4);
    return out;
  };

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int minFrames, maxFrames;
  } cases[] = {
      {"empty", {}, 0, 0},
      {"one header", std::vector<uint8_t>(l3.begin(), l3.begin() + 4), 0, 0},
      {"garbage", garbage, 0, 8},
      {"Layer II headers only", headersOnly(l2), 5, 100},
      {"Layer III headers only", headersOnly(l3), 5, 100},
      {"cut mid-frame", std::vector<uint8_t>(l3.begin(), l3.begin() + l3.size() / 2 + 101),
       whole / 2 - 2, whole - 1},
      {"cut in the Layer II part",
       std::vector<uint8_t>(change.begin(), change.begin() + l3.size() + 5000), whole + 1,
       whole + wholeLayer2 - 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(testkit::WriteFile("broken.bin", c.bytes.data(), c.bytes.size()));
    DecodedPcm pcm = DecodeFileToPcm("broken.bin");
    const FileDecodeReport& r = pcm.report;
    EXPECT_TRUE(r.opened);
    EXPECT_GE(r.frames, c.minFrames);
    EXPECT_LE(r.frames, c.maxFrames);
    EXPECT_EQ(r.decoded + r.crcMismatches + r.failed, r.frames);
    EXPECT_LE(pcm.samples.size(), size_t(r.decoded) * 1152 * 2);
    if (r.frames > 0) {
      EXPECT_EQ(pcm.samples.size() % r.channels, 0u);
    } else {
      EXPECT_TRUE(pcm.samples.empty());
      EXPECT_EQ(r.channels, 0);
    }
  }

  // The reader reports a file it cannot open, here without a message box.
  SetUserMessagesEnabled(false);
  TakeUserMessages();
  DecodedPcm missing = DecodeFileToPcm("no such file.mp3");
  SetUserMessagesEnabled(true);
  EXPECT_EQ(TakeUserMessages(), "Invalid handle: Error opening file: no such file.mp3");
  EXPECT_FALSE(missing.report.opened);
  EXPECT_EQ(missing.report.frames, 0);
  EXPECT_EQ(missing.report.channels, 0);
  EXPECT_TRUE(missing.samples.empty());
}

}  // namespace
