// A panel whose inner area is covered by a bitmap repeated over it. Panels
// can share one bitmap through a reference panel.
#pragma once

#include <memory>

#include "Graphics.h"
#include "StdCtrls.h"

class TPanelTile : public TPanel {
 public:
  explicit TPanelTile(TComponent* owner);
  ~TPanelTile() override;
  // The bitmap in use: the panel's own, or the reference panel's.
  TBitmap* Glyph() const { return glyph_.get(); }
  // Copies the bitmap into the glyph in use.
  void SetGlyph(TBitmap* bitmap);
  TPanelTile* ReferencePanel() const { return reference_; }
  // Shares the reference's glyph; none gives the panel a new empty one.
  void SetReferencePanel(TPanelTile* panel);

 protected:
  void Paint(HDC dc) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  std::shared_ptr<TBitmap> glyph_;
  TPanelTile* reference_ = nullptr;
};
