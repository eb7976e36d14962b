// Real input for tests of windows in this process: clicks, keys and the
// wheel through the system's input queue, and the pixels a window shows.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "Pump.h"

// Handles this thread's messages until the input sent to its windows has
// been taken from the queue and handled; the test fails when it stays.
inline bool InputHandled(const char* what) {
  if (PumpUntil([] { return HIWORD(GetQueueStatus(QS_INPUT)) == 0; }, 10000)) return true;
  ADD_FAILURE() << what << " sent to this test's windows was not handled";
  return false;
}

// A left click at a client point of the window. Both halves are queued
// before any is handled: a press may start a modal loop (a scroll bar's)
// that only the release ends.
inline void ClickAt(HWND w, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(w, &p);
  SetCursorPos(p.x, p.y);
  // Another window may lie over the point for a moment (a hint, another
  // test's window): wait for the point to be the window's.
  if (!PumpUntil([&] {
        HWND at = WindowFromPoint(p);
        return at == w || IsChild(w, at);
      }, 10000))
    ADD_FAILURE() << "the window to click is not under the point " << p.x << "," << p.y;
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  InputHandled("a click");
}

// Makes the window the one that takes the keys: its form active (another
// test's window may have been shown meanwhile) and itself focused.
inline void TakeKeys(HWND w) {
  HWND top = GetAncestor(w, GA_ROOT);
  PumpUntil([&] {
    if (GetForegroundWindow() != top) SetForegroundWindow(top);
    if (GetFocus() != w) SetFocus(w);
    return GetForegroundWindow() == top && GetFocus() == w;
  }, 3000);
}

// Wheel notches over a client point (negative: towards the user, down). The
// wheel goes to the focused window, so the window takes the keys first; then
// waits until `scrolled` holds (a loaded machine may be slow to deliver).
inline void WheelAt(HWND w, int x, int y, int notches, const std::function<bool()>& scrolled) {
  TakeKeys(w);
  POINT p = {x, y};
  ClientToScreen(w, &p);
  SetCursorPos(p.x, p.y);
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_WHEEL;
  in.mi.mouseData = static_cast<DWORD>(notches * WHEEL_DELTA);
  SendInput(1, &in, sizeof in);
  if (InputHandled("the wheel") && !PumpUntil(scrolled, 10000))
    ADD_FAILURE() << "the wheel did not scroll the window";
}

// Presses and releases a key in the window while the modifier keys are held.
inline void PressKeyWith(HWND w, WORD vk, std::initializer_list<WORD> modifiers) {
  TakeKeys(w);
  std::vector<INPUT> in;
  auto key = [&](WORD k, bool up) {
    INPUT i = {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  for (WORD m : modifiers) key(m, false);
  key(vk, false);
  key(vk, true);
  for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) key(*m, true);
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  InputHandled("a key");
}

// Presses and releases a key (with Shift when asked) in the window.
inline void PressKey(HWND w, WORD vk, bool shift = false) {
  if (shift)
    PressKeyWith(w, vk, {VK_SHIFT});
  else
    PressKeyWith(w, vk, {});
}

// Types the text key by key into the window.
inline void TypeText(HWND w, const std::string& text) {
  for (char c : text) {
    SHORT scan = VkKeyScanA(c);
    PressKey(w, static_cast<WORD>(LOBYTE(scan)), (HIBYTE(scan) & 1) != 0);
  }
}

// The pixels of a window's client area, row by row, as the window paints
// them (into a bitmap of its own: windows of other programs on the display
// do not matter).
inline std::vector<COLORREF> ClientPixels(HWND w) {
  Application->ProcessMessages();
  RECT r;
  GetClientRect(w, &r);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = r.right;
  bi.bmiHeader.biHeight = -r.bottom;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  SendMessageA(w, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_ERASEBKGND | PRF_CLIENT);
  GdiFlush();
  std::vector<COLORREF> pixels(static_cast<size_t>(r.right) * static_cast<size_t>(r.bottom));
  const auto* p = static_cast<const DWORD*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Whether a colour is dark (text, check marks, frame lines).
inline bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 96; }
