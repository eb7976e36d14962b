// The variable-length LZW code of GIF image data.
#include <cstring>

#include "GIFImage.h"

namespace {

constexpr int kMaxCodes = 4096;

// Row order of a frame: top to bottom, or the four interlace passes.
class RowCursor {
 public:
  RowCursor(int height, bool interlaced) : height_(height), interlaced_(interlaced) {}
  bool Done() const { return row_ >= height_; }
  int Row() const { return row_; }
  void Next() {
    if (!interlaced_) {
      ++row_;
      return;
    }
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    row_ += kStep[pass_];
    while (row_ >= height_ && pass_ < 3) {
      ++pass_;
      row_ = kStart[pass_];
    }
    if (row_ >= height_) row_ = height_;
  }

 private:
  int height_, row_ = 0, pass_ = 0;
  bool interlaced_;
};

// Reads codes least significant bit first from the data sub-blocks.
class CodeReader {
 public:
  CodeReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  // False when the data ends before a whole code.
  bool Read(int bits, int& code) {
    while (count_ < bits) {
      if (left_ == 0) {
        if (pos_ >= size_) return false;
        left_ = data_[pos_++];
        if (left_ == 0) {  // terminator
          pos_ = size_;
          return false;
        }
      }
      if (pos_ >= size_) return false;
      buffer_ |= static_cast<uint32_t>(data_[pos_++]) << count_;
      count_ += 8;
      --left_;
    }
    code = static_cast<int>(buffer_ & ((1u << bits) - 1));
    buffer_ >>= bits;
    count_ -= bits;
    return true;
  }
  size_t Position() const { return pos_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  size_t left_ = 0;
  uint32_t buffer_ = 0;
  int count_ = 0;
};

void PutPixel(uint8_t* row, int x, int bitCount, int value) {
  switch (bitCount) {
    case 1:
      if (value & 1) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
      else row[x >> 3] &= static_cast<uint8_t>(~(0x80 >> (x & 7)));
      break;
    case 4:
      if (x & 1) row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (value & 0x0F));
      else row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | (value & 0x0F) << 4);
      break;
    default:
      row[x] = static_cast<uint8_t>(value);
  }
}

}  // namespace

void DecodeGifLzw(const uint8_t* data, size_t size, int width, int height, bool interlaced,
                  int bitCount, int depth, uint8_t* const* rows,
                  const std::function<void(int percent)>& progress) {
  if (size < 1) throw EInvalidGraphicOperation(SGIFDecodeError);
  int minSize = data[0];
  if (minSize < 2 || minSize > 9) throw EInvalidGraphicOperation(SGIFBadCodeSize);
  if (width <= 0 || height <= 0) return;
  const int clear = 1 << minSize, end = clear + 1;
  std::vector<uint16_t> prefix(kMaxCodes), suffix(kMaxCodes);
  std::vector<uint8_t> stack(kMaxCodes + 1);
  for (int i = 0; i < clear; ++i) suffix[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
  CodeReader reader(data + 1, size - 1);
  RowCursor cursor(height, interlaced);
  int codeSize = minSize + 1, nextFree = clear + 2, prev = -1, first = 0, x = 0;
  int lastPercent = -1;
  while (!cursor.Done()) {
    int code;
    // Data that ends before the end code ends the decoding: the rows so
    // far stay, the rest keep what they held.
    if (!reader.Read(codeSize, code)) break;
    if (code == clear) {
      codeSize = minSize + 1;
      nextFree = clear + 2;
      prev = -1;
      continue;
    }
    if (code == end) break;
    int length = 0, c = code;
    const bool fresh = prev >= 0 && code >= nextFree;
    if (prev < 0) {
      if (code >= clear) throw EInvalidGraphicOperation(SGIFDecodeError);
      stack[0] = static_cast<uint8_t>(code);
      length = 1;
    } else {
      if (fresh) {
        // A string not yet in the table: the previous string followed by
        // its own first character.
        stack[length++] = static_cast<uint8_t>(first);
        c = prev;
      }
      while (c >= clear) {
        if (length >= kMaxCodes) throw EInvalidGraphicOperation(SGIFDecodeError);
        stack[static_cast<size_t>(length++)] = static_cast<uint8_t>(suffix[static_cast<size_t>(c)]);
        c = prefix[static_cast<size_t>(c)];
      }
      stack[static_cast<size_t>(length++)] = static_cast<uint8_t>(c);
    }
    first = stack[static_cast<size_t>(length - 1)];
    if (prev >= 0 && nextFree < kMaxCodes) {
      prefix[static_cast<size_t>(nextFree)] = static_cast<uint16_t>(prev);
      suffix[static_cast<size_t>(nextFree)] = static_cast<uint16_t>(first);
      ++nextFree;
      if (nextFree == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    // A fresh code stands for the entry just made from it.
    prev = fresh ? nextFree - 1 : code;
    // The string comes off the stack in order.
    while (length > 0 && !cursor.Done()) {
      int value = stack[static_cast<size_t>(--length)] & ((1 << depth) - 1);
      PutPixel(rows[cursor.Row()], x, bitCount, value);
      if (++x == width) {
        x = 0;
        cursor.Next();
      }
    }
    if (progress) {
      int percent = static_cast<int>(reader.Position() * 100 / size);
      if (percent != lastPercent) progress(lastPercent = percent);
    }
  }
}

namespace {

// Packs codes least significant bit first into sub-blocks of 255 bytes.
class CodeWriter {
 public:
  explicit CodeWriter(TStream* out) : out_(out) {}
  void Put(int code, int bits) {
    buffer_ |= static_cast<uint32_t>(code) << count_;
    count_ += bits;
    while (count_ >= 8) {
      block_[used_++] = static_cast<uint8_t>(buffer_);
      buffer_ >>= 8;
      count_ -= 8;
      if (used_ == 255) WriteBlock();
    }
  }
  void Flush() {
    if (count_ > 0) {
      block_[used_++] = static_cast<uint8_t>(buffer_);
      buffer_ = 0;
      count_ = 0;
      if (used_ == 255) WriteBlock();
    }
    if (used_ > 0) WriteBlock();
    out_->WriteByte(0);
  }

 private:
  void WriteBlock() {
    out_->WriteByte(static_cast<uint8_t>(used_));
    out_->WriteBuffer(block_, static_cast<int32_t>(used_));
    used_ = 0;
  }
  TStream* out_;
  uint8_t block_[255];
  size_t used_ = 0;
  uint32_t buffer_ = 0;
  int count_ = 0;
};

// The string table: (prefix code, pixel) -> code, by open hashing.
class StringTable {
 public:
  StringTable() : keys_(kSlots), codes_(kSlots) { Reset(); }
  void Reset() { std::fill(codes_.begin(), codes_.end(), -1); }
  int Find(int prefix, int pixel, size_t& slot) const {
    uint32_t key = static_cast<uint32_t>(prefix) << 8 | static_cast<uint32_t>(pixel);
    slot = (static_cast<size_t>(prefix) * 301 + static_cast<size_t>(pixel + 3) * 17) % kSlots;
    while (codes_[slot] >= 0) {
      if (keys_[slot] == key) return codes_[slot];
      slot = slot + 1 == kSlots ? 0 : slot + 1;
    }
    return -1;
  }
  void Add(size_t slot, int prefix, int pixel, int code) {
    keys_[slot] = static_cast<uint32_t>(prefix) << 8 | static_cast<uint32_t>(pixel);
    codes_[slot] = code;
  }

 private:
  static constexpr size_t kSlots = 17777;
  std::vector<uint32_t> keys_;
  std::vector<int> codes_;
};

}  // namespace

void EncodeGifLzw(const uint8_t* pixels, int width, int height, bool interlaced, int bitCount,
                  TStream* out, const std::function<void(int percent)>& progress) {
  int initial = bitCount + 1;
  if (initial < 3) initial = 3;
  const int minSize = initial - 1, clear = 1 << minSize, end = clear + 1;
  const int mask = (1 << bitCount) - 1;
  out->WriteByte(static_cast<uint8_t>(minSize));
  CodeWriter writer(out);
  StringTable table;
  int codeSize = initial, nextCode = clear + 2;
  writer.Put(clear, codeSize);
  int prefix = -1;
  RowCursor cursor(height, interlaced);
  for (int done = 0; !cursor.Done(); cursor.Next(), ++done) {
    const uint8_t* row = pixels + static_cast<size_t>(cursor.Row()) * static_cast<size_t>(width);
    for (int x = 0; x < width; ++x) {
      int pixel = row[x] & mask;
      if (prefix < 0) {
        prefix = pixel;
        continue;
      }
      size_t slot;
      int code = table.Find(prefix, pixel, slot);
      if (code >= 0) {
        prefix = code;
        continue;
      }
      writer.Put(prefix, codeSize);
      table.Add(slot, prefix, pixel, nextCode);
      if (nextCode == (1 << codeSize) && codeSize < 12) ++codeSize;
      ++nextCode;
      if (nextCode >= 4094) {
        writer.Put(clear, codeSize);
        table.Reset();
        codeSize = initial;
        nextCode = clear + 2;
      }
      prefix = pixel;
    }
    if (progress) progress(height ? (done + 1) * 100 / height : 100);
  }
  if (prefix >= 0) writer.Put(prefix, codeSize);
  writer.Put(end, codeSize);
  writer.Flush();
}
