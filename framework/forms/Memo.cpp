#include "Memo.h"

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
  color_ = clWindow;
  lines_.OnChange = [this](TObject*) { ShowLines(); };
}

void TMemo::FillCreateParams(CreateParams& p) {
  p.className = "EDIT";
  p.style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_TABSTOP | (Border ? WS_BORDER : 0) |
             (ReadOnly ? ES_READONLY : 0) | (WordWrap ? 0 : ES_AUTOHSCROLL) |
             (ScrollBars == ssVertical || ScrollBars == ssBoth ? WS_VSCROLL : 0) |
             (ScrollBars == ssHorizontal || ScrollBars == ssBoth ? WS_HSCROLL : 0);
}

void TMemo::SetReadOnly(bool readOnly) {
  ReadOnly = readOnly;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void TMemo::HandleCreated() { ShowLines(); }

void TMemo::ShowLines() {
  // While the lines take in the window's text, the window keeps it (and
  // its caret and scroll position).
  if (!HandleAllocated() || showing_) return;
  std::string text = lines_.Text();
  // No empty line after the last one.
  if (text.size() >= 2) text.resize(text.size() - 2);
  showing_ = true;
  SetWindowTextA(Handle(), text.c_str());
  showing_ = false;
}

void TMemo::CommandNotify(WORD code) {
  if (code != EN_CHANGE || showing_) return;
  int len = GetWindowTextLengthA(Handle());
  std::string text(static_cast<size_t>(len) + 1, '\0');
  GetWindowTextA(Handle(), &text[0], len + 1);
  text.resize(static_cast<size_t>(len));
  lines_.BeginUpdate();
  showing_ = true;
  lines_.SetText(text);
  lines_.EndUpdate();
  showing_ = false;
  if (OnChange) OnChange(this);
}

LRESULT TMemo::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // Enter makes a new line, but Escape is the form's (its cancel button).
  if (msg == WM_GETDLGCODE && wp == VK_ESCAPE)
    return TWinControl::WndProc(msg, wp, lp) & ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
  return TWinControl::WndProc(msg, wp, lp);
}
