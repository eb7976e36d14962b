#include "ControlUrl.h"

#include <cctype>

bool SplitControlUrl(const std::string& url, const std::string& scheme, uint16_t defaultPort,
                     ControlUrl& out, std::string& error) {
  out = ControlUrl();
  out.port = defaultPort;
  for (unsigned char c : url) {
    if (c < 0x20 || c == 0x7f) {
      error = "Bad URL: control character";
      return false;
    }
  }
  size_t b = 0, e = url.size();
  while (b < e && url[b] == ' ') ++b;
  while (e > b && url[e - 1] == ' ') --e;
  std::string u = url.substr(b, e - b);
  const std::string prefix = scheme + "://";
  std::string head = u.substr(0, prefix.size());
  for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (head != prefix) {
    error = "Bad URL: not an " + scheme + " address";
    return false;
  }
  size_t authEnd = u.find_first_of("/?#", prefix.size());
  if (authEnd == std::string::npos) authEnd = u.size();
  std::string auth = u.substr(prefix.size(), authEnd - prefix.size());
  size_t at = auth.rfind('@');
  if (at != std::string::npos) {
    out.login = auth.substr(0, at);
    auth.erase(0, at + 1);
  }
  std::string portText;
  size_t colon = auth.find(':');
  if (colon != std::string::npos) {
    portText = auth.substr(colon + 1);
    auth.erase(colon);
  }
  if (auth.empty() || auth.find_first_of(" []") != std::string::npos) {
    error = "Bad URL: bad host";
    return false;
  }
  out.host = auth;
  if (!portText.empty()) {
    long port = 0;
    for (char c : portText) {
      if (c < '0' || c > '9' || port > 65535) {
        error = "Bad URL: bad port";
        return false;
      }
      port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) {
      error = "Bad URL: bad port";
      return false;
    }
    out.port = static_cast<uint16_t>(port);
  }
  out.rest = u.substr(authEnd);
  return true;
}
