#include "WinExc32.h"

#include <vector>

namespace {
bool Start(const std::string& commandLine, WORD showWindow, PROCESS_INFORMATION& pi) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
  si.wShowWindow = showWindow;
  std::vector<char> cmd(commandLine.begin(), commandLine.end());
  cmd.push_back('\0');
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  return true;
}
}  // namespace

DWORD WinExecAndWaitIdle(const std::string& commandLine, WORD showWindow, DWORD timeoutMs,
                         HANDLE& process) {
  PROCESS_INFORMATION pi = {};
  if (!Start(commandLine, showWindow, pi)) return GetLastError();
  process = pi.hProcess;
  return WaitForInputIdle(pi.hProcess, timeoutMs);
}

DWORD WinExecAndWait(const std::string& commandLine, WORD showWindow, DWORD timeoutMs,
                     HANDLE& process) {
  PROCESS_INFORMATION pi = {};
  if (!Start(commandLine, showWindow, pi)) return GetLastError();
  process = pi.hProcess;
  return WaitForSingleObject(pi.hProcess, timeoutMs);
}
