// Reads an MPEG audio file frame by frame: finds headers, keeps one frame
// body, hands out its bits most significant first, seeks to a frame number,
// and in growing mode waits for a file that is still being written.
#pragma once

#include <windows.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "FrameHeader.h"

class FrameReader {
 public:
  static const int kMaxBody = 1732;

  // Plain reader: an existing file; a leading ID3v2 tag is skipped.
  explicit FrameReader(const char* path);
  // Growing reader: the file may still be written up to expectedSize bytes.
  FrameReader(const char* path, int64_t expectedSize);
  ~FrameReader();
  FrameReader(const FrameReader&) = delete;
  FrameReader& operator=(const FrameReader&) = delete;

  bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }

  // Finds and parses the next frame and reads its body. For a protected
  // frame the check word is read and header.crc holds the header's bits.
  bool ReadHeader(FrameHeader& header);
  // Positions at frame n (counted from 0) and reads it.
  bool SeekFrame(FrameHeader& header, int frame);

  // The next n bits (n <= 32) of the body; past the body's end zeros are
  // given and Overrun() turns true.
  uint32_t GetBits(int n) {
    if (n <= 0) return 0;
    if (bitPos_ + n > bodyBits_) return GetBitsPastEnd(n);
    // Eight bytes from the bit's byte on: the body keeps 8 bytes after its end.
    uint64_t w;
    memcpy(&w, body_ + (bitPos_ >> 3), 8);
    w = __builtin_bswap64(w);
    uint32_t v = static_cast<uint32_t>((w << (bitPos_ & 7)) >> (64 - n));
    bitPos_ += n;
    return v;
  }
  int BitPosition() const { return bitPos_; }
  int BitsLeft() const { return bodyBits_ - bitPos_; }
  bool Overrun() const { return overrun_; }
  const uint8_t* Body() const { return body_; }
  int BodyLength() const { return bodyBits_ / 8; }

  int CurrentFrame() const { return frame_; }
  int HighestFrame() const { return highest_; }
  int64_t FramePosition(int frame) const;  // file offset of a frame read before, or -1
  int64_t DataStart() const { return dataStart_; }

  int64_t FileSize() const;
  int64_t DataSize() const;                            // the file after a leading tag
  int FrameCount(const FrameHeader& header) const;     // for the duration
  int TrackbarTotal(const FrameHeader& header) const;  // one byte more per frame

  // In growing mode a wait for more data ends early once *flag is non-zero.
  void SetCancelFlag(const volatile uint8_t* flag) { cancel_ = flag; }

 private:
  void Open(const char* path, DWORD disposition);
  bool ReadAt(int64_t pos, void* out, int n);
  bool WaitForData(int64_t needed);
  bool NextCandidate(uint32_t* bits);
  uint32_t GetBitsPastEnd(int n);

  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool growing_ = false;
  int64_t expected_ = 0;
  bool stalled_ = false;  // a growing file stopped growing once
  int64_t dataStart_ = 0;
  int64_t pos_ = 0;  // next byte to examine

  uint8_t cache_[8192];
  int64_t cacheStart_ = 0;
  int cacheLength_ = 0;

  uint8_t body_[kMaxBody + 8];
  int bodyBits_ = 0;
  int bitPos_ = 0;
  bool overrun_ = false;
  int lastBody_ = 0;

  bool synced_ = false;
  uint32_t match_ = 0;  // sync word, version and sampling rate of the first header
  bool single_ = false;

  int frame_ = -1;
  int highest_ = -1;
  std::vector<int64_t> positions_;  // header offset of every frame read so far

  const volatile uint8_t* cancel_ = nullptr;
};
