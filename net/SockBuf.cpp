#include "SockBuf.h"

#include <algorithm>
#include <cstring>

TBuffer::TBuffer(int size) : data_(static_cast<size_t>(size <= 0 ? kDefaultSize : size)) {}

void TBuffer::SetBufSize(int size) {
  if (size <= 0) size = kDefaultSize;
  size = std::max(size, Unread());
  if (size == BufSize()) return;
  std::vector<char> fresh(static_cast<size_t>(size));
  int unread = Unread();
  if (unread > 0) std::memcpy(fresh.data(), data_.data() + rdCount_, static_cast<size_t>(unread));
  data_.swap(fresh);
  rdCount_ = 0;
  wrCount_ = unread;
}

int TBuffer::Write(const void* data, int len) {
  int n = std::min(len, BufSize() - wrCount_);
  if (n <= 0) return 0;
  std::memcpy(data_.data() + wrCount_, data, static_cast<size_t>(n));
  wrCount_ += n;
  return n;
}

const char* TBuffer::Peek(int& len) const {
  len = Unread();
  return len > 0 ? data_.data() + rdCount_ : nullptr;
}

int TBuffer::Remove(int len) {
  int n = std::max(0, std::min(len, Unread()));
  rdCount_ += n;
  if (rdCount_ == wrCount_) rdCount_ = wrCount_ = 0;
  return n;
}
