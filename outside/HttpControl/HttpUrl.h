// The parts of an http:// address that the control needs to send a request.
#pragma once

#include <cstdint>
#include <string>

struct HttpUrl {
  std::string host;
  uint16_t port = 80;
  std::string target;    // path and query, always starting with "/"
  std::string absolute;  // "http://host[:port]/target", for a proxy
};

// False (with the reason in error) for anything but a well-formed http
// address with a host and a port from 1 to 65535.
bool ParseHttpUrl(const std::string& url, HttpUrl& out, std::string& error);
