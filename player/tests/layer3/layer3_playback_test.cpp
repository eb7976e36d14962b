// A Layer III file played through Sonavel.dll arrives in the wave-out sink
// as the decoder gives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "Layer3TestSupport.h"
#include "Player.h"

namespace {

bool g_ended = false;

LRESULT CALLBACK NotifyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PLAYER_NOTIFY && wp == PLAYER_NOTIFY_ENDED) g_ended = true;
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// Plays a file through Sonavel.dll to its end; what the wave-out sink got,
// per channel.
void PlayThroughSonavel(const char* path, std::vector<int16_t> played[2]) {
  const char* sinkPath = std::getenv("BRINDALE_WAVE_SINK");
  ASSERT_TRUE(sinkPath) << "run inside the test environment";
  // The sink is a Unix path; Wine maps the root to drive Z:.
  std::string sinkFile = std::string("Z:") + sinkPath;

  HMODULE lib = LoadLibraryA("Sonavel.dll");
  ASSERT_TRUE(lib);
  auto get = reinterpret_cast<GetPlayerObjectProc>(
      reinterpret_cast<void*>(GetProcAddress(lib, "GetPlayerObject")));
  ASSERT_TRUE(get);
  Player* player = get();

  WNDCLASSA wc = {};
  wc.lpfnWndProc = NotifyProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "Layer3PlaybackNotify";
  RegisterClassA(&wc);
  HWND notify = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
  ASSERT_TRUE(notify);

  g_ended = false;
  ASSERT_EQ(player->Open(path, notify, nullptr), 1);
  player->Play();
  const DWORD start = GetTickCount();
  MSG msg;
  while (!g_ended && GetTickCount() - start < 60000) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(20);
  }
  EXPECT_TRUE(g_ended);
  player->Stop();
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  DestroyWindow(notify);

  // The sink file starts anew when the device opens: it holds this playback.
  testkit::Pcm all = ReadRawPcm(sinkFile, 2, 44100);
  // Leave the shared sink empty for the next test that measures it.
  HANDLE sinkHandle = CreateFileA(sinkFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, TRUNCATE_EXISTING, 0, nullptr);
  if (sinkHandle != INVALID_HANDLE_VALUE) CloseHandle(sinkHandle);
  for (size_t i = 0; i + 1 < all.samples.size(); i += 2) {
    played[0].push_back(all.samples[i]);
    played[1].push_back(all.samples[i + 1]);
  }
}

std::vector<float> Floats(const std::vector<int16_t>& v, size_t from = 0) {
  return std::vector<float>(v.begin() + std::min(from, v.size()), v.end());
}

TEST(Layer3Playback, PlayedFileReachesTheWaveOutSink) {
  std::vector<int16_t> played[2];
  PlayThroughSonavel("cbr128_joint.mp3", played);
  Layer3File d;
  DecodeLayer3File("cbr128_joint.mp3", d);
  ASSERT_EQ(d.channels, 2);
  ASSERT_GE(played[0].size(), d.sink.pcm[0].size());
  int delay = testkit::FindDelay(Floats(d.sink.pcm[0]), Floats(played[0]), 8000);
  EXPECT_EQ(delay, 0);
  for (int ch = 0; ch < 2; ++ch)
    EXPECT_GE(testkit::Snr(Floats(d.sink.pcm[ch]), Floats(played[ch]), delay, 0), 60.0)
        << "channel " << ch;
}

TEST(Layer3Playback, StreamChangingLayersPlaysEveryPart) {
  // Layer III, then Layer II, then the same Layer III file again.
  std::vector<int16_t> played[2];
  PlayThroughSonavel("layer_change.mp3", played);
  Layer3File a;
  DecodeLayer3File("cbr128_joint.mp3", a);
  testkit::CaptureSink b;
  FileDecodeReport layer2 = DecodeFile("layer2.mp2", b);
  ASSERT_EQ(layer2.first.layer, 2);
  const size_t nA = a.sink.pcm[0].size(), nB = b.pcm[0].size();
  ASSERT_GE(played[0].size(), 2 * nA + nB);
  for (int ch = 0; ch < 2; ++ch) {
    SCOPED_TRACE(ch);
    std::vector<float> first = Floats(a.sink.pcm[ch]);
    EXPECT_GE(testkit::Snr(first, Floats(played[ch]), 0, 0), 60.0);
    // The Layer II part starts with the synthesis filters still holding
    // the end of the Layer III part.
    EXPECT_GE(testkit::Snr(Floats(b.pcm[ch]), Floats(played[ch], nA), 0, 1000), 40.0);
    // A new Layer III decoder: the second copy decodes as the first.
    EXPECT_GE(testkit::Snr(first, Floats(played[ch], nA + nB), 0, 0), 60.0);
  }
}

}  // namespace
