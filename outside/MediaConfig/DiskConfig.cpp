// The file medium's settings in the options: a label and an edit box for
// the section's outputFolder, read and saved on request.
#include <windows.h>

#include <string>

#include "TezApi.h"

namespace {
HWND g_label = nullptr, g_edit = nullptr;
std::string g_file, g_section;
}  // namespace

extern "C" {

BOOL TEZAPI CloseConfiguration(int) {
  if (g_edit) DestroyWindow(g_edit);
  if (g_label) DestroyWindow(g_label);
  g_edit = g_label = nullptr;
  return TRUE;
}

BOOL TEZAPI ReadParams() {
  if (!g_edit) return FALSE;
  char value[MAX_PATH] = {};
  GetPrivateProfileStringA(g_section.c_str(), "outputFolder", "", value, sizeof value,
                           g_file.c_str());
  SetWindowTextA(g_edit, value);
  return TRUE;
}

BOOL TEZAPI SaveParams() {
  if (!g_edit) return FALSE;
  char value[MAX_PATH] = {};
  GetWindowTextA(g_edit, value, sizeof value);
  return WritePrivateProfileStringA(g_section.c_str(), "outputFolder", value, g_file.c_str());
}

BOOL TEZAPI InitConfiguration(HWND parent, const char* settingsFile, const char* section) {
  CloseConfiguration(0);
  if (!parent || !settingsFile || !section) return FALSE;
  g_file = settingsFile;
  g_section = section;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  g_label = CreateWindowA("STATIC", (g_section + " folder:").c_str(), WS_CHILD | WS_VISIBLE, 8,
                          10, 120, 18, parent, nullptr, instance, nullptr);
  g_edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 130, 8,
                         200, 22, parent, nullptr, instance, nullptr);
  // In the font of the page around them.
  WPARAM font = static_cast<WPARAM>(SendMessageA(parent, WM_GETFONT, 0, 0));
  if (!font) font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  for (HWND w : {g_label, g_edit})
    if (w) SendMessageA(w, WM_SETFONT, font, FALSE);
  return g_edit != nullptr;
}

}  // extern "C"
