// The open menu window of this process: tests beside this one open theirs
// on the same display.
#pragma once

#include <windows.h>

inline BOOL CALLBACK FindOwnMenuWindow(HWND w, LPARAM lp) {
  char cls[16] = {};
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(w) && GetClassNameA(w, cls, sizeof cls) &&
      lstrcmpA(cls, "#32768") == 0) {
    *reinterpret_cast<HWND*>(lp) = w;
    return FALSE;
  }
  return TRUE;
}

inline HWND OwnMenuWindow() {
  HWND found = nullptr;
  EnumWindows(FindOwnMenuWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}
