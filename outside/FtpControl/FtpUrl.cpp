#include "FtpUrl.h"

#include "ControlUrl.h"

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
  ControlUrl parts;
  if (!SplitControlUrl(url, "ftp", out.port, parts, error)) return false;
  size_t colon = parts.login.find(':');
  std::string user = parts.login.substr(0, colon);
  std::string password =
      colon == std::string::npos ? std::string() : parts.login.substr(colon + 1);
  if (!Decode(user, out.user) || !Decode(password, out.password)) {
    error = "Bad URL: bad user or password";
    return false;
  }
  out.host = parts.host;
  out.port = parts.port;
  std::string rest = parts.rest;
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
