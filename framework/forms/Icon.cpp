#include <cstring>

#include "Graphics.h"

const char* const SInvalidIcon = "Icon image is not valid";
const char* const SChangeIconSize = "Cannot change the size of an icon";

namespace {

uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t DWord(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutWord(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutDWord(std::vector<uint8_t>& out, uint32_t v) {
  PutWord(out, static_cast<uint16_t>(v));
  PutWord(out, static_cast<uint16_t>(v >> 16));
}

// An icon file of one 32-bit image with its mask, made from an icon handle.
std::vector<uint8_t> IconFileOf(HICON icon) {
  ICONINFO ii = {};
  std::vector<uint8_t> out;
  if (!GetIconInfo(icon, &ii)) return out;
  BITMAP bm = {};
  GetObjectA(ii.hbmMask, sizeof bm, &bm);
  int w = bm.bmWidth, h = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFOHEADER bh = {};
  bh.biSize = sizeof bh;
  bh.biWidth = w;
  bh.biHeight = h;
  bh.biPlanes = 1;
  bh.biBitCount = 32;
  std::vector<uint8_t> color(static_cast<size_t>(w) * h * 4);
  if (ii.hbmColor)
    GetDIBits(dc, ii.hbmColor, 0, static_cast<UINT>(h), color.data(), reinterpret_cast<BITMAPINFO*>(&bh),
              DIB_RGB_COLORS);
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD c[2];
  } mi = {};
  mi.h = bh;
  mi.h.biBitCount = 1;
  mi.h.biHeight = ii.hbmColor ? h : 2 * h;
  size_t maskStride = ((static_cast<size_t>(w) + 31) / 32) * 4;
  std::vector<uint8_t> mask(maskStride * static_cast<size_t>(mi.h.biHeight));
  GetDIBits(dc, ii.hbmMask, 0, static_cast<UINT>(mi.h.biHeight), mask.data(),
            reinterpret_cast<BITMAPINFO*>(&mi), DIB_RGB_COLORS);
  DeleteDC(dc);
  if (!ii.hbmColor) {
    // Monochrome icon: the lower half of the mask is the AND mask.
    std::vector<uint8_t> andMask(mask.begin() + static_cast<std::ptrdiff_t>(maskStride * h), mask.end());
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
      size_t x = i % w, y = i / w;
      bool white = mask[y * maskStride + x / 8] & (0x80 >> (x % 8));
      uint8_t v = white ? 255 : 0;
      color[i * 4] = color[i * 4 + 1] = color[i * 4 + 2] = v;
    }
    mask.swap(andMask);
  }
  mask.resize(maskStride * h);
  if (ii.hbmColor) DeleteObject(ii.hbmColor);
  DeleteObject(ii.hbmMask);
  uint32_t imageSize = static_cast<uint32_t>(sizeof bh + color.size() + mask.size());
  PutWord(out, 0);
  PutWord(out, 1);
  PutWord(out, 1);
  out.push_back(static_cast<uint8_t>(w >= 256 ? 0 : w));
  out.push_back(static_cast<uint8_t>(h >= 256 ? 0 : h));
  out.push_back(0);
  out.push_back(0);
  PutWord(out, 1);
  PutWord(out, 32);
  PutDWord(out, imageSize);
  PutDWord(out, 22);
  bh.biHeight = 2 * h;
  bh.biSizeImage = static_cast<DWORD>(color.size() + mask.size());
  const auto* hp = reinterpret_cast<const uint8_t*>(&bh);
  out.insert(out.end(), hp, hp + sizeof bh);
  out.insert(out.end(), color.begin(), color.end());
  out.insert(out.end(), mask.begin(), mask.end());
  return out;
}

}  // namespace

TIcon::TIcon() { transparent_ = true; }

TIcon::~TIcon() { FreeIcon(); }

void TIcon::FreeIcon() {
  if (handle_) DestroyIcon(handle_);
  handle_ = nullptr;
  width_ = height_ = 0;
  data_.clear();
}

void TIcon::Assign(TPersistent* source) {
  if (!source) {
    FreeIcon();
    Changed(this);
    return;
  }
  if (auto* other = dynamic_cast<TIcon*>(source)) {
    if (other == this) return;
    FreeIcon();
    if (other->handle_) handle_ = CopyIcon(other->handle_);
    width_ = other->width_;
    height_ = other->height_;
    data_ = other->data_;
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TIcon::Draw(TCanvas* canvas, const RECT& rect) {
  if (!handle_) return;
  DrawIconEx(canvas->Handle(), rect.left, rect.top, handle_, rect.right - rect.left,
             rect.bottom - rect.top, 0, nullptr, DI_NORMAL);
}

void TIcon::SetWidth(int) { throw EInvalidGraphicOperation(SChangeIconSize); }
void TIcon::SetHeight(int) { throw EInvalidGraphicOperation(SChangeIconSize); }

void TIcon::LoadFromStream(TStream* stream) {
  int64_t left = stream->Size() - stream->Position();
  if (left < 6 + 16 || left > 16 * 1024 * 1024) throw EInvalidGraphic(SInvalidIcon);
  std::vector<uint8_t> data(static_cast<size_t>(left));
  stream->ReadBuffer(data.data(), static_cast<int32_t>(left));
  uint16_t type = Word(&data[2]), count = Word(&data[4]);
  if (Word(&data[0]) != 0 || (type != 1 && type != 2) || count == 0 ||
      data.size() < 6 + 16u * count)
    throw EInvalidGraphic(SInvalidIcon);
  const uint8_t* entry = &data[6];
  uint32_t bytes = DWord(entry + 8), offset = DWord(entry + 12);
  if (bytes < sizeof(BITMAPINFOHEADER) || offset > data.size() || bytes > data.size() - offset)
    throw EInvalidGraphic(SInvalidIcon);
  // The image's colour and mask rows must lie inside its bytes.
  const uint8_t* image = &data[offset];
  if (std::memcmp(image, "\x89PNG", 4) != 0) {
    int32_t w = static_cast<int32_t>(DWord(image + 4)), h2 = static_cast<int32_t>(DWord(image + 8));
    uint16_t bits = Word(image + 14);
    if (DWord(image) < 40 || w <= 0 || w > 1024 || h2 <= 0 || h2 > 2048 ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
      throw EInvalidGraphic(SInvalidIcon);
    uint32_t colors = bits <= 8 ? (DWord(image + 32) ? DWord(image + 32) : 1u << bits) : 0;
    if (colors > 256) throw EInvalidGraphic(SInvalidIcon);
    uint64_t h = static_cast<uint64_t>(h2) / 2;
    uint64_t need = DWord(image) + colors * 4ull + ((w * bits + 31ull) / 32) * 4 * h + ((w + 31ull) / 32) * 4 * h;
    if (need > bytes) throw EInvalidGraphic(SInvalidIcon);
  }
  // Every image is made as an icon (a cursor's hot spot is not kept here).
  HICON icon = CreateIconFromResourceEx(&data[offset], bytes, TRUE, 0x00030000, 0, 0, 0);
  if (!icon) throw EInvalidGraphic(SInvalidIcon);
  SetHandle(icon);
  data_.swap(data);
}

void TIcon::SaveToStream(TStream* stream) {
  if (!handle_) return;
  if (data_.empty()) data_ = IconFileOf(handle_);
  if (!data_.empty()) stream->WriteBuffer(data_.data(), static_cast<int32_t>(data_.size()));
}

void TIcon::SetHandle(HICON icon) {
  if (icon == handle_) return;
  FreeIcon();
  handle_ = icon;
  if (icon) {
    ICONINFO ii = {};
    if (GetIconInfo(icon, &ii)) {
      BITMAP bm = {};
      GetObjectA(ii.hbmMask, sizeof bm, &bm);
      width_ = bm.bmWidth;
      height_ = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
      if (ii.hbmColor) DeleteObject(ii.hbmColor);
      DeleteObject(ii.hbmMask);
    }
  }
  Changed(this);
}

HICON TIcon::ReleaseHandle() {
  HICON h = handle_;
  handle_ = nullptr;
  width_ = height_ = 0;
  data_.clear();
  Changed(this);
  return h;
}

UINT TIcon::ClipboardFormat = 0;

void TIcon::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE) {
  if (!format || format != ClipboardFormat || !data) throw EInvalidGraphic(SUnknownClipboardFormat);
  const void* p = GlobalLock(data);
  if (!p) throw EInvalidGraphic(SInvalidIcon);
  TMemoryStream m;
  m.WriteBuffer(p, static_cast<int32_t>(GlobalSize(data)));
  GlobalUnlock(data);
  m.SetPosition(0);
  LoadFromStream(&m);
}

void TIcon::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  if (!ClipboardFormat) throw EInvalidGraphic(SUnknownClipboardFormat);
  TMemoryStream m;
  SaveToStream(&m);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, static_cast<SIZE_T>(m.Size()));
  if (!block) throw EOutOfResources("Out of global memory");
  std::memcpy(GlobalLock(block), m.Memory(), static_cast<size_t>(m.Size()));
  GlobalUnlock(block);
  format = ClipboardFormat;
  data = block;
  palette = nullptr;
}
