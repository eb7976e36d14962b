// Pieces of the HTTP client that work on text alone: URL splitting,
// Location resolution, Basic credentials and header values.
#pragma once

#include <cstdint>
#include <string>

#include "SysUtils.h"

namespace http {

struct UrlParts {
  std::string scheme, user, password, host, port, path;
};

// Splits a URL; missing parts stay empty.
UrlParts ParseUrl(const std::string& url);

// The request target, host and port after a Location value, relative to
// the current host, port and path. False when the value cannot be
// followed (another scheme than http, or empty).
bool ResolveLocation(const std::string& value, std::string& host, std::string& port,
                     std::string& path);

// "user:password" in standard Base64 with "=" padding.
std::string Base64(const std::string& data);

// A local date-time as an HTTP date in GMT: "Sun, 06 Nov 1994 08:49:37 GMT".
std::string HttpDate(TDateTime localTime);

// The name of the document a path asks for.
std::string DocNameOf(const std::string& path);

// A non-negative decimal length, or -1.
int64_t ParseLength(const std::string& value);

// The status code and reason of a status line that starts with "HTTP/1.x";
// code 0 when the line carries none.
void ParseStatusLine(const std::string& line, int& code, std::string& reason);

}  // namespace http
