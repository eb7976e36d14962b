#include "Threads.h"

#include "Application.h"

DWORD WaitWithSentMessages(HANDLE object, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD left = INFINITE;
    if (timeoutMs != INFINITE) {
      DWORD spent = GetTickCount() - start;
      if (spent >= timeoutMs) return WAIT_TIMEOUT;
      left = timeoutMs - spent;
    }
    DWORD r = MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_SENDMESSAGE);
    if (r != WAIT_OBJECT_0 + 1) return r;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // delivers the sent messages
  }
}

TThread::TThread() {
  handle_ = CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id_);
  if (!handle_) throw EThread(Format(SThreadCreateError, IntToStr(GetLastError()).c_str()));
}

TThread::~TThread() {
  if (!FreeOnTerminate && started_ && !finished_) {
    Terminate();
    WaitFor();
  }
  if (!started_) {
    // Never resumed: let the thread run out without touching this object.
    FreeOnTerminate = false;
    TerminateThread(handle_, 0);
  }
  CloseHandle(handle_);
}

DWORD WINAPI TThread::ThreadProc(void* p) {
  auto* self = static_cast<TThread*>(p);
  try {
    self->Execute();
  } catch (...) {
    // An exception ends the thread; nothing may leave it.
  }
  DWORD code = self->ReturnValue;
  bool freeIt = self->FreeOnTerminate;
  self->finished_ = true;
  if (freeIt) delete self;
  return code;
}

void TThread::Resume() {
  started_ = true;
  ResumeThread(handle_);
}

DWORD TThread::WaitFor() {
  if (Application->IsMainThread())
    WaitWithSentMessages(handle_, INFINITE);
  else
    WaitForSingleObject(handle_, INFINITE);
  DWORD code = 0;
  GetExitCodeThread(handle_, &code);
  return code;
}

void TThread::SetPriority(TThreadPriority priority) {
  static const int kLevels[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                                THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                                THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                                THREAD_PRIORITY_TIME_CRITICAL};
  SetThreadPriority(handle_, kLevels[priority]);
}

void TThread::Synchronize(const std::function<void()>& fn) { Application->RunOnMainThread(fn); }
