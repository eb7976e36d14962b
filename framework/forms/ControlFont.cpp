// The font of a windowed control and its ParentFont link.
#include "Controls.h"
#include "Graphics.h"

void TWinControl::InitFont() {
  font_ = std::make_unique<TFont>();
  font_->SetHandle(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  font_->SetColor(fontColor_);
  font_->OnChange = [this](TObject*) {
    if (!takingFont_) parentFont_ = false;
    fontColor_ = font_->Color();
    ApplyFont();
  };
}

void TWinControl::SetParentFont(bool parentFont) {
  parentFont_ = parentFont;
  if (parentFont_) TakeParentFont();
}

void TWinControl::TakeParentFont() {
  if (!parent_) return;
  TFont taken;
  taken.Assign(parent_->font_.get());
  taken.SetColor(fontColor_);
  takingFont_ = true;
  font_->Assign(&taken);
  takingFont_ = false;
}

void TWinControl::ApplyFont() {
  if (handle_) {
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), TRUE);
    InvalidateRect(handle_, nullptr, TRUE);
  }
  for (TWinControl* c : controls_)
    if (c->parentFont_) c->TakeParentFont();
  FontChanged();
}

void TWinControl::SetFontColor(TColor color) {
  fontColor_ = color;
  takingFont_ = true;
  font_->SetColor(color);
  takingFont_ = false;
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}
