#include "Controls.h"

#include <algorithm>

#include "Application.h"
#include "ControlTags.h"
#include "Forms.h"
#include "GraphicControls.h"

namespace {
const char kObjectProp[] = "BrindaleControlObject";
}

TWinControl::TWinControl(TComponent* owner) : TComponent(owner) {}

TWinControl::~TWinControl() {
  Destroying();
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
  }
  if (brush_) DeleteObject(brush_);
}

TWinControl* TWinControl::FromHandle(HWND window) {
  return window ? static_cast<TWinControl*>(GetPropA(window, kObjectProp)) : nullptr;
}

void TWinControl::RegisterOwnClass(const char* className, UINT classStyle) {
  WNDCLASSA wc = {};
  if (GetClassInfoA(GetModuleHandleA(nullptr), className, &wc)) return;
  wc.style = classStyle;
  wc.lpfnWndProc = DefWindowProcA;
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
  HWND h = CreateWindowExA(p.exStyle, p.className, caption_.c_str(), p.style, left_, top_, width_,
                           height_, p.parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!h) throw EOutOfResources(SWindowCreate);
  handle_ = h;
  SetPropA(h, kObjectProp, this);
  oldProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticProc)));
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  ApplyNameTag();
  HandleCreated();
  for (TWinControl* c : controls_) c->CreateHandle();
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
  if (msg == WM_NCDESTROY) {
    WNDPROC old = self->oldProc_;
    self->Detach();
    return CallWindowProcA(old, w, msg, wp, lp);
  }
  try {
    if (msg == WM_PAINT && !self->graphicControls_.empty()) return self->PaintWithGraphicControls(wp, lp);
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
  switch (msg) {
    case WM_COMMAND:
      if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(lp))) {
        child->CommandNotify(HIWORD(wp));
        return 0;
      }
      break;
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
}

void TWinControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  if (brush_) DeleteObject(brush_);
  brush_ = nullptr;
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::SetFontColor(TColor color) {
  fontColor_ = color;
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

TForm* GetParentForm(TWinControl* control) {
  while (control && !dynamic_cast<TForm*>(control)) control = control->Parent();
  return static_cast<TForm*>(control);
}
