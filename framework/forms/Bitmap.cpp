#include <algorithm>
#include <cstring>

#include "Graphics.h"

const char* const SInvalidBitmap = "Bitmap image is not valid";

namespace {

// Sizes above this are refused as not a bitmap this program could hold.
constexpr int64_t kMaxPixels = 64ll * 1024 * 1024;

struct DibInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

std::vector<RGBQUAD> DefaultColors(int bitCount) {
  std::vector<RGBQUAD> colors;
  if (bitCount == 1) {
    colors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  } else if (bitCount == 4) {
    static const uint8_t kVga[16][3] = {{0, 0, 0},     {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
                                        {128, 0, 0},   {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
                                        {128, 128, 128}, {0, 0, 255}, {0, 255, 0},   {0, 255, 255},
                                        {255, 0, 0},   {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
    for (auto& c : kVga) colors.push_back({c[2], c[1], c[0], 0});  // rows above are r, g, b
  } else if (bitCount == 8) {
    // 6 x 6 x 6 colour cube, then a grey ramp.
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          colors.push_back({static_cast<BYTE>(b * 51), static_cast<BYTE>(g * 51),
                            static_cast<BYTE>(r * 51), 0});
    for (int i = 0; colors.size() < 256; ++i) {
      auto v = static_cast<BYTE>(i * 255 / 39);
      colors.push_back({v, v, v, 0});
    }
  }
  return colors;
}

int BitCountOf(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: {
      HDC dc = GetDC(nullptr);
      int bits = GetDeviceCaps(dc, BITSPIXEL);
      ReleaseDC(nullptr, dc);
      return bits > 8 ? bits : 24;
    }
  }
}

void FillInfo(DibInfo& info, int width, int height, int bitCount, const std::vector<RGBQUAD>& colors) {
  std::memset(&info, 0, sizeof info);
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = width;
  info.header.biHeight = height;
  info.header.biPlanes = 1;
  info.header.biBitCount = static_cast<WORD>(bitCount);
  info.header.biCompression = BI_RGB;
  info.header.biClrUsed = static_cast<DWORD>(colors.size());
  std::copy(colors.begin(), colors.end(), info.colors);
}

}  // namespace

HPALETTE CopyPalette(HPALETTE palette) {
  if (!palette) return nullptr;
  PALETTEENTRY entries[256];
  UINT n = GetPaletteEntries(palette, 0, 256, entries);
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(n);
  std::copy(entries, entries + n, lp->palPalEntry);
  return CreatePalette(lp);
}

// The bitmap's canvas works on the memory device that holds the section.
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}

 protected:
  void CreateHandle() override {
    if (bitmap_->Empty()) bitmap_->SetSize(1, 1);
    bitmap_->SelectInto();
    SetHandle(bitmap_->dc_);
  }

 private:
  TBitmap* bitmap_;
};

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  delete canvas_;
  FreeImage();
  if (palette_) DeleteObject(palette_);
}

void TBitmap::SelectInto() {
  if (!handle_) return;
  if (!dc_) {
    dc_ = CreateCompatibleDC(nullptr);
    oldBitmap_ = SelectObject(dc_, handle_);
  }
}

void TBitmap::Deselect() {
  if (!dc_) return;
  if (canvas_) canvas_->SetHandle(nullptr);
  SelectObject(dc_, oldBitmap_);
  DeleteDC(dc_);
  dc_ = nullptr;
}

void TBitmap::FreeImage() {
  Deselect();
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

void TBitmap::Recreate(int width, int height, int bitCount, const std::vector<RGBQUAD>& colors,
                       bool keepPixels) {
  if (width <= 0 || height <= 0) {
    FreeImage();
    bitCount_ = bitCount;
    colors_ = colors;
    return;
  }
  if (static_cast<int64_t>(width) * height > kMaxPixels) throw EOutOfResources(SInvalidBitmap);
  DibInfo info;
  FillInfo(info, width, height, bitCount, colors);
  void* bits = nullptr;
  HBITMAP fresh = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
  if (!fresh) throw EOutOfResources(SInvalidBitmap);
  if (keepPixels && handle_) {
    HDC to = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(to, fresh);
    SelectInto();
    PatBlt(to, 0, 0, width, height, WHITENESS);
    BitBlt(to, 0, 0, std::min(width, width_), std::min(height, height_), dc_, 0, 0, SRCCOPY);
    SelectObject(to, old);
    DeleteDC(to);
  }
  bool hadDc = dc_ != nullptr;
  FreeImage();
  handle_ = fresh;
  bits_ = static_cast<uint8_t*>(bits);
  width_ = width;
  height_ = height;
  bitCount_ = bitCount;
  colors_ = colors;
  if (hadDc) SelectInto();
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  std::vector<RGBQUAD> colors = colors_.empty() ? DefaultColors(bitCount_) : colors_;
  Recreate(width, height, bitCount_, colors, true);
  Changed(this);
}

TPixelFormat TBitmap::PixelFormat() const {
  switch (bitCount_) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return pf16bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfDevice;
  }
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  int bits = BitCountOf(format);
  if (bits == bitCount_ && handle_) return;
  Recreate(width_, height_, bits, DefaultColors(bits), true);
  if (palette_) DeleteObject(palette_);
  palette_ = nullptr;
  Changed(this);
}

bool TBitmap::Monochrome() const {
  if (bitCount_ != 1) return false;
  if (colors_.size() < 2) return true;
  auto rgb = [](const RGBQUAD& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); };
  return rgb(colors_[0]) == RGB(0, 0, 0) && rgb(colors_[1]) == RGB(255, 255, 255);
}

void TBitmap::SetMonochrome(bool mono) {
  if (mono == Monochrome()) return;
  if (mono) {
    Recreate(width_, height_, 1, DefaultColors(1), true);
  } else {
    Recreate(width_, height_, 24, {}, true);
  }
  Changed(this);
}

uint8_t* TBitmap::ScanLine(int y) {
  if (!bits_ || y < 0 || y >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
  GdiFlush();
  return bits_ + static_cast<size_t>(height_ - 1 - y) * static_cast<size_t>(RowStride());
}

void TBitmap::ApplyColors() {
  if (!handle_ || colors_.empty()) return;
  bool hadDc = dc_ != nullptr;
  SelectInto();
  SetDIBColorTable(dc_, 0, static_cast<UINT>(colors_.size()), colors_.data());
  if (!hadDc) Deselect();
}

void TBitmap::SetColors(const std::vector<RGBQUAD>& colors) {
  if (bitCount_ > 8) return;
  colors_ = colors;
  colors_.resize(std::min<size_t>(colors_.size(), size_t{1} << bitCount_));
  ApplyColors();
  if (palette_) DeleteObject(palette_);
  palette_ = nullptr;
  PaletteModified = true;
  Changed(this);
}

HPALETTE TBitmap::Palette() {
  if (!palette_ && bitCount_ <= 8 && !colors_.empty()) {
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + colors_.size() * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(colors_.size());
    for (size_t i = 0; i < colors_.size(); ++i)
      lp->palPalEntry[i] = {colors_[i].rgbRed, colors_[i].rgbGreen, colors_[i].rgbBlue, 0};
    palette_ = CreatePalette(lp);
  }
  return palette_;
}

void TBitmap::SetPalette(HPALETTE palette) {
  if (palette == palette_) return;
  if (palette_) DeleteObject(palette_);
  palette_ = palette;
  if (palette && bitCount_ <= 8) {
    PALETTEENTRY entries[256];
    UINT n = GetPaletteEntries(palette, 0, std::min(256u, 1u << bitCount_), entries);
    colors_.clear();
    for (UINT i = 0; i < n; ++i)
      colors_.push_back({entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
    ApplyColors();
  }
  PaletteModified = true;
  Changed(this);
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) canvas_ = new TBitmapCanvas(this);
  return canvas_;
}

TColor TBitmap::TransparentColor() {
  if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
  if (!handle_) return clDefault;
  bool hadDc = dc_ != nullptr;
  SelectInto();
  COLORREF c = GetPixel(dc_, 0, height_ - 1);
  if (!hadDc) Deselect();
  return static_cast<TColor>(c & 0xFFFFFF);
}

void TBitmap::SetTransparentColor(TColor color) {
  transparentColor_ = color;
  transparentMode_ = color == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == tmAuto) transparentColor_ = clDefault;
  transparentMode_ = mode;
  Changed(this);
}

void TBitmap::Assign(TPersistent* source) {
  if (!source) {
    FreeImage();
    Changed(this);
    return;
  }
  if (auto* other = dynamic_cast<TBitmap*>(source)) {
    if (other == this) return;
    GdiFlush();
    Recreate(other->width_, other->height_, other->bitCount_, other->colors_, false);
    if (bits_ && other->bits_)
      std::memcpy(bits_, other->bits_, static_cast<size_t>(RowStride()) * static_cast<size_t>(height_));
    transparentColor_ = other->transparentColor_;
    transparentMode_ = other->transparentMode_;
    transparent_ = other->transparent_;
    if (palette_) DeleteObject(palette_);
    palette_ = nullptr;
    if (other->palette_ && other->bitCount_ > 8) palette_ = CopyPalette(other->palette_);
    PaletteModified = palette_ != nullptr || !colors_.empty();
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TBitmap::Draw(TCanvas* canvas, const RECT& rect) {
  if (!handle_) return;
  HDC dest = canvas->Handle();
  SelectInto();
  HPALETTE pal = Palette();
  HPALETTE oldPal = nullptr;
  if (pal) {
    oldPal = SelectPalette(dest, pal, TRUE);
    RealizePalette(dest);
  }
  int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (Transparent()) {
    TColor t = TransparentColor();
    TransparentStretch(dest, rect.left, rect.top, w, h, dc_, 0, 0, width_, height_,
                       Monochrome() ? RGB(255, 255, 255) : ColorToRGB(t));
  } else {
    COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
    COLORREF oldBk = SetBkColor(dest, RGB(255, 255, 255));
    int oldMode = SetStretchBltMode(dest, Monochrome() ? BLACKONWHITE : COLORONCOLOR);
    StretchBlt(dest, rect.left, rect.top, w, h, dc_, 0, 0, width_, height_, canvas->CopyMode());
    SetStretchBltMode(dest, oldMode);
    SetTextColor(dest, oldText);
    SetBkColor(dest, oldBk);
  }
  if (pal) SelectPalette(dest, oldPal, TRUE);
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  if (bitmap == handle_) return;
  if (!bitmap) {
    FreeImage();
    Changed(this);
    return;
  }
  BITMAP bm = {};
  if (!GetObjectA(bitmap, sizeof bm, &bm)) throw EInvalidGraphic(SInvalidBitmap);
  int bits = bm.bmBitsPixel * bm.bmPlanes;
  bits = bits <= 1 ? 1 : bits <= 4 ? 4 : bits <= 8 ? 8 : bits <= 16 ? 16 : bits <= 24 ? 24 : 32;
  std::vector<RGBQUAD> colors;
  HDC dc = CreateCompatibleDC(nullptr);
  if (bits <= 8) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    RGBQUAD table[256];
    UINT n = GetDIBColorTable(dc, 0, 256, table);
    SelectObject(dc, old);
    colors.assign(table, table + n);
    if (colors.empty()) colors = DefaultColors(bits);
  }
  Recreate(bm.bmWidth, std::abs(bm.bmHeight), bits, colors, false);
  if (handle_) {
    DibInfo info;
    FillInfo(info, width_, height_, bitCount_, colors_);
    bool hadDc = dc_ != nullptr;
    Deselect();
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(height_), bits_, reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    if (hadDc) SelectInto();
  }
  DeleteDC(dc);
  DeleteObject(bitmap);
  if (palette_) DeleteObject(palette_);
  palette_ = nullptr;
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  Deselect();
  HBITMAP h = handle_;
  handle_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
  Changed(this);
  return h;
}

std::vector<uint8_t> TBitmap::PackedDib() const {
  std::vector<uint8_t> out;
  if (!handle_) return out;
  GdiFlush();
  size_t tableSize = colors_.size() * sizeof(RGBQUAD);
  size_t imageSize = static_cast<size_t>(RowStride()) * static_cast<size_t>(height_);
  out.resize(sizeof(BITMAPINFOHEADER) + tableSize + imageSize);
  BITMAPINFOHEADER h = {};
  h.biSize = sizeof h;
  h.biWidth = width_;
  h.biHeight = height_;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitCount_);
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(imageSize);
  h.biClrUsed = static_cast<DWORD>(colors_.size());
  std::memcpy(out.data(), &h, sizeof h);
  if (tableSize) std::memcpy(out.data() + sizeof h, colors_.data(), tableSize);
  std::memcpy(out.data() + sizeof h + tableSize, bits_, imageSize);
  return out;
}

namespace {
// Bounds-checked view of a packed DIB; pixelOffset 0 means "after the table".
struct ParsedDib {
  int width, height, bitCount;
  bool topDown;
  DWORD compression;
  std::vector<RGBQUAD> colors;
  DWORD masks[3];
  const uint8_t* pixels;
  size_t stride;
};

ParsedDib ParseDib(const uint8_t* data, size_t size, size_t pixelOffset) {
  ParsedDib d = {};
  if (size < 12) throw EInvalidGraphic(SInvalidBitmap);
  DWORD headerSize = data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24;
  size_t tableEntry = 4;
  int planes;
  DWORD clrUsed = 0;
  if (headerSize == 12) {
    BITMAPCOREHEADER c;
    std::memcpy(&c, data, sizeof c);
    d.width = c.bcWidth;
    d.height = c.bcHeight;
    planes = c.bcPlanes;
    d.bitCount = c.bcBitCount;
    d.compression = BI_RGB;
    tableEntry = 3;
  } else {
    if (headerSize < sizeof(BITMAPINFOHEADER) || headerSize > size) throw EInvalidGraphic(SInvalidBitmap);
    BITMAPINFOHEADER h;
    std::memcpy(&h, data, sizeof h);
    d.width = h.biWidth;
    d.height = h.biHeight;
    planes = h.biPlanes;
    d.bitCount = h.biBitCount;
    d.compression = h.biCompression;
    clrUsed = h.biClrUsed;
  }
  d.topDown = d.height < 0;
  if (d.height == INT32_MIN) throw EInvalidGraphic(SInvalidBitmap);
  if (d.topDown) d.height = -d.height;
  if (planes != 1 || d.width <= 0 || d.height <= 0 ||
      static_cast<int64_t>(d.width) * d.height > kMaxPixels)
    throw EInvalidGraphic(SInvalidBitmap);
  const int kBits[] = {1, 4, 8, 16, 24, 32};
  if (std::find(std::begin(kBits), std::end(kBits), d.bitCount) == std::end(kBits))
    throw EInvalidGraphic(SInvalidBitmap);
  bool fields = d.compression == BI_BITFIELDS && (d.bitCount == 16 || d.bitCount == 32);
  if (d.compression != BI_RGB && !fields) throw EInvalidGraphic(SInvalidBitmap);
  size_t pos = headerSize;
  if (fields) {
    if (headerSize == sizeof(BITMAPINFOHEADER)) {
      if (size - pos < 12) throw EInvalidGraphic(SInvalidBitmap);
      std::memcpy(d.masks, data + pos, 12);
      pos += 12;
    } else {
      if (headerSize < 52) throw EInvalidGraphic(SInvalidBitmap);
      std::memcpy(d.masks, data + 40, 12);
    }
  }
  if (d.bitCount <= 8) {
    size_t n = clrUsed ? clrUsed : size_t{1} << d.bitCount;
    if (n > (size_t{1} << d.bitCount) || (size - pos) / tableEntry < n) throw EInvalidGraphic(SInvalidBitmap);
    for (size_t i = 0; i < n; ++i, pos += tableEntry)
      d.colors.push_back({data[pos], data[pos + 1], data[pos + 2], 0});
  } else if (clrUsed && headerSize != 12) {
    // A deep bitmap may carry an optimisation table; skip it.
    if ((size - pos) / 4 < clrUsed) throw EInvalidGraphic(SInvalidBitmap);
    pos += static_cast<size_t>(clrUsed) * 4;
  }
  if (pixelOffset) pos = pixelOffset;
  d.stride = ((static_cast<size_t>(d.width) * static_cast<size_t>(d.bitCount) + 31) / 32) * 4;
  if (pos > size || (size - pos) / d.stride < static_cast<size_t>(d.height))
    throw EInvalidGraphic(SInvalidBitmap);
  d.pixels = data + pos;
  return d;
}
}  // namespace

void TBitmap::LoadPackedDib(const uint8_t* data, size_t size) {
  ParsedDib d = ParseDib(data, size, 0);
  int bits = d.compression == BI_BITFIELDS ? 32 : d.bitCount;
  Recreate(d.width, d.height, bits, d.colors, false);
  if (d.compression == BI_BITFIELDS) {
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 12);
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof h;
    h.biWidth = d.width;
    h.biHeight = d.topDown ? -d.height : d.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(d.bitCount);
    h.biCompression = BI_BITFIELDS;
    std::memcpy(info.data(), &h, sizeof h);
    std::memcpy(info.data() + sizeof h, d.masks, 12);
    HDC dc = CreateCompatibleDC(nullptr);
    bool hadDc = dc_ != nullptr;
    Deselect();
    SetDIBits(dc, handle_, 0, static_cast<UINT>(d.height), d.pixels,
              reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    DeleteDC(dc);
    if (hadDc) SelectInto();
  } else {
    for (int y = 0; y < d.height; ++y) {
      int from = d.topDown ? d.height - 1 - y : y;  // y counts bottom-up rows
      std::memcpy(bits_ + static_cast<size_t>(y) * d.stride, d.pixels + static_cast<size_t>(from) * d.stride,
                  d.stride);
    }
  }
  if (palette_) DeleteObject(palette_);
  palette_ = nullptr;
  PaletteModified = !colors_.empty();
  Changed(this);
}

void TBitmap::LoadFromStream(TStream* stream) {
  BITMAPFILEHEADER fh;
  if (stream->Read(&fh, sizeof fh) != static_cast<int32_t>(sizeof fh) || fh.bfType != 0x4D42)
    throw EInvalidGraphic(SInvalidBitmap);
  int64_t left = stream->Size() - stream->Position();
  int64_t want = fh.bfSize > sizeof fh ? static_cast<int64_t>(fh.bfSize - sizeof fh) : left;
  if (want > left) want = left;
  if (want <= 0 || want > kMaxPixels * 4 + 4096) throw EInvalidGraphic(SInvalidBitmap);
  std::vector<uint8_t> data(static_cast<size_t>(want));
  stream->ReadBuffer(data.data(), static_cast<int32_t>(want));
  size_t offset = fh.bfOffBits >= sizeof fh ? fh.bfOffBits - sizeof fh : 0;
  // The rows move right behind the table when the file puts them elsewhere.
  if (offset) {
    ParsedDib d = ParseDib(data.data(), data.size(), offset);
    size_t natural = static_cast<size_t>(d.pixels - data.data());
    ParsedDib plain = ParseDib(data.data(), data.size(), 0);
    size_t tableEnd = static_cast<size_t>(plain.pixels - data.data());
    if (natural != tableEnd) {
      std::vector<uint8_t> packed(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(tableEnd));
      packed.insert(packed.end(), data.begin() + static_cast<std::ptrdiff_t>(natural), data.end());
      data.swap(packed);
    }
  }
  LoadPackedDib(data.data(), data.size());
}

void TBitmap::SaveToStream(TStream* stream) {
  std::vector<uint8_t> dib = PackedDib();
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfSize = static_cast<DWORD>(sizeof fh + dib.size());
  fh.bfOffBits = static_cast<DWORD>(sizeof fh + sizeof(BITMAPINFOHEADER) + colors_.size() * 4);
  stream->WriteBuffer(&fh, sizeof fh);
  if (!dib.empty()) stream->WriteBuffer(dib.data(), static_cast<int32_t>(dib.size()));
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  TResourceStream res(instance, name, reinterpret_cast<LPCSTR>(RT_BITMAP));
  LoadPackedDib(static_cast<const uint8_t*>(res.Memory()), static_cast<size_t>(res.Size()));
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id) {
  TResourceStream res(instance, id, reinterpret_cast<LPCSTR>(RT_BITMAP));
  LoadPackedDib(static_cast<const uint8_t*>(res.Memory()), static_cast<size_t>(res.Size()));
}

void TBitmap::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  if (format == CF_DIB && data) {
    const void* p = GlobalLock(data);
    if (!p) throw EInvalidGraphic(SInvalidBitmap);
    try {
      LoadPackedDib(static_cast<const uint8_t*>(p), GlobalSize(data));
    } catch (...) {
      GlobalUnlock(data);
      throw;
    }
    GlobalUnlock(data);
    return;
  }
  if (format != CF_BITMAP || !data) throw EInvalidGraphic(SUnknownClipboardFormat);
  // The clipboard keeps its handle: take a copy.
  HBITMAP copy = static_cast<HBITMAP>(CopyImage(data, IMAGE_BITMAP, 0, 0, 0));
  if (!copy) throw EInvalidGraphic(SInvalidBitmap);
  SetHandle(copy);
  if (palette && bitCount_ <= 8) SetPalette(CopyPalette(palette));
}

void TBitmap::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  format = CF_BITMAP;
  data = handle_ ? CopyImage(handle_, IMAGE_BITMAP, 0, 0, 0) : nullptr;
  palette = nullptr;
  if (HPALETTE own = Palette()) palette = CopyPalette(own);
}

