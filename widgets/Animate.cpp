#include "Animate.h"

#include "Forms.h"
#include "Screen.h"

TImageControl::TImageControl(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(Left(), Top(), 105, 105);
  opaque_ = true;  // painting covers the whole control
}

HPALETTE TImageControl::GetPalette() { return graphic_ ? graphic_->Palette() : nullptr; }

void TImageControl::Paint() {
  HDC dc = Canvas()->Handle();
  HPALETTE palette = GetPalette();
  HPALETTE old = nullptr;
  if (palette) {
    TForm* form = Parent() ? GetParentForm(Parent()) : nullptr;
    old = SelectPalette(dc, palette, !(form && form == Screen->ActiveForm()));
    RealizePalette(dc);
  }
  drawing_ = true;
  try {
    DoPaintImage();
  } catch (...) {
    drawing_ = false;
    if (palette) SelectPalette(dc, old, TRUE);
    throw;
  }
  drawing_ = false;
  if (palette) SelectPalette(dc, old, TRUE);
}

void TImageControl::DrawDesignFrame() {
  TCanvas* c = Canvas();
  c->Pen()->SetColor(clBlack);
  c->Pen()->SetStyle(psDash);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(0, 0, Width(), Height());
  c->Pen()->SetStyle(psSolid);
  c->Brush()->SetStyle(bsSolid);
}

void TImageControl::PictureChanged() {
  if (graphic_ && graphic_->PaletteModified) {
    if (!graphic_->Palette()) {
      graphic_->PaletteModified = false;
    } else if (Visible() && !(ComponentState() & csLoading)) {
      TForm* form = Parent() ? GetParentForm(Parent()) : nullptr;
      if (form && form == Screen->ActiveForm() && form->HandleAllocated()) {
        if (drawing_) SendMessageA(form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
        else PostMessageA(form->Handle(), WM_QUERYNEWPALETTE, 0, 0);
        graphic_->PaletteModified = false;
      }
    }
  }
  if (drawing_) Update();
  else Invalidate();
}
