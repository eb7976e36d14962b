#include "SocketResolve.h"

#include <cstring>

#include "WSocketApi.h"

namespace net {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

namespace {

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// The four groups, or false when the text has not that shape.
bool SplitDotted(const std::string& s, int parts[4]) {
  int group = 0, digits = 0, value = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || s[i] == '.') {
      if (digits == 0 || group > 3) return false;
      parts[group++] = value;
      digits = value = 0;
      continue;
    }
    if (s[i] < '0' || s[i] > '9' || ++digits > 3) return false;
    value = value * 10 + (s[i] - '0');
  }
  return group == 4;
}

}  // namespace

bool IsDottedAddress(const std::string& trimmed) {
  int parts[4];
  return SplitDotted(trimmed, parts);
}

bool ValidDottedAddress(const std::string& trimmed) {
  int parts[4];
  if (!SplitDotted(trimmed, parts)) return false;
  for (int p : parts)
    if (p > 255) return false;
  return true;
}

uint32_t ResolveHost(const std::string& host) {
  if (host.empty() || host.size() > 256)
    throw ESocketException("AsyncSocketResolveHost: '" + host + "' Invalid Hostname.");
  std::string t = Trim(host);
  if (IsDottedAddress(t)) {
    if (!ValidDottedAddress(t))
      throw ESocketException("AsyncSocketResolveHost: '" + host + "' Invalid IP address.");
    unsigned long a = ws::inet_addr(t.c_str());
    if (a == INADDR_NONE && t != "255.255.255.255")
      throw ESocketException("AsyncSocketResolveHost: '" + host + "' Invalid IP address.");
    return static_cast<uint32_t>(a);
  }
  hostent* h = t.empty() ? nullptr : ws::gethostbyname(t.c_str());
  if (!h || h->h_length != 4 || !h->h_addr_list || !h->h_addr_list[0])
    throw ESocketException(
        Format("AsyncSocketResolveHost: Cannot convert host address '%s'", host.c_str()));
  uint32_t a;
  std::memcpy(&a, h->h_addr_list[0], 4);
  return a;
}

uint16_t ResolvePort(const std::string& port, const char* protoName, bool allowZero) {
  if (port.empty() || port.size() >= 32)
    throw ESocketException("AsyncSocketResolvePort: Invalid Port.");
  if (port[0] >= '0' && port[0] <= '9') {
    if (!AllDigits(port) || port.size() > 5 || std::stol(port) > 65535 ||
        (!allowZero && std::stol(port) == 0))
      throw ESocketException(
          Format("AsyncSocketResolvePort: Cannot convert port '%s'", port.c_str()));
    return ws::htons(static_cast<u_short>(std::stol(port)));
  }
  servent* s = ws::getservbyname(port.c_str(), protoName);
  if (!s)
    throw ESocketException(Format("AsyncSocketResolvePort: Cannot convert port '%s'", port.c_str()));
  return static_cast<uint16_t>(s->s_port);
}

int ResolveProto(const std::string& proto) {
  if (proto.empty() || proto.size() >= 32)
    throw ESocketException("AsyncSocketResolveProto: Invalid Protocol.");
  if (proto[0] >= '0' && proto[0] <= '9') {
    if (!AllDigits(proto) || proto.size() > 3 || std::stoi(proto) > 255)
      throw ESocketException(
          Format("AsyncSocketResolveProto: Cannot convert protocol '%s'", proto.c_str()));
    return std::stoi(proto);
  }
  protoent* p = ws::getprotobyname(proto.c_str());
  if (!p)
    throw ESocketException(
        Format("AsyncSocketResolveProto: Cannot convert protocol '%s'", proto.c_str()));
  return p->p_proto;
}

HostEntry ReadHostEntry(const char* buffer, size_t size) {
  HostEntry out;
  if (!buffer || size < sizeof(hostent)) return out;
  const char* end = buffer + size;
  auto inside = [&](const void* p, size_t n) {
    const char* c = static_cast<const char*>(p);
    return c >= buffer && c <= end && n <= static_cast<size_t>(end - c);
  };
  auto text = [&](const char* p, std::string& s) {
    if (!inside(p, 1)) return false;
    const void* nul = std::memchr(p, 0, static_cast<size_t>(end - p));
    if (!nul) return false;
    s.assign(p, static_cast<const char*>(nul));
    return true;
  };
  hostent h;
  std::memcpy(&h, buffer, sizeof h);
  if (h.h_name) text(h.h_name, out.name);
  for (char** a = h.h_aliases; a && inside(a, sizeof(char*)) && *a; ++a) {
    std::string s;
    if (!text(*a, s)) break;
    out.aliases.push_back(s);
  }
  if (h.h_length == 4) {
    for (char** a = h.h_addr_list; a && inside(a, sizeof(char*)) && *a; ++a) {
      if (!inside(*a, 4)) break;
      const unsigned char* b = reinterpret_cast<const unsigned char*>(*a);
      out.addresses.push_back(Format("%d.%d.%d.%d", b[0], b[1], b[2], b[3]));
    }
  }
  return out;
}

}  // namespace net
