#include "ComCtrls.h"

#include <commctrl.h>

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)registered;
}

void TTrackBar::FillCreateParams(CreateParams& p) {
  p.className = TRACKBAR_CLASSA;
  p.style |= WS_TABSTOP | TBS_AUTOTICKS | (Orientation == trVertical ? TBS_VERT : TBS_HORZ);
}

void TTrackBar::HandleCreated() {
  HWND h = Handle();
  SendMessageA(h, TBM_SETRANGEMIN, FALSE, min_);
  SendMessageA(h, TBM_SETRANGEMAX, FALSE, max_);
  SendMessageA(h, TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
  SendMessageA(h, TBM_SETPOS, TRUE, position_);
}

int TTrackBar::Position() const {
  return HandleAllocated() ? static_cast<int>(SendMessageA(Handle(), TBM_GETPOS, 0, 0))
                           : position_;
}

void TTrackBar::SetRange(int min, int max) {
  if (max < min) max = min;
  min_ = min;
  max_ = max;
  if (HandleAllocated()) {
    SendMessageA(Handle(), TBM_SETRANGEMIN, FALSE, min);
    SendMessageA(Handle(), TBM_SETRANGEMAX, TRUE, max);
  }
  SetPosition(position_);
}

void TTrackBar::SetPosition(int v) {
  v = v < min_ ? min_ : v > max_ ? max_ : v;
  if (HandleAllocated())
    SendMessageA(Handle(), TBM_SETPOS, TRUE, v);  // the window reports the change
  else if (v != position_) {
    position_ = v;
    if (OnChange) OnChange(this);
  }
}

void TTrackBar::SetFrequency(int v) {
  frequency_ = v < 1 ? 1 : v;
  if (HandleAllocated()) SendMessageA(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(frequency_), 0);
}

LRESULT TTrackBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = TWinControl::WndProc(msg, wp, lp);
  switch (msg) {
    case TBM_SETRANGE:
    case TBM_SETRANGEMIN:
    case TBM_SETRANGEMAX:
      min_ = static_cast<int>(SendMessageA(Handle(), TBM_GETRANGEMIN, 0, 0));
      max_ = static_cast<int>(SendMessageA(Handle(), TBM_GETRANGEMAX, 0, 0));
      Changed();
      break;
    case TBM_SETPOS:
      Changed();
      break;
    default:
      break;
  }
  return result;
}

void TTrackBar::ScrollNotify(WORD code) {
  (void)code;
  Changed();
}

void TTrackBar::Changed() {
  int pos = Position();
  if (pos == position_) return;
  position_ = pos;
  if (OnChange) OnChange(this);
}
