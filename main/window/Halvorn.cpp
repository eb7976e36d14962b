// The main program Halvorn.
#include <windows.h>

#include "Application.h"
#include "MainForm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Application->Initialize();
  Application->HintHidePause = 65000;
  Application->SetTitle("Brindale");
  new TForm1(Application);  // the application owns its main form
  Application->Run();
  Application->Done();
  return 0;
}
