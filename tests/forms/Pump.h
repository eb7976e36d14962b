// Handling this process's messages while a test waits for something.
#pragma once

#include <windows.h>

#include <functional>

#include "Application.h"

// Handles messages until done() or the time is up; false on time-out.
inline bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
    Application->ProcessMessages();
    Sleep(5);
  }
  return true;
}
