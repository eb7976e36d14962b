// The updater program: there is no update service behind it. It appends
// its command line to TezUpdate.ran in the current directory, so that a
// caller can see that it ran and with what, then shows a window captioned
// "TezUpdate" (and appends the line "window") and runs its message loop
// until the window closes, which it does by itself after a second.
// While a file TezUpdate.hold exists in the current directory (at most
// 60 s) it waits before its window and loop: a program that is slow to
// become idle.
#include <windows.h>

#include <cstdio>

namespace {

const UINT_PTR kCloseTimer = 1;

void Mark(const char* text) {
  FILE* f = fopen("TezUpdate.ran", "a");
  if (!f) return;
  fprintf(f, "%s\r\n", text);
  fclose(f);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kCloseTimer) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, msg, wp, lp);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  Mark(GetCommandLineA());
  for (int waited = 0; waited < 60000 && GetFileAttributesA("TezUpdate.hold") !=
                                             INVALID_FILE_ATTRIBUTES;
       waited += 50)
    Sleep(50);

  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "TezUpdateWindow";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("TezUpdateWindow", "TezUpdate", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 300, 120, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  Mark("window");
  ShowWindow(window, show);
  SetTimer(window, kCloseTimer, 1000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
