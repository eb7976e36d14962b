// Base of the non-windowed image controls: realises the palette of its
// graphic and repaints when the picture changes.
#pragma once

#include "GraphicControls.h"
#include "Graphics.h"

class TImageControl : public TGraphicControl {
 public:
  explicit TImageControl(TComponent* owner);

 protected:
  void Paint() override;
  // Draws the image on the Canvas.
  virtual void DoPaintImage() = 0;
  // The palette to realise (the graphic's by default).
  virtual HPALETTE GetPalette();
  // After the picture changed: the form realises a modified palette again;
  // then the control is updated at once while painting, else invalidated.
  void PictureChanged();
  bool Drawing() const { return drawing_; }
  // The dashed outline that shows the control in the designer.
  void DrawDesignFrame();
  TGraphic* graphic_ = nullptr;

 private:
  bool drawing_ = false;
};
