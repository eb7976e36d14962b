// Starting the peer program and waiting for what it does.
#pragma once

#include <windows.h>

#include <string>

#include "../forms/Pump.h"

// The peer program beside the test program.
inline std::string ProbePath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p = path;
  return p.substr(0, p.find_last_of('\\') + 1) + "shared_probe.exe";
}

inline HANDLE StartProbe(const std::string& args) {
  std::string cmd = "\"" + ProbePath() + "\" " + args;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

// Handles this process's messages until done() or the time is up.
// Ends a peer that a failed test left running.
struct ProbeGuard {
  HANDLE process;
  explicit ProbeGuard(HANDLE p) : process(p) {}
  ~ProbeGuard() {
    if (!process) return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 99);
    CloseHandle(process);
  }
  ProbeGuard(const ProbeGuard&) = delete;
  ProbeGuard& operator=(const ProbeGuard&) = delete;
};

// A visible top-level window with that caption.
inline HWND WaitForWindow(const char* caption, int ms = 30000) {
  HWND w = nullptr;
  PumpUntil([&] { return (w = FindWindowA(nullptr, caption)) != nullptr && IsWindowVisible(w); },
            ms);
  return w && IsWindowVisible(w) ? w : nullptr;
}

inline DWORD WaitExit(HANDLE process, int ms = 30000) {
  DWORD code = 0xDEAD;
  if (WaitForSingleObject(process, static_cast<DWORD>(ms)) == WAIT_OBJECT_0)
    GetExitCodeProcess(process, &code);
  return code;
}
