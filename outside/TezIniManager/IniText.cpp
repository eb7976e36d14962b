#include "IniText.h"

#include <cctype>

namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

IniText::Line IniText::Classify(const std::string& text) {
  Line line;
  line.text = text;
  std::string t = Trim(text);
  if (t.empty() || t[0] == ';') return line;
  if (t[0] == '[') {
    size_t close = t.find(']');
    if (close != std::string::npos) {
      line.header = true;
      line.section = Trim(t.substr(1, close - 1));
    }
    return line;
  }
  size_t eq = t.find('=');
  if (eq != std::string::npos) {
    line.keyed = true;
    line.key = Trim(t.substr(0, eq));
  }
  return line;
}

void IniText::Parse(const std::string& bytes) {
  lines_.clear();
  size_t start = 0;
  while (start < bytes.size()) {
    size_t nl = bytes.find('\n', start);
    size_t end = nl == std::string::npos ? bytes.size() : nl;
    size_t cut = end;
    if (cut > start && bytes[cut - 1] == '\r') --cut;
    std::string text = bytes.substr(start, cut - start);
    // Text files may carry NUL bytes after damage; a line never holds one.
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    lines_.push_back(Classify(text));
    start = nl == std::string::npos ? bytes.size() : nl + 1;
  }
}

std::string IniText::Serialize() const {
  std::string out;
  for (const Line& l : lines_) {
    out += l.text;
    out += "\r\n";
  }
  return out;
}

void IniText::Find(const std::string& section, int* header, int* end) const {
  *header = -1;
  *end = -1;
  const int n = static_cast<int>(lines_.size());
  for (int i = 0; i < n; ++i) {
    if (lines_[i].header && SameName(lines_[i].section, section)) {
      int j = i + 1;
      while (j < n && !lines_[j].header) ++j;
      *header = i;
      *end = j;
      return;
    }
  }
}

int IniText::FindKey(int header, int end, const std::string& key) const {
  for (int i = header + 1; i < end; ++i)
    if (lines_[i].keyed && SameName(lines_[i].key, key)) return i;
  return -1;
}

bool IniText::Get(const std::string& section, const std::string& key, std::string* value) const {
  int h, e;
  Find(section, &h, &e);
  if (h < 0) return false;
  int k = FindKey(h, e, key);
  if (k < 0) return false;
  const std::string& text = lines_[k].text;
  *value = Trim(text.substr(text.find('=') + 1));
  return true;
}

void IniText::Set(const std::string& section, const std::string& key, const std::string& value) {
  Line line = Classify(key + "=" + value);
  int h, e;
  Find(section, &h, &e);
  if (h < 0) {
    if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(Classify(""));
    lines_.push_back(Classify("[" + section + "]"));
    lines_.push_back(line);
    return;
  }
  int k = FindKey(h, e, key);
  if (k >= 0) {  // the key keeps the spelling it has in the file
    lines_[k] = Classify(lines_[k].key + "=" + value);
    return;
  }
  int at = e;  // after the last non-blank line of the section
  while (at > h + 1 && Trim(lines_[at - 1].text).empty()) --at;
  lines_.insert(lines_.begin() + at, line);
}

bool IniText::Remove(const std::string& section, const std::string& key) {
  int h, e;
  Find(section, &h, &e);
  if (h < 0) return false;
  int k = FindKey(h, e, key);
  if (k < 0) return false;
  lines_.erase(lines_.begin() + k);
  return true;
}

bool IniText::EraseSection(const std::string& section) {
  int h, e;
  Find(section, &h, &e);
  if (h < 0) return false;
  lines_.erase(lines_.begin() + h, lines_.begin() + e);
  return true;
}

std::vector<std::string> IniText::Keys(const std::string& section) const {
  std::vector<std::string> keys;
  int h, e;
  Find(section, &h, &e);
  for (int i = h + 1; h >= 0 && i < e; ++i)
    if (lines_[i].keyed) keys.push_back(lines_[i].key);
  return keys;
}

std::vector<std::string> IniText::Sections() const {
  std::vector<std::string> names;
  for (const Line& l : lines_)
    if (l.header) names.push_back(l.section);
  return names;
}

bool IniText::Writable(const std::string& text, bool isName) {
  for (char c : text)
    if (c == '\r' || c == '\n') return false;
  if (!isName) return true;
  std::string t = Trim(text);
  if (t.empty()) return false;
  return t[0] != '[' && t[0] != ';' && t.find('=') == std::string::npos &&
         t.find(']') == std::string::npos;
}
