#include "AuthThread.h"

#include <vector>

TAuthThread::TAuthThread(HWND form, UINT finishedMsg, std::string commandLine)
    : form_(form),
      finishedMsg_(finishedMsg),
      commandLine_(std::move(commandLine)),
      stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

TAuthThread::~TAuthThread() {
  Stop();
  CloseHandle(stop_);
}

void TAuthThread::Start() {
  started_ = true;
  Resume();
}

void TAuthThread::Stop() {
  Terminate();
  SetEvent(stop_);
  if (started_ && !Finished()) WaitFor();
}

void TAuthThread::Execute() {
  for (int round = 0; round < 3; ++round) {
    HWND old = FindWindowA(nullptr, "Authorize");
    if (!old) break;
    PostMessageA(old, WM_CANCELMODE, 0, 0);
    PostMessageA(old, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(stop_, 1000) == WAIT_OBJECT_0) return;
  }
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  std::vector<char> cmd(commandLine_.begin(), commandLine_.end());
  cmd.push_back('\0');
  PROCESS_INFORMATION pi = {};
  if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    HANDLE both[2] = {pi.hProcess, stop_};
    DWORD got = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    CloseHandle(pi.hProcess);
    if (got != WAIT_OBJECT_0) return;
  }
  if (!Terminated()) PostMessageA(form_, finishedMsg_, 0, 0);
}
