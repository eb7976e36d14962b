#include "ExtCtrls.h"

#include "Application.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = AllocateHWnd([this](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == WM_TIMER) {
      if (enabled_ && onTimer_) onTimer_(this);
      return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
  });
}

TTimer::~TTimer() {
  KillTimer(window_, 1);
  DeallocateHWnd(window_);
}

void TTimer::Update() {
  KillTimer(window_, 1);
  if (enabled_ && interval_ > 0 && onTimer_) SetTimer(window_, 1, interval_, nullptr);
}

void TTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

void TTimer::SetInterval(UINT ms) {
  interval_ = ms;
  Update();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  Update();
}

TImage::~TImage() {
  if (HandleAllocated()) SendMessageA(Handle(), STM_SETIMAGE, IMAGE_BITMAP, 0);
  if (bitmap_) DeleteObject(bitmap_);
}

void TImage::FillCreateParams(CreateParams& p) {
  p.className = "STATIC";
  p.style |= SS_BITMAP | SS_NOTIFY;
}

void TImage::HandleCreated() {
  if (bitmap_) SendMessageA(Handle(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
}

LRESULT TImage::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The system's picture control paints nothing without a picture, which
  // would leave what was on the screen before.
  if (msg == WM_PAINT && !bitmap_) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    FillBackground(dc);
    EndPaint(Handle(), &ps);
    return 0;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

void TImage::SetBitmap(HBITMAP bitmap) {
  if (bitmap == bitmap_) return;
  if (HandleAllocated())
    SendMessageA(Handle(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = bitmap;
  if (HandleAllocated() && !bitmap_) InvalidateRect(Handle(), nullptr, FALSE);
}
