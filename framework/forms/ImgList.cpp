#include "ImgList.h"


namespace {

// Reads a bitmap as 32-bit pixels 0x00RRGGBB, top row first.
std::vector<uint32_t> ReadPixels(HBITMAP bitmap, int& w, int& h) {
  BITMAP bm = {};
  if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm)) return {};
  w = bm.bmWidth;
  h = bm.bmHeight;
  if (w <= 0 || h <= 0) return {};
  std::vector<uint32_t> px(static_cast<size_t>(w) * static_cast<size_t>(h));
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(nullptr);
  int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), px.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (lines != h) return {};
  for (uint32_t& p : px) p &= 0xFFFFFF;
  return px;
}

// The pixels of a w x h area of a device context.
std::vector<uint32_t> PixelsOf(HDC src, int w, int h) {
  if (!src || w <= 0 || h <= 0) return {};
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return {};
  HDC dc = CreateCompatibleDC(src);
  HGDIOBJ old = SelectObject(dc, dib);
  BitBlt(dc, 0, 0, w, h, src, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  std::vector<uint32_t> px(p, p + static_cast<size_t>(w) * static_cast<size_t>(h));
  for (uint32_t& v : px) v &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(dib);
  return px;
}

std::vector<uint32_t> PixelsOf(TBitmap* b, int& w, int& h) {
  if (!b || b->Empty()) return {};
  w = b->Width();
  h = b->Height();
  return PixelsOf(b->Canvas()->Handle(), w, h);
}

// A monochrome bitmap whose bits are set where the byte is 0.
HBITMAP MonoFromBits(int w, int h, const std::vector<uint8_t>& bits) {
  const int stride = ((w + 15) / 16) * 2;
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * static_cast<size_t>(h), 0xFF);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (bits[static_cast<size_t>(y * w + x)])
        rows[static_cast<size_t>(y * stride + x / 8)] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
  return CreateBitmap(w, h, 1, 1, rows.data());
}

}  // namespace

void DrawMaskBits(HDC dc, int x, int y, int w, int h, const std::vector<uint8_t>& bits,
                  COLORREF color) {
  if (w <= 0 || h <= 0 || bits.size() < static_cast<size_t>(w) * static_cast<size_t>(h)) return;
  HBITMAP mono = MonoFromBits(w, h, bits);
  HDC mdc = CreateCompatibleDC(dc);
  HGDIOBJ oldBmp = SelectObject(mdc, mono);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
  // Where the source is white the destination stays; where black, the brush.
  BitBlt(dc, x, y, w, h, mdc, 0, 0, 0x00B8074A);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  SelectObject(mdc, oldBmp);
  DeleteDC(mdc);
  DeleteObject(mono);
}

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList() {
  Destroying();
  for (Image& i : images_) {
    DeleteObject(i.color);
    DeleteObject(i.mono);
  }
}

void TImageList::SetSize(int width, int height) {
  Clear();
  width_ = width > 0 ? width : 1;
  height_ = height > 0 ? height : 1;
  Changed();
}

void TImageList::Changed() {
  if (OnChange) OnChange(this);
}

const TImageList::Image& TImageList::At(int index) const {
  if (index < 0 || index >= Count()) throw EComponentError("Image index out of range");
  return images_[static_cast<size_t>(index)];
}

int TImageList::AddPixels(const std::vector<uint32_t>& pixels, int w, int h,
                          const std::vector<uint8_t>& opaque) {
  if (pixels.empty() || h < height_ || w < width_) return -1;
  int first = Count();
  for (int n = 0; (n + 1) * width_ <= w; ++n) {
    Image img;
    img.pixels.resize(static_cast<size_t>(width_ * height_));
    img.opaque.resize(img.pixels.size());
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        size_t from = static_cast<size_t>(y * w + n * width_ + x);
        size_t to = static_cast<size_t>(y * width_ + x);
        img.pixels[to] = pixels[from];
        img.opaque[to] = opaque[from];
      }
    MakeBitmaps(img);
    images_.push_back(std::move(img));
  }
  Changed();
  return first;
}

int TImageList::AddWithMask(const std::vector<uint32_t>& px, int w, int h,
                            const std::vector<uint32_t>& mask, int mw, int mh) {
  std::vector<uint8_t> opaque(px.size(), 1);
  if (!mask.empty() && mw == w && mh == h)
    for (size_t i = 0; i < mask.size(); ++i) opaque[i] = mask[i] ? 0 : 1;
  return AddPixels(px, w, h, opaque);
}

int TImageList::Add(HBITMAP image, HBITMAP mask) {
  int w = 0, h = 0, mw = 0, mh = 0;
  std::vector<uint32_t> px = ReadPixels(image, w, h);
  std::vector<uint32_t> m = mask ? ReadPixels(mask, mw, mh) : std::vector<uint32_t>();
  return AddWithMask(px, w, h, m, mw, mh);
}

int TImageList::Add(TBitmap* image, TBitmap* mask) {
  int w = 0, h = 0, mw = 0, mh = 0;
  std::vector<uint32_t> px = PixelsOf(image, w, h);
  std::vector<uint32_t> m = PixelsOf(mask, mw, mh);
  return AddWithMask(px, w, h, m, mw, mh);
}

int TImageList::AddMasked(HBITMAP image, TColor maskColor) {
  int w = 0, h = 0;
  std::vector<uint32_t> px = ReadPixels(image, w, h);
  return AddKeyed(px, w, h, maskColor);
}

int TImageList::AddMasked(TBitmap* image, TColor maskColor) {
  int w = 0, h = 0;
  std::vector<uint32_t> px = PixelsOf(image, w, h);
  return AddKeyed(px, w, h, maskColor);
}

int TImageList::AddKeyed(const std::vector<uint32_t>& px, int w, int h, TColor maskColor) {
  COLORREF c = ColorToRGB(maskColor);
  uint32_t key = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  std::vector<uint8_t> opaque(px.size());
  for (size_t i = 0; i < px.size(); ++i) opaque[i] = px[i] == key ? 0 : 1;
  return AddPixels(px, w, h, opaque);
}

void TImageList::MakeBitmaps(Image& img) const {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width_;
  bi.bmiHeader.biHeight = -height_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  img.color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!img.color || !bits) throw EOutOfResources("Cannot create an image");
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < img.pixels.size(); ++i) out[i] = img.opaque[i] ? img.pixels[i] : 0;
  img.mono = MonoFromBits(width_, height_, img.opaque);
  // MonoFromBits sets the bits of transparent pixels: exactly the mask.
}

void TImageList::Delete(int index) {
  const Image& img = At(index);
  DeleteObject(img.color);
  DeleteObject(img.mono);
  images_.erase(images_.begin() + index);
  Changed();
}

void TImageList::Clear() {
  if (images_.empty()) return;
  for (Image& i : images_) {
    DeleteObject(i.color);
    DeleteObject(i.mono);
  }
  images_.clear();
  Changed();
}

std::vector<uint8_t> TImageList::MaskBits(int index) const { return At(index).opaque; }

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) const {
  const Image& img = At(index);
  if (!enabled) {
    // Edges of the mask against itself moved one pixel down and right.
    std::vector<uint8_t> shadow(img.opaque.size()), light(img.opaque.size());
    for (int yy = 0; yy < height_; ++yy)
      for (int xx = 0; xx < width_; ++xx) {
        size_t i = static_cast<size_t>(yy * width_ + xx);
        bool m = img.opaque[i] != 0;
        bool moved = xx > 0 && yy > 0 && img.opaque[i - static_cast<size_t>(width_) - 1];
        shadow[i] = m && !moved;
        light[i] = moved && !m;
      }
    DrawMaskBits(dc, x, y, width_, height_, shadow, GetSysColor(COLOR_BTNSHADOW));
    DrawMaskBits(dc, x, y, width_, height_, light, GetSysColor(COLOR_BTNHIGHLIGHT));
    return;
  }
  HDC mdc = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mdc, img.mono);
  COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
  BitBlt(dc, x, y, width_, height_, mdc, 0, 0, SRCAND);
  SelectObject(mdc, img.color);
  BitBlt(dc, x, y, width_, height_, mdc, 0, 0, SRCPAINT);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
  SelectObject(mdc, old);
  DeleteDC(mdc);
}
