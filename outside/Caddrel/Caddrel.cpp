// The device program: a window captioned "BrindaleCaddrel" that a
// controller registers with, sends its COM port and its enable and stop
// commands to, and that reports the device ready or not ready. There is
// no device behind it: it reports ready after a delay, or never.
// Settings in Caddrel.inx of the current directory, section [Device]:
//   readyDelay  ms between a connect or enable command and the ready report
//   neverReady  1: reports "not ready" instead
//   ignoreClose 1: the window refuses to close (a program that hangs)
// Every message it takes is logged to Caddrel.log in the current directory.
#include <windows.h>

#include "TextUtil.h"

namespace {

const char kLogFile[] = "Caddrel.log";
const UINT kDeviceCommand = 1124;
const UINT kDeviceRegister = 1134;
const UINT kDeviceUnregister = 1139;
const UINT kDeviceState = 1164;
const WPARAM kStateNotReady = 60;
const WPARAM kStateReady = 525;
const UINT_PTR kReadyTimer = 1;

HWND g_controller = nullptr;
UINT g_readyDelay = 0;
bool g_neverReady = false;
bool g_ignoreClose = false;

void Report(WPARAM state) {
  if (g_controller && IsWindow(g_controller)) PostMessageA(g_controller, kDeviceState, state, 0);
}

// A connect or enable command: the device answers after its delay.
void AskReady(HWND window) {
  if (g_neverReady) {
    Report(kStateNotReady);
    return;
  }
  if (g_readyDelay == 0) {
    Report(kStateReady);
    return;
  }
  SetTimer(window, kReadyTimer, g_readyDelay, nullptr);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kDeviceRegister:
      g_controller = reinterpret_cast<HWND>(wParam);
      AppendLineF(kLogFile, "REGISTER");
      return 0;
    case kDeviceUnregister:
      AppendLineF(kLogFile, "UNREGISTER");
      if (reinterpret_cast<HWND>(wParam) == g_controller) g_controller = nullptr;
      return 0;
    case kDeviceCommand:
      AppendLineF(kLogFile, "COMMAND %ld %ld", long(wParam), long(lParam));
      if (wParam == 10 || wParam == 510) AskReady(window);
      if (wParam == 20) {
        KillTimer(window, kReadyTimer);
        Report(kStateNotReady);
      }
      return 0;
    case WM_TIMER:
      if (wParam == kReadyTimer) {
        KillTimer(window, kReadyTimer);
        Report(kStateReady);
      }
      return 0;
    case WM_CLOSE:
      AppendLineF(kLogFile, g_ignoreClose ? "CLOSE IGNORED" : "CLOSE");
      if (!g_ignoreClose) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  char file[MAX_PATH + 16];
  DWORD n = GetCurrentDirectoryA(MAX_PATH, file);
  if (n == 0 || n >= MAX_PATH) return 1;
  lstrcatA(file, "\\Caddrel.inx");
  g_readyDelay = GetPrivateProfileIntA("Device", "readyDelay", 0, file);
  g_neverReady = GetPrivateProfileIntA("Device", "neverReady", 0, file) == 1;
  g_ignoreClose = GetPrivateProfileIntA("Device", "ignoreClose", 0, file) == 1;

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = "TBrindaleCaddrel";
  if (!RegisterClassA(&windowClass)) return 1;
  HWND window = CreateWindowA("TBrindaleCaddrel", "BrindaleCaddrel", WS_OVERLAPPEDWINDOW,
                              CW_USEDEFAULT, CW_USEDEFAULT, 240, 120, nullptr, nullptr, instance,
                              nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  AppendLineF(kLogFile, "START");
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  AppendLineF(kLogFile, "END");
  return 0;
}
