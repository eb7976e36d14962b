// Stands in for the controller when Halvorn starts it: writes the path it
// was started from to "started.txt" in its working folder, then shows a
// window captioned "Brindale Control" until it is closed or 60 s pass.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (FILE* f = std::fopen("started.txt", "wb")) {
    std::fputs(path, f);
    std::fclose(f);
  }
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.lpszClassName = "StandInControl";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("StandInControl", "Brindale Control", WS_OVERLAPPED, 0, 0, 10, 10,
                              nullptr, nullptr, instance, nullptr);
  SetTimer(window, 1, 60000, nullptr);
  MSG msg;
  while (IsWindow(window) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER) break;
    DispatchMessageA(&msg);
  }
  return 0;
}
