// Helpers for tests that talk to the local test server (tests/http/server.py).
#pragma once

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

inline int TestServerPort() {
  const char* p = std::getenv("BRINDALE_HTTP_PORT");
  return p ? std::atoi(p) : 0;
}

inline std::string TestUrl(const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(TestServerPort()) + path;
}

// The server's body of n bytes.
inline std::string ServerBody(size_t n) {
  static const char kPattern[] = "0123456789abcdef";
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = kPattern[i % 16];
  return s;
}

inline std::string ReadFileText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Pumps this thread's messages until done() or the guard time (a hang
// guard, not a timing check) has passed. Returns done().
template <typename Done>
bool PumpUntil(Done done, DWORD guardMs = 20000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > guardMs) return done();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// Pumps messages for a while (to see that nothing more happens).
inline void PumpFor(DWORD ms) {
  DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

// This process's window with this caption (a Recorder elsewhere may have
// one of its own), or null.
inline HWND OwnDialog(const char* caption) {
  struct Find {
    const char* caption;
    HWND found;
  } find = {caption, nullptr};
  EnumWindows(
      [](HWND wnd, LPARAM lp) CALLBACK -> BOOL {
        auto* f = reinterpret_cast<Find*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        char text[64] = "";
        GetWindowTextA(wnd, text, sizeof text);
        if (pid != GetCurrentProcessId() || strcmp(text, f->caption) != 0) return TRUE;
        f->found = wnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}
