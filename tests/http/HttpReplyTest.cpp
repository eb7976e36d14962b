// The reply parser on hand-made replies, fed whole and byte by byte.
#include <gtest/gtest.h>

#include <string>

#include "HttpReply.h"

namespace {

struct Outcome {
  HttpReplyParser::Result result;
  int code;
  std::string body;
  std::string error;
};

Outcome Parse(const std::string& reply, bool byteByByte, bool close) {
  HttpReplyParser p;
  std::string body;
  auto sink = [&](const char* d, size_t n) { body.append(d, n); return true; };
  HttpReplyParser::Result r = HttpReplyParser::kMore;
  if (byteByByte) {
    for (size_t i = 0; i < reply.size() && r == HttpReplyParser::kMore; ++i)
      r = p.Feed(&reply[i], 1, sink);
  } else {
    r = p.Feed(reply.data(), reply.size(), sink);
  }
  if (r == HttpReplyParser::kMore && close) r = p.Finish();
  return {r, p.Code(), body, p.Error()};
}

TEST(HttpReply, TableOfReplies) {
  using R = HttpReplyParser;
  struct Case {
    const char* name;
    std::string reply;
    bool close;
    R::Result result;
    int code;
    std::string body;
  } cases[] = {
      {"length", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhelloEXTRA", false, R::kDone, 200, "hello"},
      {"bare LF lines", "HTTP/1.1 404 Not Found\nContent-Length: 2\n\nno", false, R::kDone, 404, "no"},
      {"close-delimited", "HTTP/1.0 200 OK\r\n\r\nuntil close", true, R::kDone, 200, "until close"},
      {"chunked with ext and trailer",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;x=y\r\nabc\r\nA\r\n0123456789\r\n0\r\nT: 1\r\n\r\n",
       false, R::kDone, 200, "abc0123456789"},
      {"interim reply skipped", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx",
       false, R::kDone, 200, "x"},
      {"204 has no body", "HTTP/1.1 204 No Content\r\n\r\n", false, R::kDone, 204, ""},
      {"304 has no body", "HTTP/1.1 304 Not Modified\r\nContent-Length: 99\r\n\r\n", false, R::kDone, 304, ""},
      {"no reason text", "HTTP/1.0 302\r\nContent-Length: 0\r\n\r\n", false, R::kDone, 302, ""},
      {"short body at close", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc", true, R::kError, 200, "abc"},
      {"close in headers", "HTTP/1.0 200 OK\r\nX: 1\r\n", true, R::kError, 200, ""},
      {"nothing at all", "", true, R::kError, 0, ""},
      {"not HTTP", "SPLAT 200 OK\r\n\r\n", false, R::kError, 0, ""},
      {"two-digit code", "HTTP/1.0 20 OK\r\n\r\n", false, R::kError, 0, ""},
      {"letters in code", "HTTP/1.0 2x0 OK\r\n\r\n", false, R::kError, 0, ""},
      {"four-digit code", "HTTP/1.0 2000 OK\r\n\r\n", false, R::kError, 0, ""},
      {"header without colon", "HTTP/1.0 200 OK\r\nnonsense\r\n\r\n", false, R::kError, 200, ""},
      {"bad length", "HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\n", false, R::kError, 200, ""},
      {"conflicting lengths", "HTTP/1.0 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", false, R::kError, 200, ""},
      {"bad chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false, R::kError, 200, ""},
      {"huge chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffffffffffff\r\n", false, R::kError, 200, ""},
      {"chunk without CRLF", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabX\r\n", false, R::kError, 200, "ab"},
      {"chunked cut at close", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab", true, R::kError, 200, "ab"},
      {"over-long header line", "HTTP/1.0 200 OK\r\nX: " + std::string(9000, 'a') + "\r\n\r\n", false, R::kError, 200, ""},
  };
  for (const Case& c : cases) {
    for (bool bytewise : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (bytewise ? " (byte by byte)" : ""));
      Outcome o = Parse(c.reply, bytewise, c.close);
      EXPECT_EQ(c.result, o.result) << o.error;
      EXPECT_EQ(c.code, o.code);
      EXPECT_EQ(c.body, o.body);
      if (c.result == R::kError) {
        EXPECT_FALSE(o.error.empty());
      }
    }
  }
}

TEST(HttpReply, HeaderBlockAndCountAreBounded) {
  std::string many = "HTTP/1.0 200 OK\r\n";
  for (int i = 0; i < 300; ++i) many += "X-" + std::to_string(i) + ": v\r\n";
  EXPECT_EQ(HttpReplyParser::kError, Parse(many + "\r\n", false, false).result);
  std::string big = "HTTP/1.0 200 OK\r\n";
  for (int i = 0; i < 20; ++i) big += "X: " + std::string(4000, 'a') + "\r\n";
  EXPECT_EQ(HttpReplyParser::kError, Parse(big + "\r\n", false, false).result);
}

TEST(HttpReply, KeepsHeadersInOrderWithFoldedValues) {
  HttpReplyParser p;
  std::string r = "HTTP/1.0 301 Moved\r\nLocation: /a\r\nX-Fold: one\r\n two\r\n\r\n";
  p.Feed(r.data(), r.size(), [](const char*, size_t) { return true; });
  ASSERT_TRUE(p.HeadersDone());
  ASSERT_EQ(2u, p.Headers().size());
  EXPECT_EQ("Location", p.Headers()[0].first);
  EXPECT_EQ("/a", p.Headers()[0].second);
  EXPECT_EQ("one two", p.Headers()[1].second);
  EXPECT_EQ("Moved", p.Reason());
}

}  // namespace
