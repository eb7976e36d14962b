// The player's sound, read as it plays in pieces of odd sizes, is the sound
// of the whole file read at once.
#include <gtest/gtest.h>

#include <fstream>

#include <windows.h>

#include "FileDecoder.h"
#include "ItemAudio.h"
#include "MailMessage.h"
#include "TezDllInitParams.h"
#include "UserMessage.h"
#include "WaveFile.h"

namespace {

std::vector<int16_t> ReadInPieces(const std::string& path, std::string& error) {
  CItemAudio audio;
  std::vector<int16_t> out;
  if (!audio.Open(path, error)) return out;
  const size_t pieces[] = {1, 777, 4096, 13, 30000};
  for (size_t i = 0;; ++i) {
    const size_t want = pieces[i % 5];
    const size_t before = out.size();
    const size_t got = audio.Read(want, out);
    EXPECT_EQ(out.size() - before, got * kWaveChannels);
    if (got < want) break;
  }
  return out;
}

// A wave file of the format given, its samples a ramp.
void WriteWave(const std::string& path, uint16_t channels, uint32_t rate, uint16_t bits,
               uint32_t frames) {
  std::string data;
  for (uint32_t i = 0; i < frames * channels; ++i) {
    const int v = int((i * 37) % 65536) - 32768;
    if (bits == 8) data += char(uint8_t((v >> 8) + 128));
    else data += std::string{char(v & 0xff), char((v >> 8) & 0xff)};
  }
  auto le = [](uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += char((v >> (8 * i)) & 0xff);
    return s;
  };
  const uint16_t align = uint16_t(channels * bits / 8);
  std::string fmt = le(1, 2) + le(channels, 2) + le(rate, 4) + le(rate * align, 4) + le(align, 2) +
                    le(bits, 2);
  std::string body = "WAVE" + std::string("fmt ") + le(16, 4) + fmt + "LIST" + le(3, 4) + "abc" +
                     std::string(1, '\0') + "data" + le(uint32_t(data.size()), 4) + data;
  std::ofstream(path, std::ios::binary) << "RIFF" << le(uint32_t(body.size()), 4) << body;
}

}  // namespace

TEST(ItemAudio, WaveFilesReadInPiecesAsWhole) {
  const struct {
    uint16_t channels;
    uint32_t rate;
    uint16_t bits;
  } formats[] = {{2, 44100, 16}, {1, 11025, 8}, {2, 48000, 16}, {1, 22050, 16}};
  for (const auto& f : formats) {
    SCOPED_TRACE(std::to_string(f.channels) + " " + std::to_string(f.rate) + " " +
                 std::to_string(f.bits));
    WriteWave("ramp.wav", f.channels, f.rate, f.bits, 50001);
    std::vector<int16_t> whole;
    std::string error;
    ASSERT_TRUE(ReadWaveFile("ramp.wav", whole, error)) << error;
    const std::vector<int16_t> pieces = ReadInPieces("ramp.wav", error);
    ASSERT_TRUE(error.empty()) << error;
    EXPECT_EQ(whole.size(), pieces.size());
    EXPECT_TRUE(whole == pieces);
    CItemAudio audio;
    ASSERT_TRUE(audio.Open("ramp.wav", error));
    EXPECT_EQ(whole.size() / kWaveChannels, audio.TotalFrames());
  }
}

TEST(ItemAudio, MpegItemsDecodeAsTheWholeFile) {
  SetUserMessagesEnabled(false);
  for (const char* file : {"tone.mp3", "tone.mp2"}) {
    SCOPED_TRACE(file);
    const DecodedPcm pcm = DecodeFileToPcm(file);
    ASSERT_GT(pcm.report.frames, 0);
    std::vector<int16_t> whole;
    ConvertToRecording(pcm.samples, uint32_t(pcm.report.channels), uint32_t(pcm.report.rate),
                       whole);
    ASSERT_FALSE(whole.empty());
    std::string error;
    const std::vector<int16_t> pieces = ReadInPieces(file, error);
    ASSERT_TRUE(error.empty()) << error;
    // At most the one frame that the whole file's rounding drops.
    ASSERT_GE(pieces.size(), whole.size());
    EXPECT_LE(pieces.size(), whole.size() + kWaveChannels);
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), pieces.begin()));
    CItemAudio audio;
    ASSERT_TRUE(audio.Open(file, error));
    EXPECT_NEAR(double(whole.size() / kWaveChannels), double(audio.TotalFrames()), 44100 * 0.1);
  }
}

TEST(ItemAudio, UnplayableFilesAreRefusedWithTheirReason) {
  std::ofstream("junk.mp3", std::ios::binary) << std::string(4000, 'x');
  std::ofstream("junk.wav", std::ios::binary) << "RIFF0000WAVE";
  const struct {
    const char* file;
    const char* reason;
  } cases[] = {
      {"none.mp3", "File not found."},
      {"none.wav", "File not found."},
      {"junk.mp3", "Not an MPEG audio file."},
      {"junk.wav", "Unsupported wave format."},
  };
  for (const auto& c : cases) {
    CItemAudio audio;
    std::string error;
    EXPECT_FALSE(audio.Open(c.file, error)) << c.file;
    EXPECT_EQ(c.reason, error) << c.file;
  }
}

namespace {

std::vector<MailMessage> g_mail;
void TEZAPI Hook(const MailMessage* m) { g_mail.push_back(*m); }

}  // namespace

TEST(WavPlayer, PlaysAnItemThroughWaveOutToItsEnd) {
  HMODULE player = LoadLibraryA("TezWavPlayer.dll");
  ASSERT_TRUE(player);
  auto init = reinterpret_cast<TezInitialize3_t>(
      reinterpret_cast<void*>(GetProcAddress(player, "TezItemPlayer_Initialize3")));
  auto play = reinterpret_cast<int(TEZAPI*)(const char*, int, const char*)>(
      reinterpret_cast<void*>(GetProcAddress(player, "TezWavPlayer_PlayFile")));
  auto close = reinterpret_cast<int(TEZAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(player, "TezItemPlayer_Close")));
  ASSERT_TRUE(init && play && close);
  ASSERT_EQ(1, init(nullptr, "\\\\.\\mailslot\\unused", Hook, 0, 0, nullptr));
  WriteWave("play.wav", 2, 44100, 16, 44100);
  for (const char* file : {"tone.mp2", "play.wav"}) {
    SCOPED_TRACE(file);
    g_mail.clear();
    ASSERT_EQ(1, play(file, 0, nullptr));
    const DWORD start = GetTickCount();
    auto stopped = [] {
      for (const MailMessage& m : g_mail)
        if (m.message == TEZ_MSG_EVENT && m.lParam[0] == TEZ_EVENT_STOP) return true;
      return false;
    };
    MSG msg;
    while (!stopped() && GetTickCount() - start < 60000) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(10);
    }
    ASSERT_TRUE(stopped());
    // The device played the sound out: about its length (a second or so).
    EXPECT_GE(GetTickCount() - start, 800u);
    for (const MailMessage& m : g_mail) EXPECT_NE(TEZ_MSG_ERROR, m.message) << m.Text();
  }
  close();
  FreeLibrary(player);
}
