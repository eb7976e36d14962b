// Halvorn.exe driven as a user drives it: its controls found by their
// names, clicked with the mouse, read back from their windows and from the
// screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ControlTags.h"

constexpr char kMainCaption[] = "Brindale Media Manager";

inline HWND MainWindow() { return FindWindowA(nullptr, kMainCaption); }

inline HWND Control(const char* name) {
  HWND main = MainWindow();
  return main ? FindControlByName(main, name) : nullptr;
}

inline std::string TextOf(HWND w) {
  char text[512] = {};
  if (w) GetWindowTextA(w, text, sizeof text);
  return text;
}

inline std::string TextOf(const char* name) { return TextOf(Control(name)); }

inline bool Shown(const char* name) {
  HWND w = Control(name);
  return w && IsWindowVisible(w);
}

// Handles this process's messages until done() or the time is up.
inline bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(25);
  }
  return true;
}

// A left click (or, with the right button's flags, a right click) at a
// client point of the window, through the input queue.
// Sends the mouse to a screen point with the button changes in `buttons`
// (MOUSEEVENTF_LEFTDOWN, say) in the same event, so a press or release is
// made where the mouse is sent; true once the cursor is there.
inline bool MouseTo(int x, int y, DWORD buttons = 0, DWORD ms = 10000) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
  SendInput(1, &in, sizeof in);
  return WaitUntil([&] {
    POINT p = {};
    return GetCursorPos(&p) && p.x == x && p.y == y;
  }, ms);
}

// Moves the mouse to a screen point through the input queue (with the
// buttons held as they are) and waits until it is there.
inline void MoveMouseTo(int x, int y) { MouseTo(x, y); }

inline void ClickAt(HWND w, int x, int y, DWORD down = MOUSEEVENTF_LEFTDOWN,
                    DWORD up = MOUSEEVENTF_LEFTUP) {
  POINT p = {x, y};
  ClientToScreen(w, &p);
  MouseTo(p.x, p.y);
  // A hint window left over from the last control may lie there: it goes
  // once the mouse moves on.
  WaitUntil([&] {
    HWND at = WindowFromPoint(p);
    if (at == w || IsChild(w, at)) return true;
    MouseTo(p.x + 2, p.y);
    MouseTo(p.x, p.y);
    return false;
  }, 10000);
  // Press and release where the mouse is, whatever it was told since.
  MouseTo(p.x, p.y, down);
  Sleep(60);  // a press as long as a user's
  MouseTo(p.x, p.y, up);
  Sleep(150);
}

inline void Click(HWND w) {
  RECT r = {};
  GetClientRect(w, &r);
  ClickAt(w, r.right / 2, r.bottom / 2);
}

inline bool Click(const char* name) {
  HWND w = Control(name);
  if (!w || !IsWindowVisible(w)) return false;
  Click(w);
  return true;
}

inline COLORREF PixelAt(HWND w, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(w, &p);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

// The centre of the grid cell (col, row) of the items grid: columns 0 to 3
// have no width, 4 and 5 are 20 pixels wide, rows 18 high, lines 1 pixel.
inline POINT GridCell(int col, int row) {
  int x = col == 4 ? 4 + 10 : col == 5 ? 4 + 21 + 10 : 4 + 42 + 40;
  return {x, row * 19 + 9};
}

// Whether row of the items grid is drawn selected (teal behind its name).
inline bool RowSelected(HWND grid, int row) {
  // Above the text in the name cell.
  POINT p = {GridCell(6, row).x, row * 19 + 1};
  ClientToScreen(grid, &p);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c == RGB(0, 128, 128);
}

// The key colour of a picture of a bitmap library.
inline COLORREF LibraryPictureColour(const std::string& libraryPath, const char* name) {
  HMODULE module = LoadLibraryExA(libraryPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HBITMAP bitmap =
      static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  COLORREF c = CLR_INVALID;
  if (bitmap) {
    BITMAP info = {};
    GetObject(bitmap, sizeof info, &info);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    c = GetPixel(dc, 1, 1);  // the picture's key colour
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  if (module) FreeLibrary(module);
  return c;
}

// The text of the hint window shown for a point of a window once the
// mouse rests there; empty when none shows.
inline std::string HintAt(HWND w, int x, int y, DWORD ms = 4000) {
  POINT p = {x, y};
  ClientToScreen(w, &p);
  SetCursorPos(p.x - 3, p.y);
  Sleep(100);
  SetCursorPos(p.x, p.y);
  std::string text;
  WaitUntil(
      [&] {
        HWND hint = FindWindowA("THintWindow", nullptr);
        if (hint && IsWindowVisible(hint)) text = TextOf(hint);
        return !text.empty();
      },
      ms);
  return text;
}

// The screen as a 24-bit BMP file.
inline void SaveScreen(const std::string& path) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  BitBlt(dc, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  GdiFlush();
  DWORD size = DWORD(((w * 3 + 3) & ~3) * h);
  BITMAPFILEHEADER fh = {0x4D42, DWORD(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                         DWORD(sizeof fh + sizeof bi.bmiHeader)};
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  WriteFile(f, &fh, sizeof fh, &n, nullptr);
  WriteFile(f, &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr);
  WriteFile(f, bits, size, &n, nullptr);
  CloseHandle(f);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}
