// Bounds-checked reading of GIF bytes held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Graphics.h"
#include "Streams.h"

class GifReader {
 public:
  GifReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return pos_ >= size_; }
  size_t Left() const { return size_ - pos_; }
  size_t Position() const { return pos_; }
  const uint8_t* Here() const { return data_ + pos_; }
  // EInvalidGraphicOperation "Stream read error" when the data ends first.
  uint8_t Byte() {
    Need(1);
    return data_[pos_++];
  }
  uint16_t Word() {
    Need(2);
    uint16_t v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  void Bytes(void* to, size_t n);
  void Skip(size_t n) {
    Need(n);
    pos_ += n;
  }
  // Data sub-blocks up to the zero-length terminator or the end of the data.
  // With strings, each sub-block's bytes are handed over.
  template <class F>
  void SubBlocks(F&& each) {
    while (!AtEnd()) {
      size_t n = data_[pos_++];
      if (n == 0) return;
      n = n < Left() ? n : Left();
      each(reinterpret_cast<const char*>(data_ + pos_), n);
      pos_ += n;
    }
  }

 private:
  void Need(size_t n) const {
    if (n > Left()) throw EInvalidGraphicOperation(SReadError);
  }
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

inline void GifReader::Bytes(void* to, size_t n) {
  Need(n);
  for (size_t i = 0; i < n; ++i) static_cast<uint8_t*>(to)[i] = data_[pos_ + i];
  pos_ += n;
}
