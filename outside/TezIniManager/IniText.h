// Ini text held as lines: sections in brackets, one key=value a line.
// Section and key names match without regard to case.
#pragma once

#include <string>
#include <vector>

class IniText {
 public:
  void Parse(const std::string& bytes);
  std::string Serialize() const;  // CRLF line ends

  bool Get(const std::string& section, const std::string& key, std::string* value) const;
  void Set(const std::string& section, const std::string& key, const std::string& value);
  bool Remove(const std::string& section, const std::string& key);
  bool EraseSection(const std::string& section);
  std::vector<std::string> Keys(const std::string& section) const;
  std::vector<std::string> Sections() const;

  // A name or value that would break the line structure of the file.
  static bool Writable(const std::string& text, bool isName);

 private:
  struct Line {
    std::string text;
    std::string section;  // for section header lines: the trimmed name
    std::string key;      // for key lines: the trimmed key
    bool header = false;
    bool keyed = false;
  };
  static Line Classify(const std::string& text);
  // [begin, end) of the section's lines after its header; begin = -1 when absent.
  void Find(const std::string& section, int* header, int* end) const;
  int FindKey(int header, int end, const std::string& key) const;

  std::vector<Line> lines_;
};
