// Text reports inside the Recorder's process: the text goes into the global
// atom table and its atom is posted with WM_TEZ_TEXT_REPORT to a window; the
// receiver reads the text and deletes the atom.
#pragma once

#include <windows.h>

constexpr UINT WM_TEZ_TEXT_REPORT = 5570;

// Posts text to window; nothing without a window. Texts longer than an atom
// can hold (255 characters) are cut. Returns 1 when posted.
int PostTextReport(HWND window, const char* text);

// Posts to the window found by caption (no class); "Recorder" when caption
// is null.
int PostTextReportTo(const char* caption, const char* text);

// printf-style forms of the two above.
int PostTextReportF(HWND window, const char* format, ...);
int PostTextReportToF(const char* caption, const char* format, ...);
