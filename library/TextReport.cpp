#include "TextReport.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

int PostTextReport(HWND window, const char* text) {
  if (!window || !text) return 0;
  char cut[256];
  snprintf(cut, sizeof cut, "%s", text);
  if (!cut[0]) return 0;  // an atom cannot hold an empty text
  ATOM atom = GlobalAddAtomA(cut);
  if (!atom) return 0;
  if (!PostMessageA(window, WM_TEZ_TEXT_REPORT, atom, 0)) {
    GlobalDeleteAtom(atom);
    return 0;
  }
  return 1;
}

int PostTextReportTo(const char* caption, const char* text) {
  return PostTextReport(FindWindowA(nullptr, caption ? caption : "Recorder"), text);
}

static int vformat(char* out, size_t size, const char* format, va_list args) {
  int n = vsnprintf(out, size, format, args);
  return n < 0 ? 0 : 1;
}

int PostTextReportF(HWND window, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  int ok = vformat(text, sizeof text, format, args);
  va_end(args);
  return ok ? PostTextReport(window, text) : 0;
}

int PostTextReportToF(const char* caption, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  int ok = vformat(text, sizeof text, format, args);
  va_end(args);
  return ok ? PostTextReportTo(caption, text) : 0;
}
