// Splits a link into its parts, all in lower case.
#pragma once

#include <string>

// "[url:]scheme://[user[:password]@]host[:port]/path": the path without its
// leading "/", the port "80" when none is given. 1 when a scheme, a "/"
// after the host part and a non-empty host were found, else 0.
int SplitUrl(const char* link, std::string& scheme, std::string& user, std::string& password,
             std::string& host, std::string& port, std::string& path);

struct CUrlParts {
  std::string scheme, user, password, host, port, path;
};

inline int SplitUrl(const char* link, CUrlParts& parts) {
  return SplitUrl(link, parts.scheme, parts.user, parts.password, parts.host, parts.port,
                  parts.path);
}
