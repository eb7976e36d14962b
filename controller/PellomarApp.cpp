// The controller program: one resident process with a hidden window.
#include <windows.h>

#include "Application.h"
#include "ControlForm.h"
#include "SysUtils.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc > 1 && UpperCase(__argv[1]) == "/GETDIR") {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = ExtractFilePath(path);
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    SetCurrentDirectoryA(folder.c_str());
  }
  try {
    Application->Initialize();
    Application->SetTitle("Brindale Message");
    auto* form = new TForm1(Application);
    Application->SetMainForm(form);
    Application->Run();
  } catch (const std::exception& e) {
    Application->HandleException(e);
  }
  Application->Done();
  return 0;
}
