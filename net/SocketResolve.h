// Turning host, port and protocol texts into what the sockets library
// takes, and reading the host entry of an asynchronous lookup.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace net {

std::string Trim(const std::string& s);
// Four groups of one to three decimal digits joined by three dots.
bool IsDottedAddress(const std::string& trimmed);
// ...and every group at most 255.
bool ValidDottedAddress(const std::string& trimmed);

// Each returns the value in network order or raises ESocketException.
uint32_t ResolveHost(const std::string& host);
// Port numbers are 1 to 65535 (0 too when allowZero); a name is looked up
// as a service of the protocol `protoName`.
uint16_t ResolvePort(const std::string& port, const char* protoName, bool allowZero);
int ResolveProto(const std::string& proto);

struct HostEntry {
  std::string name;
  std::vector<std::string> aliases;
  std::vector<std::string> addresses;  // dotted
};
// Reads the host entry that the sockets library wrote into buffer; every
// pointer is checked to lie inside it.
HostEntry ReadHostEntry(const char* buffer, size_t size);

}  // namespace net
