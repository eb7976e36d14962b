// The main program Halvorn.
#include <windows.h>

#include "Application.h"
#include "MainForm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Application->Initialize();
  Application->HintHidePause = 65000;
  Application->SetTitle("Brindale");
  try {
    new TForm1(Application);  // the application owns its main form
  } catch (const std::exception& e) {
    // A window that could not be made (a library without a picture it
    // must have) is reported, and the program ends.
    Application->HandleException(e);
    Application->Done();
    return 1;
  }
  Application->Run();
  Application->Done();
  return 0;
}
