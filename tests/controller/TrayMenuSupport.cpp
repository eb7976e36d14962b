#include "TrayMenuSupport.h"

#include "ControllerSupport.h"

ScreenShot::ScreenShot(const RECT& r) : rect(r), w(r.right - r.left), h(r.bottom - r.top) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + w * h);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

COLORREF ScreenShot::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= w || y >= h || pixels.empty()) return CLR_INVALID;
  uint32_t p = pixels[size_t(y * w + x)];
  return RGB((p >> 16) & 255, (p >> 8) & 255, p & 255);
}

bool ScreenShot::Find(COLORREF colour, POINT* where) const {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (At(x, y) == colour) {
        if (where) *where = {rect.left + x, rect.top + y};
        return true;
      }
  return false;
}

COLORREF PictureColour(const char* name) {
  HMODULE library = LoadLibraryExA("HalvornBasket.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HBITMAP bitmap = library ? LoadBitmapA(library, name) : nullptr;
  COLORREF colour = CLR_INVALID;
  if (bitmap) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    colour = GetPixel(dc, 12, 4);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  if (library) FreeLibrary(library);
  return colour;
}

HWND VisibleMenu() {
  DWORD controller = 0;
  GetWindowThreadProcessId(FindWindowA(nullptr, "Brindale Control"), &controller);
  for (HWND w = FindWindowA("#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == controller && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

ScreenShot MenuShot() {
  RECT r = {0, 0, 0, 0};
  HWND menu = VisibleMenu();
  if (menu) GetWindowRect(menu, &r);
  return ScreenShot(r);
}

bool WaitForMenu(bool shown, DWORD ms) {
  const DWORD start = GetTickCount();
  while ((VisibleMenu() != nullptr) != shown) {
    if (GetTickCount() - start > ms) return false;
    Sleep(50);
  }
  return true;
}

HWND TrayWindow() {
  HWND tray = nullptr;
  for (int i = 0; i < 600 && !tray; ++i, Sleep(50)) tray = FindWindowA("TTrayIconWindow", nullptr);
  return tray;
}

void Click(POINT p) {
  SetCursorPos(p.x, p.y);
  Sleep(100);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  Sleep(50);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

void CloseMenu(HWND tray) {
  keybd_event(VK_ESCAPE, 0, 0, 0);
  keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
  if (!WaitForMenu(false, 5000)) PostMessageA(tray, WM_CANCELMODE, 0, 0);
}

bool OpenMenuAt(HWND tray, const char* picture, POINT* at) {
  SetCursorPos(300, 200);
  PostMessageA(tray, kTrayNotify, 0, WM_RBUTTONDOWN);
  PostMessageA(tray, kTrayNotify, 0, WM_RBUTTONUP);
  if (!WaitForMenu(true, 20000)) return false;
  const COLORREF colour = PictureColour(picture);
  const DWORD start = GetTickCount();
  do {
    Sleep(200);
    if (MenuShot().Find(colour, at)) return true;
  } while (GetTickCount() - start < 10000);
  CloseMenu(tray);
  return false;
}

bool ClickMenuItem(HWND tray, const char* picture) {
  POINT at;
  if (!OpenMenuAt(tray, picture, &at)) return false;
  Click({at.x + 40, at.y + 2});
  return WaitForMenu(false, 20000);
}

