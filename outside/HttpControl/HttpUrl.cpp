#include "HttpUrl.h"

#include "ControlUrl.h"

bool ParseHttpUrl(const std::string& url, HttpUrl& out, std::string& error) {
  out = HttpUrl();
  ControlUrl parts;
  if (!SplitControlUrl(url, "http", out.port, parts, error)) return false;
  out.host = parts.host;
  out.port = parts.port;
  std::string rest = parts.rest;
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
