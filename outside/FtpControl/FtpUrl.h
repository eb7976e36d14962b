// The parts of an ftp:// address that the control needs to fetch a file.
#pragma once

#include <cstdint>
#include <string>

struct FtpUrl {
  std::string host;
  uint16_t port = 21;
  std::string user;      // empty: anonymous login
  std::string password;
  std::string path;      // decoded, always starting with "/"
};

// False (with the reason in error) for anything but a well-formed ftp
// address with a host, a port from 1 to 65535 and a file path that holds
// no line break once decoded.
bool ParseFtpUrl(const std::string& url, FtpUrl& out, std::string& error);
