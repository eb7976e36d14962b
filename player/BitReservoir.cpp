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

void BitReservoir::RewindBits(int64_t n) {
  pos_ -= n;
  if (pos_ < 0) pos_ = 0;
}
