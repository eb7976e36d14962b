// Splitting URLs and following Location values.
#include <gtest/gtest.h>

#include "HttpUrl.h"

TEST(HttpUrl, Splits) {
  struct Case {
    const char* url;
    const char *scheme, *user, *password, *host, *port, *path;
  };
  const Case cases[] = {
      {"http://u:p@host:81/a/b?q", "http", "u", "p", "host", "81", "/a/b?q"},
      {"http://host", "http", "", "", "host", "", ""},
      {"host/a?q=1", "", "", "", "host", "", "/a?q=1"},
      {"/path/only", "http", "", "", "", "", "/path/only"},
      {"http:file.htm", "http", "", "", "", "", "file.htm"},
      {"mailto:me@host", "mailto", "me", "", "host", "", ""},
      {"http://user@host:8080", "http", "user", "", "host", "8080", ""},
      {"http://host?x=1", "http", "", "", "host", "", "/?x=1"},
  };
  for (const Case& c : cases) {
    http::UrlParts u = http::ParseUrl(c.url);
    EXPECT_EQ(u.scheme, c.scheme) << c.url;
    EXPECT_EQ(u.user, c.user) << c.url;
    EXPECT_EQ(u.password, c.password) << c.url;
    EXPECT_EQ(u.host, c.host) << c.url;
    EXPECT_EQ(u.port, c.port) << c.url;
    EXPECT_EQ(u.path, c.path) << c.url;
  }
}

TEST(HttpUrl, Locations) {
  struct Case {
    const char* value;
    bool followed;
    const char *host, *port, *path;
  };
  // From host "h", port "8080", path "/a/b/c?x".
  const Case cases[] = {
      {"/z", true, "h", "8080", "/z"},
      {"d", true, "h", "8080", "/a/b/d"},
      {"../d/", true, "h", "8080", "/a/d/"},
      {"../../../../d", true, "h", "8080", "/d"},
      {"./", true, "h", "8080", "/a/b/"},
      {"?y", true, "h", "8080", "/a/b/c?y"},
      {"http://o:9/p#frag", true, "o", "9", "/p"},
      {"HTTP://o/p/./q", true, "o", "80", "/p/q"},
      {"//o:7/p", true, "o", "7", "/p"},
      {"http://o", true, "o", "80", "/"},
      {"https://o/p", false, "h", "8080", "/a/b/c?x"},
      {"ftp://o/p", false, "h", "8080", "/a/b/c?x"},
      {"mailto:x@y", false, "h", "8080", "/a/b/c?x"},
      {"", false, "h", "8080", "/a/b/c?x"},
  };
  for (const Case& c : cases) {
    std::string host = "h", port = "8080", path = "/a/b/c?x";
    EXPECT_EQ(http::ResolveLocation(c.value, host, port, path), c.followed) << c.value;
    EXPECT_EQ(host, c.host) << c.value;
    EXPECT_EQ(port, c.port) << c.value;
    EXPECT_EQ(path, c.path) << c.value;
  }
}

TEST(HttpUrl, Base64AndDocNames) {
  EXPECT_EQ(http::Base64(""), "");
  EXPECT_EQ(http::Base64("a"), "YQ==");
  EXPECT_EQ(http::Base64("ab"), "YWI=");
  EXPECT_EQ(http::Base64("abc"), "YWJj");
  EXPECT_EQ(http::Base64("\xff\xfe\xfd\xfc"), "//79/A==");
  EXPECT_EQ(http::DocNameOf("/"), "document.htm");
  EXPECT_EQ(http::DocNameOf("/dir/"), "dir");
  EXPECT_EQ(http::DocNameOf("/a/b.gif?x=/y"), "b.gif");
  EXPECT_EQ(http::DocNameOf("/a/b.gif?x=1"), "b.gif");
  EXPECT_EQ(http::DocNameOf("/" + std::string(300, 'n')).size(), 255u);
}
