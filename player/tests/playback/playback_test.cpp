
// The player object playing through wave-out into the file sink, with a
// real notify window and a real trackbar.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <thread>

#include "DecodeThread.h"
#include "StreamPlayer.h"
#include "TestKit.h"
#include "UserMessage.h"

namespace {

struct Message {
  UINT message;
  WPARAM w;
  LPARAM l;
};
std::vector<Message> received;

LRESULT CALLBACK NotifyProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PLAYER_NOTIFY || m == WM_PLAYER_FRAME || m == WM_PLAYER_SEEKED)
    received.push_back({m, wp, lp});
  return DefWindowProcA(w, m, wp, lp);
}

int64_t SinkSize() {
  const char* path = getenv("BRINDALE_WAVE_SINK");
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!path || !GetFileAttributesExA(path, GetFileExInfoStandard, &a)) return 0;
  return (int64_t(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// What the device wrote in its last session: the file sink starts anew
// at every opening of the device.
std::vector<int16_t> DeviceOutput() {
  std::vector<uint8_t> all = testkit::ReadFile(getenv("BRINDALE_WAVE_SINK"));
  std::vector<int16_t> out;
  for (size_t i = 0; i + 1 < all.size(); i += 2)
    out.push_back(int16_t(all[i] | all[i + 1] << 8));
  return out;
}

bool Has(WPARAM notify) {
  for (const Message& m : received)
    if (m.message == WM_PLAYER_NOTIFY && m.w == notify) return true;
  return false;
}

std::vector<int> Frames() {
  std::vector<int> f;
  for (const Message& m : received)
    if (m.message == WM_PLAYER_FRAME) f.push_back(static_cast<int>(m.w));
  return f;
}

void Pump(DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(5);
  }
}

template <typename F>
bool PumpUntil(F done, DWORD ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    Pump(10);
  }
  return true;
}

// Interleaved samples the decoder gives for a file.
std::vector<int16_t> Decoded(const char* path) {
  testkit::CaptureSink sink;
  FileDecodeReport r = DecodeFile(path, sink);
  return sink.Interleaved(r.first.Channels(), r.first.SamplingRate()).samples;
}

// Position of `part` inside `all`, or -1.
long Find(const std::vector<int16_t>& all, const std::vector<int16_t>& part, size_t from = 0) {
  if (part.empty() || all.size() < part.size()) return -1;
  for (size_t i = from; i + part.size() <= all.size(); ++i)
    if (memcmp(&all[i], &part[0], part.size() * 2) == 0) return static_cast<long>(i);
  return -1;
}

// True when `all` holds `part` from some point on, with only runs of
// silence inserted.
bool ContainsWithSilentGaps(const std::vector<int16_t>& all, const std::vector<int16_t>& part) {
  size_t first = 0;
  while (first < part.size() && part[first] == 0) ++first;
  if (first == part.size()) return false;
  for (size_t start = 0; start < all.size(); ++start) {
    if (all[start] != part[first]) continue;
    size_t i = start, k = first;
    while (k < part.size() && i < all.size()) {
      if (all[i] == part[k]) {
        ++i;
        ++k;
      } else if (all[i] == 0 && all[i + 1 < all.size() ? i + 1 : i] == 0) {
        i += 2;  // a silent stereo frame
      } else {
        break;
      }
    }
    if (k == part.size()) return true;
  }
  return false;
}

void Cut(const char* from, const char* to, size_t bytes) {
  std::vector<uint8_t> f = testkit::ReadFile(from);
  f.resize(std::min(bytes, f.size()));
  testkit::WriteFile(to, f.data(), f.size());
}

}  // namespace

class Playback : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetEnvironmentVariableA("BRINDALE_NO_MESSAGE_BOXES", "1");
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = NotifyProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SonavelTestNotify";
    RegisterClassA(&wc);
    // 48 kHz stereo at 128 kbit/s: 384-byte frames without padding.
    testkit::Pcm music = testkit::MakeSignal(48000, 12.0, {{{440, 0.3}}, {{1000, 0.3}}});
    ASSERT_TRUE(testkit::EncodeLayer2(music, "long48.mp2", 's', 128));
    Cut("long48.mp2", "f40.mp2", 40 * 384);
  }

  void SetUp() override {
    received.clear();
    notify_ = CreateWindowA("SonavelTestNotify", "sonavel test", WS_OVERLAPPEDWINDOW, 0, 0, 300,
                            100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    trackbar_ = CreateWindowA(TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 30, notify_,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(notify_ && trackbar_);
    TakeUserMessages();
  }
  void TearDown() override {
    player_.Stop();
    Pump(50);
    DestroyWindow(notify_);
  }
  int TrackbarPos() { return static_cast<int>(SendMessageA(trackbar_, TBM_GETPOS, 0, 0)); }

  StreamPlayer player_;
  HWND notify_ = nullptr, trackbar_ = nullptr;
};

TEST_F(Playback, PlaysToTheEndAndTheDeviceGetsTheDecodedSamples) {
  ASSERT_EQ(player_.Open("f40.mp2", notify_, trackbar_), 1);
  EXPECT_EQ(player_.TotalFrames(), 39);
  EXPECT_EQ(SendMessageA(trackbar_, TBM_GETRANGEMAX, 0, 0), 39);
  player_.Play();
  ASSERT_TRUE(PumpUntil([] { return Has(PLAYER_NOTIFY_ENDED); }, 20000));
  Pump(300);
  // Play stops (and says so) before it starts; nothing stops after the start.
  ASSERT_EQ(received.front().w, WPARAM(PLAYER_NOTIFY_STOPPED));
  ASSERT_EQ(received[1].w, WPARAM(PLAYER_NOTIFY_STARTED));
  ASSERT_EQ(received[2].message, UINT(WM_PLAYER_SEEKED));
  EXPECT_EQ(received.back().w, WPARAM(PLAYER_NOTIFY_ENDED));
  received.erase(received.begin());
  EXPECT_FALSE(Has(PLAYER_NOTIFY_STOPPED));
  EXPECT_EQ(Frames(), (std::vector<int>{0, 16, 32, 39}));
  EXPECT_EQ(TrackbarPos(), 39);

  // 40 frames: one buffer of 32 and a second of 8, padded with silence.
  std::vector<int16_t> decoded = Decoded("f40.mp2");
  ASSERT_EQ(decoded.size(), 40u * 1152 * 2);
  std::vector<int16_t> played = DeviceOutput();
  printf("sink got %zu samples for %zu decoded\n", played.size(), decoded.size());
  long at = Find(played, decoded);
  ASSERT_GE(at, 0) << "decoded samples not found whole in the device output";
  for (size_t i = at + decoded.size(); i < played.size(); ++i) ASSERT_EQ(played[i], 0) << i;
  EXPECT_GE(played.size() - at, 64u * 1152 * 2);
}

TEST_F(Playback, StopDiscardsQueuedAudioAndPostsNoEnd) {
  ASSERT_EQ(player_.Open("long48.mp2", notify_, trackbar_), 1);
  player_.Play();
  ASSERT_TRUE(PumpUntil([] { return Frames().size() >= 3; }, 10000));  // frame 32
  received.clear();
  const int64_t atStop = SinkSize();
  player_.Stop();
  Pump(800);
  EXPECT_TRUE(Has(PLAYER_NOTIFY_STOPPED));
  EXPECT_FALSE(Has(PLAYER_NOTIFY_ENDED));
  EXPECT_EQ(TrackbarPos(), 0);
  // The queued buffers (two or three of 32 frames, about two seconds) are
  // dropped: after the stop the device gets no more than a few frames that
  // were already on their way.
  const int64_t played = SinkSize();
  printf("sink had %lld bytes at the stop, %lld after\n", (long long)atStop, (long long)played);
  EXPECT_LT(played - atStop, int64_t(16) * 1152 * 4);

  // The player plays again after a stop.
  received.clear();
  player_.Play();
  EXPECT_TRUE(PumpUntil([] { return Frames().size() >= 1; }, 5000));
}

// First frame reported after a carried-out seek, or -1.
int FrameAfterSeek() {
  bool seeked = false;
  for (const Message& m : received) {
    if (m.message == WM_PLAYER_SEEKED) seeked = true;
    else if (seeked && m.message == WM_PLAYER_FRAME) return static_cast<int>(m.w);
  }
  return -1;
}

int LastFrame() { return Frames().empty() ? -1 : Frames().back(); }

TEST_F(Playback, SeekHoldSkipAndPause) {
  ASSERT_EQ(player_.Open("long48.mp2", notify_, trackbar_), 1);
  int step = player_.Step();
  ASSERT_EQ(step, player_.TotalFrames() / 32);
  player_.Play();
  ASSERT_TRUE(PumpUntil([] { return LastFrame() >= 16; }, 10000));

  received.clear();
  EXPECT_NE(player_.SeekToFrame(100), 0);
  ASSERT_TRUE(PumpUntil([] { return FrameAfterSeek() >= 0; }, 5000));
  EXPECT_EQ(FrameAfterSeek(), 100);
  // The thumb follows the decoding position, which runs ahead of the sound
  // by at most the queued buffers. Its position message is posted after the
  // frame message, so it may still be on its way.
  EXPECT_TRUE(PumpUntil([this] { return TrackbarPos() >= 100; }, 5000)) << TrackbarPos();
  EXPECT_LE(TrackbarPos(), 100 + 112);

  // Held: the thumb stays while the position goes on.
  EXPECT_EQ(player_.HoldTrackbar(), 1);
  Pump(50);
  int held = TrackbarPos();
  int reached = LastFrame();
  ASSERT_TRUE(PumpUntil([reached] { return LastFrame() >= reached + 32; }, 5000));
  Pump(100);
  EXPECT_EQ(TrackbarPos(), held);

  received.clear();
  EXPECT_NE(player_.SeekToFrame(20), 0);  // following again
  ASSERT_TRUE(PumpUntil([] { return FrameAfterSeek() >= 0; }, 5000));
  EXPECT_EQ(FrameAfterSeek(), 20);
  Pump(100);
  EXPECT_GE(TrackbarPos(), 20);
  EXPECT_LT(TrackbarPos(), 200);

  // Skips go a step from the decoding position, which runs ahead of the
  // last reported frame by at most the queued buffers.
  int seen = LastFrame();
  received.clear();
  player_.SkipForward();
  ASSERT_TRUE(PumpUntil([] { return FrameAfterSeek() >= 0; }, 5000));
  int forward = FrameAfterSeek();
  EXPECT_GE(forward, seen + step);
  EXPECT_LE(forward, seen + step + 112);
  received.clear();
  player_.SkipBack();
  ASSERT_TRUE(PumpUntil([] { return FrameAfterSeek() >= 0; }, 5000));
  EXPECT_GE(FrameAfterSeek(), forward - step);
  EXPECT_LE(FrameAfterSeek(), forward - step + 112);

  // A seek while paused returns at once and is carried out on resuming.
  player_.Pause();
  Pump(300);
  received.clear();
  EXPECT_NE(player_.SeekToFrame(60), 0);
  Pump(600);
  EXPECT_EQ(FrameAfterSeek(), -1);
  player_.Pause();
  ASSERT_TRUE(PumpUntil([] { return FrameAfterSeek() >= 0; }, 5000));
  EXPECT_EQ(FrameAfterSeek(), 60);
  EXPECT_FALSE(Has(PLAYER_NOTIFY_STARTED));
}

TEST_F(Playback, StepsAndSeekLimits) {
  struct Case {
    int frames, total, step;
  } cases[] = {{32, 31, 1}, {321, 320, 10}};
  for (const Case& c : cases) {
    testkit::Layer1Options o;
    o.bitRateIndex = 12;  // 384-byte frames at 48 kHz
    testkit::Pcm pcm = testkit::MakeSignal(48000, c.frames * 384 / 48000.0 + 0.001, {{{440, 0.3}}, {{660, 0.3}}});
    std::vector<uint8_t> file = testkit::WriteLayer1(pcm, o);
    ASSERT_EQ(file.size(), size_t(c.frames) * 384);
    ASSERT_TRUE(testkit::WriteFile("steps.mp1", file.data(), file.size()));
    ASSERT_EQ(player_.Open("steps.mp1", notify_, trackbar_), 1);
    EXPECT_EQ(player_.TotalFrames(), c.total);
    EXPECT_EQ(player_.Step(), c.step);
    EXPECT_EQ(SendMessageA(trackbar_, TBM_GETLINESIZE, 0, 0), c.step);
    EXPECT_EQ(player_.SeekToFrame(c.total), 1);
    EXPECT_EQ(player_.SeekToFrame(c.total + 1), c.total);
    EXPECT_EQ(player_.SeekToFrame(-1), c.total);
    EXPECT_EQ(player_.HoldTrackbar(), 1);
  }
  // After a stop the player is prepared and stopped: seeks and holds are
  // taken as there, but the skips need a reader, and the next play
  // prepares the file again and starts at the beginning.
  player_.Stop();
  Pump(100);
  received.clear();
  EXPECT_NE(player_.SeekToFrame(3), 0);
  EXPECT_EQ(player_.SeekToFrame(player_.TotalFrames() + 1), player_.TotalFrames());
  EXPECT_EQ(player_.HoldTrackbar(), 1);
  player_.SkipForward();
  player_.SkipBack();
  Pump(200);
  EXPECT_TRUE(received.empty());
  EXPECT_EQ(TrackbarPos(), 0);
  player_.Play();
  ASSERT_TRUE(PumpUntil([] { return FrameAfterSeek() >= 0; }, 5000));
  EXPECT_EQ(FrameAfterSeek(), 0);
}

TEST_F(Playback, PauseThenPlayAfterTheEndPlaysAgain) {
  ASSERT_EQ(player_.Open("f40.mp2", notify_, trackbar_), 1);
  player_.Play();
  ASSERT_TRUE(PumpUntil([] { return Has(PLAYER_NOTIFY_ENDED); }, 20000));
  Pump(200);
  received.clear();
  player_.Pause();
  player_.Play();
  ASSERT_TRUE(PumpUntil([] { return Has(PLAYER_NOTIFY_ENDED); }, 20000));
  EXPECT_TRUE(Has(PLAYER_NOTIFY_STARTED));
  EXPECT_EQ(Frames(), (std::vector<int>{0, 16, 32, 39}));
}

TEST_F(Playback, ASeekPastTheLastFrameEndsAsTheEndOfTheFileDoes) {
  // One small frame, then 200 large ones: the count guessed from the first
  // frame is far too high.
  testkit::Layer1Options small, large;
  small.bitRateIndex = 4;   // 128-byte frames at 48 kHz
  large.bitRateIndex = 12;  // 384-byte frames
  std::vector<uint8_t> file = testkit::WriteLayer1(
      testkit::MakeSignal(48000, 384 / 48000.0 + 0.001, {{{440, 0.3}}, {{660, 0.3}}}), small);
  ASSERT_EQ(file.size(), 128u);
  std::vector<uint8_t> rest = testkit::WriteLayer1(
      testkit::MakeSignal(48000, 200 * 384 / 48000.0 + 0.001, {{{440, 0.3}}, {{660, 0.3}}}),
      large);
  ASSERT_EQ(rest.size(), 200u * 384);
  file.insert(file.end(), rest.begin(), rest.end());
  ASSERT_TRUE(testkit::WriteFile("vbr.mp1", file.data(), file.size()));
  ASSERT_EQ(player_.Open("vbr.mp1", notify_, trackbar_), 1);
  ASSERT_GT(player_.TotalFrames(), 500);
  player_.Play();
  // Taken while the decoder waits for the device, long before its end.
  EXPECT_EQ(player_.SeekToFrame(500), 1);
  ASSERT_TRUE(PumpUntil([] { return Has(PLAYER_NOTIFY_ENDED); }, 20000));
  EXPECT_EQ(LastFrame(), 200);
  EXPECT_EQ(TrackbarPos(), 200);
}

TEST_F(Playback, BadFilesAndPaths) {
  std::vector<uint8_t> junk(5000, 0x11);
  ASSERT_TRUE(testkit::WriteFile("junk.mp2", junk.data(), junk.size()));
  EXPECT_EQ(player_.Open("junk.mp2", notify_, trackbar_), 0);
  EXPECT_EQ(TakeUserMessages(), "File format error: No header found!");
  received.clear();
  player_.Play();
  Pump(200);
  EXPECT_TRUE(received.empty());
  EXPECT_EQ(player_.SeekToFrame(0), 0);
  EXPECT_EQ(player_.HoldTrackbar(), 0);
  EXPECT_EQ(player_.SetVolume(0xFFFF, 0xFFFF), 0);

  EXPECT_EQ(player_.Open("missing.mp2", notify_, trackbar_), 0);
  EXPECT_EQ(TakeUserMessages(),
            "Invalid handle: Error opening file: missing.mp2\nFile format error: No header found!");
  EXPECT_EQ(player_.GetDuration("missing.mp2"), 0);
  EXPECT_EQ(TakeUserMessages(),
            "Invalid handle: Error opening file: missing.mp2\nFile format error: No header found!");

  std::string longPath(1100, 'a');
  EXPECT_EQ(player_.Open(longPath.c_str(), notify_, trackbar_), 0);
  EXPECT_EQ(TakeUserMessages().substr(0, 35), "Invalid handle: Error opening file:");

  EXPECT_EQ(player_.GetDuration("junk.mp2"), 0);
  EXPECT_EQ(TakeUserMessages(), "File format error: No header found!");
  EXPECT_EQ(player_.GetFileInfo("junk.mp2"), nullptr);
  EXPECT_EQ(TakeUserMessages(), "File format error: Header is invalid or corrupt!");

  // No path at all is a file that cannot be opened.
  EXPECT_EQ(player_.GetDuration(nullptr), 0);
  EXPECT_EQ(TakeUserMessages(),
            "Invalid handle: Error opening file: \nFile format error: No header found!");
  EXPECT_EQ(player_.GetFileInfo(nullptr), nullptr);
  EXPECT_EQ(TakeUserMessages(),
            "Invalid handle: Error opening file: \nFile format error: Header is invalid or corrupt!");
}

TEST_F(Playback, ASeekThatWaitsForAGrowingFileLeavesTheMutexFree) {
  // 400 of the 500 frames are written; the decoding thread, paced by the
  // device, is still among them when it takes a seek to frame 480.
  std::vector<uint8_t> whole = testkit::ReadFile("long48.mp2");
  ASSERT_GT(whole.size(), 490u * 384);
  const size_t written = 400 * 384;
  DeleteFileA("held.mp2");
  ASSERT_TRUE(testkit::WriteFile("held.mp2", whole.data(), written));
  // The decoding thread with the record the player shares with it.
  PlaybackShared s;
  s.notify = notify_;
  s.mutex = CreateMutexA(nullptr, FALSE, nullptr);
  s.running = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  s.reader.reset(new FrameReader("held.mp2", static_cast<int64_t>(whole.size())));
  HWAVEOUT device = nullptr;
  s.waveOut = &device;
  s.seekRequested = 1;
  HANDLE thread = CreateThread(nullptr, 0, DecodeThread, &s, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(PumpUntil([] { return !Frames().empty(); }, 10000));

  // A seek beyond what is written: the thread waits for the writer.
  WaitForSingleObject(s.mutex, INFINITE);
  s.seekTarget = 480;
  s.seekRequested = 1;
  ReleaseMutex(s.mutex);
  EXPECT_TRUE(PumpUntil([&] { return s.seekRequested == 0; }, 10000));
  // Meanwhile the caller's operations get the mutex.
  DWORD got = WaitForSingleObject(s.mutex, 10000);
  EXPECT_EQ(got, WAIT_OBJECT_0) << "the seek held the mutex while it waited";
  if (got == WAIT_OBJECT_0) ReleaseMutex(s.mutex);

  // The writer comes: the seek is carried out.
  received.clear();
  HANDLE f = CreateFileA("held.mp2", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  SetFilePointer(f, 0, nullptr, FILE_END);
  DWORD n;
  WriteFile(f, whole.data() + written, static_cast<DWORD>(whole.size() - written), &n, nullptr);
  CloseHandle(f);
  EXPECT_TRUE(PumpUntil([] { return FrameAfterSeek() >= 0; }, 20000));
  EXPECT_EQ(FrameAfterSeek(), 480);

  WaitForSingleObject(s.mutex, INFINITE);
  s.stopRequested = 1;
  ReleaseMutex(s.mutex);
  ASSERT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
  CloseHandle(thread);
  CloseHandle(s.running);
  CloseHandle(s.mutex);
}

TEST_F(Playback, DurationAndFileInfo) {
  EXPECT_EQ(player_.GetDuration("long48.mp2"), 12);
  PlayerFileInfo* info = player_.GetFileInfo("long48.mp2");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->durationSeconds, 12);
  EXPECT_STREQ(info->version, "MPEG-1");
  EXPECT_STREQ(info->layer, "Layer II");
  EXPECT_STREQ(info->bitRate, "128 kbit/s");
  EXPECT_STREQ(info->samplingRate, "48 kHz");
  EXPECT_STREQ(info->mode, "Stereo");
  EXPECT_EQ(info->frames, testkit::ReadFile("long48.mp2").size() / 384);
  EXPECT_EQ(info->crcPresent, 0);
  EXPECT_EQ(info->reserved, 0);
  delete info;
}

TEST_F(Playback, VolumeReachesOnlyAnActiveDevice) {
  ASSERT_EQ(player_.Open("f40.mp2", notify_, trackbar_), 1);
  EXPECT_EQ(player_.SetVolume(0x1000, 0x1000), 0);
  player_.Play();
  ASSERT_TRUE(PumpUntil([] { return Has(PLAYER_NOTIFY_ENDED); }, 20000));
  Pump(300);
  // The earlier call changed nothing: the samples arrive at full level.
  std::vector<int16_t> decoded = Decoded("f40.mp2");
  EXPECT_GE(Find(DeviceOutput(), decoded), 0);

  // While the device is open the volume reaches it: the low word is the
  // left channel's level.
  received.clear();
  player_.Play();
  ASSERT_TRUE(PumpUntil([] { return !Frames().empty(); }, 5000));
  EXPECT_EQ(player_.SetVolume(0x4000, 0x8000), 0);  // MMSYSERR_NOERROR
  ASSERT_TRUE(PumpUntil([] { return Has(PLAYER_NOTIFY_ENDED); }, 20000));
  Pump(300);
  std::vector<int16_t> played = DeviceOutput();
  ASSERT_GE(played.size(), decoded.size());
  double in[2] = {0, 0}, out[2] = {0, 0};
  for (size_t i = decoded.size() * 3 / 4; i < decoded.size(); ++i) {
    in[i & 1] += std::abs(decoded[i]);
    out[i & 1] += std::abs(played[i]);
  }
  EXPECT_NEAR(out[0] / in[0], 0.5, 0.02);
  EXPECT_NEAR(out[1] / in[1], 0.25, 0.02);
}

TEST_F(Playback, GrowingFilePlaysWhileItIsWritten) {
  std::vector<uint8_t> whole = testkit::ReadFile("long48.mp2");
  DeleteFileA("growing.mp2");
  EXPECT_EQ(player_.OpenGrowing("growing.mp2", static_cast<int>(whole.size()), notify_, trackbar_), 1);
  EXPECT_EQ(player_.GetDuration("long48.mp2"), 0);
  std::thread writer([&] {
    HANDLE f = CreateFileA("growing.mp2", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, 0, nullptr);
    for (size_t at = 0; at < whole.size(); at += 4000) {
      DWORD n;
      WriteFile(f, whole.data() + at, static_cast<DWORD>(std::min<size_t>(4000, whole.size() - at)), &n, nullptr);
      Sleep(100);
    }
    CloseHandle(f);
  });
  player_.Play();
  bool ended = PumpUntil([] { return Has(PLAYER_NOTIFY_ENDED); }, 30000);
  writer.join();
  ASSERT_TRUE(ended);
  Pump(300);
  std::vector<int16_t> decoded = Decoded("long48.mp2");
  // The device runs dry while the file is still short; Wine fills such gaps
  // with silence.
  EXPECT_TRUE(ContainsWithSilentGaps(DeviceOutput(), decoded)) << "every frame, the last one too";
}

TEST_F(Playback, LayerChangeMidStreamFitsTheBuffers) {
  // Layer I frames first (buffers sized for 32 of them), then Layer II.
  testkit::Pcm pcm = testkit::MakeSignal(48000, 0.5, {{{440, 0.3}}, {{1000, 0.3}}});
  testkit::Layer1Options o;
  o.bitRateIndex = 12;
  std::vector<uint8_t> file = testkit::WriteLayer1(pcm, o);
  std::vector<uint8_t> layer2 = testkit::ReadFile("long48.mp2");
  file.insert(file.end(), layer2.begin(), layer2.begin() + 100 * 384);
  ASSERT_TRUE(testkit::WriteFile("layers.mpa", file.data(), file.size()));
  ASSERT_EQ(player_.Open("layers.mpa", notify_, trackbar_), 1);
  player_.Play();
  ASSERT_TRUE(PumpUntil([] { return Has(PLAYER_NOTIFY_ENDED); }, 20000));
  Pump(300);
  EXPECT_GE(Find(DeviceOutput(), Decoded("layers.mpa")), 0);
}

TEST_F(Playback, LowSamplingRateLayer2KeepsWholeFramesAndTimes) {
  // 24 kHz mono Layer II: 1152 samples and 48 ms per frame.
  testkit::Pcm pcm = testkit::MakeSignal(24000, 2.5, {{{440, 0.3}}});
  ASSERT_TRUE(testkit::EncodeLayer2(pcm, "lsf24.mp2", 'm', 64));
  Cut("lsf24.mp2", "lsf24x40.mp2", 40 * 384);  // 144 * 64000 / 24000 = 384 bytes a frame
  ASSERT_EQ(player_.Open("lsf24x40.mp2", notify_, trackbar_), 1);
  player_.Play();
  ASSERT_TRUE(PumpUntil([] { return Has(PLAYER_NOTIFY_ENDED); }, 20000));
  Pump(300);
  std::vector<int> seconds;
  for (const Message& m : received)
    if (m.message == WM_PLAYER_NOTIFY && m.w == PLAYER_NOTIFY_SECONDS) seconds.push_back(int(m.l));
  EXPECT_EQ(Frames(), (std::vector<int>{0, 16, 32, 39}));
  EXPECT_EQ(seconds, (std::vector<int>{0, 0, 1, 1}));  // 1.536 s and 1.872 s
  std::vector<int16_t> decoded = Decoded("lsf24x40.mp2");
  ASSERT_EQ(decoded.size(), 40u * 1152);
  std::vector<int16_t> played = DeviceOutput();
  long at = Find(played, decoded);
  ASSERT_GE(at, 0);
  EXPECT_EQ(played.size() - at, 64u * 1152);  // two buffers of 32 whole frames
}

TEST(SonavelDll, ExportsThePlayerObject) {
  HMODULE dll = LoadLibraryA("Sonavel.dll");
  ASSERT_NE(dll, nullptr);
  GetPlayerObjectProc get =
      reinterpret_cast<GetPlayerObjectProc>(reinterpret_cast<void*>(GetProcAddress(dll, "GetPlayerObject")));
  ASSERT_NE(get, nullptr);
  Player* p = get();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(get(), p);
  EXPECT_EQ(p->IsDeviceAvailable(), 1);
  EXPECT_EQ(p->GetDuration("long48.mp2"), 12);

  // A caller built elsewhere reaches the operations by slot: 0 ends the
  // object, 1 plays.
#ifdef __i386__
  typedef void(__attribute__((thiscall)) * Slot)(Player*);
#else
  typedef void (*Slot)(Player*);
#endif
  Slot* slots = *reinterpret_cast<Slot**>(p);
  HWND notify = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(p->Open("long48.mp2", notify, nullptr), 1);
  auto notes = [notify] {
    std::vector<WPARAM> got;
    MSG msg;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 300) {
      while (PeekMessageA(&msg, notify, WM_PLAYER_NOTIFY, WM_PLAYER_NOTIFY, PM_REMOVE))
        got.push_back(msg.wParam);
      Sleep(10);
    }
    return got;
  };
  notes();
  slots[1](p);
  std::vector<WPARAM> played = notes();
  EXPECT_NE(std::find(played.begin(), played.end(), WPARAM(PLAYER_NOTIFY_STARTED)), played.end());
  slots[0](p);
  std::vector<WPARAM> ended = notes();
  EXPECT_NE(std::find(ended.begin(), ended.end(), WPARAM(PLAYER_NOTIFY_STOPPED)), ended.end());
  // The file is forgotten: nothing plays until one is opened again.
  p->Play();
  EXPECT_TRUE(notes().empty());
  EXPECT_EQ(p->SeekToFrame(0), 0);
  DestroyWindow(notify);
  FreeLibrary(dll);
}
