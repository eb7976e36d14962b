// The timer component and the image control.
#pragma once

#include <windows.h>

#include "Classes.h"
#include "Controls.h"

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

// Shows one bitmap, which it owns.
class TImage : public TWinControl {
 public:
  explicit TImage(TComponent* owner) : TWinControl(owner) {}
  ~TImage() override;
  HBITMAP BitmapHandle() const { return bitmap_; }
  // Takes the bitmap over (the previous one is deleted).
  void SetBitmap(HBITMAP bitmap);

 protected:
  void FillCreateParams(CreateParams& p) override;
  void HandleCreated() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  HBITMAP bitmap_ = nullptr;
};
