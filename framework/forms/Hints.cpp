// The application's hints: a pause after the mouse stops over a control
// with ShowHint, OnShowHint, a hint window below the cursor, hidden after
// HintHidePause or when the mouse leaves the hint's area.
#include <windows.h>

#include "Application.h"
#include "Controls.h"

namespace {
const char kHintClass[] = "THintWindow";
constexpr UINT_PTR kShowTimer = 1, kHideTimer = 2;
}  // namespace

void TApplication::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  if (OnHint) OnHint(this);
}

HWND TApplication::HintWindow() {
  if (hintWindow_ && IsWindow(hintWindow_)) return hintWindow_;
  WNDCLASSA wc = {};
  if (!GetClassInfoA(GetModuleHandleA(nullptr), kHintClass, &wc)) {
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = HintProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kHintClass;
    RegisterClassA(&wc);
  }
  hintWindow_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kHintClass, "", WS_POPUP | WS_BORDER,
                                0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  return hintWindow_;
}

LRESULT CALLBACK TApplication::HintProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      KillTimer(w, wp);
      if (wp == kShowTimer)
        Application->ActivateHint();
      else
        Application->CancelHint();
      return 0;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      RECT r;
      GetClientRect(w, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
      char text[1024] = {};
      GetWindowTextA(w, text, sizeof text);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
      HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      InflateRect(&r, -2, -1);
      DrawTextA(dc, text, -1, &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
      SelectObject(dc, old);
      EndPaint(w, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(w, msg, wp, lp);
  }
}

void TApplication::HintMouseMessage(TWinControl* control, POINT pos) {
  if (hintShown_ && control == hintControl_ && PtInRect(&hintInfo_.CursorRect, pos)) return;
  if (hintShown_ || control != hintControl_) CancelHint();
  if (!control || !ShowHint || !control->ShowHint) return;
  hintControl_ = control;
  hintInfo_.CursorPos = pos;
  SetTimer(HintWindow(), kShowTimer, static_cast<UINT>(HintPause), nullptr);
}

void TApplication::ActivateHint() {
  TWinControl* c = hintControl_;
  if (!c || !c->HandleAllocated() || !ShowHint) return;
  POINT screen;
  GetCursorPos(&screen);
  THintInfo info;
  info.HintControl = c;
  info.CursorPos = screen;
  ScreenToClient(c->Handle(), &info.CursorPos);
  GetClientRect(c->Handle(), &info.CursorRect);
  info.HintPos = {screen.x, screen.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
  info.HintStr = c->Hint;
  info.HideTimeout = HintHidePause;
  bool canShow = true;
  if (OnShowHint) OnShowHint(info.HintStr, canShow, info);
  hintInfo_ = info;
  if (!canShow || info.HintStr.empty()) return;
  HWND w = HintWindow();
  SetWindowTextA(w, info.HintStr.c_str());
  HDC dc = GetDC(w);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT r = {0, 0, 300, 0};
  DrawTextA(dc, info.HintStr.c_str(), -1, &r, DT_CALCRECT | DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  SetWindowPos(w, HWND_TOPMOST, info.HintPos.x, info.HintPos.y, r.right + 6, r.bottom + 4,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(w, nullptr, TRUE);
  hintShown_ = true;
  if (info.HideTimeout > 0) SetTimer(w, kHideTimer, static_cast<UINT>(info.HideTimeout), nullptr);
}

void TApplication::CancelHint() {
  if (hintWindow_) {
    KillTimer(hintWindow_, kShowTimer);
    KillTimer(hintWindow_, kHideTimer);
    ShowWindow(hintWindow_, SW_HIDE);
  }
  hintShown_ = false;
  hintControl_ = nullptr;
}
