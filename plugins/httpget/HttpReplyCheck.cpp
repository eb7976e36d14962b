#include "HttpReplyCheck.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "TextUtil.h"

namespace {

std::string Format(const char* format, long code) {
  char buf[128];
  snprintf(buf, sizeof buf, format, code);
  return buf;
}

// The path with its "." and ".." segments resolved (the query kept as is).
std::string RemoveDotSegments(const std::string& pathAndQuery) {
  size_t q = pathAndQuery.find('?');
  std::string path = pathAndQuery.substr(0, q);
  std::string query = q == std::string::npos ? "" : pathAndQuery.substr(q);
  std::vector<std::string> out;
  size_t start = 1;  // the path starts with "/"
  bool trailing = false;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    std::string seg = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    trailing = seg == "." || seg == "..";
    if (seg == "..") {
      if (!out.empty()) out.pop_back();
    } else if (seg != ".") {
      out.push_back(seg);
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  std::string result;
  for (const std::string& seg : out) result += "/" + seg;
  if (trailing || result.empty()) result += "/";
  return result + query;
}

}  // namespace

ReplyKind CheckReplyCode(long code, std::string& errorText) {
  errorText.clear();
  if (code >= 200 && code <= 299) return ReplyKind::kFine;
  if (code == 301 || code == 302) return ReplyKind::kRedirect;
  switch (code) {
    case 304: errorText = "Http error [304]: Not modified"; break;
    case 400: errorText = "Http error [400]: Bad request"; break;
    case 401: errorText = "Http error [401]: Unauthorized request"; break;
    case 403: errorText = "Http error [403]: Forbidden request"; break;
    case 404: errorText = "Http error [404]: Link not found"; break;
    case 500: errorText = "Http error [500]: Internal web server error"; break;
    case 501: errorText = "Http error [501]: Request Not implemented by server"; break;
    case 502: errorText = "Http error [502]: Bad gateway"; break;
    default:
      if (code >= 401 && code <= 499) errorText = Format("Http Get error [%ld]: Client error", code);
      else if (code >= 501 && code <= 599) errorText = Format("Http Get error [%ld]: Server error", code);
      else errorText = Format("Http Get error [%ld]: Unexpected reply", code);
  }
  return ReplyKind::kError;
}

std::string PlainLink(const std::string& link) {
  size_t b = 0, e = link.size();
  while (b < e && link[b] == ' ') ++b;
  while (e > b && link[e - 1] == ' ') --e;
  std::string s = link.substr(b, e - b);
  if (ToLower(s.substr(0, 4)) == "url:") s.erase(0, 4);
  return s;
}

bool ResolveLocation(const std::string& link, const std::string& location,
                     std::string& target, std::string& error) {
  std::string loc = location;
  while (!loc.empty() && loc.front() == ' ') loc.erase(0, 1);
  while (!loc.empty() && loc.back() == ' ') loc.pop_back();
  if (loc.empty()) {
    error = "empty location";
    return false;
  }
  std::string base = PlainLink(link);
  size_t schemeEnd = base.find("://");
  size_t hostEnd = schemeEnd == std::string::npos ? std::string::npos
                                                  : base.find_first_of("/?#", schemeEnd + 3);
  std::string origin = hostEnd == std::string::npos ? base : base.substr(0, hostEnd);

  std::string lower = ToLower(loc);
  size_t colon = lower.find(':');
  size_t slash = lower.find('/');
  bool hasScheme = colon != std::string::npos && colon > 0 &&
                   (slash == std::string::npos || colon < slash) &&
                   std::isalpha(static_cast<unsigned char>(lower[0]));
  if (hasScheme) {
    if (lower.compare(0, 7, "http://") != 0) {
      error = "not an HTTP link";
      return false;
    }
    target = loc;
  } else if (loc.compare(0, 2, "//") == 0) {
    target = "http:" + loc;
  } else if (loc[0] == '/') {
    target = origin + RemoveDotSegments(loc);
  } else {
    // Relative to the folder of the link's path (query and fragment dropped).
    std::string path = hostEnd == std::string::npos ? "/" : base.substr(hostEnd);
    size_t cut = path.find_first_of("?#");
    if (cut != std::string::npos) path.erase(cut);
    if (path.empty() || path[0] != '/') path.insert(0, "/");
    path.erase(path.rfind('/') + 1);
    if (loc[0] == '?') {
      std::string full = hostEnd == std::string::npos ? "/" : base.substr(hostEnd);
      size_t q = full.find_first_of("?#");
      target = origin + (q == std::string::npos ? full : full.substr(0, q)) + loc;
    } else {
      target = origin + RemoveDotSegments(path + loc);
    }
  }
  return true;
}
