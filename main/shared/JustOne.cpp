#include "JustOne.h"

#include <cstring>

#include "Application.h"

namespace {
// Process-wide, used once at start-up.
int g_count = 0;
HWND g_other = nullptr;
char g_className[256];
char g_caption[256];

BOOL CALLBACK CountTwin(HWND w, LPARAM self) {
  char cls[256] = {}, caption[256] = {};
  GetClassNameA(w, cls, sizeof cls);
  GetWindowTextA(w, caption, sizeof caption);
  if (std::strcmp(cls, g_className) == 0 && std::strcmp(caption, g_caption) == 0) {
    ++g_count;
    if (w != reinterpret_cast<HWND>(self)) g_other = w;
  }
  return TRUE;
}
}  // namespace

HWND TJustOne::PreviousInstanceWindow() const { return g_other; }

void TJustOne::CheckPrevInstance() {
  g_count = 0;
  g_other = nullptr;
  HWND own = Application->Handle();
  if (!own) return;
  g_className[0] = g_caption[0] = '\0';
  GetClassNameA(own, g_className, sizeof g_className);
  GetWindowTextA(own, g_caption, sizeof g_caption);
  EnumWindows(CountTwin, reinterpret_cast<LPARAM>(own));
  if (g_count <= 1 || !g_other) return;
  if (BeforeClose) BeforeClose(this);
  HWND popup = GetLastActivePopup(g_other);
  BringWindowToTop(g_other);
  if (IsIconic(popup))
    ShowWindow(popup, SW_RESTORE);
  else
    SetForegroundWindow(popup);
  ExitProcess(0);
}
