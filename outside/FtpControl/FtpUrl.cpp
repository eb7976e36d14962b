#include "FtpUrl.h"

#include <cctype>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX escapes decoded; false on a broken escape or a decoded control
// character (a line break would end the command it goes into).
bool Decode(const std::string& in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c == '%') {
      if (i + 2 >= in.size()) return false;
      int hi = HexValue(in[i + 1]), lo = HexValue(in[i + 2]);
      if (hi < 0 || lo < 0) return false;
      c = static_cast<char>(hi * 16 + lo);
      i += 2;
    }
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) return false;
    out += c;
  }
  return true;
}

}  // namespace

bool ParseFtpUrl(const std::string& url, FtpUrl& out, std::string& error) {
  out = FtpUrl();
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
  std::string scheme = u.substr(0, 6);
  for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (scheme != "ftp://") {
    error = "Bad URL: not an ftp address";
    return false;
  }
  size_t authEnd = u.find_first_of("/?#", 6);
  if (authEnd == std::string::npos) authEnd = u.size();
  std::string auth = u.substr(6, authEnd - 6);
  size_t at = auth.rfind('@');
  if (at != std::string::npos) {
    std::string login = auth.substr(0, at);
    auth.erase(0, at + 1);
    size_t colon = login.find(':');
    std::string user = login.substr(0, colon);
    std::string password = colon == std::string::npos ? std::string() : login.substr(colon + 1);
    if (!Decode(user, out.user) || !Decode(password, out.password)) {
      error = "Bad URL: bad user or password";
      return false;
    }
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
  std::string rest = u.substr(authEnd);
  size_t cut = rest.find_first_of("?#");
  if (cut != std::string::npos) rest.erase(cut);
  size_t type = rest.find(";type=");  // a transfer type suffix: always binary here
  if (type != std::string::npos) rest.erase(type);
  if (!Decode(rest, out.path)) {
    error = "Bad URL: bad path";
    return false;
  }
  if (out.path.empty() || out.path == "/" || out.path.back() == '/') {
    error = "Bad URL: no file name";
    return false;
  }
  return true;
}
