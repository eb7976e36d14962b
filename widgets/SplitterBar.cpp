#include "SplitterBar.h"

#include <algorithm>

#include "Application.h"
#include "Forms.h"

TSplitterBar::TSplitterBar(TComponent* owner) : TPanel(owner) {
  width_ = 185;
  height_ = 3;
  Ctl3D = false;
}

TSplitterBar::~TSplitterBar() {
  Destroying();
  if (dragging_) EndDrag();
}

TWinControl* TSplitterBar::Checked(TWinControl* control) {
  if (control == this || dynamic_cast<TForm*>(control)) return nullptr;
  return control;
}

void TSplitterBar::SetControlFirst(TWinControl* control) {
  if (first_ && first_ != second_) first_->RemoveFreeNotification(this);
  first_ = Checked(control);
  if (first_) first_->FreeNotification(this);
  UpdateCursor();
}

void TSplitterBar::SetControlSecond(TWinControl* control) {
  if (second_ && second_ != first_) second_->RemoveFreeNotification(this);
  second_ = Checked(control);
  if (second_) second_->FreeNotification(this);
  UpdateCursor();
}

void TSplitterBar::Notification(TComponent* component, TOperation operation) {
  TPanel::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == first_ || component == second_) {
    if (dragging_) EndDrag();
    if (component == first_) first_ = nullptr;
    if (component == second_) second_ = nullptr;
    UpdateCursor();
  }
  if (component == keyOwner_) keyOwner_ = nullptr;
}

void TSplitterBar::Loaded() {
  TPanel::Loaded();
  UpdateCursor();
}

void TSplitterBar::DefineProperties(TFiler& filer) {
  TPanel::DefineProperties(filer);
  // Older stored data: one margin for both edges, read only.
  filer.DefineProperty("LimitOffset", [this](TReader& r) { TopLeftLimit = BottomRightLimit = r.ReadInteger(); },
                       nullptr, false);
}

int TSplitterBar::ResizeStyle() const {
  if (!first_) return 0;
  const TAlign f = first_->Align(), s = second_ ? second_->Align() : alNone, a = Align();
  const bool sNoneOrClient = !second_ || s == alClient;
  if ((f == alTop || f == alBottom) && sNoneOrClient) return a == f ? 1 : 0;
  if (f == alClient && second_ && (s == alBottom || s == alTop)) return a == s ? 2 : 0;
  if ((f == alLeft || f == alRight) && sNoneOrClient) return a == f ? 3 : 0;
  if (f == alClient && second_ && (s == alRight || s == alLeft)) return a == s ? 4 : 0;
  return 0;
}

bool TSplitterBar::Vertical() const { return style_ == 1 || style_ == 2; }

void TSplitterBar::UpdateCursor() {
  int style = ResizeStyle();
  SetCursor(style == 1 || style == 2 ? crVSplit : style == 3 || style == 4 ? crHSplit : crDefault);
}

void TSplitterBar::SetAlign(TAlign align) {
  const TAlign old = Align();
  TPanel::SetAlign(align);
  if ((old == alNone || old == alClient) && !(ComponentState() & csLoading)) {
    if (align == alTop || align == alBottom) SetHeight(3);
    if (align == alLeft || align == alRight) SetWidth(3);
  }
  if (!first_ && !second_ && Parent()) {
    // The sibling just outside the edge the bar is aligned to.
    RECT b = BoundsRect();
    POINT p;
    switch (align) {
      case alTop: p = {b.left, b.top - 1}; break;
      case alBottom: p = {b.left, b.bottom}; break;
      case alLeft: p = {b.left - 1, b.top}; break;
      case alRight: p = {b.right, b.top}; break;
      default: p = {-100000, -100000}; break;
    }
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
      TWinControl* c = Parent()->Controls(i);
      RECT cb = c->BoundsRect();
      if (c != this && PtInRect(&cb, p)) {
        SetControlFirst(c);
        break;
      }
    }
  }
  UpdateCursor();
}

POINT TSplitterBar::Clamp(POINT p, bool& clamped) const {
  clamped = false;
  const bool v = Vertical();
  LONG& pos = v ? p.y : p.x;
  const LONG off = v ? offset_.y : offset_.x;
  const LONG lo = v ? limits_.top : limits_.left, hi = v ? limits_.bottom : limits_.right;
  const LONG size = v ? Height() : Width();
  if (pos - off < lo) {
    pos = lo + off;
    clamped = true;
  }
  if (pos - off + size > hi) {
    pos = hi - size + off;
    clamped = true;
  }
  return p;
}

void TSplitterBar::DrawLine() {
  if (!dc_ || !form_) return;
  const bool v = Vertical();
  int thick = (v ? Height() : Width()) - 2;
  if (thick < 2) thick = 2;
  // The line in the middle of the bar's thickness, across its length, in
  // the form's co-ordinates.
  POINT a, b;
  if (v) {
    a = {0, line_.y - offset_.y + Height() / 2};
    b = {Width(), a.y};
  } else {
    a = {line_.x - offset_.x + Width() / 2, 0};
    b = {a.x, Height()};
  }
  POINT pts[2] = {a, b};
  MapWindowPoints(Handle(), form_->Handle(), pts, 2);
  HPEN pen = CreatePen(PS_SOLID, thick, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(dc_, pen);
  int rop = SetROP2(dc_, R2_XORPEN);
  MoveToEx(dc_, pts[0].x, pts[0].y, nullptr);
  LineTo(dc_, pts[1].x, pts[1].y);
  SetROP2(dc_, rop);
  SelectObject(dc_, old);
  DeleteObject(pen);
  lineShown_ = !lineShown_;
}

void TSplitterBar::MoveLine(POINT p) {
  const bool v = Vertical();
  if ((v ? p.y : p.x) == (v ? line_.y : line_.x)) return;
  if (lineShown_) DrawLine();
  line_ = p;
  DrawLine();
}

void TSplitterBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TPanel::MouseDown(button, shift, x, y);
  if (button != mbLeft || (ComponentState() & csDesigning) || dragging_) return;
  style_ = ResizeStyle();
  if (style_ == 0) return;
  form_ = GetParentForm(this);
  if (!form_) return;
  dragging_ = true;
  SetMouseCapture(true);
  RestoreKeys();  // from a drag that ended inside the key handler
  // The focused control of the form (or the form) lends its key handler.
  TWinControl* focused = TWinControl::FromHandle(GetFocus());
  if (!focused || GetParentForm(focused) != form_) {
    form_->SetFocus();
    focused = form_;
  }
  keyOwner_ = focused;
  keyOwner_->FreeNotification(this);
  savedKeyDown_ = keyOwner_->OnKeyDown;
  keyOwner_->OnKeyDown = [this](TObject* sender, WORD& key, TShiftState s) {
    if (key == VK_ESCAPE && dragging_) {
      // This handler is running: it is given back once the key is done.
      EndDrag(false);
      key = 0;
      return;
    }
    if (savedKeyDown_) savedKeyDown_(sender, key, s);
  };
  savedHints_ = Application->ShowHint;
  Application->ShowHint = false;
  offset_ = {x, y};
  RECT client;
  GetClientRect(Parent()->Handle(), &client);
  RECT b = BoundsRect();
  limits_ = {client.left + TopLeftLimit - b.left, client.top + TopLeftLimit - b.top,
             client.right - BottomRightLimit - b.left, client.bottom - BottomRightLimit - b.top};
  dc_ = GetDCEx(form_->Handle(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE);
  line_ = {x, y};
  lineShown_ = false;
  DrawLine();
}

void TSplitterBar::MouseMove(TShiftState shift, int x, int y) {
  TPanel::MouseMove(shift, x, y);
  if (!dragging_) return;
  bool allow = true;
  if (OnPosChanging) OnPosChanging(this, x, y, allow);
  POINT p = allow ? POINT{x, y} : line_;
  bool clamped;
  p = Clamp(p, clamped);
  SetCursor(!allow || clamped ? crNoDrop : (Vertical() ? crVSplit : crHSplit));
  MoveLine(p);
}

void TSplitterBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TPanel::MouseUp(button, shift, x, y);
  if (button != mbLeft || !dragging_) return;
  bool allow = true;
  if (OnPosChanging) OnPosChanging(this, x, y, allow);
  POINT p = allow ? POINT{x, y} : line_;
  bool clamped;
  p = Clamp(p, clamped);
  POINT off = offset_;
  const TAlign fa = first_ ? first_->Align() : alNone, sa = second_ ? second_->Align() : alNone;
  if (fa == alRight || sa == alRight) {
    p.x = -p.x;
    off.x = -off.x;
  }
  if (fa == alBottom || sa == alBottom) {
    p.y = -p.y;
    off.y = -off.y;
  }
  TWinControl* target = (style_ == 1 || style_ == 3) ? first_ : second_;
  const bool v = Vertical();
  EndDrag();
  if (!target || !Parent()) return;
  Parent()->DisableAlign();
  RECT client;
  GetClientRect(Parent()->Handle(), &client);
  const int room = v ? client.bottom - Height() : client.right - Width();
  int size = (v ? target->Height() : target->Width()) + (v ? p.y - off.y : p.x - off.x);
  if (size < 1) size = 1;
  if (size >= room) size = room - 3;
  if (v)
    target->SetHeight(size);
  else
    target->SetWidth(size);
  Parent()->EnableAlign();
  if (OnPosChanged) OnPosChanged(this);
}

void TSplitterBar::CaptureChanged() {
  TPanel::CaptureChanged();
  // Capture taken away mid-drag: end it as Escape does.
  if (dragging_ && !MouseCapture()) EndDrag();
}

namespace {
constexpr UINT kRestoreKeys = WM_APP + 0x3E10;
}

LRESULT TSplitterBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRestoreKeys) {
    RestoreKeys();
    return 0;
  }
  return TPanel::WndProc(msg, wp, lp);
}

void TSplitterBar::RestoreKeys() {
  if (keyOwner_) {
    keyOwner_->OnKeyDown = savedKeyDown_;
    keyOwner_->RemoveFreeNotification(this);
  }
  keyOwner_ = nullptr;
  savedKeyDown_ = nullptr;
}

void TSplitterBar::EndDrag(bool restoreKeysNow) {
  if (!dragging_) return;
  dragging_ = false;
  if (lineShown_) DrawLine();
  if (dc_ && form_) ReleaseDC(form_->Handle(), dc_);
  dc_ = nullptr;
  Application->ShowHint = savedHints_;
  if (restoreKeysNow || !HandleAllocated())
    RestoreKeys();
  else
    PostMessageA(Handle(), kRestoreKeys, 0, 0);
  SetMouseCapture(false);
  UpdateCursor();
}
