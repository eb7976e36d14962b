#include "FrameReader.h"

#include <string.h>

#include <string>

#include "UserMessage.h"

namespace {
// A growing file that does not grow for this long is taken as ended.
const DWORD kStallLimitMs = 30000;
}  // namespace

FrameReader::FrameReader(const char* path) {
  Open(path, OPEN_EXISTING);
  if (!IsOpen()) return;
  uint8_t tag[10];
  if (ReadAt(0, tag, 10) && memcmp(tag, "ID3", 3) == 0 && tag[3] <= 3) {
    int64_t size = (int64_t(tag[6] & 0x7F) << 21) | (int64_t(tag[7] & 0x7F) << 14) |
                   (int64_t(tag[8] & 0x7F) << 7) | int64_t(tag[9] & 0x7F);
    dataStart_ = 10 + size;
  }
  pos_ = dataStart_;
}

FrameReader::FrameReader(const char* path, int64_t expectedSize)
    : growing_(true), expected_(expectedSize) {
  Open(path, OPEN_ALWAYS);
}

FrameReader::~FrameReader() {
  if (IsOpen()) CloseHandle(file_);
}

void FrameReader::Open(const char* path, DWORD disposition) {
  if (path)
    file_ = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!IsOpen()) {
    std::string text = std::string("Error opening file: ") + (path ? path : "");
    ShowUserMessage(nullptr, text.c_str(), "Invalid handle", MB_OK);
  }
}

int64_t FrameReader::FileSize() const {
  LARGE_INTEGER size;
  if (!IsOpen() || !GetFileSizeEx(file_, &size)) return 0;
  return size.QuadPart;
}

// The frames are guessed from the audio data alone: a leading tag holds none.
int64_t FrameReader::DataSize() const {
  const int64_t size = FileSize() - dataStart_;
  return size > 0 ? size : 0;
}

int FrameReader::FrameCount(const FrameHeader& header) const {
  return static_cast<int>(DataSize() / header.UnpaddedLength());
}

int FrameReader::TrackbarTotal(const FrameHeader& header) const {
  return static_cast<int>(DataSize() / (header.UnpaddedLength() + 1));
}

int64_t FrameReader::FramePosition(int frame) const {
  if (frame < 0 || frame >= static_cast<int>(positions_.size())) return -1;
  return positions_[frame];
}

bool FrameReader::WaitForData(int64_t needed) {
  int64_t size = FileSize();
  DWORD stalled = 0;
  while (size < needed) {
    // After one stall the writer is taken as gone: what is there is read
    // without waiting again.
    if (stalled_ || (cancel_ && *cancel_)) return false;
    if (stalled >= kStallLimitMs) {
      stalled_ = true;
      return false;
    }
    Sleep(100);
    int64_t now = FileSize();
    stalled = now == size ? stalled + 100 : 0;
    size = now;
  }
  return true;
}

bool FrameReader::ReadAt(int64_t pos, void* out, int n) {
  if (!IsOpen() || pos < 0 || n < 0) return false;
  if (pos >= cacheStart_ && pos + n <= cacheStart_ + cacheLength_) {
    memcpy(out, cache_ + (pos - cacheStart_), n);
    return true;
  }
  if (growing_) {
    // The stream ends at the expected size. Only a file still shorter than
    // what is asked is waited for: until a good stretch ahead is there, near
    // the expected size only for what is asked.
    if (pos + n > expected_) return false;
    if (FileSize() < pos + n) {
      int64_t ahead = pos + 200LL * lastBody_;
      int64_t needed = ahead < expected_ && ahead > pos + n ? ahead : pos + n;
      if (!WaitForData(needed) && FileSize() < pos + n) return false;
    }
  }
  LARGE_INTEGER at;
  at.QuadPart = pos;
  if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) return false;
  int want = n > static_cast<int>(sizeof cache_) ? n : static_cast<int>(sizeof cache_);
  if (growing_ && pos + want > expected_) want = static_cast<int>(expected_ - pos);
  DWORD got = 0;
  if (n > static_cast<int>(sizeof cache_)) {
    if (!ReadFile(file_, out, n, &got, nullptr)) return false;
    cacheLength_ = 0;
    return static_cast<int>(got) == n;
  }
  if (!ReadFile(file_, cache_, want, &got, nullptr)) {
    cacheLength_ = 0;
    return false;
  }
  cacheStart_ = pos;
  cacheLength_ = static_cast<int>(got);
  if (cacheLength_ < n) return false;
  memcpy(out, cache_, n);
  return true;
}

bool FrameReader::NextCandidate(uint32_t* bits) {
  for (;;) {
    uint8_t b[4];
    if (!ReadAt(pos_, b, 4)) return false;
    uint32_t v = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
    bool hit = FrameHeader::Acceptable(v);
    if (hit && synced_) {
      bool single = ((v >> 6) & 3) == FrameHeader::kSingleChannel;
      hit = (v & 0xFFF80C00u) == match_ && single == single_;
    }
    if (hit) {
      *bits = v;
      return true;
    }
    ++pos_;
  }
}

bool FrameReader::ReadHeader(FrameHeader& header) {
  uint32_t bits;
  if (!NextCandidate(&bits)) return false;
  FrameHeader next;
  next.Parse(bits);
  int64_t at = pos_;
  if (next.frameSize < 0 || next.frameSize > kMaxBody) return false;
  if (!ReadAt(at + 4, body_, next.frameSize)) return false;  // a truncated frame ends the stream
  memset(body_ + next.frameSize, 0, 8);

  if (!synced_) {
    synced_ = true;
    match_ = bits & 0xFFF80C00u;
    single_ = next.IsSingleChannel();
  }
  header = next;
  pos_ = at + 4 + next.frameSize;
  bodyBits_ = next.frameSize * 8;
  bitPos_ = 0;
  overrun_ = false;
  lastBody_ = next.frameSize;

  ++frame_;
  if (frame_ > highest_) {
    highest_ = frame_;
    if (static_cast<int>(positions_.size()) == frame_) positions_.push_back(at);
  }
  if (header.HasCrc()) {
    header.checkWord = static_cast<uint16_t>(GetBits(16));
    header.crc.Reset();
    header.crc.Add(bits & 0xFFFF, 16);
  }
  return true;
}

bool FrameReader::SeekFrame(FrameHeader& header, int frame) {
  if (frame < 0) return false;
  int known = static_cast<int>(positions_.size()) - 1;
  int start = frame <= known ? frame : known;
  pos_ = start >= 0 ? positions_[start] : dataStart_;
  frame_ = start >= 0 ? start - 1 : -1;
  if (!ReadHeader(header)) return false;
  while (frame_ < frame)
    if (!ReadHeader(header)) return false;
  return true;
}

// The bits that are left, then zeros.
uint32_t FrameReader::GetBitsPastEnd(int n) {
  overrun_ = true;
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) {
    v <<= 1;
    if (bitPos_ < bodyBits_) {
      v |= (body_[bitPos_ >> 3] >> (7 - (bitPos_ & 7))) & 1u;
      ++bitPos_;
    }
  }
  return v;
}
