#include "ThreadedTimer.h"

#include <chrono>

#include "Application.h"

namespace {
const char* const SNoTimers = "Not enough timers available";
}

TThreadedTimerThread::TThreadedTimerThread(TThreadedTimer* owner) : owner_(owner) {}

void TThreadedTimerThread::Pause() {
  std::lock_guard<std::mutex> hold(lock_);
  running_ = false;
  ++generation_;
  changed_.notify_all();
}

void TThreadedTimerThread::Run(DWORD interval) {
  std::lock_guard<std::mutex> hold(lock_);
  interval_ = interval;
  running_ = true;
  ++generation_;
  changed_.notify_all();
}

void TThreadedTimerThread::Detach() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    detached_ = true;
    running_ = false;
    ++generation_;
  }
  owner_ = nullptr;
  Terminate();
  changed_.notify_all();
}

bool TThreadedTimerThread::Current(unsigned generation) {
  std::lock_guard<std::mutex> hold(lock_);
  return running_ && generation == generation_;
}

void TThreadedTimerThread::Execute() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    changed_.wait(hold, [this] { return running_ || detached_; });
    if (detached_) return;
    unsigned generation = generation_;
    // A change of state (pause, new interval, end) cuts the wait short and
    // starts a new period; otherwise the period ends with a tick.
    bool interrupted = changed_.wait_for(hold, std::chrono::milliseconds(interval_),
                                         [&] { return generation_ != generation || detached_; });
    if (interrupted) continue;
    hold.unlock();
    try {
      Tick(generation);
    } catch (...) {
      // A tick that cannot reach the main thread is dropped.
    }
    hold.lock();
  }
}

void TThreadedTimerThread::Tick(unsigned generation) {
  if (Application->Terminated()) return;
  TThreadedTimer* owner = owner_;
  if (!owner || !owner->enabled_) return;
  if (owner->syncEvent_) {
    // Checked again on the main thread, which is the only one to pause,
    // re-apply or detach: a tick never runs after any of them.
    Synchronize([this, generation] {
      if (TThreadedTimer* o = owner_; o && Current(generation)) o->Timer();
    });
  } else {
    owner->Timer();
  }
}

TThreadedTimer::TThreadedTimer(TComponent* owner) : TComponent(owner) {
  thread_ = new TThreadedTimerThread(this);
  thread_->Resume();
}

TThreadedTimer::~TThreadedTimer() {
  Destroying();
  enabled_ = false;
  if (tickThread_ == GetCurrentThreadId()) {
    // Inside a tick the thread may be waiting for this very call.
    if (freedInTick_) *freedInTick_ = true;
    thread_->FreeOnTerminate = true;
    thread_->Detach();
  } else {
    thread_->Detach();
    thread_->WaitFor();
    delete thread_;
  }
  if (window_) {
    KillTimer(window_, 1);
    DeallocateHWnd(window_);
  }
}

void TThreadedTimer::UpdateTimer() {
  bool active = interval_ != 0 && enabled_ && onTimer_;
  if (threaded_) {
    if (window_) {
      KillTimer(window_, 1);
      DeallocateHWnd(window_);
      window_ = nullptr;
    }
    thread_->Pause();
    if (active) {
      thread_->SetPriority(priority_);
      thread_->Run(interval_);
    }
    return;
  }
  thread_->Pause();
  if (!window_) {
    window_ = AllocateHWnd([this](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
      if (msg == WM_TIMER) {
        Timer();
        return 0;
      }
      return DefWindowProcA(w, msg, wp, lp);
    });
  } else {
    KillTimer(window_, 1);
  }
  if (active && !SetTimer(window_, 1, interval_, nullptr)) throw EOutOfResources(SNoTimers);
}

void TThreadedTimer::Timer() {
  if (!enabled_ || (ComponentState() & csDestroying) || !onTimer_) return;
  // The handler may free the timer: it runs from a copy, and nothing of the
  // timer is touched after it.
  TNotifyEvent handler = onTimer_;
  bool freed = false;
  bool* outerFreed = freedInTick_;
  DWORD outerThread = tickThread_.exchange(GetCurrentThreadId());
  freedInTick_ = &freed;
  handler(this);
  if (freed) {
    if (outerFreed) *outerFreed = true;
    return;
  }
  freedInTick_ = outerFreed;
  tickThread_ = outerThread;
}

void TThreadedTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TThreadedTimer::SetInterval(UINT ms) {
  if (ms == interval_) return;
  interval_ = ms;
  UpdateTimer();
}

void TThreadedTimer::SetThreaded(bool threaded) {
  if (threaded == threaded_) return;
  threaded_ = threaded;
  UpdateTimer();
}

void TThreadedTimer::SetThreadPriority(TThreadPriority priority) {
  if (priority == priority_) return;
  priority_ = priority;
  if (threaded_) UpdateTimer();
}

void TThreadedTimer::SetOnTimer(TNotifyEvent handler) {
  bool wasAssigned = static_cast<bool>(onTimer_);
  onTimer_ = std::move(handler);
  if (wasAssigned != static_cast<bool>(onTimer_)) UpdateTimer();
}
