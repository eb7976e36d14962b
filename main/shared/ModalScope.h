// A dialog's message loop counted while it runs: the count is raised for
// the life of the scope and lowered, with the caller's own undoing, on
// every way out of it, an exception included.
#pragma once

#include <functional>
#include <utility>

class TModalScope {
 public:
  explicit TModalScope(int& depth, std::function<void()> done = nullptr)
      : depth_(depth), done_(std::move(done)) {
    ++depth_;
  }
  ~TModalScope() {
    --depth_;
    if (done_) done_();
  }
  TModalScope(const TModalScope&) = delete;
  TModalScope& operator=(const TModalScope&) = delete;

 private:
  int& depth_;
  std::function<void()> done_;
};
