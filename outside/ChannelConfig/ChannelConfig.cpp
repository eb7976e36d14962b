// Stand-in for a channel configuration library: it shows a small page with
// the channel's name on the panel it is given and refuses to change the
// active state of a channel whose section holds locked=1.
#include <windows.h>

#include <string>

#include "TezApi.h"

namespace {
HWND g_page = nullptr;
std::string g_dataFile, g_section;

bool Locked() {
  if (g_dataFile.empty()) return false;
  return GetPrivateProfileIntA(g_section.c_str(), "locked", 0, g_dataFile.c_str()) == 1;
}
}  // namespace

extern "C" {

BOOL TEZAPI InitConfiguration(HWND parent, const char* dataFile, const char* section,
                              void* /*context*/) {
  if (!parent || !dataFile || !section) return FALSE;
  g_dataFile = dataFile;
  g_section = section;
  if (g_page) DestroyWindow(g_page);
  RECT r;
  GetClientRect(parent, &r);
  std::string text = "Settings of " + g_section;
  g_page = CreateWindowA("STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, r.right, r.bottom,
                         parent, nullptr, nullptr, nullptr);
  return g_page != nullptr;
}

BOOL TEZAPI CloseConfiguration(int /*mode*/) {
  if (g_page) DestroyWindow(g_page);
  g_page = nullptr;
  return TRUE;
}

BOOL TEZAPI SetActiveState(int /*active*/, int /*kind*/) { return Locked() ? FALSE : TRUE; }
}
