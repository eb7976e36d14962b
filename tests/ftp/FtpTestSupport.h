// Helpers for tests that talk to the local FTP server (tests/ftp/server.py),
// which serves the test's working folder.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

#include "../http/HttpTestSupport.h"

inline int FtpServerPort() {
  const char* p = std::getenv("BRINDALE_FTP_PORT");
  return p ? std::atoi(p) : 0;
}

inline std::string FtpUrlOf(const std::string& path, const std::string& login = "") {
  return "ftp://" + (login.empty() ? "" : login + "@") + "127.0.0.1:" +
         std::to_string(FtpServerPort()) + path;
}

// n bytes that differ from one position to the next (not a short period).
inline std::string FtpFixture(size_t n) {
  std::string s(n, '\0');
  uint32_t x = 12345;
  for (size_t i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>(x >> 24);
  }
  return s;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}
