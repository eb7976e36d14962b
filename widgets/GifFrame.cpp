#include <algorithm>
#include <cstring>

#include "ColorReduce.h"
#include "GIFImage.h"
#include "VclUtils.h"

namespace {

// Pixels of any bitmap kept whole in memory.
constexpr int64_t kMaxFramePixels = 64ll * 1024 * 1024;

}  // namespace

TExtension::TExtension(TExtensionKind kind) : Kind(kind) {
  if (kind == ekGraphicControl) Fixed[0] = 4;
}

void TExtension::Assign(TPersistent* source) {
  if (auto* e = dynamic_cast<TExtension*>(source)) {
    Kind = e->Kind;
    Data.Assign(e->Data);
    std::memcpy(Fixed, e->Fixed, sizeof Fixed);
    return;
  }
  TPersistent::Assign(source);
}

int TExtension::FixedSize() const {
  switch (Kind) {
    case ekGraphicControl: return 6;
    case ekPlainText: return 13;
    case ekApplication: return 12;
    default: return 0;
  }
}

uint8_t TExtension::Label() const {
  static const uint8_t kLabels[] = {0xF9, 0x01, 0xFF, 0xFE};
  return kLabels[Kind];
}

TGIFFrame::TGIFFrame(TGIFImage* owner) : owner_(owner) { NewItem(); }

TGIFFrame::~TGIFFrame() {
  if (item_) item_->Release();
}

void TGIFFrame::NewItem() {
  if (item_) item_->Release();
  item_ = new TGIFItem;
  item_->Reference();
}

void TGIFFrame::Clear() {
  NewItem();
  bitmap_.reset();
  extensions_.clear();
  TransparentColor = clNone;
  Delay = 0;
  DisposalMethod = 0;
  Left = Top = 0;
  Interlaced = false;
}

void TGIFFrame::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TGIFFrame*>(source)) {
    if (other == this) return;
    other->item_->Reference();
    item_->Release();
    item_ = other->item_;
    Left = other->Left;
    Top = other->Top;
    Interlaced = other->Interlaced;
    GrayScale = other->GrayScale;
    TransparentColor = other->TransparentColor;
    Delay = other->Delay;
    DisposalMethod = other->DisposalMethod;
    LocalColors = other->LocalColors || other->owner_ != owner_;
    bitmap_.reset();
    if (other->bitmap_) {
      bitmap_ = std::make_unique<TBitmap>();
      bitmap_->Assign(other->bitmap_.get());
    }
    extensions_.clear();
    for (auto& e : other->extensions_)
      if (e->Kind == ekComment) {
        extensions_.push_back(std::make_unique<TExtension>(ekComment));
        extensions_.back()->Assign(e.get());
      }
  } else if (auto* image = dynamic_cast<TGIFImage*>(source)) {
    if (image->frames_.empty()) {
      Clear();
    } else {
      int i = image->frameIndex_ < 0 ? 0 : std::min(image->frameIndex_, image->Count() - 1);
      Assign(image->frames_[static_cast<size_t>(i)]);
      return;
    }
  } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    if (graphic->Empty()) {
      Clear();
    } else {
      NewItem();
      auto copy = std::make_unique<TBitmap>();
      if (auto* b = dynamic_cast<TBitmap*>(graphic)) {
        copy->Assign(b);
        if (graphic->Transparent()) TransparentColor = b->TransparentColor();
      } else {
        copy->SetPixelFormat(pf24bit);
        copy->SetSize(graphic->Width(), graphic->Height());
        copy->Canvas()->Brush()->SetColor(clWindow);
        copy->Canvas()->FillRect({0, 0, copy->Width(), copy->Height()});
        copy->Canvas()->Draw(0, 0, graphic);
        if (graphic->Transparent())
          TransparentColor = static_cast<TColor>(
              GetNearestColor(copy->Canvas()->Handle(), ColorToRGB(copy->Canvas()->Brush()->Color())));
      }
      bitmap_ = std::move(copy);
    }
  } else {
    TPersistent::Assign(source);
    return;
  }
  if (owner_) owner_->UpdateScreenSize();
}

void TGIFFrame::AssignTo(TPersistent* dest) {
  if (dynamic_cast<TGIFFrame*>(dest) || dynamic_cast<TGIFImage*>(dest)) {
    dest->Assign(this);
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(dest)) {
    graphic->Assign(Bitmap());
    if (auto* b = dynamic_cast<TBitmap*>(dest); b && TransparentColor != clNone) {
      b->SetTransparentColor(
          static_cast<TColor>(GetNearestColor(b->Canvas()->Handle(), ColorToRGB(TransparentColor))));
      b->SetTransparent(true);
    }
    return;
  }
  TPersistent::AssignTo(dest);
}

TBitmap* TGIFFrame::Bitmap() {
  if (!bitmap_ && HasData()) Decode();
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return bitmap_.get();
}

int TGIFFrame::Width() {
  if (bitmap_ && !bitmap_->Empty()) return bitmap_->Width();
  return HasData() ? item_->Width : 0;
}

int TGIFFrame::Height() {
  if (bitmap_ && !bitmap_->Empty()) return bitmap_->Height();
  return HasData() ? item_->Height : 0;
}

void TGIFFrame::Draw(TCanvas* canvas, const RECT& rect, bool transparent) {
  TBitmap* b = Bitmap();
  if (b->Empty()) return;
  if (transparent && TransparentColor != clNone)
    StretchBitmapRectTransparent(canvas, rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top, b, {0, 0, 0, 0}, TransparentColor);
  else
    canvas->StretchDraw(rect, b);
}

TStringList* TGIFFrame::Comment() {
  for (auto& e : extensions_)
    if (e->Kind == ekComment) return &e->Data;
  extensions_.push_back(std::make_unique<TExtension>(ekComment));
  return &extensions_.back()->Data;
}

void TGIFFrame::Decode() {
  int depth = item_->BitsPerPixel;
  if (depth < 1 || depth > 8) throw EInvalidGraphicOperation(SWrongGIFColors);
  int bits = depth == 1 ? 1 : depth <= 4 ? 4 : 8;
  int w = item_->Width, h = item_->Height;
  auto bmp = std::make_unique<TBitmap>();
  if (w > 0 && h > 0) {
    // No code yields more than 4096 pixels, and every code takes 3 bits or more.
    auto dataBits = static_cast<int64_t>(item_->ZipData.Size()) * 8;
    int64_t pixels = static_cast<int64_t>(w) * h;
    if (pixels > kMaxFramePixels || pixels > (dataBits / 3 + 1) * 4096)
      throw EInvalidGraphicOperation(SGIFDecodeError);
    bmp->SetPixelFormat(bits == 1 ? pf1bit : bits == 4 ? pf4bit : pf8bit);
    bmp->SetSize(w, h);
    std::vector<RGBQUAD> colors(static_cast<size_t>(1) << bits, RGBQUAD{0, 0, 0, 0});
    for (int i = 0; i < item_->ColorMap.Count && i < (1 << bits); ++i) {
      const uint8_t* c = item_->ColorMap.Colors[i];
      colors[static_cast<size_t>(i)] = {c[2], c[1], c[0], 0};
    }
    bmp->SetColors(colors);
    std::vector<uint8_t*> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) rows[static_cast<size_t>(y)] = bmp->ScanLine(y);
    const RECT none = {0, 0, 0, 0};
    if (owner_) owner_->Progress(owner_, psStarting, 0, false, none, "");
    try {
      DecodeGifLzw(static_cast<const uint8_t*>(item_->ZipData.Memory()),
                   static_cast<size_t>(item_->ZipData.Size()), w, h, item_->Interlaced, bits, depth,
                   rows.data(), [&](int percent) {
                     if (owner_) owner_->Progress(owner_, psRunning, static_cast<uint8_t>(percent), false, none, "");
                   });
    } catch (const Exception& e) {
      if (owner_) owner_->Progress(owner_, psEnding, 100, false, none, e.Message());
      throw;
    }
    if (owner_) owner_->Progress(owner_, psEnding, 100, false, none, "");
  }
  bitmap_ = std::move(bmp);
}

void TGIFFrame::Encode() {
  if (!bitmap_ || bitmap_->Empty()) throw EInvalidGraphicOperation(SNoGIFData);
  TBitmap* source = bitmap_.get();
  TBitmap reduced;
  int bc = source->BitCount();
  if (bc != 1 && bc != 4 && bc != 8) {
    TMappingMethod method = GrayScale ? mmGrayscale : DefaultMappingMethod;
    std::unique_ptr<TMemoryStream> stream = BitmapToMemoryStream(source, pf8bit, method);
    reduced.LoadFromStream(stream.get());
    if (method == mmGrayscale) GrayScale = true;
    source = &reduced;
    bc = source->BitCount();
  }
  if (bc != 1 && bc != 4 && bc != 8) throw EInvalidGraphicOperation(SGIFEncodeError);
  // The table has 2, 16 or 256 entries by the bit count; entries the
  // bitmap's table lacks are black.
  const std::vector<RGBQUAD>& colors = source->Colors();
  const int count = 1 << bc, bpp = bc;
  auto* item = new TGIFItem;
  item->Reference();
  item->Width = source->Width();
  item->Height = source->Height();
  item->BitsPerPixel = static_cast<uint8_t>(bpp);
  item->ColorMap.Count = count;
  for (int i = 0; i < count && i < static_cast<int>(colors.size()); ++i) {
    item->ColorMap.Colors[i][0] = colors[static_cast<size_t>(i)].rgbRed;
    item->ColorMap.Colors[i][1] = colors[static_cast<size_t>(i)].rgbGreen;
    item->ColorMap.Colors[i][2] = colors[static_cast<size_t>(i)].rgbBlue;
  }
  std::vector<uint8_t> pixels(static_cast<size_t>(item->Width) * static_cast<size_t>(item->Height));
  for (int y = 0; y < item->Height; ++y) {
    const uint8_t* row = source->ScanLine(y);
    uint8_t* to = &pixels[static_cast<size_t>(y) * static_cast<size_t>(item->Width)];
    for (int x = 0; x < item->Width; ++x)
      to[x] = bc == 8 ? row[x] : bc == 4 ? (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15
                                         : (row[x >> 3] >> (7 - (x & 7))) & 1;
  }
  const RECT none = {0, 0, 0, 0};
  try {
    if (owner_) owner_->Progress(owner_, psStarting, 0, false, none, "");
    EncodeGifLzw(pixels.data(), item->Width, item->Height, false, bc, &item->ZipData, [&](int percent) {
      if (owner_) owner_->Progress(owner_, psRunning, static_cast<uint8_t>(percent), false, none, "");
    });
    if (owner_) owner_->Progress(owner_, psEnding, 100, false, none, "");
  } catch (...) {
    item->Release();
    throw;
  }
  item_->Release();
  item_ = item;
  Interlaced = false;
  if (owner_) {
    TGIFData* header = owner_->header_;
    if (header->ColorMap.Count == 0) {
      header->ColorMap = item->ColorMap;
      header->BitsPerPixel = static_cast<uint8_t>(bpp);
      LocalColors = false;
    } else {
      LocalColors = true;
    }
    owner_->screenWidth_ = static_cast<uint16_t>(std::min<int64_t>(
        65535, std::max<int64_t>(owner_->screenWidth_, static_cast<int64_t>(item->Width) + Left)));
    owner_->screenHeight_ = static_cast<uint16_t>(std::min<int64_t>(
        65535, std::max<int64_t>(owner_->screenHeight_, static_cast<int64_t>(item->Height) + Top)));
  }
}

void TGIFFrame::PrepareExtensions() {
  TExtension* control = nullptr;
  for (auto& e : extensions_)
    if (e->Kind == ekGraphicControl) {
      control = e.get();
      break;
    }
  if (!control && (Delay != 0 || TransparentColor != clNone || DisposalMethod != 0)) {
    extensions_.push_back(std::make_unique<TExtension>(ekGraphicControl));
    control = extensions_.back().get();
  }
  if (control) {
    uint32_t hundredths = std::min<uint32_t>(Delay / 10, 65535);
    control->Fixed[0] = 4;
    control->Fixed[2] = static_cast<uint8_t>(hundredths);
    control->Fixed[3] = static_cast<uint8_t>(hundredths >> 8);
    control->Fixed[5] = 0;
    uint8_t packed = 0;
    if (TransparentColor != clNone) {
      COLORREF want = ColorToRGB(TransparentColor);
      for (int i = 0; i < item_->ColorMap.Count; ++i) {
        const uint8_t* c = item_->ColorMap.Colors[i];
        if (RGB(c[0], c[1], c[2]) == want) {
          packed |= 1;
          control->Fixed[4] = static_cast<uint8_t>(i);
          break;
        }
      }
    }
    // The other bits (the user-input flag, the reserved ones) stay.
    control->Fixed[1] = static_cast<uint8_t>((control->Fixed[1] & ~0x1Du) | packed | (DisposalMethod & 7) << 2);
  }
  extensions_.erase(std::remove_if(extensions_.begin(), extensions_.end(),
                                   [](const std::unique_ptr<TExtension>& e) {
                                     return e->Kind == ekComment && e->Data.Count() == 0;
                                   }),
                    extensions_.end());
}
