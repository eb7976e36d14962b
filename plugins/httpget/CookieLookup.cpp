#include "CookieLookup.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <ctime>
#include <vector>

#include "TextUtil.h"

namespace {

// A string value of a registry key, at most kRegValueMax bytes; "" on failure.
std::string ReadRegString(HKEY root, const std::string& subkey, const char* value) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
  char buf[CCookieLookup::kRegValueMax + 1] = {};
  DWORD size = CCookieLookup::kRegValueMax;
  DWORD type = 0;
  LONG r = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return "";
  buf[size < sizeof buf ? size : sizeof buf - 1] = '\0';
  return buf;
}

const char kNavigatorKey[] = "Software\\Netscape\\Netscape Navigator";

}  // namespace

CCookieLookup::CCookieLookup(const std::string& site, const std::string& path)
    : site_(site), path_(path.empty() || path[0] != '/' ? "/" + path : path) {
  size_t start = site.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  size_t end = site.find_first_of(":/", start);
  host_ = ToLower(site.substr(start, end == std::string::npos ? std::string::npos : end - start));
  size_t at = host_.rfind('@');
  if (at != std::string::npos) host_.erase(0, at + 1);
}

int CCookieLookup::GetDefaultBrowser() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".htm", 0, KEY_READ, &key) != ERROR_SUCCESS) return kNone;
  char buf[kRegValueMax + 1] = {};
  DWORD size = kRegValueMax;
  DWORD type = 0;
  LONG r = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS) return kNone;
  buf[size < sizeof buf ? size : sizeof buf - 1] = '\0';
  return ToLower(buf).find("netscape") != std::string::npos ? kNetscape : kExplorer;
}

int CCookieLookup::GetCookie(std::string& cookies, int kind, int* usedKind,
                             int* defaultBrowser) {
  int browser = GetDefaultBrowser();
  if (defaultBrowser) *defaultBrowser = browser;
  if (kind == kExplorer) return FromExplorer(cookies) ? 1 : 0;
  if (kind == kNetscape) return FromNetscape(cookies) ? 1 : 0;
  if (kind != 0) return 0;

  int used = kNone;
  bool netscapeFirst = browser == kNetscape;
  for (int round = 0; round < 2 && used == kNone; ++round) {
    bool netscape = (round == 0) == netscapeFirst;
    bool ok = netscape ? FromNetscape(cookies) : FromExplorer(cookies);
    if (ok && !cookies.empty()) used = netscape ? kNetscape : kExplorer;
  }
  if (usedKind) *usedKind = used;
  return 1;
}

bool CCookieLookup::FromExplorer(std::string& out) const {
  std::vector<char> buf(kCookieMax + 1, '\0');
  DWORD size = static_cast<DWORD>(kCookieMax);
  std::string url = site_ + path_;
  if (!InternetGetCookieA(url.c_str(), nullptr, buf.data(), &size)) return false;
  if (size > kCookieMax) size = static_cast<DWORD>(kCookieMax);
  out.assign(buf.data(), strnlen(buf.data(), size));
  return true;
}

std::string CCookieLookup::FindNetscapeCookieFile() {
  std::string version = ReadRegString(HKEY_LOCAL_MACHINE, kNavigatorKey, "CurrentVersion");
  if (!version.empty()) {
    std::string dir = ToLower(ReadRegString(
        HKEY_LOCAL_MACHINE, std::string(kNavigatorKey) + "\\" + version + "\\Main",
        "Install Directory"));
    size_t pos = dir.size() > 1 ? dir.rfind("netscape") : std::string::npos;
    if (pos != std::string::npos && pos >= 1) {
      std::string user = ReadRegString(HKEY_CURRENT_USER,
                                       std::string(kNavigatorKey) + "\\biff", "CurrentUser");
      return dir.substr(0, pos + 8) + "\\Users\\" + user + "\\Cookies.txt";
    }
  }
  return ReadRegString(HKEY_CURRENT_USER, std::string(kNavigatorKey) + "\\Cookies",
                       "Cookie File");
}

bool CCookieLookup::FromNetscape(std::string& out) const {
  out.clear();
  std::string path = FindNetscapeCookieFile();
  if (path.empty()) return false;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  std::vector<char> buf(kCookieMax);
  DWORD got = 0;
  BOOL ok = ReadFile(f, buf.data(), static_cast<DWORD>(kCookieMax), &got, nullptr);
  CloseHandle(f);
  if (!ok) return false;
  return TakeNetscapeCookies(std::string(buf.data(), got), out);
}

bool CCookieLookup::Matches(const std::string& domainField, bool allHosts,
                            const std::string& cookiePath, bool secure,
                            const std::string& expires) const {
  std::string domain = ToLower(domainField);
  bool leadingDot = !domain.empty() && domain[0] == '.';
  if (leadingDot) domain.erase(0, 1);
  if (domain.empty() || host_.empty()) return false;
  if (host_ != domain) {
    bool sub = host_.size() > domain.size() &&
               host_.compare(host_.size() - domain.size(), domain.size(), domain) == 0 &&
               host_[host_.size() - domain.size() - 1] == '.';
    if (!sub || !(allHosts || leadingDot)) return false;
  }
  std::string p = cookiePath.empty() ? "/" : cookiePath;
  if (path_.compare(0, p.size(), p) != 0) return false;
  if (path_.size() > p.size() && p.back() != '/' && path_[p.size()] != '/') return false;
  if (secure && ToLower(site_).compare(0, 8, "https://") != 0) return false;
  char* end = nullptr;
  long long when = std::strtoll(expires.c_str(), &end, 10);
  if (expires.empty() || *end != '\0' || when < 0) return false;
  return when == 0 || when > static_cast<long long>(std::time(nullptr));
}

bool CCookieLookup::TakeNetscapeCookies(const std::string& text, std::string& out) const {
  size_t pos = 0;
  for (;;) {
    size_t lf = text.find('\n', pos);
    if (lf == std::string::npos) return true;  // text after the last LF is not a line
    std::string line = text.substr(pos, lf + 1 - pos);
    pos = lf + 1;
    if (line[0] == '\r' || line[0] == '\n' || line[0] == '#') continue;
    if (line.find('\t') == std::string::npos) return false;
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
      size_t tab = line.find('\t', start);
      fields.push_back(Trim(line.substr(start, tab == std::string::npos ? std::string::npos
                                                                        : tab - start)));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    // domain, all-hosts flag, path, secure flag, expiry, name, value
    if (fields.size() < 7) continue;
    const std::string& name = fields[fields.size() - 2];
    const std::string& value = fields.back();
    if (!Matches(fields[0], ToLower(fields[1]) == "true", fields[2], ToLower(fields[3]) == "true",
                 fields[4]))
      continue;
    if (!out.empty()) out += "; ";
    out += name + "=" + value;
  }
}
