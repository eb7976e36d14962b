#include "Clipboard.h"

#include <cstring>

#include "Application.h"
#include "Graphics.h"

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

TClipboard::~TClipboard() {
  if (window_) DeallocateHWnd(window_);
}

void TClipboard::Open() {
  if (openRefs_ == 0) {
    if (!window_)
      window_ = AllocateHWnd([](HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, msg, wp, lp); });
    bool opened = false;
    for (int tries = 0; tries < 20 && !(opened = OpenClipboard(window_)); ++tries) Sleep(10);
    if (!opened) throw EClipboardException("Cannot open clipboard");
    emptied_ = false;
  }
  ++openRefs_;
}

void TClipboard::Close() {
  if (openRefs_ == 0) return;
  if (--openRefs_ == 0) CloseClipboard();
}

void TClipboard::Clear() {
  Open();
  EmptyClipboard();
  emptied_ = true;
  Close();
}

void TClipboard::Adding() {
  if (openRefs_ > 0 && !emptied_) {
    EmptyClipboard();
    emptied_ = true;
  }
}

bool TClipboard::HasFormat(UINT format) { return IsClipboardFormatAvailable(format) != 0; }

std::string TClipboard::AsText() {
  Open();
  std::string text;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(h))) {
      text.assign(p, strnlen(p, GlobalSize(h)));
      GlobalUnlock(h);
    }
  }
  Close();
  return text;
}

void TClipboard::SetAsText(const std::string& text) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
  if (!h) throw EOutOfResources("Out of global memory");
  std::memcpy(GlobalLock(h), text.c_str(), text.size() + 1);
  GlobalUnlock(h);
  SetAsHandle(CF_TEXT, h);
}

HANDLE TClipboard::GetAsHandle(UINT format) {
  Open();
  HANDLE h = GetClipboardData(format);
  Close();
  return h;
}

void TClipboard::SetAsHandle(UINT format, HANDLE value) {
  Open();
  Adding();
  SetClipboardData(format, value);
  Close();
}

void TClipboard::Assign(TPersistent* source) {
  TGraphic* graphic = dynamic_cast<TGraphic*>(source);
  if (auto* picture = dynamic_cast<TPicture*>(source)) graphic = picture->Graphic();
  if (!graphic) {
    TPersistent::Assign(source);
    return;
  }
  Open();
  try {
    Adding();
    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    graphic->SaveToClipboardFormat(format, data, palette);
    if (format && data) SetClipboardData(format, data);
    if (palette) SetClipboardData(CF_PALETTE, palette);
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

void TClipboard::AssignTo(TPersistent* dest) {
  auto* picture = dynamic_cast<TPicture*>(dest);
  auto* graphic = dynamic_cast<TGraphic*>(dest);
  if (!picture && !graphic) {
    TPersistent::AssignTo(dest);
    return;
  }
  Open();
  try {
    HPALETTE palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
    UINT found = 0;
    for (UINT f = EnumClipboardFormats(0); f && !found; f = EnumClipboardFormats(f))
      if (TPicture::SupportsClipboardFormat(f)) found = f;
    if (!found) throw EInvalidGraphic(SUnknownClipboardFormat);
    HANDLE data = GetClipboardData(found);
    if (picture)
      picture->LoadFromClipboardFormat(found, data, palette);
    else
      graphic->LoadFromClipboardFormat(found, data, palette);
  } catch (...) {
    Close();
    throw;
  }
  Close();
}
