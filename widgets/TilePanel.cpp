#include "TilePanel.h"

TPanelTile::TPanelTile(TComponent* owner) : TPanel(owner), glyph_(std::make_shared<TBitmap>()) {}

TPanelTile::~TPanelTile() {
  Destroying();
  if (reference_) reference_->RemoveFreeNotification(this);
}

void TPanelTile::SetGlyph(TBitmap* bitmap) {
  glyph_->Assign(bitmap);
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TPanelTile::SetReferencePanel(TPanelTile* panel) {
  if (panel == reference_ || panel == this) return;
  if (reference_) reference_->RemoveFreeNotification(this);
  reference_ = panel;
  if (panel) {
    panel->FreeNotification(this);
    glyph_ = panel->glyph_;
  } else {
    glyph_ = std::make_shared<TBitmap>();
  }
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TPanelTile::Notification(TComponent* component, TOperation operation) {
  TPanel::Notification(component, operation);
  // The shared bitmap stays with this panel when the reference goes.
  if (operation == opRemove && component == reference_) reference_ = nullptr;
}

void TPanelTile::Paint(HDC dc) {
  TPanel::Paint(dc);
  if (!glyph_ || glyph_->Empty()) return;
  const int gw = glyph_->Width(), gh = glyph_->Height();
  if (gw <= 0 || gh <= 0) return;
  const int offset = (BevelInner() != bvNone || BevelOuter() != bvNone)
                         ? BorderWidth() + 2 * BevelWidth()
                         : 0;
  const int w = ClientWidth(), h = ClientHeight();
  const int cols = (w - 2 * offset) / gw + 1, rows = (h - 2 * offset) / gh + 1;
  // Tiles stay inside the bevels.
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, offset, offset, w - offset, h - offset);
  HDC src = glyph_->Canvas()->Handle();
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) BitBlt(dc, offset + c * gw, offset + r * gh, gw, gh, src, 0, 0, SRCCOPY);
  RestoreDC(dc, saved);
}
