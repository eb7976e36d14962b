#include "HttpReply.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// Decimal digits only, at most 18 of them; -1 when the text is not one.
int64_t ParseLength(const std::string& s) {
  if (s.empty() || s.size() > 18) return -1;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

}  // namespace

HttpReplyParser::Result HttpReplyParser::Fail(const std::string& text) {
  state_ = kFailed;
  error_ = text;
  return kError;
}

// Collects one line ending in LF (a CR before it is dropped). False while
// the line is not complete; the bytes seen so far stay in line_.
bool HttpReplyParser::TakeLine(const char*& p, const char* end, std::string& line) {
  const char* lf = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(end - p)));
  const char* stop = lf ? lf : end;
  line_.append(p, static_cast<size_t>(stop - p));
  headerBytes_ += static_cast<size_t>(stop - p) + (lf ? 1 : 0);
  p = lf ? lf + 1 : end;
  if (!lf) return false;
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  line.swap(line_);
  line_.clear();
  return true;
}

HttpReplyParser::Result HttpReplyParser::OnStatusLine(const std::string& line) {
  // "HTTP/<major>.<minor> <3 digits>[ <reason>]"
  if (line.compare(0, 5, "HTTP/") != 0) return Fail("Bad reply: no HTTP status line");
  size_t sp = line.find(' ');
  if (sp == std::string::npos) return Fail("Bad reply: malformed status line");
  size_t c = sp;
  while (c < line.size() && line[c] == ' ') ++c;
  if (c + 3 > line.size()) return Fail("Bad reply: malformed status line");
  int code = 0;
  for (size_t i = c; i < c + 3; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[i])))
      return Fail("Bad reply: malformed status line");
    code = code * 10 + (line[i] - '0');
  }
  if (c + 3 < line.size() && line[c + 3] != ' ')
    return Fail("Bad reply: malformed status line");
  if (code < 100) return Fail("Bad reply: malformed status line");
  code_ = code;
  reason_ = c + 4 <= line.size() ? Trim(line.substr(c + 3)) : std::string();
  state_ = kHeaders;
  return kMore;
}

HttpReplyParser::Result HttpReplyParser::OnHeaderLine(const std::string& line) {
  if (line[0] == ' ' || line[0] == '\t') {  // folded continuation
    if (headers_.empty()) return Fail("Bad reply: malformed header");
    headers_.back().second += " " + Trim(line);
    return kMore;
  }
  size_t colon = line.find(':');
  if (colon == std::string::npos || colon == 0) return Fail("Bad reply: malformed header");
  if (headers_.size() >= kMaxHeaders) return Fail("Bad reply: too many headers");
  std::string name = Trim(line.substr(0, colon));
  std::string value = Trim(line.substr(colon + 1));
  std::string lname = Lower(name);
  if (lname == "content-length") {
    int64_t len = ParseLength(value);
    if (len < 0) return Fail("Bad reply: bad Content-Length");
    if (contentLength_ >= 0 && contentLength_ != len)
      return Fail("Bad reply: conflicting Content-Length");
    contentLength_ = len;
  } else if (lname == "transfer-encoding") {
    if (Lower(value).find("chunked") != std::string::npos) chunked_ = true;
  }
  headers_.emplace_back(std::move(name), std::move(value));
  return kMore;
}

HttpReplyParser::Result HttpReplyParser::OnHeadersEnd() {
  if (code_ < 200) {  // interim reply: the real one follows
    headers_.clear();
    contentLength_ = -1;
    chunked_ = false;
    state_ = kStatus;
    return kMore;
  }
  if (noBody_ || code_ == 204 || code_ == 304) {
    contentLength_ = noBody_ ? contentLength_ : 0;
    state_ = kFinished;
    return kDone;
  }
  if (chunked_) {
    contentLength_ = -1;
    state_ = kChunkSize;
    return kMore;
  }
  state_ = kBody;
  if (contentLength_ == 0) {
    state_ = kFinished;
    return kDone;
  }
  return kMore;
}

HttpReplyParser::Result HttpReplyParser::OnChunkSizeLine(const std::string& line) {
  std::string size = Trim(line.substr(0, line.find(';')));
  if (size.empty() || size.size() > 15) return Fail("Bad reply: bad chunk size");
  int64_t v = 0;
  for (char c : size) {
    int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
          : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
    if (d < 0) return Fail("Bad reply: bad chunk size");
    v = v * 16 + d;
  }
  chunkLeft_ = v;
  state_ = v == 0 ? kTrailer : kChunkData;
  return kMore;
}

HttpReplyParser::Result HttpReplyParser::Feed(const char* data, size_t size,
                                              const BodySink& sink) {
  const char* p = data;
  const char* end = data + size;
  std::string line;
  while (p < end) {
    switch (state_) {
      case kFinished: return kDone;
      case kFailed: return kError;
      case kStatus:
      case kHeaders:
      case kChunkSize:
      case kChunkEnd:
      case kTrailer: {
        bool inHead = state_ == kStatus || state_ == kHeaders;
        if (!TakeLine(p, end, line)) {
          if (line_.size() > kMaxLine) return Fail("Bad reply: line too long");
          if (inHead && headerBytes_ > kMaxHeaderBlock)
            return Fail("Bad reply: header block too long");
          return kMore;
        }
        if (line.size() > kMaxLine) return Fail("Bad reply: line too long");
        if (inHead && headerBytes_ > kMaxHeaderBlock)
          return Fail("Bad reply: header block too long");
        Result r = kMore;
        if (state_ == kStatus) {
          if (line.empty() && headerBytes_ <= 4) continue;  // stray CRLF before the reply
          r = OnStatusLine(line);
        } else if (state_ == kHeaders) {
          r = line.empty() ? OnHeadersEnd() : OnHeaderLine(line);
        } else if (state_ == kChunkSize) {
          r = OnChunkSizeLine(line);
        } else if (state_ == kChunkEnd) {
          if (!line.empty()) return Fail("Bad reply: chunk not followed by CRLF");
          state_ = kChunkSize;
        } else if (line.empty()) {  // end of the trailer
          state_ = kFinished;
          return kDone;
        }
        if (r != kMore) return r;
        break;
      }
      case kBody:
      case kChunkData: {
        size_t n = static_cast<size_t>(end - p);
        int64_t limit = state_ == kChunkData ? chunkLeft_
                      : contentLength_ >= 0 ? contentLength_ - bodyReceived_ : -1;
        if (limit >= 0 && static_cast<int64_t>(n) > limit) n = static_cast<size_t>(limit);
        if (n > 0 && !sink(p, n)) return Fail("Cannot write the document");
        p += n;
        bodyReceived_ += static_cast<int64_t>(n);
        if (state_ == kChunkData) {
          chunkLeft_ -= static_cast<int64_t>(n);
          if (chunkLeft_ == 0) state_ = kChunkEnd;
        } else if (contentLength_ >= 0 && bodyReceived_ == contentLength_) {
          state_ = kFinished;
          return kDone;
        }
        break;
      }
    }
  }
  return state_ == kFinished ? kDone : state_ == kFailed ? kError : kMore;
}

HttpReplyParser::Result HttpReplyParser::Finish() {
  switch (state_) {
    case kFinished: return kDone;
    case kFailed: return kError;
    case kBody:
      if (contentLength_ < 0) {
        state_ = kFinished;
        return kDone;
      }
      return Fail("Connection closed before the end of the document");
    case kStatus:
      return Fail(headerBytes_ == 0 ? "Connection closed without a reply"
                                    : "Connection closed in the reply headers");
    case kHeaders:
      return Fail("Connection closed in the reply headers");
    default:
      return Fail("Connection closed before the end of the document");
  }
}
