#include "TextUtil.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

std::string ToLower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

static bool IsBlank(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }

std::string TrimLeft(const std::string& text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  return text.substr(start);
}

std::string Trim(const std::string& text) {
  std::string out = TrimLeft(text);
  while (!out.empty() && IsBlank(out.back())) out.pop_back();
  return out;
}

CStringList SplitText(const std::string& text, char separator) {
  CStringList parts;
  size_t start = 0;
  for (;;) {
    size_t at = text.find(separator, start);
    if (at == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

bool ListHoldsNoCase(const CStringList* list, const std::string& text) {
  if (!list) return false;
  std::string wanted = ToLower(text);
  for (const std::string& entry : *list)
    if (ToLower(entry) == wanted) return true;
  return false;
}

void AppendLineF(const char* path, const char* format, ...) {
  FILE* f = fopen(path, "a");
  if (!f) return;
  va_list args;
  va_start(args, format);
  vfprintf(f, format, args);
  va_end(args);
  fputs("\r\n", f);
  fclose(f);
}
