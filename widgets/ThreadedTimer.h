// A timer that raises OnTimer every Interval milliseconds, from a thread of
// its own (which hands the event to the main thread unless SyncEvent is
// off) or from a window timer.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "Classes.h"
#include "Threads.h"

class TThreadedTimer;

// The timer's thread: sleeps for the interval, then ticks. It is paused and
// resumed only by the main thread, and a paused thread waits without
// turning; a pause takes effect at the thread's safe point between ticks.
class TThreadedTimerThread : public TThread {
 public:
  explicit TThreadedTimerThread(TThreadedTimer* owner);
  // Main thread only.
  void Pause();
  void Run(DWORD interval);
  // The owner is gone: the thread raises no more ticks and ends.
  void Detach();

 protected:
  void Execute() override;

 private:
  void Tick(unsigned generation);
  bool Current(unsigned generation);
  std::mutex lock_;
  std::condition_variable changed_;
  std::atomic<TThreadedTimer*> owner_;
  DWORD interval_ = 1000;
  bool running_ = false;
  bool detached_ = false;
  unsigned generation_ = 0;
};

class TThreadedTimer : public TComponent {
 public:
  explicit TThreadedTimer(TComponent* owner);
  // Stops the timer and waits for its thread; no tick runs afterwards. A
  // timer freed by its own OnTimer leaves its thread to end by itself.
  ~TThreadedTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  UINT Interval() const { return interval_; }
  void SetInterval(UINT ms);
  bool SyncEvent() const { return syncEvent_; }
  void SetSyncEvent(bool sync) { syncEvent_ = sync; }
  bool Threaded() const { return threaded_; }
  void SetThreaded(bool threaded);
  TThreadPriority ThreadPriority() const { return priority_; }
  void SetThreadPriority(TThreadPriority priority);
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  // A new handler alone keeps the running period; assigning or clearing
  // the handler starts or stops the timer.
  void SetOnTimer(TNotifyEvent handler);

 protected:
  // Raises OnTimer while enabled and not being destroyed.
  virtual void Timer();

 private:
  friend class TThreadedTimerThread;
  void UpdateTimer();
  std::atomic<bool> enabled_{true};
  UINT interval_ = 1000;
  std::atomic<bool> syncEvent_{true};
  bool threaded_ = true;
  TThreadPriority priority_ = tpNormal;
  TNotifyEvent onTimer_;
  std::atomic<DWORD> tickThread_{0};  // the thread running OnTimer, if any
  bool* freedInTick_ = nullptr;       // set when a tick's handler frees the timer
  HWND window_ = nullptr;
  TThreadedTimerThread* thread_ = nullptr;
};
