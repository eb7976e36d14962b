// Small text helpers shared by the wrappers and the item record.
#pragma once

#include <string>
#include <vector>

typedef std::vector<std::string> CStringList;

std::string ToLower(std::string text);
std::string TrimLeft(const std::string& text);
std::string Trim(const std::string& text);
// Splits at every separator; parts are kept as they are (empty ones too).
CStringList SplitText(const std::string& text, char separator);
// True when list holds text, compared without regard to case.
bool ListHoldsNoCase(const CStringList* list, const std::string& text);
// Appends a printf-style line, ended by CR LF, to the file at path (made
// when missing); nothing when the file cannot be opened.
void AppendLineF(const char* path, const char* format, ...);
