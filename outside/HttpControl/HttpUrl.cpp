#include "HttpUrl.h"

#include <cctype>

bool ParseHttpUrl(const std::string& url, HttpUrl& out, std::string& error) {
  out = HttpUrl();
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
  if (u.size() < 7) {
    error = "Bad URL: not an http address";
    return false;
  }
  std::string scheme = u.substr(0, 7);
  for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (scheme != "http://") {
    error = "Bad URL: not an http address";
    return false;
  }
  size_t authEnd = u.find_first_of("/?#", 7);
  if (authEnd == std::string::npos) authEnd = u.size();
  std::string auth = u.substr(7, authEnd - 7);
  size_t at = auth.rfind('@');
  if (at != std::string::npos) auth.erase(0, at + 1);
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
  std::string rest = u.substr(authEnd);
  size_t hash = rest.find('#');
  if (hash != std::string::npos) rest.erase(hash);
  if (rest.empty() || rest[0] != '/') rest.insert(0, "/");
  for (char c : rest) {
    if (c == ' ') out.target += "%20";
    else out.target += c;
  }
  out.absolute = "http://" + out.host +
                 (out.port != 80 ? ":" + std::to_string(out.port) : std::string()) +
                 out.target;
  return true;
}
