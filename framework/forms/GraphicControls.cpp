#include "GraphicControls.h"

#include <algorithm>

#include "Menus.h"

namespace {

// Paints onto dc through the canvas, which lets go of dc afterwards, also
// when painting throws.
template <typename PaintFn>
void PaintThrough(TControlCanvas& canvas, HDC dc, PaintFn paint) {
  canvas.FreeHandle();
  canvas.SetHandle(dc);
  try {
    paint();
  } catch (...) {
    canvas.SetHandle(nullptr);
    throw;
  }
  canvas.SetHandle(nullptr);
}

}  // namespace

LRESULT TWinControl::PaintWithGraphicControls(WPARAM wp, LPARAM lp) {
  if (wp) {
    LRESULT r = WndProc(WM_PAINT, wp, lp);
    PaintGraphicControls(reinterpret_cast<HDC>(wp));
    return r;
  }
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  int kind = GetUpdateRgn(handle_, region, FALSE);
  LRESULT r = WndProc(WM_PAINT, wp, lp);
  if (kind != NULLREGION && kind != ERROR && handle_) {
    HDC dc = GetDC(handle_);
    SelectClipRgn(dc, region);
    PaintGraphicControls(dc);
    ReleaseDC(handle_, dc);
  }
  DeleteObject(region);
  return r;
}

void TWinControl::PaintGraphicControls(HDC dc) {
  RECT clip;
  if (GetClipBox(dc, &clip) == ERROR) return;
  for (TGraphicControl* g : std::vector<TGraphicControl*>(graphicControls_)) {
    if (!g->Visible()) continue;
    RECT bounds = g->BoundsRect(), both;
    if (!IntersectRect(&both, &bounds, &clip)) continue;
    int saved = SaveDC(dc);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x + bounds.left, origin.y + bounds.top, nullptr);
    IntersectClipRect(dc, 0, 0, g->Width(), g->Height());
    g->PaintTo(dc);
    RestoreDC(dc, saved);
  }
}

TGraphicControl* TWinControl::GraphicControlAt(int x, int y) const {
  const POINT p = {x, y};
  for (auto it = graphicControls_.rbegin(); it != graphicControls_.rend(); ++it) {
    RECT r = (*it)->BoundsRect();
    if ((*it)->Visible() && (*it)->Enabled() && PtInRect(&r, p)) return *it;
  }
  return nullptr;
}

bool TWinControl::GraphicMouse(UINT msg, WPARAM wp, int x, int y) {
  TGraphicControl* g = graphicCapture_ ? graphicCapture_ : GraphicControlAt(x, y);
  if (!g) return false;
  const int gx = x - g->Left(), gy = y - g->Top();
  const TShiftState shift = MouseShiftState(wp);
  const TMouseButton button = (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_LBUTTONDBLCLK)
                                  ? mbLeft
                              : (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK)
                                  ? mbRight
                                  : mbMiddle;
  switch (msg) {
    case WM_MOUSEMOVE:
      g->MouseMove(shift, gx, gy);
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      const bool dbl = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
      SetCapture(handle_);
      graphicCapture_ = g;
      if ((msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) && g->DragMode == dmAutomatic)
        g->BeginDrag(false);
      if (msg == WM_LBUTTONDBLCLK) g->DblClick();
      g->MouseDown(button, dbl ? shift | ssDouble : shift, gx, gy);
      break;
    }
    default: {  // a button went up
      const bool inside = gx >= 0 && gy >= 0 && gx < g->Width() && gy < g->Height();
      if (!(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
        graphicCapture_ = nullptr;
        if (GetCapture() == handle_) ReleaseCapture();
      }
      g->MouseUp(button, shift, gx, gy);
      if (msg == WM_LBUTTONUP && inside) g->Click();
      break;
    }
  }
  return true;
}

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::CreateHandle() {
  if (window_) {
    if (!window_->HandleAllocated()) return;
    owner_ = window_->Handle();
    own_ = GetDCEx(owner_, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  } else if (graphic_) {
    TWinControl* parent = graphic_->Parent();
    if (!parent || !parent->HandleAllocated()) return;
    owner_ = parent->Handle();
    own_ = GetDCEx(owner_, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_CLIPCHILDREN);
    SetViewportOrgEx(own_, graphic_->Left(), graphic_->Top(), nullptr);
    IntersectClipRect(own_, 0, 0, graphic_->Width(), graphic_->Height());
  }
  SetHandle(own_);
}

void TControlCanvas::FreeHandle() {
  if (!own_) return;
  HDC dc = own_;
  own_ = nullptr;
  SetHandle(nullptr);
  ReleaseDC(owner_, dc);
  owner_ = nullptr;
}

TGraphicControl::TGraphicControl(TComponent* owner) : TComponent(owner), canvas_(this) {}

TGraphicControl::~TGraphicControl() {
  Destroying();
  DestroyComponents();
  canvas_.FreeHandle();
  SetParent(nullptr);
}

void TGraphicControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  canvas_.FreeHandle();
  if (parent_) {
    if (parent_->graphicCapture_ == this) parent_->graphicCapture_ = nullptr;
    Invalidate();
    auto& list = parent_->graphicControls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  parent_ = parent;
  if (parent_) {
    parent_->graphicControls_.push_back(this);
    Invalidate();
    if (align_ != alNone) parent_->Realign();
  }
}

void TGraphicControl::SetPopupMenu(TPopupMenu* menu) {
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TGraphicControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TGraphicControl::Click() {
  if (OnClick) OnClick(this);
}
void TGraphicControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TGraphicControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TGraphicControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TGraphicControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TGraphicControl::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  canvas_.FreeHandle();
  Invalidate();
  left_ = left;
  top_ = top;
  width_ = std::max(0, width);
  height_ = std::max(0, height);
  Invalidate();
  Resized();
  if (align_ != alNone && parent_) parent_->Realign();
}

HWND TGraphicControl::DragWindow() const {
  return parent_ && parent_->HandleAllocated() ? parent_->Handle() : nullptr;
}

POINT TGraphicControl::DragScreenToClient(POINT screen) const {
  if (HWND w = DragWindow()) ScreenToClient(w, &screen);
  return {screen.x - left_, screen.y - top_};
}

void TGraphicControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  if (parent_) parent_->Realign();
}

void TGraphicControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (parent_ && parent_->HandleAllocated()) {
    RECT r = BoundsRect();
    InvalidateRect(parent_->Handle(), &r, TRUE);
  }
  if (align_ != alNone && parent_) parent_->Realign();
}

void TGraphicControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Invalidate();
}

TColor TGraphicControl::Color() const {
  return parentColor_ && parent_ ? parent_->Color() : color_;
}

void TGraphicControl::SetColor(TColor color) {
  color_ = color;
  parentColor_ = false;
  Invalidate();
}

void TGraphicControl::SetParentColor(bool parentColor) {
  parentColor_ = parentColor;
  Invalidate();
}

void TGraphicControl::Invalidate() {
  if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
  RECT r = BoundsRect();
  InvalidateRect(parent_->Handle(), &r, !opaque_);
}

void TGraphicControl::Update() {
  if (parent_ && parent_->HandleAllocated()) UpdateWindow(parent_->Handle());
}

void TGraphicControl::Repaint() {
  if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
  if (!opaque_) {
    Invalidate();
    Update();
    return;
  }
  HWND w = parent_->Handle();
  HDC dc = GetDCEx(w, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_CLIPCHILDREN);
  SetViewportOrgEx(dc, left_, top_, nullptr);
  IntersectClipRect(dc, 0, 0, width_, height_);
  PaintTo(dc);
  ReleaseDC(w, dc);
}

void TGraphicControl::PaintTo(HDC dc) {
  PaintThrough(canvas_, dc, [this] { Paint(); });
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(this) {
  RegisterOwnClass("TCustomControl");
}

void TCustomControl::FillCreateParams(CreateParams& p) { p.className = "TCustomControl"; }

void TCustomControl::Invalidate() {
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TCustomControl::Repaint() {
  Invalidate();
  if (HandleAllocated()) UpdateWindow(Handle());
}

void TCustomControl::PaintOn(HDC dc) {
  PaintThrough(canvas_, dc, [this] {
    canvas_.Font()->Assign(Font());
    Paint();
  });
}

LRESULT TCustomControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return FillBackground(reinterpret_cast<HDC>(wp));
    case WM_PAINT:
      if (wp) {
        PaintOn(reinterpret_cast<HDC>(wp));
      } else {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        PaintOn(dc);
        EndPaint(Handle(), &ps);
      }
      return 0;
    case WM_PRINTCLIENT:
      PaintOn(reinterpret_cast<HDC>(wp));
      return 0;
    default:
      return TWinControl::WndProc(msg, wp, lp);
  }
}
