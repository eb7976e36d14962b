// Threads of the form class library: created suspended, started with
// Resume, and able to run a call on the main thread and wait for it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "Classes.h"

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread : public TObject {
 public:
  TThread();
  // Waits for a thread that is not set to free itself.
  ~TThread() override;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  void Resume();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // Waits for the end of Execute, letting calls from other threads into the
  // main thread through meanwhile; returns the exit code.
  DWORD WaitFor();
  void SetPriority(TThreadPriority priority);
  HANDLE Handle() const { return handle_; }
  DWORD ThreadID() const { return id_; }
  bool Finished() const { return finished_; }

  // The object deletes itself when Execute ends (set before Resume).
  bool FreeOnTerminate = false;
  DWORD ReturnValue = 0;

 protected:
  virtual void Execute() = 0;
  // Runs fn on the main thread and waits for it.
  void Synchronize(const std::function<void()>& fn);

 private:
  static DWORD WINAPI ThreadProc(void* self);
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  bool started_ = false;
};

// Waits for an object while the calling thread keeps taking calls sent to
// it from other threads; returns what WaitForSingleObject would.
DWORD WaitWithSentMessages(HANDLE object, DWORD timeoutMs);
