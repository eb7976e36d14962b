#include "FtpReply.h"

#include <cctype>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal number at text[at], at most 15 digits; -1 when none.
int64_t Number(const std::string& text, size_t& at) {
  int64_t value = 0;
  size_t start = at;
  while (at < text.size() && IsDigit(text[at])) {
    if (at - start >= 15) return -1;
    value = value * 10 + (text[at] - '0');
    ++at;
  }
  return at == start ? -1 : value;
}

}  // namespace

bool FtpReplyReader::Feed(const char* data, size_t size) {
  if (failed_) return false;
  for (size_t i = 0; i < size; ++i) {
    char c = data[i];
    if (c == '\n') {
      if (!line_.empty() && line_.back() == '\r') line_.pop_back();
      std::string line;
      line.swap(line_);
      if (!Line(line)) {
        failed_ = true;
        return false;
      }
      continue;
    }
    if (line_.size() >= kMaxLine) {
      error_ = "Bad reply: line too long";
      failed_ = true;
      return false;
    }
    line_ += c;
  }
  return true;
}

bool FtpReplyReader::Line(const std::string& line) {
  bool coded = line.size() >= 3 && line[0] >= '1' && line[0] <= '5' && IsDigit(line[1]) &&
               IsDigit(line[2]) && (line.size() == 3 || line[3] == ' ' || line[3] == '-');
  int code = coded ? (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0') : 0;
  if (openCode_) {
    if (++lines_ > kMaxLines) {
      error_ = "Bad reply: too many lines";
      return false;
    }
    if (code == openCode_ && (line.size() == 3 || line[3] == ' ')) {
      replies_.push_back({code, line.size() > 4 ? line.substr(4) : std::string()});
      openCode_ = 0;
    }
    return true;
  }
  if (!coded) {
    error_ = "Bad reply: " + line.substr(0, 80);
    return false;
  }
  if (line.size() > 3 && line[3] == '-') {
    openCode_ = code;
    lines_ = 1;
    return true;
  }
  replies_.push_back({code, line.size() > 4 ? line.substr(4) : std::string()});
  return true;
}

bool FtpReplyReader::Next(FtpReply& reply) {
  if (replies_.empty()) return false;
  reply = replies_.front();
  replies_.pop_front();
  return true;
}

uint16_t ParsePassivePort(const std::string& text) {
  for (size_t start = 0; start < text.size(); ++start) {
    if (!IsDigit(text[start]) || (start > 0 && IsDigit(text[start - 1]))) continue;
    size_t at = start;
    int64_t v[6];
    int n = 0;
    for (; n < 6; ++n) {
      if (n > 0) {
        if (at >= text.size() || text[at] != ',') break;
        ++at;
        while (at < text.size() && text[at] == ' ') ++at;  // "(127, 0, 0, 1, 4, 5)"
      }
      v[n] = Number(text, at);
      if (v[n] < 0 || v[n] > 255) break;
    }
    if (n == 6) {
      int64_t port = v[4] * 256 + v[5];
      return port >= 1 && port <= 65535 ? static_cast<uint16_t>(port) : 0;
    }
  }
  return 0;
}

int64_t ParseSizeReply(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  int64_t size = Number(text, at);
  while (at < text.size() && text[at] == ' ') ++at;
  return at == text.size() ? size : -1;
}

int64_t ParseAnnouncedSize(const std::string& text) {
  size_t open = text.rfind('(');
  if (open == std::string::npos) return -1;
  size_t at = open + 1;
  int64_t size = Number(text, at);
  if (size < 0 || text.compare(at, 7, " bytes)") != 0) return -1;
  return size;
}
