// The timer with its own thread: ticks on the main thread, a zero interval
// or a missing handler stops it, a new handler keeps its period, and after
// its destruction no tick comes.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "../forms/Pump.h"
#include "Application.h"
#include "ThreadedTimer.h"

namespace {
void Pump(int ms) { PumpUntil([] { return false; }, ms); }
}  // namespace

TEST(ThreadedTimer, TicksOnTheMainThreadInBothModes) {
  Application->Initialize();
  for (bool threaded : {true, false}) {
    TThreadedTimer timer(nullptr);
    timer.SetThreaded(threaded);
    timer.SetInterval(20);
    int ticks = 0;
    DWORD thread = 0;
    timer.SetOnTimer([&](TObject* sender) {
      EXPECT_EQ(sender, &timer);
      thread = GetCurrentThreadId();
      ++ticks;
    });
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, 3000)) << threaded;
    EXPECT_EQ(thread, GetCurrentThreadId());
    timer.SetEnabled(false);
    Pump(30);
    int stopped = ticks;
    Pump(150);
    EXPECT_EQ(ticks, stopped) << threaded;
  }
}

TEST(ThreadedTimer, ZeroIntervalRaisesNothing) {
  for (bool threaded : {true, false}) {
    TThreadedTimer timer(nullptr);
    timer.SetThreaded(threaded);
    timer.SetInterval(0);
    int ticks = 0;
    timer.SetOnTimer([&](TObject*) { ++ticks; });
    Pump(150);
    EXPECT_EQ(ticks, 0);
  }
}

TEST(ThreadedTimer, NewHandlerKeepsThePeriod) {
  TThreadedTimer timer(nullptr);
  timer.SetInterval(300);
  DWORD started = GetTickCount();
  DWORD firstTick = 0;
  timer.SetOnTimer([&](TObject*) {});
  Pump(200);
  // Replacing the handler does not start a new period of 300 ms.
  timer.SetOnTimer([&](TObject*) {
    if (!firstTick) firstTick = GetTickCount();
  });
  ASSERT_TRUE(PumpUntil([&] { return firstTick != 0; }, 2000));
  EXPECT_LT(firstTick - started, 450u);
}

TEST(ThreadedTimer, NoTickAfterDestruction) {
  // Direct ticks on the timer's thread, and ticks handed to the main thread.
  for (bool sync : {false, true}) {
    std::atomic<int> ticks{0};
    auto* timer = new TThreadedTimer(nullptr);
    timer->SetSyncEvent(sync);
    timer->SetInterval(1);
    timer->SetOnTimer([&](TObject*) {
      ++ticks;
      Sleep(1);
    });
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 5; }, 3000));
    delete timer;
    int atEnd = ticks;
    Pump(100);
    EXPECT_EQ(ticks, atEnd) << sync;
  }
}

TEST(ThreadedTimer, HandlerMayFreeItsTimer) {
  for (bool threaded : {true, false})
    for (bool sync : {true, false}) {
      if (!threaded && !sync) continue;
      std::atomic<int> ticks{0};
      auto* timer = new TThreadedTimer(nullptr);
      timer->SetThreaded(threaded);
      timer->SetSyncEvent(sync);
      timer->SetInterval(10);
      timer->SetOnTimer([&ticks](TObject* sender) {
        if (++ticks == 1) delete static_cast<TThreadedTimer*>(sender);
      });
      Pump(200);
      EXPECT_EQ(ticks, 1) << threaded << sync;
    }
}
