// Drawing into a 32-bit bitmap and reading its pixels back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "Colors.h"

// A memory DC over a top-down 32-bit section of w x h pixels.
class PixelCanvas {
 public:
  PixelCanvas(int w, int h, COLORREF fill = RGB(255, 255, 255)) : w_(w), h_(h) {
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_ = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                               nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
    RECT r = {0, 0, w, h};
    HBRUSH b = CreateSolidBrush(fill);
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }
  ~PixelCanvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  HDC dc() const { return dc_; }
  // The pixel as a COLORREF (0x00BBGGRR).
  COLORREF at(int x, int y) const {
    GdiFlush();
    uint32_t p = bits_[y * w_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  int width() const { return w_; }
  int height() const { return h_; }

 private:
  int w_, h_;
  HBITMAP bitmap_;
  uint32_t* bits_ = nullptr;
  HDC dc_;
  HGDIOBJ old_;
};

inline COLORREF Rgb(TColor c) { return ColorToRGB(c); }

// A bitmap of w x h filled with one colour, with an optional square of
// another colour at (x, y, size).
inline HBITMAP SolidBitmap(int w, int h, COLORREF fill, COLORREF square = 0, int x = 0, int y = 0,
                           int size = 0) {
  HDC screen = GetDC(nullptr);
  HBITMAP b = CreateCompatibleBitmap(screen, w, h);
  ReleaseDC(nullptr, screen);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, b);
  RECT r = {0, 0, w, h};
  HBRUSH br = CreateSolidBrush(fill);
  FillRect(dc, &r, br);
  DeleteObject(br);
  if (size > 0) {
    RECT s = {x, y, x + size, y + size};
    br = CreateSolidBrush(square);
    FillRect(dc, &s, br);
    DeleteObject(br);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return b;
}
