// Check-word accumulator of protected frames (polynomial 0x8005).
#pragma once

#include <stdint.h>

class Crc16 {
 public:
  void Reset() { value_ = 0xFFFF; }
  // Feeds the n low bits of data, most significant first.
  void Add(uint32_t data, int n) {
    for (int i = n - 1; i >= 0; --i) {
      unsigned bit = (data >> i) & 1u;
      unsigned top = (value_ >> 15) & 1u;
      value_ = static_cast<uint16_t>(value_ << 1);
      if (top != bit) value_ ^= 0x8005;
    }
  }
  uint16_t Value() const { return value_; }

 private:
  uint16_t value_ = 0xFFFF;
};
