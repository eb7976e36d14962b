#include "Graphics.h"

const char* const SNoCanvasHandle = "Canvas does not allow drawing";

TCanvas::TCanvas() {
  InitializeCriticalSection(&lock_);
  font_.SetColor(clWindowText);
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  DeleteCriticalSection(&lock_);
}

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  if (!dc_) throw EInvalidGraphicOperation(SNoCanvasHandle);
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  if (dc_) DeselectAll();
  dc_ = dc;
}

void TCanvas::DeselectAll() {
  if (oldFont_) SelectObject(dc_, oldFont_);
  if (oldPen_) SelectObject(dc_, oldPen_);
  if (oldBrush_) SelectObject(dc_, oldBrush_);
  oldFont_ = oldPen_ = oldBrush_ = nullptr;
}

void TCanvas::Refresh() {
  if (dc_) DeselectAll();
}

HDC TCanvas::Require(unsigned what) {
  HDC dc = Handle();
  if (what & kFont) {
    HGDIOBJ old = SelectObject(dc, font_.Handle());
    if (!oldFont_) oldFont_ = old;
    SetTextColor(dc, ColorToRGB(font_.Color()));
  }
  if (what & kPen) {
    HGDIOBJ old = SelectObject(dc, pen_.Handle());
    if (!oldPen_) oldPen_ = old;
    static const int kModes[] = {R2_BLACK,       R2_WHITE,       R2_NOP,         R2_NOT,
                                 R2_COPYPEN,     R2_NOTCOPYPEN,  R2_MERGEPENNOT, R2_MASKPENNOT,
                                 R2_MERGENOTPEN, R2_MASKNOTPEN,  R2_MERGEPEN,    R2_NOTMERGEPEN,
                                 R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,      R2_NOTXORPEN};
    SetROP2(dc, kModes[pen_.Mode()]);
  }
  if (what & kBrush) {
    HGDIOBJ old = SelectObject(dc, brush_.Handle());
    if (!oldBrush_) oldBrush_ = old;
    if (brush_.Style() == bsClear) {
      SetBkMode(dc, TRANSPARENT);
    } else {
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, ColorToRGB(brush_.Color()));
    }
  }
  return dc;
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TColor TCanvas::Pixels(int x, int y) {
  COLORREF c = GetPixel(Handle(), x, y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  Changing();
  ::SetPixel(Handle(), x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Handle(), x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
  Changing();
  ::LineTo(Require(kPen | kBrush), x, y);
  Changed();
}

POINT TCanvas::PenPos() {
  POINT p = {};
  GetCurrentPositionEx(Handle(), &p);
  return p;
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  ::Rectangle(Require(kPen | kBrush), x1, y1, x2, y2);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  ::Ellipse(Require(kPen | kBrush), x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
  Changing();
  ::RoundRect(Require(kPen | kBrush), x1, y1, x2, y2, w, h);
  Changed();
}

void TCanvas::Polyline(const std::vector<POINT>& points) {
  if (points.empty()) return;
  Changing();
  ::Polyline(Require(kPen | kBrush), points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Polygon(const std::vector<POINT>& points) {
  if (points.empty()) return;
  Changing();
  ::Polygon(Require(kPen | kBrush), points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::FillRect(const RECT& r) {
  Changing();
  HDC dc = Require(kBrush);
  if (brush_.Style() != bsClear) ::FillRect(dc, &r, brush_.Handle());
  Changed();
}

void TCanvas::FrameRect(const RECT& r) {
  Changing();
  HDC dc = Require(kBrush);
  if (brush_.Style() != bsClear) ::FrameRect(dc, &r, brush_.Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const RECT& r) {
  Changing();
  ::DrawFocusRect(Require(kBrush), &r);
  Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  Changing();
  ::TextOutA(Require(kFont | kBrush), x, y, text.c_str(), static_cast<int>(text.size()));
  MoveToEx(dc_, x + TextWidth(text), y, nullptr);
  Changed();
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::string& text) {
  Changing();
  HDC dc = Require(kFont | kBrush);
  UINT options = ETO_CLIPPED | (brush_.Style() != bsClear ? ETO_OPAQUE : 0);
  ExtTextOutA(dc, x, y, options, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const std::string& text) {
  SIZE s = {0, 0};
  GetTextExtentPoint32A(Require(kFont), text.c_str(), static_cast<int>(text.size()), &s);
  return s;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  RECT r = {x, y, x + graphic->Width(), y + graphic->Height()};
  StretchDraw(r, graphic);
}

void TCanvas::StretchDraw(const RECT& r, TGraphic* graphic) {
  if (!graphic) return;
  Changing();
  Require(kFont | kPen | kBrush);
  graphic->Draw(this, r);
  Changed();
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* source, const RECT& src) {
  Changing();
  HDC dc = Require(kBrush);
  HDC from = source->Require(kBrush);
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, from,
             src.left, src.top, src.right - src.left, src.bottom - src.top, copyMode_);
  Changed();
}

RECT TCanvas::ClipRect() {
  RECT r = {};
  GetClipBox(Handle(), &r);
  return r;
}

void TransparentStretch(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw,
                        int sh, COLORREF transparentRGB) {
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  // Mask: white where the source has the transparent colour.
  HDC colorDc = CreateCompatibleDC(dest);
  HBITMAP colorBmp = CreateCompatibleBitmap(dest, sw, sh);
  HGDIOBJ oldColor = SelectObject(colorDc, colorBmp);
  BitBlt(colorDc, 0, 0, sw, sh, src, sx, sy, SRCCOPY);
  HDC maskDc = CreateCompatibleDC(dest);
  HBITMAP maskBmp = CreateBitmap(sw, sh, 1, 1, nullptr);
  HGDIOBJ oldMask = SelectObject(maskDc, maskBmp);
  COLORREF oldBk = SetBkColor(colorDc, transparentRGB & 0xFFFFFF);
  BitBlt(maskDc, 0, 0, sw, sh, colorDc, 0, 0, SRCCOPY);
  SetBkColor(colorDc, oldBk);
  // Transparent source pixels become black (mask bits 1 give the background colour).
  COLORREF oldText = SetTextColor(colorDc, RGB(255, 255, 255));
  oldBk = SetBkColor(colorDc, RGB(0, 0, 0));
  BitBlt(colorDc, 0, 0, sw, sh, maskDc, 0, 0, SRCAND);
  SetTextColor(colorDc, oldText);
  SetBkColor(colorDc, oldBk);
  COLORREF destText = SetTextColor(dest, RGB(0, 0, 0));
  COLORREF destBk = SetBkColor(dest, RGB(255, 255, 255));
  int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
  StretchBlt(dest, x, y, w, h, maskDc, 0, 0, sw, sh, SRCAND);
  StretchBlt(dest, x, y, w, h, colorDc, 0, 0, sw, sh, SRCPAINT);
  SetStretchBltMode(dest, oldMode);
  SetTextColor(dest, destText);
  SetBkColor(dest, destBk);
  SelectObject(maskDc, oldMask);
  DeleteObject(maskBmp);
  DeleteDC(maskDc);
  SelectObject(colorDc, oldColor);
  DeleteObject(colorBmp);
  DeleteDC(colorDc);
}
