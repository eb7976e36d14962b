// Plays an MPEG audio file through the player library's DLL to its end, as
// the program does, and reports the CPU time the process spent (decoding
// thread, wave-out and all) against the playing time of the file.
#include <windows.h>

#include <stdio.h>

#include "Player.h"

namespace {

bool ended = false;

LRESULT CALLBACK NotifyProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PLAYER_NOTIFY && wp == PLAYER_NOTIFY_ENDED) ended = true;
  return DefWindowProcA(w, m, wp, lp);
}

double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return ((unsigned long long)t.dwHighDateTime << 32 | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: play_bench <file>\n");
    return 2;
  }
  HMODULE library = LoadLibraryA("Sonavel.dll");
  GetPlayerObjectProc get =
      library ? reinterpret_cast<GetPlayerObjectProc>(
                    reinterpret_cast<void*>(GetProcAddress(library, "GetPlayerObject")))
              : nullptr;
  if (!get) {
    fprintf(stderr, "Sonavel.dll not found\n");
    return 1;
  }
  Player* player = get();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = NotifyProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "PlayBenchNotify";
  RegisterClassA(&wc);
  HWND notify = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
  const PlayerFileInfo* info = player->GetFileInfo(argv[1]);
  const double seconds = info ? info->durationSeconds : 0;
  if (seconds <= 0 || player->Open(argv[1], notify, nullptr) != 1) {
    fprintf(stderr, "%s: cannot be played\n", argv[1]);
    return 1;
  }
  const double cpuBefore = CpuSeconds();
  const DWORD start = GetTickCount();
  player->Play();
  MSG msg;
  while (!ended && GetTickCount() - start < (seconds + 30) * 1000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  const double cpu = CpuSeconds() - cpuBefore;
  const double wall = (GetTickCount() - start) / 1000.0;
  player->Stop();
  if (!ended) {
    fprintf(stderr, "playback did not end\n");
    return 1;
  }
  printf("playback of %.0f s: CPU %.3f s over %.1f s, %.2f %% of a core per second of audio\n",
         seconds, cpu, wall, 100.0 * cpu / seconds);
  return 0;
}
