// The front of a control's address: scheme, login, host and port.
#pragma once

#include <cstdint>
#include <string>

struct ControlUrl {
  std::string login;  // as written before the last "@" of the host part, or empty
  std::string host;
  uint16_t port = 0;  // the scheme's own port when the address names none
  std::string rest;   // from the first "/", "?" or "#" after the host on
};

// Splits "scheme://[login@]host[:port]rest", blanks around it dropped.
// False (with the reason in error) for a control character, another
// scheme, an empty host or one with a blank or bracket, and a port that is
// not a number from 1 to 65535.
bool SplitControlUrl(const std::string& url, const std::string& scheme, uint16_t defaultPort,
                     ControlUrl& out, std::string& error);
