// One block of a socket's send queue: bytes are written at the end and
// read from the front.
#pragma once

#include <vector>

class TBuffer {
 public:
  static constexpr int kDefaultSize = 1514;

  explicit TBuffer(int size = 0);
  int BufSize() const { return static_cast<int>(data_.size()); }
  // Resizes the storage; the unread bytes are kept, so the size never
  // falls below their count.
  void SetBufSize(int size);
  // Takes at most the free space at the end; returns the bytes taken.
  int Write(const void* data, int len);
  // The unread bytes, or nullptr and 0 when there are none.
  const char* Peek(int& len) const;
  // Drops at most the unread bytes from the front; returns the count.
  int Remove(int len);
  int Unread() const { return wrCount_ - rdCount_; }
  bool Empty() const { return wrCount_ == rdCount_; }

 private:
  std::vector<char> data_;
  int wrCount_ = 0;
  int rdCount_ = 0;
};
