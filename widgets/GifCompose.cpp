// Frames composed for display: disposal methods and transparency applied
// from the last frame that clears the whole screen.
#include <algorithm>

#include "GIFImage.h"

std::unique_ptr<TBitmap> TGIFImage::ComposeFrame(int index, bool transparency, TColor& transparentColor) {
  transparentColor = clNone;
  if (frames_.empty() || screenWidth_ == 0 || screenHeight_ == 0) return nullptr;
  int last = std::max(0, std::min(index, Count() - 1));
  auto result = std::make_unique<TBitmap>();
  result->SetPixelFormat(pf24bit);
  result->SetSize(screenWidth_, screenHeight_);
  TCanvas* canvas = result->Canvas();
  HDC dc = canvas->Handle();
  HPALETTE palette = Palette();
  HPALETTE oldPalette = nullptr;
  if (palette) {
    oldPalette = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
  }
  TGIFFrame* shown = frames_[static_cast<size_t>(last)];
  TColor brush;
  if (shown->TransparentColor != clNone) {
    brush = static_cast<TColor>(GetNearestColor(dc, ColorToRGB(shown->TransparentColor)));
    transparentColor = brush;
  } else if (backgroundColor_ != clNone) {
    brush = Transparent() ? backgroundColor_ : clWindow;
  } else {
    brush = clWindow;
  }
  canvas->Brush()->SetColor(brush);
  canvas->FillRect({0, 0, screenWidth_, screenHeight_});
  int start = std::max(0, last - 1);
  while (start > 0) {
    TGIFFrame* f = frames_[static_cast<size_t>(start)];
    if (f->DisposalMethod == 2 && f->Width() == screenWidth_ && f->Height() == screenHeight_) break;
    --start;
  }
  auto drawAt = [&](TGIFFrame* f) {
    RECT r = {f->Left, f->Top, f->Left + f->Width(), f->Top + f->Height()};
    f->Draw(canvas, r, true);
  };
  for (int i = start; i < last; ++i) {
    TGIFFrame* f = frames_[static_cast<size_t>(i)];
    if (f->DisposalMethod <= 1) {
      drawAt(f);
    } else if (f->DisposalMethod == 2 && i > start) {
      canvas->FillRect({f->Left, f->Top, f->Left + f->Width(), f->Top + f->Height()});
    }
  }
  drawAt(shown);
  if (transparentColor != clNone && transparency) {
    result->SetTransparentColor(transparentColor);
    result->SetTransparent(true);
  } else {
    transparentColor = transparency ? transparentColor : clNone;
  }
  if (palette) SelectPalette(dc, oldPalette, FALSE);
  return result;
}
