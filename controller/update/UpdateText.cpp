#include "UpdateText.h"

#include <cstdlib>

namespace {

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '-' || c == '.' || c == '_' || c == '~';
}

// The leading number of a version part as an integer; 0 when it is not a
// number. Out-of-range values are clamped rather than overflowing.
long LeadingNumber(const std::string& text) {
  if (text.empty()) return 0;
  size_t i = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == 0 || i != text.size()) return 0;
  long value = 0;
  for (char c : text) {
    if (value > 100000000L) return 1000000000L;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The text before the first "."; the text loses it and the ".".
std::string TakePart(std::string& text) {
  size_t dot = text.find('.');
  std::string part = text.substr(0, dot);
  text = dot == std::string::npos ? std::string() : text.substr(dot + 1);
  return part;
}

}  // namespace

std::string EscapeQueryValue(const std::string& value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : value) {
    if (Unreserved(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string FillUpdateUrl(const std::string& pattern, const std::vector<std::string>& values) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size()) {
      if (pattern[i + 1] == 's') {
        if (next < values.size()) out += EscapeQueryValue(values[next]);
        ++next;
        ++i;
        continue;
      }
      if (pattern[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

bool UpdateReplyOk(const std::string& reply) {
  return reply.find("RESULT=OK") != std::string::npos;
}

bool UpgradeOffered(const std::string& reply) {
  size_t at = reply.find("UPGRADE");
  if (at == std::string::npos) return false;
  // The separator after the key, then the four characters of "NONE".
  if (at + 12 > reply.size()) return true;
  return reply.compare(at + 8, 4, "NONE") != 0;
}

bool PrepareSucceeded(const std::string& reply) {
  return reply.find("SUCCESS") != std::string::npos;
}

std::string GetUpdateVal(const std::string& reply, const std::string& key) {
  size_t at = reply.find(key);
  if (at == std::string::npos) return "";
  size_t start = at + key.size() + 1;
  if (start > reply.size()) return "";
  size_t end = reply.find("<BR>", start);
  if (end == std::string::npos) return "";
  return reply.substr(start, end - start);
}

std::vector<std::string> UpgradeInfoLines(const std::string& reply) {
  std::string size = GetUpdateVal(reply, "SIZE");
  long long bytes = 0;
  bool number = !size.empty() && size.size() <= 18;
  for (char c : size) number = number && c >= '0' && c <= '9';
  if (number) bytes = std::atoll(size.c_str());
  return {"Name: " + GetUpdateVal(reply, "NAME"),
          "Upgrade to " + GetUpdateVal(reply, "UPGRADE") + " version",
          "File size: " + std::to_string(bytes / 1024) + "KB",
          "Description: " + GetUpdateVal(reply, "DESCRIPTION")};
}

bool VersionAtLeast(std::string installed, std::string compare) {
  for (std::string* s : {&installed, &compare})
    for (char& c : *s)
      if (c == ',') c = '.';
  while (!compare.empty()) {
    long have = LeadingNumber(TakePart(installed));
    long want = LeadingNumber(TakePart(compare));
    if (have < want) return false;
    if (have > want) return true;
  }
  return true;
}
