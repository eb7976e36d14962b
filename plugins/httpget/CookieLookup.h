// Looks up the cookies that the user's web browser holds for a site:
// Internet Explorer through WinINet, Netscape Navigator through its cookie
// file found in the registry. Only cookies of the site's own domain (on a
// dot boundary), of a path that covers the request and not expired go out.
#pragma once

#include <string>

class CCookieLookup {
 public:
  enum Browser { kNone = 0, kExplorer = 1, kNetscape = 2 };
  static constexpr size_t kCookieMax = 10000;
  static constexpr unsigned kRegValueMax = 1024;

  // site: scheme "://" host[:port]; path: the request's path.
  explicit CCookieLookup(const std::string& site, const std::string& path = "/");

  // kind 0 tries both browsers (the default one first) and returns 1;
  // kind 1 or 2 asks that browser alone and returns its success; any
  // other kind returns 0. usedKind gets the browser that gave a
  // non-empty text (kind 0 only), defaultBrowser the default browser.
  int GetCookie(std::string& cookies, int kind, int* usedKind, int* defaultBrowser);
  static int GetDefaultBrowser();

  // The Netscape cookie file named in the registry, or "" when none is.
  static std::string FindNetscapeCookieFile();
  // Collects the pairs of a Netscape cookie file text that belong to the
  // site; false when a line without a TAB ends the scan early.
  bool TakeNetscapeCookies(const std::string& text, std::string& out) const;

 private:
  bool FromExplorer(std::string& out) const;
  bool FromNetscape(std::string& out) const;
  bool Matches(const std::string& domain, bool allHosts, const std::string& path,
               bool secure, const std::string& expires) const;

  std::string site_;
  std::string host_;  // lower case, without the port
  std::string path_;
};
