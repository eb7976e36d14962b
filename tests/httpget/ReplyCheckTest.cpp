// Where a redirection leads, seen from the link that got it.
#include <gtest/gtest.h>

#include <string>

#include "HttpReplyCheck.h"

TEST(ReplyCheck, ResolvesEveryFormOfLocation) {
  const std::string link = "URL:http://h.example:81/a/b/c.mp3?q=1";
  struct Case { const char* location; const char* target; } cases[] = {
      {"http://other.example/x", "http://other.example/x"},
      {"HTTP://Other.example/x", "HTTP://Other.example/x"},
      {"//other.example/x", "http://other.example/x"},
      {"/x/y", "http://h.example:81/x/y"},
      {"/x/../y", "http://h.example:81/y"},
      {"d.mp3", "http://h.example:81/a/b/d.mp3"},
      {"../d.mp3?z=2", "http://h.example:81/a/d.mp3?z=2"},
      {"../../../../d.mp3", "http://h.example:81/d.mp3"},
      {"./", "http://h.example:81/a/b/"},
      {"?z=2", "http://h.example:81/a/b/c.mp3?z=2"},
      {"  /spaced  ", "http://h.example:81/spaced"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.location);
    std::string target, error;
    ASSERT_TRUE(ResolveLocation(link, c.location, target, error)) << error;
    EXPECT_EQ(c.target, target);
  }
  for (const char* bad : {"ftp://h.example/x", "https://h.example/x", "mailto:a@b", ""}) {
    SCOPED_TRACE(bad);
    std::string target, error;
    EXPECT_FALSE(ResolveLocation(link, bad, target, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(ReplyCheck, CodesAndTheirTexts) {
  struct Case { long code; ReplyKind kind; const char* text; } cases[] = {
      {200, ReplyKind::kFine, ""},
      {206, ReplyKind::kFine, ""},
      {301, ReplyKind::kRedirect, ""},
      {302, ReplyKind::kRedirect, ""},
      {304, ReplyKind::kError, "Http error [304]: Not modified"},
      {401, ReplyKind::kError, "Http error [401]: Unauthorized request"},
      {400, ReplyKind::kError, "Http error [400]: Bad request"},
      {501, ReplyKind::kError, "Http error [501]: Request Not implemented by server"},
      {502, ReplyKind::kError, "Http error [502]: Bad gateway"},
      {499, ReplyKind::kError, "Http Get error [499]: Client error"},
      {599, ReplyKind::kError, "Http Get error [599]: Server error"},
      {307, ReplyKind::kError, "Http Get error [307]: Unexpected reply"},
      {600, ReplyKind::kError, "Http Get error [600]: Unexpected reply"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    std::string text;
    EXPECT_EQ(c.kind, CheckReplyCode(c.code, text));
    EXPECT_EQ(c.text, text);
  }
}
