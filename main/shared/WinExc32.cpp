#include "WinExc32.h"

#include <vector>

namespace {
// Starts the program, hands back its process handle and waits for it as
// wait says; GetLastError when it cannot be started.
DWORD StartThen(const std::string& commandLine, WORD showWindow, HANDLE& process,
                DWORD (*wait)(HANDLE, DWORD), DWORD timeoutMs) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
  si.wShowWindow = showWindow;
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &si, &pi))
    return GetLastError();
  CloseHandle(pi.hThread);
  process = pi.hProcess;
  return wait(pi.hProcess, timeoutMs);
}

DWORD WaitIdle(HANDLE process, DWORD timeoutMs) { return WaitForInputIdle(process, timeoutMs); }
DWORD WaitEnd(HANDLE process, DWORD timeoutMs) { return WaitForSingleObject(process, timeoutMs); }
}  // namespace

DWORD WinExecAndWaitIdle(const std::string& commandLine, WORD showWindow, DWORD timeoutMs,
                         HANDLE& process) {
  return StartThen(commandLine, showWindow, process, WaitIdle, timeoutMs);
}

DWORD WinExecAndWait(const std::string& commandLine, WORD showWindow, DWORD timeoutMs,
                     HANDLE& process) {
  return StartThen(commandLine, showWindow, process, WaitEnd, timeoutMs);
}
