#include "AniCursor.h"

#include <algorithm>
#include <cstring>

#include "ColorReduce.h"
#include "VclUtils.h"

namespace {

uint32_t DWord(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

[[noreturn]] void ReadFailure() { throw EReadError(SReadError); }

// One RIFF chunk inside [pos, end): identifier, data and the next position.
struct Chunk {
  char id[5] = {};
  const uint8_t* data = nullptr;
  size_t size = 0;
};

bool NextChunk(const uint8_t* base, size_t& pos, size_t end, Chunk& chunk) {
  if (end - pos < 8) return false;
  std::memcpy(chunk.id, base + pos, 4);
  uint32_t size = DWord(base + pos + 4);
  pos += 8;
  if (size > end - pos) ReadFailure();
  chunk.data = base + pos;
  chunk.size = size;
  pos += size;
  if ((size & 1) && pos < end) ++pos;  // pad byte
  return true;
}

std::string Text(const Chunk& c) {
  size_t n = strnlen(reinterpret_cast<const char*>(c.data), std::min<size_t>(c.size, 255));
  return std::string(reinterpret_cast<const char*>(c.data), n);
}

}  // namespace

void TIconFrame::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TIconFrame*>(source)) {
    IsIcon = f->IsIcon;
    Width = f->Width;
    Height = f->Height;
    HotSpot = f->HotSpot;
    JiffRate = f->JiffRate;
    Seq = f->Seq;
    if (f->icon_) Icon()->Assign(f->icon_.get());
    else icon_.reset();
    return;
  }
  TPersistent::Assign(source);
}

TIcon* TIconFrame::Icon() {
  if (!icon_) icon_ = std::make_unique<TIcon>();
  return icon_.get();
}

void TAniCursorImage::Clear() {
  header_ = TAniHeader();
  title_.clear();
  creator_.clear();
  frames_.clear();
  maxColors_ = 0;
}

void TAniCursorImage::LoadFromStream(TStream* stream) {
  int64_t left = stream->Size() - stream->Position();
  if (left < 12 || left > 64 * 1024 * 1024) ReadFailure();
  std::vector<uint8_t> data(static_cast<size_t>(left));
  stream->ReadBuffer(data.data(), static_cast<int32_t>(left));
  Read(data.data(), data.size());
}

void TAniCursorImage::LoadFromFile(const std::string& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
  LoadFromStream(&file);
}

void TAniCursorImage::SaveToStream(TStream*) { NotImplemented(); }

void TAniCursorImage::Read(const uint8_t* data, size_t size) {
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "ACON", 4) != 0)
    ReadFailure();
  Clear();
  size_t end = std::min<size_t>(size, 8 + static_cast<size_t>(DWord(data + 4)));
  size_t pos = 12;
  size_t rates = 0, seqs = 0;
  int icons = 0;
  Chunk c;
  while (NextChunk(data, pos, end, c)) {
    if (!std::memcmp(c.id, "anih", 4)) {
      if (c.size < 36) break;
      uint32_t* fields[] = {&header_.Size,   &header_.Frames, &header_.Steps,       &header_.Width, &header_.Height,
                            &header_.BitCount, &header_.Planes, &header_.DisplayRate, &header_.Flags};
      for (size_t i = 0; i < 9; ++i) *fields[i] = DWord(c.data + 4 * i);
      if (!(header_.Flags & 1) || header_.Steps == 0) ReadFailure();
      // Every frame needs at least a few bytes of the file.
      uint32_t count = std::max(header_.Frames, header_.Steps);
      if (count > size / 8) ReadFailure();
      frames_.clear();
      for (uint32_t i = 0; i < count; ++i) {
        frames_.push_back(std::make_unique<TIconFrame>(header_.DisplayRate));
        frames_.back()->Seq = static_cast<int32_t>(i);
      }
    } else if (!std::memcmp(c.id, "rate", 4)) {
      // One value per step; values beyond the frames are ignored.
      for (size_t i = 0; i + 4 <= c.size && rates < frames_.size(); i += 4)
        frames_[rates++]->JiffRate = DWord(c.data + i);
    } else if (!std::memcmp(c.id, "seq ", 4)) {
      for (size_t i = 0; i + 4 <= c.size && seqs < frames_.size(); i += 4)
        frames_[seqs++]->Seq = static_cast<int32_t>(DWord(c.data + i));
    } else if (!std::memcmp(c.id, "LIST", 4) && c.size >= 4) {
      size_t sub = 4;
      Chunk s;
      if (!std::memcmp(c.data, "fram", 4)) {
        while (NextChunk(c.data, sub, c.size, s))
          if (!std::memcmp(s.id, "icon", 4)) ReadIcon(s.data, s.size, icons++);
      } else if (!std::memcmp(c.data, "INFO", 4)) {
        while (NextChunk(c.data, sub, c.size, s)) {
          if (!std::memcmp(s.id, "INAM", 4)) title_ = Text(s);
          if (!std::memcmp(s.id, "IART", 4)) creator_ = Text(s);
        }
      }
    }
  }
  frames_.erase(std::remove_if(frames_.begin(), frames_.end(),
                               [](const std::unique_ptr<TIconFrame>& f) { return !f->HasIcon(); }),
                frames_.end());
  if (frames_.empty()) ReadFailure();
}

void TAniCursorImage::ReadIcon(const uint8_t* data, size_t size, int number) {
  if (size < 6 + 16) ReadFailure();
  uint16_t type = Word(data + 2);
  if (Word(data) != 0 || (type != 1 && type != 2) || Word(data + 4) == 0) ReadFailure();
  const uint8_t* entry = data + 6;
  uint32_t bytes = DWord(entry + 8), offset = DWord(entry + 12);
  if (offset > size || bytes > size - offset || bytes < 40) ReadFailure();
  int bitCount = Word(data + offset + 14);
  TIcon icon;
  TMemoryStream m;
  m.WriteBuffer(data, static_cast<int32_t>(size));
  m.SetPosition(0);
  try {
    icon.LoadFromStream(&m);
  } catch (const EInvalidGraphic&) {
    ReadFailure();
  }
  int colors = bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
  maxColors_ = std::max(maxColors_, colors);
  std::vector<TIconFrame*> targets;
  for (auto& f : frames_)
    if (f->Seq == number) targets.push_back(f.get());
  if (targets.empty()) {
    frames_.push_back(std::make_unique<TIconFrame>(header_.DisplayRate));
    frames_.back()->Seq = number;
    targets.push_back(frames_.back().get());
  }
  for (TIconFrame* f : targets) {
    f->Icon()->Assign(&icon);
    f->IsIcon = type == 1;
    f->Width = entry[0] ? entry[0] : 256;
    f->Height = entry[1] ? entry[1] : 256;
    f->HotSpot = type == 2 ? POINT{Word(entry + 4), Word(entry + 6)} : POINT{0, 0};
  }
}

void TAniCursorImage::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TAniCursorImage*>(source)) {
    if (other == this) return;
    Clear();
    header_ = other->header_;
    title_ = other->title_;
    creator_ = other->creator_;
    maxColors_ = other->maxColors_;
    for (auto& f : other->frames_) {
      frames_.push_back(std::make_unique<TIconFrame>(f->JiffRate));
      frames_.back()->Assign(f.get());
    }
    return;
  }
  TPersistent::Assign(source);
}

void TAniCursorImage::AssignToBitmap(TBitmap* bitmap, TColor backColor, bool decreaseColors,
                                     bool vertical) {
  if (frames_.empty()) {
    bitmap->Assign(nullptr);
    return;
  }
  int w = 0, h = 0;
  for (auto& f : frames_) {
    w = std::max(w, f->Icon()->Width());
    h = std::max(h, f->Icon()->Height());
  }
  int n = Count();
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(vertical ? w : w * n, vertical ? h * n : h);
  strip.Canvas()->Brush()->SetColor(backColor);
  strip.Canvas()->FillRect({0, 0, strip.Width(), strip.Height()});
  for (int i = 0; i < n; ++i)
    strip.Canvas()->Draw(vertical ? 0 : i * w, vertical ? i * h : 0, Icons(i));
  if (decreaseColors && maxColors_ > 0) {
    std::unique_ptr<TMemoryStream> reduced = BitmapToMemory(&strip, maxColors_);
    bitmap->LoadFromStream(reduced.get());
  } else {
    bitmap->Assign(&strip);
  }
}

void TAniCursorImage::AssignTo(TPersistent* dest) {
  if (auto* icon = dynamic_cast<TIcon*>(dest)) {
    if (frames_.empty()) icon->Assign(nullptr);
    else icon->Assign(Icons(0));
    return;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    AssignToBitmap(bitmap, clWindow, false, false);
    return;
  }
  TPersistent::AssignTo(dest);
}
