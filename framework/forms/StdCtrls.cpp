#include "StdCtrls.h"

#include "Forms.h"

TPanel::TPanel(TComponent* owner) : TWinControl(owner) { RegisterOwnClass("TPanel"); }

void TPanel::FillCreateParams(CreateParams& p) { p.className = "TPanel"; }

void TPanel::SetBevelInner(TBevelCut v) {
  inner_ = v;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}
void TPanel::SetBevelOuter(TBevelCut v) {
  outer_ = v;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}
void TPanel::SetBevelWidth(int v) {
  bevelWidth_ = v < 1 ? 1 : v;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TPanel::SetBorderWidth(int v) {
  borderWidth_ = v < 0 ? 0 : v;
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TPanel::Paint(HDC dc) {
  RECT r;
  GetClientRect(Handle(), &r);
  FillRect(dc, &r, BackgroundBrush());
  bool first = true;
  for (TBevelCut cut : {outer_, inner_}) {
    if (!first) InflateRect(&r, -borderWidth_, -borderWidth_);
    first = false;
    if (cut == bvNone) continue;
    for (int i = 0; i < bevelWidth_; ++i) {
      DrawEdge(dc, &r, cut == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      InflateRect(&r, -1, -1);
    }
  }
  std::string text = Caption();
  if (!text.empty()) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Enabled() ? ColorToRGB(FontColor()) : GetSysColor(COLOR_GRAYTEXT));
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    DrawTextA(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
  }
}

LRESULT TPanel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      if (wp) {
        Paint(reinterpret_cast<HDC>(wp));
        return 0;
      }
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      Paint(dc);
      EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_LBUTTONUP:
      Click();
      break;
    default:
      break;
  }
  return TWinControl::WndProc(msg, wp, lp);
}

TLabel::TLabel(TComponent* owner) : TCustomControl(owner) {}

void TLabel::Paint() {
  TCanvas* c = Canvas();
  RECT r = {0, 0, ClientWidth(), ClientHeight()};
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  c->Font()->SetColor(Enabled() ? FontColor() : clGrayText);
  c->Brush()->SetStyle(bsClear);
  UINT flags = TextFlags() |
               (Alignment == taCenter ? DT_CENTER : Alignment == taRightJustify ? DT_RIGHT : DT_LEFT);
  std::string text = Caption();
  HDC dc = c->Handle();
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(c->Font()->Color()));
  HGDIOBJ oldFont = SelectObject(dc, c->Font()->Handle());
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
  SelectObject(dc, oldFont);
  c->Brush()->SetStyle(bsSolid);
}

LRESULT TLabel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETTEXT) {
    LRESULT res = TCustomControl::WndProc(msg, wp, lp);
    AdjustBounds();
    Invalidate();
    return res;
  }
  return TCustomControl::WndProc(msg, wp, lp);
}

UINT TLabel::TextFlags() const {
  return (focusControl_ ? 0 : DT_NOPREFIX) | (WordWrap ? DT_WORDBREAK : 0);
}

void TLabel::SetFocusControl(TWinControl* control) {
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = control;
  if (control) control->FreeNotification(this);
  AdjustBounds();
  if (HandleAllocated()) Invalidate();
}

void TLabel::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == opRemove && component == focusControl_) focusControl_ = nullptr;
}

void TLabel::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  AdjustBounds();
}

void TLabel::SetBounds(int left, int top, int width, int height) {
  given_ = {left, top, left + width, top + height};
  if (autoSize_)
    AdjustBounds();
  else
    TCustomControl::SetBounds(left, top, width, height);
}

void TLabel::AdjustBounds() {
  if (!autoSize_) return;
  const int givenWidth = given_.right - given_.left, givenHeight = given_.bottom - given_.top;
  std::string text = Caption();
  if (text.empty()) text = " ";
  RECT r = {0, 0, WordWrap ? givenWidth : 0, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | TextFlags());
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int left = given_.left, width = WordWrap ? givenWidth : r.right, height = r.bottom;
  const TAlign a = Align();
  if (a == alTop || a == alBottom || a == alClient) width = givenWidth;
  if (a == alLeft || a == alRight || a == alClient) height = givenHeight;
  if (width != givenWidth && givenWidth > 0) {
    if (Alignment == taRightJustify) left = given_.right - width;
    if (Alignment == taCenter) left = given_.left + (givenWidth - width) / 2;
  }
  if (left != left_ || given_.top != top_ || width != width_ || height != height_)
    TCustomControl::SetBounds(left, given_.top, width, height);
}

void TLabel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    pressed_ = true;
    SetMouseCapture(true);
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TLabel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  bool click = button == mbLeft && pressed_ && x >= 0 && y >= 0 && x < ClientWidth() &&
               y < ClientHeight();
  if (button == mbLeft) {
    pressed_ = false;
    SetMouseCapture(false);
  }
  TCustomControl::MouseUp(button, shift, x, y);
  if (click) Click();
}

void TButton::FillCreateParams(CreateParams& p) {
  p.className = "BUTTON";
  p.style |= (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
  active_ = default_;
}

void TButton::SetDefault(bool isDefault) {
  default_ = isDefault;
  TForm* form = GetParentForm(this);
  TWinControl* focused = form ? form->ActiveControl() : nullptr;
  SetActive(focused == this || (isDefault && !dynamic_cast<TButton*>(focused)));
}

void TButton::SetActive(bool active) {
  if (active == active_ && HandleAllocated()) return;
  active_ = active;
  if (HandleAllocated())
    SendMessageA(Handle(), BM_SETSTYLE, active ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CommandNotify(WORD code) {
  if (code == BN_CLICKED) Click();
}

void TButton::Click() {
  if (ModalResult != 0)
    if (TForm* form = GetParentForm(this)) form->ModalResult = ModalResult;
  TWinControl::Click();
}

void TCheckBox::FillCreateParams(CreateParams& p) {
  p.className = "BUTTON";
  p.style |= BS_AUTOCHECKBOX | WS_TABSTOP;
}

void TCheckBox::HandleCreated() {
  SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() const {
  return HandleAllocated() ? SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED : checked_;
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == Checked()) return;
  checked_ = checked;
  if (HandleAllocated())
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  Click();
}

void TCheckBox::CommandNotify(WORD code) {
  if (code != BN_CLICKED) return;
  checked_ = Checked();
  Click();
}

void TRadioButton::FillCreateParams(CreateParams& p) {
  TCheckBox::FillCreateParams(p);
  p.style = (p.style & ~static_cast<DWORD>(BS_AUTOCHECKBOX)) | BS_AUTORADIOBUTTON | BS_NOTIFY;
}

void TRadioButton::SetChecked(bool checked) {
  // The window may have checked itself already (a click): what counts is
  // the state last known here.
  const bool was = checked_;
  checked_ = checked;
  if (HandleAllocated())
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!checked) return;
  if (TWinControl* parent = Parent())
    for (int i = 0; i < parent->ControlCount(); ++i) {
      auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i));
      if (other && other != this && (other->checked_ || other->Checked())) other->SetChecked(false);
    }
  if (!was) Click();
}

void TRadioButton::CommandNotify(WORD code) {
  switch (code) {
    case BN_DOUBLECLICKED:
      if (OnDblClick) OnDblClick(this);
      return;
    case BN_CLICKED:
      // A click, or the focus arriving by key: this one becomes checked
      // (the button may have checked itself already).
      SetChecked(true);
      return;
    default:
      return;
  }
}

void TGroupBox::FillCreateParams(CreateParams& p) {
  p.className = "BUTTON";
  p.style |= BS_GROUPBOX;
}

LRESULT TGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return FillBackground(reinterpret_cast<HDC>(wp));
  return TWinControl::WndProc(msg, wp, lp);
}

TListControl::TListControl(TComponent* owner) : TWinControl(owner) {
  items_.OnChange = [this](TObject*) { ItemsChanged(); };
}

void TListControl::Refill() {
  if (!HandleAllocated()) return;
  Messages m = ListMessages();
  SendMessageA(Handle(), m.reset, 0, 0);
  for (int i = 0; i < items_.Count(); ++i)
    SendMessageA(Handle(), m.add, 0, reinterpret_cast<LPARAM>(items_.Strings(i).c_str()));
  if (index_ >= items_.Count()) index_ = -1;
  SendMessageA(Handle(), m.setSel, static_cast<WPARAM>(index_), 0);
}

void TListControl::HandleCreated() { Refill(); }

int TListControl::ItemIndex() const {
  if (!HandleAllocated()) return index_;
  return static_cast<int>(SendMessageA(Handle(), ListMessages().getSel, 0, 0));
}

void TListControl::SetItemIndex(int index) {
  index_ = (index >= 0 && index < items_.Count()) ? index : -1;
  if (HandleAllocated())
    SendMessageA(Handle(), ListMessages().setSel, static_cast<WPARAM>(index_), 0);
}

void TListControl::CommandNotify(WORD code) {
  if (code != ListMessages().selChange) return;
  index_ = ItemIndex();
  Click();
  if (OnChange) OnChange(this);
}

void TComboBox::FillCreateParams(CreateParams& p) {
  p.className = "COMBOBOX";
  p.style |= (Style == csDropDown ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST) |
             WS_VSCROLL | WS_TABSTOP;
  height_ = height_ < 200 ? 200 : height_;  // the drop-down part
}

void TComboBox::HandleCreated() { RefillKeepingText(); }

void TComboBox::ItemsChanged() { RefillKeepingText(); }

void TComboBox::RefillKeepingText() {
  if (Style != csDropDown || !HandleAllocated()) {
    Refill();
    return;
  }
  std::string text = Caption();
  settingText_ = true;
  Refill();
  if (ItemIndex() < 0) SetWindowTextA(Handle(), text.c_str());
  settingText_ = false;
}

bool TComboBox::DroppedDown() const {
  return HandleAllocated() && SendMessageA(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TComboBox::SetDroppedDown(bool dropped) {
  if (HandleAllocated()) SendMessageA(Handle(), CB_SHOWDROPDOWN, dropped ? TRUE : FALSE, 0);
}

void TComboBox::CommandNotify(WORD code) {
  switch (code) {
    case CBN_EDITCHANGE:
      if (!settingText_ && OnChange) OnChange(this);
      return;
    case CBN_DROPDOWN:
      if (OnDropDown) OnDropDown(this);
      return;
    case CBN_SELCHANGE: {
      // The field shows the entry picked before OnChange reads Text.
      int index = ItemIndex();
      if (Style == csDropDown && index >= 0 && index < Items()->Count()) {
        settingText_ = true;
        SetWindowTextA(Handle(), Items()->Strings(index).c_str());
        settingText_ = false;
      }
      break;
    }
    default:
      break;
  }
  TListControl::CommandNotify(code);
}

void TComboBox::SetBounds(int left, int top, int width, int height) {
  TListControl::SetBounds(left, top, width, height < 200 ? 200 : height);
}

TListControl::Messages TComboBox::ListMessages() const {
  return {CB_RESETCONTENT, CB_ADDSTRING, CB_GETCURSEL, CB_SETCURSEL, CBN_SELCHANGE};
}

void TListBox::FillCreateParams(CreateParams& p) {
  p.className = "LISTBOX";
  p.style |= LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
}

TListControl::Messages TListBox::ListMessages() const {
  return {LB_RESETCONTENT, LB_ADDSTRING, LB_GETCURSEL, LB_SETCURSEL, LBN_SELCHANGE};
}

void TEdit::FillCreateParams(CreateParams& p) {
  p.className = "EDIT";
  p.style |= ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | (passwordChar_ ? ES_PASSWORD : 0);
}

void TEdit::HandleCreated() {
  if (passwordChar_)
    SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar_), 0);
}

void TEdit::SetPasswordChar(char c) {
  passwordChar_ = c;
  if (!HandleAllocated()) return;
  SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TEdit::CommandNotify(WORD code) {
  if (code == EN_CHANGE && OnChange) OnChange(this);
}
