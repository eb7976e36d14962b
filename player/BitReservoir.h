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
  uint32_t GetBits(int n);  // n 0-32
  uint32_t Get1Bit() { return GetBits(1); }
  // The next 32 bits without consuming them.
  uint32_t Peek32();
  void SkipBits(int64_t n);
  void RewindBits(int64_t n);
  void RewindBytes(int64_t n) { RewindBits(n * 8); }

  // Bits read so far (counted from the reset) and bits put in.
  int64_t BitPosition() const { return pos_; }
  int64_t BitsWritten() const { return written_ * 8; }
  void SetBitPosition(int64_t pos) { pos_ = pos; }
  bool Overrun() const { return overrun_; }
  void ClearOverrun() { overrun_ = false; }

 private:
  // The first kMirror bytes are repeated after the ring, so a 32-bit peek
  // at any bit position reads five consecutive bytes.
  static const int kMirror = 8;
  uint8_t ring_[kSize + kMirror];
  int64_t written_;  // bytes put in
  int64_t pos_;      // bits read
  bool overrun_;
};
