// A Layer III file played through Sonavel.dll arrives in the wave-out sink
// as the decoder gives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "Layer3TestSupport.h"
#include "Player.h"

namespace {

bool g_ended = false;

LRESULT CALLBACK NotifyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PLAYER_NOTIFY && wp == PLAYER_NOTIFY_ENDED) g_ended = true;
  return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(Layer3Playback, PlayedFileReachesTheWaveOutSink) {
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

  ASSERT_EQ(player->Open("cbr128_joint.mp3", notify, nullptr), 1);
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
  std::vector<int16_t> played[2];
  for (size_t i = 0; i + 1 < all.samples.size(); i += 2) {
    played[0].push_back(all.samples[i]);
    played[1].push_back(all.samples[i + 1]);
  }

  Layer3File d;
  DecodeLayer3File("cbr128_joint.mp3", d);
  ASSERT_EQ(d.channels, 2);
  ASSERT_GE(played[0].size(), d.sink.pcm[0].size());
  std::vector<float> out[2], decoded[2];
  for (int ch = 0; ch < 2; ++ch) {
    out[ch].assign(played[ch].begin(), played[ch].end());
    decoded[ch].assign(d.sink.pcm[ch].begin(), d.sink.pcm[ch].end());
  }
  int delay = testkit::FindDelay(decoded[0], out[0], 8000);
  for (int ch = 0; ch < 2; ++ch)
    EXPECT_GE(testkit::Snr(decoded[ch], out[ch], delay, 0), 60.0) << "channel " << ch;
}

}  // namespace
