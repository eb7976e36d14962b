// Incremental parser of one HTTP reply: status line, header block and a
// body that is delimited by Content-Length, by chunks or by the close of
// the connection. Every byte is checked against the parser's own bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class HttpReplyParser {
 public:
  enum Result { kMore, kDone, kError };
  using BodySink = std::function<bool(const char* data, size_t size)>;

  static constexpr size_t kMaxLine = 8192;
  static constexpr size_t kMaxHeaderBlock = 65536;
  static constexpr size_t kMaxHeaders = 256;

  // noBody: the request was one whose reply never has a body.
  explicit HttpReplyParser(bool noBody = false) : noBody_(noBody) {}

  // Feeds received bytes; body bytes go to the sink (a false answer from
  // the sink stops the parse with an error). After kDone or kError further
  // bytes are not looked at.
  Result Feed(const char* data, size_t size, const BodySink& sink);
  // The peer closed the connection.
  Result Finish();

  bool HeadersDone() const { return state_ > kHeaders; }
  int Code() const { return code_; }
  const std::string& Reason() const { return reason_; }
  const std::vector<std::pair<std::string, std::string>>& Headers() const {
    return headers_;
  }
  // -1 while the length is not known.
  int64_t ContentLength() const { return contentLength_; }
  int64_t BodyReceived() const { return bodyReceived_; }
  const std::string& Error() const { return error_; }

 private:
  enum State { kStatus, kHeaders, kBody, kChunkSize, kChunkData,
               kChunkEnd, kTrailer, kFinished, kFailed };

  Result Fail(const std::string& text);
  bool TakeLine(const char*& p, const char* end, std::string& line);
  Result OnStatusLine(const std::string& line);
  Result OnHeaderLine(const std::string& line);
  Result OnHeadersEnd();
  Result OnChunkSizeLine(const std::string& line);

  bool noBody_;
  State state_ = kStatus;
  std::string line_;
  size_t headerBytes_ = 0;
  int code_ = 0;
  std::string reason_;
  std::vector<std::pair<std::string, std::string>> headers_;
  bool chunked_ = false;
  int64_t contentLength_ = -1;
  int64_t bodyReceived_ = 0;
  int64_t chunkLeft_ = 0;
  std::string error_;
};
