// wavplayer_bench FILE... plays each file through TezWavPlayer.dll into a
// record file ("NUL": nothing is kept) at many times real time (the speed
// setting, from TezPlayers.inx beside it) and prints the sound's length,
// the time it took and the peak private memory of the process after it:
// a player that reads as it plays stays near the same figure however long
// the item.
#include <windows.h>

#include <psapi.h>

#include <cstdio>

#include "MailMessage.h"
#include "TezItemPlayerApi.h"
#include "TezMediaApi.h"

namespace {

int g_stops = 0;
int g_lastPosition = 0;

void TEZAPI Hook(const MailMessage* m) {
  if (m->message == TEZ_MSG_EVENT && m->lParam[0] == TEZ_EVENT_STOP) ++g_stops;
  if (m->message == TEZ_MSG_STATUS) g_lastPosition = m->lParam[1];
}

double PeakPrivateMb() {
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  return memory.PeakPagefileUsage / 1048576.0;
}

template <typename T>
T Entry(HMODULE module, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: wavplayer_bench FILE...\n");
    return 2;
  }
  HMODULE player = LoadLibraryA("TezWavPlayer.dll");
  if (!player) {
    fprintf(stderr, "TezWavPlayer.dll not found\n");
    return 1;
  }
  auto init = Entry<TezItemPlayer_Initialize3_t>(player, "TezItemPlayer_Initialize3");
  auto play = Entry<TezWavPlayer_PlayFile_t>(player, "TezWavPlayer_PlayFile");
  auto total = Entry<int(TEZAPI*)()>(player, "TezItemPlayer_GetTotalPlayTime");
  auto close = Entry<int(TEZAPI*)()>(player, "TezItemPlayer_Close");
  HWND host = CreateWindowExA(0, "STATIC", "bench", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                              nullptr);
  if (!init || !play || !total || !close ||
      !init(host, "\\\\.\\mailslot\\unused", Hook, 0, 0, "TezPlayers.inx")) {
    fprintf(stderr, "the player did not start\n");
    return 1;
  }
  printf("before playing: peak private %.1f MB\n", PeakPrivateMb());
  for (int i = 1; i < argc; ++i) {
    const int stops = g_stops;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!play(argv[i], 1, "NUL")) {
      fprintf(stderr, "%s: refused\n", argv[i]);
      return 1;
    }
    const int length = total();
    MSG msg;
    while (g_stops == stops && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    QueryPerformanceCounter(&end);
    const double seconds = double(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    printf("%s: %d s of sound (%.1f h) played in %.1f s; peak private %.1f MB\n", argv[i], length,
           length / 3600.0, seconds, PeakPrivateMb());
  }
  close();
  DestroyWindow(host);
  return 0;
}
