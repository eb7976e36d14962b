// Frame headers, the frame reader (tags, sync, bits, seeking, growing
// files) and the check words.
#include <windows.h>

#include <gtest/gtest.h>
#include <string.h>

#include <thread>

#include "Crc16.h"
#include "FrameReader.h"
#include "TestKit.h"

using testkit::Layer1Options;
using testkit::MakeSignal;

namespace {

uint32_t MakeHeader(int version, int layer, int bitRateIndex, int rateIndex, int padding, int mode,
                    int modeExtension = 0) {
  return 0xFFF00000u | uint32_t(version) << 19 | uint32_t(4 - layer) << 17 | 1u << 16 |
         uint32_t(bitRateIndex) << 12 | uint32_t(rateIndex) << 10 | uint32_t(padding) << 9 |
         uint32_t(mode) << 6 | uint32_t(modeExtension) << 4;
}

std::vector<uint8_t> Layer1Frames(int seconds10, int rateIndex = 1) {
  Layer1Options o;
  o.samplingRateIndex = rateIndex;
  o.bitRateIndex = 12;
  int rates[3] = {44100, 48000, 32000};
  return testkit::WriteLayer1(
      MakeSignal(rates[rateIndex], seconds10 / 10.0, {{{440, 0.3}}, {{1000, 0.3}}}), o);
}

// Every frame body of a file, read straight through.
std::vector<std::vector<uint8_t>> Bodies(const char* path) {
  std::vector<std::vector<uint8_t>> all;
  FrameReader reader(path);
  FrameHeader h;
  while (reader.ReadHeader(h))
    all.emplace_back(reader.Body(), reader.Body() + reader.BodyLength());
  return all;
}

}  // namespace

TEST(FrameHeader, SizesDurationsAndSubbands) {
  struct Case {
    uint32_t bits;
    int length, samples, subbands;
    double ms;
  } cases[] = {
      {MakeHeader(1, 2, 10, 0, 0, 0), 626, 1152, 30, 26.12245},  // 44.1 kHz 192 kbit/s
      {MakeHeader(1, 2, 10, 0, 1, 0), 627, 1152, 30, 26.12245},
      {MakeHeader(1, 2, 8, 1, 0, 1), 384, 1152, 27, 24.0},       // 48 kHz
      {MakeHeader(1, 2, 2, 2, 0, 3), 216, 1152, 12, 36.0},       // 32 kHz, low rate
      {MakeHeader(1, 2, 1, 0, 0, 3), 104, 1152, 8, 26.12245},
      {MakeHeader(1, 2, 4, 0, 0, 0), 208, 1152, 8, 26.12245},    // 64 kbit/s for two channels
      {MakeHeader(1, 2, 9, 0, 0, 3), 522, 1152, 30, 26.12245},   // mono 160 kbit/s
      {MakeHeader(1, 1, 12, 1, 0, 0), 384, 384, 32, 8.0},
      {MakeHeader(1, 1, 12, 1, 1, 0), 388, 384, 32, 8.0},
      {MakeHeader(0, 2, 8, 0, 0, 0), 417, 1152, 30, 52.2449},    // LSF Layer II 22.05 kHz
      {MakeHeader(0, 2, 4, 2, 0, 3), 288, 1152, 30, 72.0},       // LSF Layer II 16 kHz
      {MakeHeader(0, 1, 8, 1, 0, 0), 256, 384, 32, 16.0},        // LSF Layer I 24 kHz
      {MakeHeader(0, 3, 8, 2, 0, 0), 288, 576, 30, 36.0},        // LSF Layer III 16 kHz
      {MakeHeader(1, 3, 9, 0, 1, 0), 418, 1152, 30, 26.12245},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.bits);
    ASSERT_TRUE(FrameHeader::Acceptable(c.bits));
    FrameHeader h;
    h.Parse(c.bits);
    EXPECT_EQ(h.frameSize + 4, c.length);
    EXPECT_EQ(h.SamplesPerFrame(), c.samples);
    EXPECT_NEAR(h.MsPerFrame(), c.ms, 1e-3);
    if (h.layer != 3) {
      EXPECT_EQ(h.subbands, c.subbands);
    }
  }
  FrameHeader l3;
  l3.Parse(MakeHeader(0, 3, 8, 2, 0, 0));
  EXPECT_EQ(l3.mainDataSize, 288 - 17 - 4);
  l3.Parse(MakeHeader(1, 3, 9, 0, 0, 3) & ~(1u << 16));  // mono with check word
  EXPECT_EQ(l3.mainDataSize, 417 - 17 - 2 - 4);

  FrameHeader joint;
  joint.Parse(MakeHeader(1, 2, 8, 1, 0, 1, 0));
  EXPECT_EQ(joint.intensityBound, 4);
  joint.Parse(MakeHeader(1, 1, 12, 1, 0, 1, 3));  // Layer I: bound 16 of 32 subbands
  EXPECT_EQ(joint.intensityBound, 16);
  joint.Parse(MakeHeader(1, 2, 4, 0, 0, 1, 3));  // 64 kbit/s, 8 subbands: bound 16 is cut to 8
  EXPECT_EQ(joint.subbands, 8);
  EXPECT_EQ(joint.intensityBound, 8);
}

TEST(FrameHeader, RefusesWhatTheDecoderCannotRead) {
  uint32_t good = MakeHeader(1, 2, 10, 0, 0, 0);
  EXPECT_FALSE(FrameHeader::Acceptable(good & ~(3u << 17)));   // reserved layer
  EXPECT_FALSE(FrameHeader::Acceptable(good | (15u << 12)));   // bit-rate index 15
  EXPECT_FALSE(FrameHeader::Acceptable(good & ~(15u << 12)));  // free format
  EXPECT_FALSE(FrameHeader::Acceptable(good | (3u << 10)));    // sampling-rate index 3
  for (int index : {1, 2, 3, 5}) EXPECT_FALSE(FrameHeader::Acceptable(MakeHeader(1, 2, index, 0, 0, 0)));
  for (int index : {11, 14}) EXPECT_FALSE(FrameHeader::Acceptable(MakeHeader(1, 2, index, 0, 0, 3)));
  // The low sampling rates allow every bit rate in every mode.
  EXPECT_TRUE(FrameHeader::Acceptable(MakeHeader(0, 2, 1, 0, 0, 0)));
  EXPECT_TRUE(FrameHeader::Acceptable(MakeHeader(0, 2, 14, 0, 0, 3)));
  EXPECT_TRUE(FrameHeader::Acceptable(MakeHeader(1, 1, 1, 0, 0, 0)));
}

TEST(FrameHeader, Texts) {
  FrameHeader h;
  h.Parse(MakeHeader(0, 2, 8, 0, 0, 2));
  EXPECT_STREQ(h.VersionText(), "MPEG-2 LSF");
  EXPECT_STREQ(h.LayerText(), "Layer II");
  EXPECT_STREQ(h.BitRateText(), "64 kbit/s");
  EXPECT_STREQ(h.SamplingRateText(), "22.05 kHz");
  EXPECT_STREQ(h.ModeText(), "Dual channel");
  h.Parse(MakeHeader(1, 3, 9, 1, 0, 3));
  EXPECT_STREQ(h.VersionText(), "MPEG-1");
  EXPECT_STREQ(h.LayerText(), "Layer III");
  EXPECT_STREQ(h.BitRateText(), "128 kbit/s");
  EXPECT_STREQ(h.SamplingRateText(), "48 kHz");
  EXPECT_STREQ(h.ModeText(), "Single channel");
}

TEST(Crc16, StandardCheckValue) {
  Crc16 crc;
  for (const char* p = "123456789"; *p; ++p) crc.Add(uint8_t(*p), 8);
  EXPECT_EQ(crc.Value(), 0xAEE7);
}

TEST(FrameReader, TagsAreSkippedOrSearchedThrough) {
  std::vector<uint8_t> frames = Layer1Frames(2);
  for (int major : {3, 4}) {
    std::vector<uint8_t> file = {'I', 'D', '3', uint8_t(major), 0, 0, 0, 0, 7, 0x68};  // 1000
    std::vector<uint8_t> tag(1000, 0);
    if (major == 3) memcpy(tag.data() + 100, frames.data(), 4);  // a header inside the tag
    file.insert(file.end(), tag.begin(), tag.end());
    file.insert(file.end(), frames.begin(), frames.end());
    ASSERT_TRUE(testkit::WriteFile("tagged.mp1", file.data(), file.size()));
    FrameReader reader("tagged.mp1");
    FrameHeader h;
    ASSERT_TRUE(reader.ReadHeader(h)) << major;
    EXPECT_EQ(reader.DataStart(), major == 3 ? 1010 : 0);
    EXPECT_EQ(reader.FramePosition(0), 1010) << major;
    if (major == 3) {
      // The count is guessed from the audio alone: the tag holds no frames.
      EXPECT_EQ(reader.FrameCount(h), int(frames.size() / 384));
      EXPECT_EQ(reader.TrackbarTotal(h), int(frames.size() / 385));
    }
  }
}

TEST(FrameReader, OtherSamplingRateIsNotSyncedTo) {
  std::vector<uint8_t> a = Layer1Frames(1, 1), b = Layer1Frames(1, 2);
  std::vector<uint8_t> file(a.begin(), a.begin() + 384);  // one 48 kHz frame
  file.insert(file.end(), b.begin(), b.begin() + 576);     // one 32 kHz frame
  file.insert(file.end(), a.begin() + 384, a.end());
  ASSERT_TRUE(testkit::WriteFile("mixed.mp1", file.data(), file.size()));
  FrameReader reader("mixed.mp1");
  FrameHeader h;
  ASSERT_TRUE(reader.ReadHeader(h));
  ASSERT_TRUE(reader.ReadHeader(h));
  EXPECT_EQ(h.samplingRateIndex, 1);
  EXPECT_EQ(reader.FramePosition(1), 384 + 576);
}

TEST(FrameReader, BitsPastTheBodyAreZero) {
  std::vector<uint8_t> frames = Layer1Frames(1);
  for (size_t i = 4; i < 384; ++i) frames[i] = 0xFF;  // first body all ones
  ASSERT_TRUE(testkit::WriteFile("ones.mp1", frames.data(), frames.size()));
  FrameReader reader("ones.mp1");
  FrameHeader h;
  ASSERT_TRUE(reader.ReadHeader(h));
  ASSERT_EQ(reader.BodyLength(), 380);
  for (int i = 0; i < 380 * 8 / 17; ++i) ASSERT_EQ(reader.GetBits(17), 0x1FFFFu);
  EXPECT_FALSE(reader.Overrun());
  EXPECT_EQ(reader.GetBits(16), 0xFFFCu);  // 14 bits left, then zeros
  EXPECT_TRUE(reader.Overrun());
  EXPECT_EQ(reader.GetBits(32), 0u);
  EXPECT_EQ(reader.BitPosition(), 380 * 8);
}

TEST(FrameReader, SeekingFindsTheSameFrames) {
  testkit::Pcm music = MakeSignal(44100, 4.0, {{{440, 0.3}, {2500, 0.1}}, {{660, 0.3}}});
  testkit::Pcm music48 = MakeSignal(48000, 4.0, {{{440, 0.3}}, {{660, 0.3}}});
  ASSERT_TRUE(testkit::EncodeLayer2(music, "padded.mp2", 's', 192, "-d"));
  ASSERT_TRUE(testkit::EncodeLayer2(music48, "plain48.mp2", 's', 192));
  ASSERT_TRUE(testkit::EncodeLayer2(music, "vbr.mp2", 'j', 192, "-V 5"));
  // The 48 kHz file behind a tag.
  std::vector<uint8_t> tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 1, 0};
  tagged.resize(10 + 128, 0);
  std::vector<uint8_t> plain = testkit::ReadFile("plain48.mp2");
  tagged.insert(tagged.end(), plain.begin(), plain.end());
  ASSERT_TRUE(testkit::WriteFile("tagged48.mp2", tagged.data(), tagged.size()));

  for (const char* path : {"padded.mp2", "plain48.mp2", "vbr.mp2", "tagged48.mp2"}) {
    SCOPED_TRACE(path);
    std::vector<std::vector<uint8_t>> bodies = Bodies(path);
    ASSERT_GT(bodies.size(), 140u);
    int last = static_cast<int>(bodies.size()) - 1;
    FrameReader reader(path);
    FrameHeader h;
    for (int target : {100, 3, 0, 120, 57, last, 101}) {
      ASSERT_TRUE(reader.SeekFrame(h, target)) << target;
      EXPECT_EQ(reader.CurrentFrame(), target);
      ASSERT_EQ(reader.BodyLength(), static_cast<int>(bodies[target].size())) << target;
      EXPECT_EQ(memcmp(reader.Body(), bodies[target].data(), bodies[target].size()), 0) << target;
      ASSERT_TRUE(reader.ReadHeader(h) || target == last);
      if (target != last) {
        EXPECT_EQ(reader.CurrentFrame(), target + 1);
      }
    }
    EXPECT_FALSE(reader.SeekFrame(h, last + 1));
  }
}

// Writes `data` into `path` in chunks while the caller reads it.
std::thread GrowFile(const char* path, const std::vector<uint8_t>& data, size_t chunk, DWORD pause) {
  return std::thread([=, &data] {
    HANDLE f = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, 0, nullptr);
    for (size_t at = 0; at < data.size(); at += chunk) {
      DWORD n;
      WriteFile(f, data.data() + at, static_cast<DWORD>(std::min(chunk, data.size() - at)), &n,
                nullptr);
      Sleep(pause);
    }
    CloseHandle(f);
  });
}

TEST(FrameReader, GrowingFileIsReadToItsLastFrame) {
  testkit::Pcm music = MakeSignal(48000, 3.0, {{{440, 0.3}}, {{660, 0.3}}});
  ASSERT_TRUE(testkit::EncodeLayer2(music, "grow-src.mp2", 's', 128));
  struct Case {
    const char* source;
    std::vector<uint8_t> data;
    size_t chunk;
  } cases[] = {{"layer1", Layer1Frames(10), 1000}, {"layer2", testkit::ReadFile("grow-src.mp2"), 4000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    std::vector<std::vector<uint8_t>> bodies;
    {
      testkit::WriteFile("plain.bin", c.data.data(), c.data.size());
      bodies = Bodies("plain.bin");
    }
    DeleteFileA("growing.bin");
    FrameReader reader("growing.bin", static_cast<int64_t>(c.data.size()));
    std::thread writer = GrowFile("growing.bin", c.data, c.chunk, 20);
    FrameHeader h;
    size_t read = 0;
    while (reader.ReadHeader(h)) {
      ASSERT_LT(read, bodies.size());
      ASSERT_EQ(reader.BodyLength(), int(bodies[read].size()));
      EXPECT_EQ(memcmp(reader.Body(), bodies[read].data(), bodies[read].size()), 0) << read;
      ++read;
    }
    writer.join();
    EXPECT_EQ(read, bodies.size());
  }

  // An expected size inside a frame ends the stream before that frame.
  FrameHeader h;
  FrameReader cut("growing.bin", 10 * 384 + 200);
  int read = 0;
  while (cut.ReadHeader(h)) ++read;
  EXPECT_EQ(read, 10);
}

TEST(FrameReader, AGrowingFileThatStopsShortIsWaitedForOnce) {
  // 100 frames of the 300 expected are written, then the writer is gone.
  std::vector<uint8_t> frames = Layer1Frames(30);
  ASSERT_GE(frames.size(), 300u * 384);
  DeleteFileA("short.bin");
  testkit::WriteFile("short.bin", frames.data(), 100 * 384);
  FrameReader reader("short.bin", 300 * 384);
  FrameHeader h;
  DWORD start = GetTickCount();
  int read = 0;
  while (reader.ReadHeader(h)) ++read;
  EXPECT_EQ(read, 100);
  // One stall of 30 s, not one at every refill of the reader's cache (four
  // of them here).
  EXPECT_LT(GetTickCount() - start, 55000u);
}

TEST(FrameReader, WhatAGrowingFileHoldsIsReadBeforeAnyWait) {
  // 100 of 300 frames are there; the writer adds the rest only once the
  // reader has read those (or gives up after a time far beyond that read).
  std::vector<uint8_t> frames = Layer1Frames(30);
  ASSERT_GE(frames.size(), 300u * 384);
  DeleteFileA("held.bin");
  testkit::WriteFile("held.bin", frames.data(), 100 * 384);
  HANDLE hundredRead = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool writerGaveUp = false;
  std::thread writer([&] {
    writerGaveUp = WaitForSingleObject(hundredRead, 20000) != WAIT_OBJECT_0;
    HANDLE f = CreateFileA("held.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    SetFilePointer(f, 0, nullptr, FILE_END);
    DWORD n;
    WriteFile(f, frames.data() + 100 * 384, 200 * 384, &n, nullptr);
    CloseHandle(f);
  });
  FrameReader reader("held.bin", 300 * 384);
  FrameHeader h;
  int read = 0;
  while (read < 100 && reader.ReadHeader(h)) ++read;
  SetEvent(hundredRead);
  while (reader.ReadHeader(h)) ++read;
  writer.join();
  CloseHandle(hundredRead);
  EXPECT_FALSE(writerGaveUp) << "the reader waited with the frames there";
  EXPECT_EQ(read, 300);
}

TEST(FrameReader, CheckWordsMatchAndABadOneDropsOnlyItsFrame) {
  testkit::Pcm music = MakeSignal(48000, 1.0, {{{440, 0.3}}, {{660, 0.3}}});
  ASSERT_TRUE(testkit::EncodeLayer2(music, "crc.mp2", 's', 192, "-p"));
  testkit::CaptureSink good;
  FileDecodeReport r = DecodeFile("crc.mp2", good);
  ASSERT_TRUE(r.first.HasCrc());
  EXPECT_EQ(r.crcMismatches, 0);

  std::vector<uint8_t> file = testkit::ReadFile("crc.mp2");
  file[5 * 576 + 6] ^= 0x80;  // first allocation bit of frame 5 (576-byte frames)
  ASSERT_TRUE(testkit::WriteFile("crc-bad.mp2", file.data(), file.size()));
  testkit::CaptureSink bad;
  FileDecodeReport b = DecodeFile("crc-bad.mp2", bad);
  EXPECT_EQ(b.frames, r.frames);
  EXPECT_EQ(b.crcMismatches, 1);
  EXPECT_EQ(bad.pcm[0].size(), good.pcm[0].size() - 1152);
  EXPECT_EQ(bad.frames, good.frames - 1);

  // Layer I check words from our own frame writer.
  Layer1Options o;
  o.crc = true;
  std::vector<uint8_t> l1 = testkit::WriteLayer1(music, o);
  ASSERT_TRUE(testkit::WriteFile("crc.mp1", l1.data(), l1.size()));
  testkit::CaptureSink sink1;
  FileDecodeReport r1 = DecodeFile("crc.mp1", sink1);
  EXPECT_GT(r1.frames, 100);
  EXPECT_EQ(r1.crcMismatches, 0);
}
