// Non-visual timer component.
#pragma once

#include <windows.h>

#include "Classes.h"

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  UINT Interval() const { return interval_; }
  void SetInterval(UINT ms);
  // The timer runs only while enabled, with an interval and a handler.
  void SetOnTimer(TNotifyEvent handler);

 private:
  void Update();
  HWND window_;
  bool enabled_ = true;
  UINT interval_ = 1000;
  TNotifyEvent onTimer_;
};
