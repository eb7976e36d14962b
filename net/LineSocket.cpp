#include "LineSocket.h"

#include <algorithm>

#include "WSocketApi.h"

void TCustomLineSocket::SetLineMode(bool on) {
  if (on == lineMode_) return;
  lineMode_ = on;
  if (!on) return;
  if (!rcvBuf_.empty() || (State() == wsConnected && TCustomSocksSocket::RcvdCount() > 0))
    PostMessageA(Handle(), WM_TRIGGER_DATA_AVAILABLE, 0, 0);
}

bool TCustomLineSocket::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg != WM_TRIGGER_DATA_AVAILABLE)
    return TCustomSocksSocket::HandleMessage(msg, wp, lp, result);
  result = 0;
  if (lineMode_ && HSocket() != INVALID_TSOCKET) TriggerDataAvailable(0);
  return true;
}

void TCustomLineSocket::Collect(const char* data, int len) {
  for (int i = 0; i < len; ++i) {
    char c = data[i];
    if (LineEdit && c == '\b') {
      size_t start = rcvBuf_.rfind('\n');
      start = start == std::string::npos ? 0 : start + 1;
      if (rcvBuf_.size() > start) rcvBuf_.pop_back();
      if (LineEcho) SendStr("\b \b");
      continue;
    }
    if (LineEdit && c == '\t') {
      size_t start = rcvBuf_.rfind('\n');
      start = start == std::string::npos ? 0 : start + 1;
      size_t column = rcvBuf_.size() - start;
      std::string blanks(8 - column % 8, ' ');
      rcvBuf_ += blanks;
      if (LineEcho) SendStr(blanks);
      continue;
    }
    rcvBuf_ += c;
    if (LineEcho) SendStr(std::string(1, c));
  }
}

void TCustomLineSocket::TriggerDataAvailable(int error) {
  if (!lineMode_ || Negotiating()) return TCustomSocksSocket::TriggerDataAvailable(error);
  unsigned gen = Generation();
  if (HSocket() != INVALID_TSOCKET) {
    char buf[4096];
    int n = TCustomSocksSocket::Receive(buf, sizeof buf);
    if (n > 0) Collect(buf, n);
    if (!Live(gen)) return;
  }
  DeliverLines(error, false);
}

void TCustomLineSocket::DeliverLines(int error, bool all) {
  // At the session's close the socket is gone already; the rest of the
  // buffer is still delivered.
  unsigned gen = Generation();
  auto goOn = [&] { return lineMode_ && !rcvBuf_.empty() && (all || Live(gen)); };
  while (goOn()) {
    size_t end = LineEnd.empty() ? std::string::npos : rcvBuf_.find(LineEnd);
    size_t len;
    size_t limit = LineLimit > 0 ? static_cast<size_t>(LineLimit) : std::string::npos;
    if (end != std::string::npos && end <= limit) {
      len = end + LineEnd.size();
    } else if (rcvBuf_.size() > limit) {
      if (OnLineTooLong) OnLineTooLong(this);
      len = limit;
    } else if (all) {
      len = rcvBuf_.size();
    } else {
      return;
    }
    if (!goOn()) return;
    std::string line = rcvBuf_.substr(0, len);
    rcvBuf_.erase(0, len);
    Deliver(std::move(line), error);
  }
}

void TCustomLineSocket::Deliver(std::string line, int error) {
  line_ = std::move(line);
  lineReady_ = true;
  if (OnDataAvailable) OnDataAvailable(this, error);
  lineReady_ = false;
  line_.clear();
}

int TCustomLineSocket::Receive(void* buffer, int size) {
  if (!lineMode_ || Negotiating()) return TCustomSocksSocket::Receive(buffer, size);
  NoteReceive();
  if (!lineReady_ || line_.empty()) return 0;
  if (size <= 0 || !buffer) return 0;
  int n = std::min(size, static_cast<int>(line_.size()));
  line_.copy(static_cast<char*>(buffer), static_cast<size_t>(n));
  line_.erase(0, static_cast<size_t>(n));
  return n;
}

int TCustomLineSocket::RcvdCount() {
  if (!lineMode_) return TCustomSocksSocket::RcvdCount();
  return lineReady_ ? static_cast<int>(line_.size()) : 0;
}

void TCustomLineSocket::TriggerSessionClosed(int error) {
  if (lineMode_) DeliverLines(error, true);
  rcvBuf_.clear();
  TCustomSocksSocket::TriggerSessionClosed(error);
}
