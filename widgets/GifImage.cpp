#include <algorithm>
#include <cctype>
#include <cstring>

#include "AniCursor.h"
#include "GIFImage.h"
#include "GifReader.h"
#include "VclUtils.h"

const char* const SGIFVersion = "Unknown GIF version";
const char* const SGIFEncodeError = "GIF image encoding error";
const char* const SGIFDecodeError = "GIF encoded data is corrupt";
const char* const SGIFBadCodeSize = "GIF code size not in range 2 to 9";
const char* const SWrongGIFColors = "Wrong number of colors; must be a power of 2";
const char* const SBadGIFExtension = "Unrecognized extension block: %.2x";
const char* const SNoGIFData = "No GIF Data to write";
const char* const SChangeGIFSize = "Cannot change the Size of a GIF image";

UINT GIFClipboardFormat() {
  static UINT format = RegisterClipboardFormatA("GIF Image");
  return format;
}

namespace {

bool SameBytes(const char* a, const char* b) {
  for (int i = 0; i < 3; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

void ReadTable(GifReader& in, TGIFColorTable& table, int bits) {
  table.Count = 1 << bits;
  in.Bytes(table.Colors, static_cast<size_t>(table.Count) * 3);
}

void WriteTable(TStream* out, const TGIFColorTable& table) {
  if (table.Count > 0) out->WriteBuffer(table.Colors, table.Count * 3);
}

void WriteSubBlocks(TStream* out, const TStringList& strings) {
  for (int i = 0; i < strings.Count(); ++i) {
    const std::string& s = strings.Strings(i);
    size_t n = std::min<size_t>(s.size(), 255);
    if (n == 0) continue;
    out->WriteByte(static_cast<uint8_t>(n));
    out->WriteBuffer(s.data(), static_cast<int32_t>(n));
  }
  out->WriteByte(0);
}

std::unique_ptr<TExtension> ReadExtension(GifReader& in) {
  uint8_t label = in.Byte();
  std::unique_ptr<TExtension> e;
  switch (label) {
    case 0xF9: e = std::make_unique<TExtension>(ekGraphicControl); break;
    case 0xFE: e = std::make_unique<TExtension>(ekComment); break;
    case 0x01: e = std::make_unique<TExtension>(ekPlainText); break;
    case 0xFF: e = std::make_unique<TExtension>(ekApplication); break;
    default: throw EInvalidGraphicOperation(Format(SBadGIFExtension, label));
  }
  in.Bytes(e->Fixed, static_cast<size_t>(e->FixedSize()));
  if (e->Kind != ekGraphicControl)
    in.SubBlocks([&](const char* p, size_t n) { e->Data.Add(std::string(p, n)); });
  return e;
}

// A locked block of global memory.
struct GlobalBlock {
  HGLOBAL handle;
  void* data;
  explicit GlobalBlock(HGLOBAL h) : handle(h), data(h ? GlobalLock(h) : nullptr) {}
  ~GlobalBlock() {
    if (data) GlobalUnlock(handle);
  }
};

}  // namespace

int GifColorBits(int count) {
  for (int bits = 1; bits <= 8; ++bits)
    if (count == 1 << bits) return bits;
  throw EInvalidGraphicOperation(SWrongGIFColors);
}

TGIFImage::TGIFImage() {
  transparent_ = true;
  NewHeader();
}

TGIFImage::~TGIFImage() {
  for (TGIFFrame* f : frames_) delete f;
  header_->Release();
}

void TGIFImage::NewHeader() {
  if (header_) header_->Release();
  header_ = new TGIFData;
  header_->Reference();
}

void TGIFImage::Clear() {
  NewHeader();
  for (TGIFFrame* f : frames_) delete f;
  frames_.clear();
  frameIndex_ = -1;
  backgroundColor_ = clNone;
  version_ = 0;
  screenWidth_ = screenHeight_ = 0;
}

void TGIFImage::SetFrameIndex(int index) {
  if (index >= -1 && index < Count()) frameIndex_ = index;
}

void TGIFImage::Assign(TPersistent* source) {
  if (!source) {
    Clear();
    Changed(this);
    return;
  }
  if (auto* other = dynamic_cast<TGIFImage*>(source)) {
    if (other == this) return;
    Clear();
    other->header_->Reference();
    header_->Release();
    header_ = other->header_;
    version_ = other->version_;
    backgroundColor_ = other->backgroundColor_;
    for (TGIFFrame* f : other->frames_) {
      auto* copy = new TGIFFrame(this);
      frames_.push_back(copy);
      copy->Assign(f);
      copy->LocalColors = f->LocalColors;
    }
    screenWidth_ = other->screenWidth_;
    screenHeight_ = other->screenHeight_;
    frameIndex_ = other->frameIndex_;
    Changed(this);
    return;
  }
  if (auto* frame = dynamic_cast<TGIFFrame*>(source)) {
    // One of this image's own frames, and the header, outlive the reset.
    std::unique_ptr<TGIFFrame> own;
    auto it = std::find(frames_.begin(), frames_.end(), frame);
    if (it != frames_.end()) {
      own.reset(frame);
      frames_.erase(it);
    }
    TGIFData* from = frame->owner_ ? frame->owner_->header_ : nullptr;
    if (from) from->Reference();
    Clear();
    if (from) {
      header_->AspectRatio = from->AspectRatio;
      header_->BitsPerPixel = from->BitsPerPixel;
      header_->ColorResBits = from->ColorResBits;
      from->Release();
    }
    auto* copy = new TGIFFrame(this);
    frames_.push_back(copy);
    copy->Assign(frame);
    frameIndex_ = 0;
    version_ = std::max(version_, 1);
    Changed(this);
    return;
  }
  if (auto* cursor = dynamic_cast<TAniCursorImage*>(source)) {
    AssignCursor(cursor);
    return;
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    Clear();
    AddFrame(graphic);
    Changed(this);
    return;
  }
  TGraphic::Assign(source);
}

void TGIFImage::AssignCursor(TAniCursorImage* cursor) {
  Clear();
  backgroundColor_ = clWindow;
  for (int i = 0; i < cursor->Count(); ++i) {
    int index = AddFrame(cursor->Icons(i));
    frames_[static_cast<size_t>(index)]->Delay = cursor->Frames(i)->JiffRate * 100 / 6;
  }
  Changed(this);
}

void TGIFImage::AssignTo(TPersistent* dest) {
  if (auto* gif = dynamic_cast<TGIFImage*>(dest)) {
    gif->Assign(this);
    return;
  }
  if (dynamic_cast<TGraphic*>(dest)) {
    if (Empty()) {
      dest->Assign(nullptr);
      return;
    }
    int i = frameIndex_ < 0 ? 0 : std::min(frameIndex_, Count() - 1);
    frames_[static_cast<size_t>(i)]->AssignTo(dest);
    return;
  }
  TGraphic::AssignTo(dest);
}

int TGIFImage::AddFrame(TGraphic* graphic) {
  auto* frame = new TGIFFrame(this);
  frames_.push_back(frame);
  frameIndex_ = Count() - 1;
  frame->Assign(graphic);
  if (version_ == 0) version_ = 1;
  if (Count() > 1) version_ = 2;
  return frameIndex_;
}

void TGIFImage::Draw(TCanvas* canvas, const RECT& rect) {
  if (frameIndex_ < 0 || frameIndex_ >= Count()) return;
  TGIFFrame* f = frames_[static_cast<size_t>(frameIndex_)];
  f->Draw(canvas, rect, transparent_);
}

bool TGIFImage::Equals(TGraphic* other) {
  auto* gif = dynamic_cast<TGIFImage*>(other);
  return gif && gif->header_ == header_;
}

bool TGIFImage::Empty() {
  if (frames_.empty()) return true;
  if (frameIndex_ < 0 || frameIndex_ >= Count()) return false;
  TGIFFrame* f = frames_[static_cast<size_t>(frameIndex_)];
  return (!f->bitmap_ || f->bitmap_->Empty()) && !f->HasData();
}

int TGIFImage::Width() {
  if (frameIndex_ < 0 || frameIndex_ >= Count()) return 0;
  return frames_[static_cast<size_t>(frameIndex_)]->Width();
}

int TGIFImage::Height() {
  if (frameIndex_ < 0 || frameIndex_ >= Count()) return 0;
  return frames_[static_cast<size_t>(frameIndex_)]->Height();
}

void TGIFImage::SetWidth(int) { throw EInvalidGraphicOperation(SChangeGIFSize); }
void TGIFImage::SetHeight(int) { throw EInvalidGraphicOperation(SChangeGIFSize); }

HPALETTE TGIFImage::Palette() {
  if (frames_.empty()) return nullptr;
  int i = frameIndex_ < 0 ? 0 : std::min(frameIndex_, Count() - 1);
  try {
    return frames_[static_cast<size_t>(i)]->Bitmap()->Palette();
  } catch (const Exception&) {
    return nullptr;  // a frame that does not decode has no palette
  }
}

bool TGIFImage::Transparent() {
  if (!transparent_) return false;
  for (TGIFFrame* f : frames_)
    if (f->TransparentColor != clNone) return true;
  return false;
}

void TGIFImage::UpdateScreenSize() {
  int64_t w = 0, h = 0;
  for (TGIFFrame* f : frames_) {
    w = std::max<int64_t>(w, static_cast<int64_t>(f->Width()) + f->Left);
    h = std::max<int64_t>(h, static_cast<int64_t>(f->Height()) + f->Top);
  }
  screenWidth_ = static_cast<uint16_t>(std::min<int64_t>(w, 65535));
  screenHeight_ = static_cast<uint16_t>(std::min<int64_t>(h, 65535));
}

void TGIFImage::ReadFromMemory(const uint8_t* data, size_t size, bool decodeFirst) {
  Clear();
  if (size == 0) return;
  GifReader in(data, size);
  char signature[3], version[3];
  in.Bytes(signature, 3);
  if (!SameBytes(signature, "GIF")) throw EInvalidGraphicOperation(SGIFVersion);
  in.Bytes(version, 3);
  if (SameBytes(version, "87a")) version_ = 1;
  else if (SameBytes(version, "89a")) version_ = 2;
  else throw EInvalidGraphicOperation(SGIFVersion);
  uint16_t w = in.Word(), h = in.Word();
  uint8_t packed = in.Byte(), background = in.Byte();
  header_->AspectRatio = in.Byte();
  header_->BitsPerPixel = static_cast<uint8_t>((packed & 7) + 1);
  header_->ColorResBits = static_cast<uint8_t>(((packed & 0x70) >> 4) + 1);
  if (packed & 0x80) {
    ReadTable(in, header_->ColorMap, header_->BitsPerPixel);
    if (background < header_->ColorMap.Count) {
      const uint8_t* c = header_->ColorMap.Colors[background];
      backgroundColor_ = static_cast<TColor>(RGB(c[0], c[1], c[2]));
    }
  }
  screenWidth_ = w;
  screenHeight_ = h;
  std::vector<std::unique_ptr<TExtension>> gathered;
  try {
    uint8_t b = in.AtEnd() ? ';' : in.Byte();
    while (b != 0 && b != ';') {
      while (b == '!') {
        std::unique_ptr<TExtension> e = ReadExtension(in);
        if (e->Kind == ekPlainText) gathered.clear();
        else if (e->Kind != ekApplication) gathered.push_back(std::move(e));
        b = in.AtEnd() ? ';' : in.Byte();
      }
      if (b == ',') {
        ReadImage(in, gathered);
        b = in.AtEnd() ? ';' : in.Byte();
        if (b != '!' && b != ',' && b != ';') throw EInvalidGraphicOperation(SGIFDecodeError);
        continue;
      }
      if (header_->Comment.Count() == 0)
        for (auto& e : gathered)
          if (e->Kind == ekComment)
            for (int i = 0; i < e->Data.Count(); ++i) header_->Comment.Add(e->Data.Strings(i));
      gathered.clear();
      if (b != 0 && b != ';') throw EInvalidGraphicOperation(SReadError);
      break;
    }
  } catch (...) {
    frameIndex_ = frames_.empty() ? -1 : 0;
    throw;
  }
  frameIndex_ = frames_.empty() ? -1 : 0;
  if (decodeFirst && !frames_.empty()) {
    try {
      frames_[0]->Bitmap();
    } catch (...) {
      delete frames_[0];
      frames_.erase(frames_.begin());
      frameIndex_ = frames_.empty() ? -1 : 0;
      throw;
    }
  }
  PaletteModified = true;
  Changed(this);
}

void TGIFImage::ReadImage(GifReader& in, std::vector<std::unique_ptr<TExtension>>& gathered) {
  auto frame = std::make_unique<TGIFFrame>(this);
  TGIFItem* item = frame->item_;
  if (header_->ColorMap.Count > 0) item->BitsPerPixel = static_cast<uint8_t>(GifColorBits(header_->ColorMap.Count));
  frame->extensions_ = std::move(gathered);
  gathered.clear();
  frame->Left = in.Word();
  frame->Top = in.Word();
  item->Width = in.Word();
  item->Height = in.Word();
  uint8_t packed = in.Byte();
  frame->Interlaced = item->Interlaced = (packed & 0x40) != 0;
  if (packed & 0x80) {
    // The local table's own depth.
    item->BitsPerPixel = static_cast<uint8_t>((packed & 7) + 1);
    ReadTable(in, item->ColorMap, item->BitsPerPixel);
    frame->LocalColors = true;
  } else {
    item->ColorMap = header_->ColorMap;
  }
  // The code size and the sub-blocks as stored, terminator included.
  size_t start = in.Position();
  in.Byte();
  while (!in.AtEnd()) {
    uint8_t n = in.Byte();
    if (n == 0) break;
    in.Skip(std::min<size_t>(n, in.Left()));
  }
  item->ZipData.WriteBuffer(in.Here() - (in.Position() - start), static_cast<int32_t>(in.Position() - start));
  frame->Delay = 0;
  for (auto& e : frame->extensions_) {
    if (e->Kind != ekGraphicControl) continue;
    uint8_t flags = e->Fixed[1];
    if (flags & 1) {
      int index = e->Fixed[4];
      if (index < item->ColorMap.Count) {
        const uint8_t* c = item->ColorMap.Colors[index];
        frame->TransparentColor = static_cast<TColor>(RGB(c[0], c[1], c[2]));
      }
    } else {
      frame->TransparentColor = clNone;
    }
    uint32_t delay = static_cast<uint32_t>(e->Fixed[2] | e->Fixed[3] << 8) * 10;
    frame->Delay = std::max(frame->Delay, delay);
    frame->DisposalMethod = static_cast<uint8_t>((flags & 0x1C) >> 2);
  }
  frames_.push_back(frame.release());
}

void TGIFImage::EncodeFrames(bool releaseBitmaps) {
  for (TGIFFrame* f : frames_) {
    if (f->HasData()) continue;
    f->Encode();
    if (releaseBitmaps) f->bitmap_.reset();
  }
}

void TGIFImage::WriteTo(TStream* out) {
  if (frames_.empty()) throw EInvalidGraphicOperation(SNoGIFData);
  EncodeFrames(false);
  bool extensions = false;
  for (TGIFFrame* f : frames_) {
    f->PrepareExtensions();
    extensions = extensions || !f->extensions_.empty();
  }
  if (header_->Comment.Count() > 0 || extensions || Count() > 1) version_ = 2;
  if (version_ == 0) version_ = 1;
  out->WriteBuffer(version_ == 2 ? "GIF89a" : "GIF87a", 6);
  UpdateScreenSize();
  out->WriteWord(screenWidth_);
  out->WriteWord(screenHeight_);
  const TGIFColorTable& global = header_->ColorMap;
  uint8_t packed = 0, background = 0;
  if (global.Count > 0) {
    int bits = GifColorBits(global.Count);
    packed = static_cast<uint8_t>(0x80 | (bits - 1) << 4 | (bits - 1));
    if (backgroundColor_ != clNone) {
      COLORREF want = ColorToRGB(backgroundColor_);
      for (int i = 0; i < global.Count; ++i)
        if (RGB(global.Colors[i][0], global.Colors[i][1], global.Colors[i][2]) == want) {
          background = static_cast<uint8_t>(i);
          break;
        }
    }
  }
  out->WriteByte(packed);
  out->WriteByte(background);
  out->WriteByte(header_->AspectRatio);
  WriteTable(out, global);
  for (TGIFFrame* f : frames_) {
    for (auto& e : f->extensions_) {
      out->WriteByte('!');
      out->WriteByte(e->Label());
      out->WriteBuffer(e->Fixed, e->FixedSize());
      if (e->Kind != ekGraphicControl) WriteSubBlocks(out, e->Data);
    }
    TGIFItem* item = f->item_;
    out->WriteByte(',');
    out->WriteWord(static_cast<uint16_t>(f->Left));
    out->WriteWord(static_cast<uint16_t>(f->Top));
    out->WriteWord(static_cast<uint16_t>(item->Width));
    out->WriteWord(static_cast<uint16_t>(item->Height));
    bool local = f->LocalColors && item->ColorMap.Count > 0;
    uint8_t flags = static_cast<uint8_t>(local ? 0x80 | (GifColorBits(item->ColorMap.Count) - 1) : 0);
    if (f->Interlaced) flags |= 0x40;
    out->WriteByte(flags);
    if (local) WriteTable(out, item->ColorMap);
    out->WriteBuffer(item->ZipData.Memory(), static_cast<int32_t>(item->ZipData.Size()));
  }
  if (header_->Comment.Count() > 0) {
    out->WriteByte('!');
    out->WriteByte(0xFE);
    WriteSubBlocks(out, header_->Comment);
  }
  out->WriteByte(';');
}

void TGIFImage::LoadFromStream(TStream* stream) {
  int64_t left = stream->Size() - stream->Position();
  if (left < 0) left = 0;
  if (left > 256 * 1024 * 1024) throw EInvalidGraphicOperation(SReadError);
  std::vector<uint8_t> data(static_cast<size_t>(left));
  if (left) stream->ReadBuffer(data.data(), static_cast<int32_t>(left));
  ReadFromMemory(data.data(), data.size(), true);
}

void TGIFImage::SaveToStream(TStream* stream) { WriteTo(stream); }

void TGIFImage::ReadData(TStream* stream) {
  uint32_t size = stream->ReadDWord();
  if (size > stream->Size() - stream->Position()) throw EInvalidGraphicOperation(SReadError);
  std::vector<uint8_t> data(size);
  if (size) stream->ReadBuffer(data.data(), static_cast<int32_t>(size));
  ReadFromMemory(data.data(), data.size(), true);
}

void TGIFImage::WriteData(TStream* stream) {
  TMemoryStream body;
  WriteTo(&body);
  stream->WriteDWord(static_cast<uint32_t>(body.Size()));
  body.SaveToStream(stream);
}

void TGIFImage::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
  UINT gif = GIFClipboardFormat();
  if (format != gif && IsClipboardFormatAvailable(gif)) data = GetClipboardData(gif);
  if (format == gif || IsClipboardFormatAvailable(gif)) {
    GlobalBlock block(data);
    if (!block.data) throw EInvalidGraphicOperation(SReadError);
    SIZE_T total = GlobalSize(data);
    const auto* p = static_cast<const uint8_t*>(block.data);
    uint32_t size = total >= 4 ? p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24 : 0;
    if (total < 4 || size > total - 4) throw EInvalidGraphicOperation(SReadError);
    ReadFromMemory(p + 4, size, false);
    if (!frames_.empty()) {
      frameIndex_ = 0;
      if (IsClipboardFormatAvailable(CF_BITMAP)) {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromClipboardFormat(CF_BITMAP, GetClipboardData(CF_BITMAP), palette);
        frames_[0]->bitmap_ = std::move(bitmap);
      }
    }
    return;
  }
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(format, data, palette);
  Assign(&bitmap);
}

void TGIFImage::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
  format = 0;
  data = nullptr;
  palette = nullptr;
  if (frames_.empty()) return;
  frames_[0]->Bitmap()->SaveToClipboardFormat(format, data, palette);
  for (TGIFFrame* f : frames_)
    if (!f->HasData()) return;
  TMemoryStream m;
  WriteData(&m);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, static_cast<SIZE_T>(m.Size()));
  if (!block) return;
  std::memcpy(GlobalLock(block), m.Memory(), static_cast<size_t>(m.Size()));
  GlobalUnlock(block);
  if (!SetClipboardData(GIFClipboardFormat(), block)) GlobalFree(block);
}

namespace {
// The picture system knows GIF files and the "GIF Image" clipboard format
// while the program runs; streams know the image and its frames by name.
struct Registration {
  Registration() {
    RegisterStreamClass("TGIFFrame", [] { return new TGIFFrame(nullptr); });
    RegisterStreamClass("TGIFImage", [] { return new TGIFImage; });
    TPicture::RegisterFileFormat<TGIFImage>("gif", "CompuServe GIF Image");
    TPicture::RegisterClipboardFormat<TGIFImage>(GIFClipboardFormat());
  }
  ~Registration() {
    UnRegisterStreamClass("TGIFImage");
    TPicture::UnregisterGraphicClass(typeid(TGIFImage));
  }
} registration;
}  // namespace
