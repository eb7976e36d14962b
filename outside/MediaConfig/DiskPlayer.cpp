// A view of the file medium on the player page: the section's name and
// its output folder.
#include <windows.h>

#include <string>

#include "TezApi.h"

namespace {
HWND g_view = nullptr;
}

extern "C" {

BOOL TEZAPI CloseConfiguration(int) {
  if (g_view) DestroyWindow(g_view);
  g_view = nullptr;
  return TRUE;
}

BOOL TEZAPI InitConfiguration(HWND parent, const char* settingsFile, const char* section) {
  CloseConfiguration(0);
  if (!parent || !settingsFile || !section) return FALSE;
  char folder[MAX_PATH] = {};
  GetPrivateProfileStringA(section, "outputFolder", "", folder, sizeof folder, settingsFile);
  std::string text = std::string(section) + ": " + folder;
  g_view = CreateWindowA("STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 8, 8, 300, 18, parent,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
  return g_view != nullptr;
}

}  // extern "C"
