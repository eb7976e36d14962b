#include "SplitUrl.h"

#include "TextUtil.h"

int SplitUrl(const char* link, std::string& scheme, std::string& user, std::string& password,
             std::string& host, std::string& port, std::string& path) {
  scheme.clear();
  user.clear();
  password.clear();
  host.clear();
  port.clear();
  path.clear();
  std::string text = ToLower(link ? link : "");
  if (text.compare(0, 4, "url:") == 0) text.erase(0, 4);

  size_t marker = text.find("://");
  if (marker == std::string::npos) return 0;
  scheme = text.substr(0, marker);
  std::string rest = text.substr(marker + 3);

  size_t slash = rest.find('/');
  if (slash == std::string::npos) return 0;
  path = rest.substr(slash + 1);
  std::string hostPart = rest.substr(0, slash);

  size_t at = hostPart.find('@');
  if (at != std::string::npos) {
    std::string userInfo = hostPart.substr(0, at);
    size_t colon = userInfo.find(':');
    user = userInfo.substr(0, colon);
    if (colon != std::string::npos) password = userInfo.substr(colon + 1);
    hostPart.erase(0, at + 1);
  }

  size_t colon = hostPart.find(':');
  if (colon != std::string::npos) {
    host = hostPart.substr(0, colon);
    port = hostPart.substr(colon + 1);
  } else {
    host = hostPart;
    port = "80";
  }
  return host.empty() ? 0 : 1;
}
