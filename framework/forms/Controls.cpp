#include "Controls.h"

#include <algorithm>

#include "Application.h"
#include "ControlTags.h"
#include "Forms.h"
#include "GraphicControls.h"
#include "Graphics.h"
#include "Menus.h"

namespace {
const char kObjectProp[] = "BrindaleControlObject";
}

TWinControl::TWinControl(TComponent* owner) : TComponent(owner) { InitFont(); }

TWinControl::~TWinControl() {
  Destroying();
  if (Application->HintControl() == this) Application->CancelHint();
  DestroyComponents();
  // Children that others own lose their parent (and their windows) now.
  for (TWinControl* c : std::vector<TWinControl*>(controls_)) c->SetParent(nullptr);
  for (TGraphicControl* g : std::vector<TGraphicControl*>(graphicControls_)) g->SetParent(nullptr);
  if (handle_) {
    HWND h = handle_;
    DestroyWindow(h);
    Detach();
  }
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    auto& tabs = parent_->tabList_;
    tabs.erase(std::remove(tabs.begin(), tabs.end(), this), tabs.end());
  }
  if (brush_) DeleteObject(brush_);
}

TWinControl* TWinControl::FromHandle(HWND window) {
  return window ? static_cast<TWinControl*>(GetPropA(window, kObjectProp)) : nullptr;
}

void TWinControl::RegisterOwnClass(const char* className, UINT classStyle, WNDPROC classProc) {
  WNDCLASSA wc = {};
  if (GetClassInfoA(GetModuleHandleA(nullptr), className, &wc)) return;
  wc.style = classStyle;
  wc.lpfnWndProc = classProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  wc.lpszClassName = className;
  RegisterClassA(&wc);
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateParams p = {"", WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                    parent_ ? parent_->handle_ : nullptr};
  if (parent_) p.style |= WS_CHILD;
  FillCreateParams(p);
  if (visible_ && parent_) p.style |= WS_VISIBLE;
  if (!enabled_) p.style |= WS_DISABLED;
  if (tabStop_ == 0) p.style &= ~static_cast<DWORD>(WS_TABSTOP);
  if (tabStop_ == 1) p.style |= WS_TABSTOP;
  HWND h = CreateWindowHandle(p);
  if (!h) throw EOutOfResources(SWindowCreate);
  handle_ = h;
  SetPropA(h, kObjectProp, this);
  oldProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticProc)));
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
  ApplyNameTag();
  HandleCreated();
  for (TWinControl* c : controls_) c->CreateHandle();
}

HWND TWinControl::CreateWindowHandle(const CreateParams& p) {
  return CreateWindowExA(p.exStyle, p.className, caption_.c_str(), p.style, left_, top_, width_,
                         height_, p.parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

void TWinControl::Detach() {
  if (!handle_) return;
  RemovePropA(handle_, kObjectProp);
  RemovePropA(handle_, kComponentNameProp);
  if (nameAtom_) GlobalDeleteAtom(nameAtom_);
  nameAtom_ = 0;
  handle_ = nullptr;
}

void TWinControl::ApplyNameTag() {
  if (!handle_) return;
  if (nameAtom_) GlobalDeleteAtom(nameAtom_);
  nameAtom_ = Name().empty() ? 0 : GlobalAddAtomA(Name().c_str());
  if (nameAtom_)
    SetPropA(handle_, kComponentNameProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(nameAtom_)));
  else
    RemovePropA(handle_, kComponentNameProp);
}

LRESULT CALLBACK TWinControl::StaticProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  TWinControl* self = FromHandle(w);
  if (!self) return DefWindowProcA(w, msg, wp, lp);
  TApplication::MessageHandled();
  if (msg == WM_NCDESTROY) {
    WNDPROC old = self->oldProc_;
    self->Detach();
    return CallWindowProcA(old, w, msg, wp, lp);
  }
  try {
    if (TDragControl::DragMessage(w, msg, wp, lp)) return 0;
    if (msg == WM_PAINT && !self->graphicControls_.empty()) return self->PaintWithGraphicControls(wp, lp);
    if (self->WindowProc) return self->WindowProc(msg, wp, lp);
    return self->WndProc(msg, wp, lp);
  } catch (const std::exception& e) {
    Application->HandleException(e);
    return 0;
  }
}

LRESULT TWinControl::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(oldProc_, handle_, msg, wp, lp);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (InputMessage(msg, wp, lp, result)) return result;
  switch (msg) {
    case WM_COMMAND:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp))) {
        child->CommandNotify(HIWORD(wp));
        return 0;
      }
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lp)
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp))) {
          child->ScrollNotify(LOWORD(wp));
          return 0;
        }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      if (TWinControl* child = header ? FromHandle(header->hwndFrom) : nullptr)
        if (child != this && child->NotifyReflected(*header, result)) return result;
      break;
    }
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item && item->CtlType != ODT_MENU)
        if (TWinControl* child = FromHandle(item->hwndItem))
          if (child->DrawItem(*item)) return TRUE;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp)))
        return reinterpret_cast<LRESULT>(child->CtlColor(reinterpret_cast<HDC>(wp)));
      break;
    default:
      break;
  }
  return DefaultProc(msg, wp, lp);
}

HBRUSH TWinControl::BackgroundBrush() {
  if (!brush_) brush_ = CreateSolidBrush(ColorToRGB(color_));
  return brush_;
}

LRESULT TWinControl::FillBackground(HDC dc) {
  RECT r;
  GetClientRect(handle_, &r);
  FillRect(dc, &r, BackgroundBrush());
  return 1;
}

HBRUSH TWinControl::CtlColor(HDC dc) {
  SetTextColor(dc, enabled_ ? ColorToRGB(fontColor_) : GetSysColor(COLOR_GRAYTEXT));
  SetBkColor(dc, ColorToRGB(color_));
  return BackgroundBrush();
}

void TWinControl::Click() {
  if (OnClick) OnClick(this);
}

void TWinControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    auto& tabs = parent_->tabList_;
    tabs.erase(std::remove(tabs.begin(), tabs.end(), this), tabs.end());
  }
  parent_ = parent;
  if (!parent_) {
    if (handle_) {
      DestroyWindow(handle_);
      Detach();
    }
    return;
  }
  parent_->controls_.push_back(this);
  parent_->tabList_.push_back(this);
  if (parentFont_) TakeParentFont();
  if (handle_)
    ::SetParent(handle_, parent_->handle_);
  else if (parent_->handle_)
    CreateHandle();
}

void TWinControl::SetName(const std::string& name) {
  TComponent::SetName(name);
  ApplyNameTag();
}

std::string TWinControl::Caption() const {
  if (!handle_) return caption_;
  int n = GetWindowTextLengthA(handle_);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  n = GetWindowTextA(handle_, &s[0], n + 1);
  s.resize(static_cast<size_t>(n > 0 ? n : 0));
  return s;
}

void TWinControl::SetCaption(const std::string& text) {
  caption_ = text;
  if (handle_) SetWindowTextA(handle_, text.c_str());
}

RECT TWinControl::BoundsRect() const {
  RECT r = {left_, top_, left_ + width_, top_ + height_};
  if (!handle_) return r;
  GetWindowRect(handle_, &r);
  HWND p = GetParent(handle_);
  if (p && (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int TWinControl::Left() const { return BoundsRect().left; }
int TWinControl::Top() const { return BoundsRect().top; }
int TWinControl::Width() const {
  RECT r = BoundsRect();
  return r.right - r.left;
}
int TWinControl::Height() const {
  RECT r = BoundsRect();
  return r.bottom - r.top;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (handle_)
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (align_ != alNone && parent_) parent_->Realign();
}

int TWinControl::ClientWidth() const {
  RECT r = {0, 0, width_, height_};
  if (handle_) GetClientRect(handle_, &r);
  return r.right - r.left;
}

int TWinControl::ClientHeight() const {
  RECT r = {0, 0, width_, height_};
  if (handle_) GetClientRect(handle_, &r);
  return r.bottom - r.top;
}

void TWinControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (handle_) {
    EnableWindow(handle_, enabled);
    InvalidateRect(handle_, nullptr, TRUE);
  }
}

bool TWinControl::Visible() const {
  return handle_ ? (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_VISIBLE) != 0 : visible_;
}

void TWinControl::SetVisible(bool visible) {
  visible_ = visible;
  if (handle_) ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
  if (align_ != alNone && parent_) parent_->Realign();
}

void TWinControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  if (brush_) DeleteObject(brush_);
  brush_ = nullptr;
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

TForm* GetParentForm(TWinControl* control) {
  while (control && !dynamic_cast<TForm*>(control)) control = control->Parent();
  return static_cast<TForm*>(control);
}

TShiftState MouseShiftState(WPARAM keyFlags) {
  TShiftState s = 0;
  if (keyFlags & MK_SHIFT) s |= ssShift;
  if (keyFlags & MK_CONTROL) s |= ssCtrl;
  if (keyFlags & MK_LBUTTON) s |= ssLeft;
  if (keyFlags & MK_RBUTTON) s |= ssRight;
  if (keyFlags & MK_MBUTTON) s |= ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetKeyState(VK_LBUTTON) < 0) s |= ssLeft;
  if (GetKeyState(VK_RBUTTON) < 0) s |= ssRight;
  if (GetKeyState(VK_MBUTTON) < 0) s |= ssMiddle;
  return s;
}

POINT TWinControl::DragScreenToClient(POINT screen) const {
  if (handle_) ScreenToClient(handle_, &screen);
  return screen;
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wp, LPARAM lp) {
  return WindowProc ? WindowProc(msg, wp, lp) : WndProc(msg, wp, lp);
}

// Turns the input messages into the control's events. True when the
// message was consumed (result set).
bool TWinControl::InputMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  const int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
  if (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK && GraphicMouse(msg, wp, x, y)) {
    if (msg == WM_MOUSEMOVE) Application->HintMouseMessage(this, {x, y});
    // The default handling of a right release asks for the context menu.
    if (msg == WM_RBUTTONUP) result = DefaultProc(msg, wp, lp);
    return true;
  }
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // A left press (the second of a double click too) may start a drag.
      if (msg == WM_LBUTTONDOWN && DragMode == dmAutomatic) BeginDrag(false);
      MouseDown(msg == WM_LBUTTONDOWN ? mbLeft : msg == WM_RBUTTONDOWN ? mbRight : mbMiddle,
                MouseShiftState(wp), x, y);
      return false;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (msg == WM_LBUTTONDBLCLK) DblClick();
      if (msg == WM_LBUTTONDBLCLK && DragMode == dmAutomatic) BeginDrag(false);
      MouseDown(msg == WM_LBUTTONDBLCLK ? mbLeft : msg == WM_RBUTTONDBLCLK ? mbRight : mbMiddle,
                MouseShiftState(wp) | ssDouble, x, y);
      return false;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      MouseUp(msg == WM_LBUTTONUP ? mbLeft : msg == WM_RBUTTONUP ? mbRight : mbMiddle,
              MouseShiftState(wp), x, y);
      return false;
    case WM_MOUSEMOVE:
      if (!mouseInside_) {
        mouseInside_ = true;
        TRACKMOUSEEVENT t = {sizeof t, TME_LEAVE, handle_, 0};
        TrackMouseEvent(&t);
        MouseEnter();
      }
      Application->HintMouseMessage(this, {x, y});
      MouseMove(MouseShiftState(wp), x, y);
      return false;
    case WM_MOUSELEAVE:
      if (Application->HintControl() == this) Application->CancelHint();
      if (mouseInside_) {
        mouseInside_ = false;
        MouseLeave();
      }
      return false;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      WORD key = static_cast<WORD>(wp);
      if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN)
        KeyDown(key, KeyboardShiftState());
      else
        KeyUp(key, KeyboardShiftState());
      return key == 0;
    }
    case WM_CHAR: {
      char c = static_cast<char>(wp);
      KeyPress(c);
      if (c == 0) return true;
      if (c != static_cast<char>(wp)) {
        result = DefaultProc(msg, static_cast<WPARAM>(static_cast<unsigned char>(c)), lp);
        return true;
      }
      return false;
    }
    case WM_SETFOCUS:
      if (TForm* form = GetParentForm(this)) form->FocusChanged(this);
      DoEnter();
      return false;
    case WM_KILLFOCUS:
      DoExit();
      return false;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != handle_) graphicCapture_ = nullptr;
      CaptureChanged();
      return false;
    case WM_SIZE:
      AlignControls();
      Resize();
      return false;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == handle_ && LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(handle_, &p);
        TGraphicControl* g = GraphicControlAt(p.x, p.y);
        if (g && g->Cursor != crDefault) {
          ::SetCursor(Screen->Cursors(g->Cursor));
          result = TRUE;
          return true;
        }
      }
      if (cursor_ != crDefault && reinterpret_cast<HWND>(wp) == handle_ && LOWORD(lp) == HTCLIENT) {
        ::SetCursor(Screen->Cursors(cursor_));
        result = TRUE;
        return true;
      }
      return false;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == handle_ && !(x == -1 && y == -1)) {
        POINT p = {x, y};
        ScreenToClient(handle_, &p);
        TGraphicControl* g = GraphicControlAt(p.x, p.y);
        if (g && g->PopupMenu() && g->PopupMenu()->AutoPopup) {
          g->PopupMenu()->PopupComponent = g;
          g->PopupMenu()->Popup(x, y);
          return true;
        }
      }
      if (popupMenu_ && popupMenu_->AutoPopup && reinterpret_cast<HWND>(wp) == handle_) {
        POINT p = {x, y};
        if (x == -1 && y == -1) {
          p = {0, 0};
          ClientToScreen(handle_, &p);
        }
        popupMenu_->PopupComponent = this;
        popupMenu_->Popup(p.x, p.y);
        return true;
      }
      return false;
    default:
      return false;
  }
}

void TWinControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TWinControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TWinControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TWinControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
void TWinControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}
void TWinControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}
void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}
void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}
void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}
void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}
void TWinControl::Resize() {
  if (OnResize) OnResize(this);
}

void TWinControl::SetFocus() {
  if (handle_) ::SetFocus(handle_);
}
bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }
bool TWinControl::CanFocus() const {
  if (!handle_ || !IsWindowVisible(handle_)) return false;
  for (HWND w = handle_; w; w = (GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr)
    if (!IsWindowEnabled(w)) return false;
  return true;
}
bool TWinControl::MouseCapture() const { return handle_ && GetCapture() == handle_; }
void TWinControl::SetMouseCapture(bool capture) {
  if (!handle_) return;
  if (capture)
    SetCapture(handle_);
  else if (GetCapture() == handle_)
    ReleaseCapture();
}

void TWinControl::SetCursor(TCursor cursor) {
  cursor_ = cursor;
  POINT p;
  if (handle_ && GetCursorPos(&p) && WindowFromPoint(p) == handle_)
    ::SetCursor(Screen->Cursors(cursor_));
}

void TWinControl::SetPopupMenu(TPopupMenu* menu) {
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TWinControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TWinControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_) parent_->Realign();
}

void TWinControl::EnableAlign() {
  if (alignDisabled_ > 0 && --alignDisabled_ == 0) Realign();
}

void TWinControl::Realign() {
  if (!aligning_) AlignControls();
}

void TWinControl::AlignControls() {
  if (alignDisabled_ > 0 || aligning_) return;
  RECT r = {0, 0, width_, height_};
  if (handle_) GetClientRect(handle_, &r);
  aligning_ = true;
  // Windowed and graphic children alike.
  struct Aligned {
    TWinControl* window;
    TGraphicControl* graphic;
    RECT Bounds() const { return window ? window->BoundsRect() : graphic->BoundsRect(); }
    void Place(int l, int t, int w, int h) const {
      if (window)
        window->SetBounds(l, t, w, h);
      else
        graphic->SetBounds(l, t, w, h);
    }
  };
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<Aligned> list;
    for (TWinControl* c : controls_)
      if (c->align_ == a && c->Visible()) list.push_back({c, nullptr});
    for (TGraphicControl* g : graphicControls_)
      if (g->Align() == a && g->Visible()) list.push_back({nullptr, g});
    auto key = [a](const Aligned& c) {
      RECT b = c.Bounds();
      switch (a) {
        case alBottom: return -static_cast<int>(b.bottom);
        case alRight: return -static_cast<int>(b.right);
        case alLeft: return static_cast<int>(b.left);
        default: return static_cast<int>(b.top);
      }
    };
    std::stable_sort(list.begin(), list.end(),
                     [&](const Aligned& x, const Aligned& y) { return key(x) < key(y); });
    for (const Aligned& c : list) {
      RECT b = c.Bounds();
      const int w = b.right - b.left, h = b.bottom - b.top;
      switch (a) {
        case alTop:
          c.Place(r.left, r.top, r.right - r.left, h);
          r.top += h;
          break;
        case alBottom:
          c.Place(r.left, r.bottom - h, r.right - r.left, h);
          r.bottom -= h;
          break;
        case alLeft:
          c.Place(r.left, r.top, w, r.bottom - r.top);
          r.left += w;
          break;
        case alRight:
          c.Place(r.right - w, r.top, w, r.bottom - r.top);
          r.right -= w;
          break;
        default:
          c.Place(r.left, r.top, r.right - r.left, r.bottom - r.top);
          break;
      }
    }
  }
  aligning_ = false;
}
