#include "BitReservoir.h"

#include <algorithm>
#include <cstring>

void BitReservoir::Reset() {
  std::memset(ring_, 0, sizeof ring_);
  written_ = 0;
  pos_ = 0;
  overrun_ = false;
}

void BitReservoir::PutByte(uint8_t b) {
  int i = static_cast<int>(written_ & (kSize - 1));
  ring_[i] = b;
  if (i < kMirror) ring_[kSize + i] = b;
  ++written_;
}

void BitReservoir::PutBytes(const uint8_t* data, int count) {
  while (count > 0) {
    // Up to the end of the ring, then from its start; the first bytes are
    // mirrored after the ring.
    const int at = static_cast<int>(written_ & (kSize - 1));
    const int piece = std::min(count, kSize - at);
    std::memcpy(ring_ + at, data, piece);
    if (at < kMirror) std::memcpy(ring_ + kSize + at, ring_ + at, std::min(piece, kMirror - at));
    written_ += piece;
    data += piece;
    count -= piece;
  }
}

void BitReservoir::RewindBits(int64_t n) {
  pos_ -= n;
  if (pos_ < 0) pos_ = 0;
}

void BitReservoir::CopyBytes(int64_t from, int count, uint8_t* out) const {
  int n = 0;
  if (from < 0) {
    n = from + count < 0 ? count : static_cast<int>(-from);
    std::memset(out, 0, n);
  }
  int have = static_cast<int>(std::min<int64_t>(written_ - (from + n), count - n));
  while (have > 0) {
    // Up to the end of the ring, then from its start.
    const int at = static_cast<int>((from + n) & (kSize - 1));
    const int piece = std::min(have, kSize - at);
    std::memcpy(out + n, ring_ + at, piece);
    n += piece;
    have -= piece;
  }
  if (n < count) std::memset(out + n, 0, count - n);
}
