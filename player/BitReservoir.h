// Byte ring that collects Layer III main data across frames and hands it
// out bit by bit, most significant bit first.
#pragma once
#include <cstdint>

class BitReservoir {
 public:
  static const int kSize = 4096;

  BitReservoir() { Reset(); }
  void Reset();

  void PutByte(uint8_t b);
  void PutBytes(const uint8_t* data, int count);

  // Reads never go past the bytes put in: missing bits read as zero and
  // mark the reservoir overrun.
  uint32_t GetBits(int n) {  // n 0-32
    if (n <= 0) return 0;
    if (pos_ + n > written_ * 8) overrun_ = true;
    uint32_t v = Peek32() >> (32 - n);
    pos_ += n;
    return v;
  }
  uint32_t Get1Bit() { return GetBits(1); }
  // The next 32 bits without consuming them.
  uint32_t Peek32() {
    if (pos_ < 0) return 0;
    const uint8_t* p = ring_ + ((pos_ >> 3) & (kSize - 1));
    uint64_t w = (uint64_t(p[0]) << 32) | (uint64_t(p[1]) << 24) |
                 (uint64_t(p[2]) << 16) | (uint64_t(p[3]) << 8) | p[4];
    uint32_t v = static_cast<uint32_t>(w >> (8 - (pos_ & 7)));
    int64_t left = written_ * 8 - pos_;
    if (left < 32) v = left <= 0 ? 0 : v & ~(0xFFFFFFFFu >> left);
    return v;
  }
  void SkipBits(int64_t n) {
    pos_ += n;
    if (pos_ > written_ * 8) overrun_ = true;
  }
  void RewindBits(int64_t n);

  // `count` bytes from byte `from` on as reads see them (a byte not yet put
  // in reads as zero), for a reader that runs over a straight copy.
  void CopyBytes(int64_t from, int count, uint8_t* out) const;

  // Bits read so far (counted from the reset) and bits put in.
  int64_t BitPosition() const { return pos_; }
  int64_t BitsWritten() const { return written_ * 8; }
  void SetBitPosition(int64_t pos) { pos_ = pos; }
  bool Overrun() const { return overrun_; }

 private:
  // The first kMirror bytes are repeated after the ring, so a 32-bit peek
  // at any bit position reads five consecutive bytes.
  static const int kMirror = 8;
  uint8_t ring_[kSize + kMirror];
  int64_t written_;  // bytes put in
  int64_t pos_;      // bits read
  bool overrun_;
};
