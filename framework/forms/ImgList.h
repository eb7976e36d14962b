// A list of images of one size, each with a transparency mask, drawn
// enabled or as the embossed outline of its mask for disabled items.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"

// Paints the pixels whose mask byte is not 0 (row-major, w x h) in a colour.
void DrawMaskBits(HDC dc, int x, int y, int w, int h, const std::vector<uint8_t>& bits,
                  COLORREF color);

class TImageList : public TComponent {
 public:
  explicit TImageList(TComponent* owner);
  ~TImageList() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Sets the size of the images; clears the list.
  void SetSize(int width, int height);
  int Count() const { return static_cast<int>(images_.size()); }

  // Adds the images of a bitmap (as many as fit side by side); mask is a
  // monochrome bitmap of the same size whose set bits are transparent, or
  // none. Returns the index of the first, -1 when nothing was added.
  int Add(HBITMAP image, HBITMAP mask);
  // As Add, transparent where the bitmap has the colour.
  int AddMasked(HBITMAP image, TColor maskColor);
  // The same for pictures of the class library (the mask may be none).
  int Add(TBitmap* image, TBitmap* mask);
  int AddMasked(TBitmap* image, TColor maskColor);
  void Delete(int index);
  void Clear();

  // Draws an image with its transparency; a disabled image is drawn as the
  // outline of its mask: a highlight copy one pixel down and right under a
  // shadow copy.
  void Draw(HDC dc, int x, int y, int index, bool enabled = true) const;
  // The image's mask, one byte a pixel (1 = part of the image), row-major.
  std::vector<uint8_t> MaskBits(int index) const;

  TNotifyEvent OnChange;

 private:
  struct Image {
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, row-major
    std::vector<uint8_t> opaque;
    HBITMAP color = nullptr;       // transparent pixels black
    HBITMAP mono = nullptr;        // transparent pixels set
  };
  int AddPixels(const std::vector<uint32_t>& pixels, int w, int h,
                const std::vector<uint8_t>& opaque);
  int AddWithMask(const std::vector<uint32_t>& px, int w, int h, const std::vector<uint32_t>& mask,
                  int mw, int mh);
  int AddKeyed(const std::vector<uint32_t>& px, int w, int h, TColor maskColor);
  void MakeBitmaps(Image& image) const;
  void Changed();
  const Image& At(int index) const;
  int width_ = 16, height_ = 16;
  std::vector<Image> images_;
};
