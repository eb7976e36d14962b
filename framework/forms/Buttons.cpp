#include "Buttons.h"

TSpeedButton::TSpeedButton(TComponent* owner) : TCustomControl(owner) {
  width_ = 23;
  height_ = 22;
}

void TSpeedButton::FillCreateParams(CreateParams& p) {
  TCustomControl::FillCreateParams(p);
  p.style &= ~static_cast<DWORD>(WS_TABSTOP);
}

LRESULT TSpeedButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return TCustomControl::WndProc(msg, wp, lp);
}

void TSpeedButton::SetGroupIndex(int index) {
  groupIndex_ = index;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool allow) {
  allowAllUp_ = allow;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool down) {
  if (groupIndex_ == 0) down = false;
  if (down == down_) return;
  if (!down && !allowAllUp_) {
    // The last down button of a group stays down unless all may be up.
    bool other = false;
    if (Parent())
      for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
        if (b && b != this && b->groupIndex_ == groupIndex_ && b->down_) other = true;
      }
    if (!other) return;
  }
  down_ = down;
  state_ = down ? bsExclusive : bsUp;
  if (down) UpdateExclusive();
  Invalidate();
}

// A button that goes down releases the others of its group.
void TSpeedButton::UpdateExclusive() {
  if (!down_ || groupIndex_ == 0 || !Parent()) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
    if (b && b != this && b->groupIndex_ == groupIndex_ && b->down_) {
      b->down_ = false;
      b->state_ = bsUp;
      b->allowAllUp_ = allowAllUp_;
      b->Invalidate();
    }
  }
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  pressing_ = true;
  SetMouseCapture(true);
  if (!down_) state_ = bsDown;
  Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || !pressing_) return;
  pressing_ = false;
  SetMouseCapture(false);
  bool inside = x >= 0 && y >= 0 && x < ClientWidth() && y < ClientHeight();
  if (inside && groupIndex_ != 0) {
    if (down_ && allowAllUp_) SetDown(false);
    else if (!down_) SetDown(true);
  }
  state_ = down_ ? bsExclusive : bsUp;
  Invalidate();
  if (inside) Click();
}

void TSpeedButton::MouseEnter() {
  TCustomControl::MouseEnter();
  if (Flat) Invalidate();
}

void TSpeedButton::MouseLeave() {
  TCustomControl::MouseLeave();
  if (Flat) Invalidate();
}

void TSpeedButton::Click() { TCustomControl::Click(); }

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  RECT r = {0, 0, ClientWidth(), ClientHeight()};
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  HDC dc = c->Handle();
  const bool pressed = state_ == bsDown || state_ == bsExclusive;
  if (!Flat || MouseInside() || pressed)
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : (Flat ? BDR_RAISEDINNER : EDGE_RAISED), BF_RECT);
  std::string text = Caption();
  if (!text.empty()) {
    if (pressed) OffsetRect(&r, 1, 1);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(Enabled() ? FontColor() : clGrayText));
    HGDIOBJ oldFont = SelectObject(dc, c->Font()->Handle());
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
  }
}
