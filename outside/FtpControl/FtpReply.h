// Reading the replies of an FTP server's control connection, and the
// values the control takes from them. Every read keeps to bounds of its
// own: a line longer than kMaxLine or a reply of more than kMaxLines lines
// is an error, not a buffer to grow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

struct FtpReply {
  int code = 0;      // 100 to 599
  std::string text;  // the last line, without its code
};

class FtpReplyReader {
 public:
  static constexpr size_t kMaxLine = 4096;
  static constexpr int kMaxLines = 1000;

  // False once the stream broke the rules; Error() says how. Complete
  // replies are queued for Next.
  bool Feed(const char* data, size_t size);
  bool Next(FtpReply& reply);
  const std::string& Error() const { return error_; }

 private:
  bool Line(const std::string& line);

  std::string line_;
  bool failed_ = false;
  std::string error_;
  int openCode_ = 0;  // the code of a multi-line reply in progress
  int lines_ = 0;
  std::deque<FtpReply> replies_;
};

// The data port of a "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)" reply
// (1 to 65535), or 0 when the text holds no such six numbers.
uint16_t ParsePassivePort(const std::string& text);
// The size of a "213 <size>" reply, or -1.
int64_t ParseSizeReply(const std::string& text);
// The size a "150 ... (<size> bytes)" reply announces, or -1.
int64_t ParseAnnouncedSize(const std::string& text);
