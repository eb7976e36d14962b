#include "BitReservoir.h"

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
  for (int i = 0; i < count; ++i) PutByte(data[i]);
}

uint32_t BitReservoir::Peek32() {
  if (pos_ < 0) return 0;
  int byte = static_cast<int>((pos_ >> 3) & (kSize - 1));
  const uint8_t* p = ring_ + byte;
  uint64_t w = (uint64_t(p[0]) << 32) | (uint64_t(p[1]) << 24) |
               (uint64_t(p[2]) << 16) | (uint64_t(p[3]) << 8) | p[4];
  uint32_t v = static_cast<uint32_t>(w >> (8 - (pos_ & 7)));
  int64_t left = written_ * 8 - pos_;
  if (left < 32) {
    if (left <= 0) return 0;
    v &= ~(0xFFFFFFFFu >> left);
  }
  return v;
}

uint32_t BitReservoir::GetBits(int n) {
  if (n <= 0) return 0;
  if (pos_ + n > written_ * 8) overrun_ = true;
  uint32_t v = Peek32() >> (32 - n);
  pos_ += n;
  return v;
}

void BitReservoir::SkipBits(int64_t n) {
  pos_ += n;
  if (pos_ > written_ * 8) overrun_ = true;
}

void BitReservoir::RewindBits(int64_t n) {
  pos_ -= n;
  if (pos_ < 0) pos_ = 0;
}
