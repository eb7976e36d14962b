#include "Screen.h"

#include "Forms.h"

namespace {
// Made before the start-up code of other units, which registers cursors.
TScreen theScreen __attribute__((init_priority(200)));

LPCSTR StandardCursor(TCursor index) {
  switch (index) {
    case crCross: return IDC_CROSS;
    case crIBeam: return IDC_IBEAM;
    case crSizeNESW: return IDC_SIZENESW;
    case crSizeNS:
    case crVSplit: return IDC_SIZENS;
    case crSizeNWSE: return IDC_SIZENWSE;
    case crSizeWE:
    case crHSplit: return IDC_SIZEWE;
    case crUpArrow: return IDC_UPARROW;
    case crHourGlass:
    case crSQLWait: return IDC_WAIT;
    case crNoDrop:
    case crNo: return IDC_NO;
    case crAppStart: return IDC_APPSTARTING;
    case crHelp: return IDC_HELP;
    case crHandPoint: return IDC_HAND;
    case crSizeAll: return IDC_SIZEALL;
    default: return IDC_ARROW;
  }
}
}  // namespace

TScreen* const Screen = &theScreen;

TScreen::TScreen() : TComponent(nullptr) {}

TScreen::~TScreen() {
  for (auto& entry : custom_) DestroyCursor(entry.second);
}

HCURSOR TScreen::Cursors(TCursor index) const {
  auto it = custom_.find(index);
  if (it != custom_.end()) return it->second;
  if (index == crNone) return nullptr;
  return LoadCursorA(nullptr, StandardCursor(index));
}

void TScreen::SetCursors(TCursor index, HCURSOR cursor) {
  auto it = custom_.find(index);
  if (it != custom_.end()) {
    if (it->second == cursor) return;
    DestroyCursor(it->second);
    custom_.erase(it);
  }
  if (cursor) custom_[index] = cursor;
}

void TScreen::SetCursor(TCursor cursor) {
  cursor_ = cursor;
  if (cursor != crDefault) {
    ::SetCursor(Cursors(cursor));
  } else {
    // Let the window under the mouse choose again.
    POINT p;
    GetCursorPos(&p);
    SetCursorPos(p.x, p.y);
  }
}

int TScreen::PixelsPerInch() const {
  HDC dc = GetDC(nullptr);
  int ppi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  return ppi;
}

TForm* TScreen::ActiveForm() const {
  for (HWND w = GetActiveWindow(); w; w = GetParent(w))
    if (auto* form = dynamic_cast<TForm*>(TWinControl::FromHandle(w))) return form;
  return nullptr;
}
