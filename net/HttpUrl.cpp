#include "HttpUrl.h"

#include <vector>

namespace http {

UrlParts ParseUrl(const std::string& url) {
  UrlParts u;
  std::string rest;
  size_t sep = url.find("://");
  if (sep != std::string::npos) {
    u.scheme = url.substr(0, sep);
    rest = url.substr(sep + 3);
  } else if (!url.empty() && url[0] == '/' && (url.size() < 2 || url[1] != '/')) {
    u.scheme = "http";
    u.path = url;
    return u;
  } else if (SameText(url.substr(0, 5), "http:")) {
    u.scheme = "http";
    if (url.size() > 5 && url[5] == '/') {
      rest = url.substr(5);
      while (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    } else {
      if (url.size() > 6) u.path = url.substr(5);
      return u;
    }
  } else if (SameText(url.substr(0, 7), "mailto:")) {
    u.scheme = "mailto";
    rest = url.substr(7);
  } else {
    rest = url;
  }
  size_t slash = rest.find('/');
  std::string authority = rest.substr(0, slash);
  if (slash != std::string::npos) u.path = rest.substr(slash);
  // A query or fragment right after the authority starts the path.
  size_t q = authority.find_first_of("?#");
  if (q != std::string::npos) {
    u.path = "/" + authority.substr(q) + u.path;
    authority.erase(q);
  }
  size_t at = authority.rfind('@');
  size_t colon = authority.rfind(':');
  std::string hostPort = authority;
  if (at != std::string::npos) {
    std::string cred = authority.substr(0, at);
    hostPort = authority.substr(at + 1);
    size_t c = cred.find(':');
    if (c != std::string::npos) {
      u.user = cred.substr(0, c);
      u.password = cred.substr(c + 1);
    } else {
      u.user = cred;
    }
  }
  colon = hostPort.rfind(':');
  if (colon != std::string::npos) {
    u.host = hostPort.substr(0, colon);
    u.port = hostPort.substr(colon + 1);
  } else {
    u.host = hostPort;
  }
  return u;
}

namespace {

// Drops "." and ".." segments of an absolute path.
std::string RemoveDotSegments(const std::string& path) {
  size_t q = path.find('?');
  std::string p = path.substr(0, q), query = q == std::string::npos ? "" : path.substr(q);
  std::vector<std::string> out;
  size_t start = 1;
  bool trailing = false;
  while (start <= p.size()) {
    size_t end = p.find('/', start);
    if (end == std::string::npos) end = p.size();
    std::string seg = p.substr(start, end - start);
    trailing = false;
    if (seg == "..") {
      if (!out.empty()) out.pop_back();
      trailing = true;
    } else if (seg == ".") {
      trailing = true;
    } else if (end < p.size() || !seg.empty()) {
      out.push_back(seg);
    }
    start = end + 1;
  }
  std::string r;
  for (const std::string& s : out) r += "/" + s;
  if (r.empty() || trailing || (p.size() > 1 && p.back() == '/')) r += "/";
  return r + query;
}

std::string StripFragment(const std::string& s) { return s.substr(0, s.find('#')); }

}  // namespace

bool ResolveLocation(const std::string& raw, std::string& host, std::string& port,
                     std::string& path) {
  std::string value = StripFragment(raw);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
  if (value.empty()) return false;
  if (value.compare(0, 2, "//") == 0) value = "http:" + value;
  if (value[0] == '/') {
    path = RemoveDotSegments(value);
    return true;
  }
  if (value.find("://") != std::string::npos) {
    UrlParts u = ParseUrl(value);
    if (!SameText(u.scheme, "http")) return false;
    if (!u.host.empty()) {
      host = u.host;
      // An absolute address without a port means the default one.
      port = u.port.empty() ? "80" : u.port;
    }
    path = u.path.empty() ? "/" : RemoveDotSegments(u.path);
    return true;
  }
  size_t colon = value.find(':');
  if (colon != std::string::npos && value.find_first_of("/?") > colon) return false;  // mailto: etc.
  // Relative to the folder of the current path.
  std::string base = path.substr(0, path.find('?'));
  if (value[0] == '?') return path = base + value, true;
  size_t slash = base.rfind('/');
  base = slash == std::string::npos ? "/" : base.substr(0, slash + 1);
  path = RemoveDotSegments(base + value);
  return true;
}

std::string Base64(const std::string& data) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < data.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                 (static_cast<unsigned char>(data[i + 1]) << 8) |
                 static_cast<unsigned char>(data[i + 2]);
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < data.size()) {
    unsigned v = static_cast<unsigned char>(data[i]) << 16;
    if (i + 1 < data.size()) v |= static_cast<unsigned char>(data[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < data.size() ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string HttpDate(TDateTime localTime) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  SYSTEMTIME local = DateTimeToSystemTime(localTime);
  SYSTEMTIME utc;
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) utc = local;
  // The day of the week from the date itself.
  int y = utc.wYear, m = utc.wMonth, d = utc.wDay;
  static const int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) --y;
  int dow = (y + y / 4 - y / 100 + y / 400 + kOffsets[(m - 1) % 12] + d) % 7;
  return Format("%s, %2.2d %s %4.4d %2.2d:%2.2d:%2.2d GMT", kDays[dow], utc.wDay,
                kMonths[(utc.wMonth + 11) % 12], utc.wYear, utc.wHour, utc.wMinute, utc.wSecond);
}

std::string DocNameOf(const std::string& path) {
  // The query goes first: it may hold a "/" of its own.
  std::string p = path.substr(0, path.find('?'));
  if (p.empty() || p == "/") return "document.htm";
  if (p.back() == '/') p.pop_back();
  size_t slash = p.rfind('/');
  std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
  if (name.size() > 255) name.resize(255);
  return name;
}

int64_t ParseLength(const std::string& value) {
  size_t i = 0, n = value.size();
  while (i < n && (value[i] == ' ' || value[i] == '\t')) ++i;
  while (n > i && (value[n - 1] == ' ' || value[n - 1] == '\t')) --n;
  if (i == n || n - i > 18) return -1;
  int64_t v = 0;
  for (; i < n; ++i) {
    if (value[i] < '0' || value[i] > '9') return -1;
    v = v * 10 + (value[i] - '0');
  }
  return v;
}

void ParseStatusLine(const std::string& line, int& code, std::string& reason) {
  // "HTTP/1.x", blanks, three digits, then a blank or the end; anything
  // else gives code 0.
  code = 0;
  size_t i = 8;
  while (i < line.size() && line[i] == ' ') ++i;
  size_t start = i;
  int value = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
    if (i - start < 3) value = value * 10 + (line[i] - '0');
    ++i;
  }
  if (i - start == 3 && (i == line.size() || line[i] == ' ')) code = value;
  while (i < line.size() && line[i] == ' ') ++i;
  reason = i < line.size() ? line.substr(i) : std::string();
}

}  // namespace http
