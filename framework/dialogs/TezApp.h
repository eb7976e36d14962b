// The application object of a dialog program: one per program, created as
// a static object; the framework's WinMain calls InitInstance and ends the
// program with ExitInstance's result.
#pragma once

#include <windows.h>

class CTezApp {
 public:
  CTezApp();
  virtual ~CTezApp();
  CTezApp(const CTezApp&) = delete;
  CTezApp& operator=(const CTezApp&) = delete;

  // Runs the program (usually a modal dialog); the result is ignored.
  virtual BOOL InitInstance() = 0;
  virtual int ExitInstance() { return 0; }

  static CTezApp* Current();
  HINSTANCE Instance() const { return m_instance; }
  const char* CommandLine() const { return m_commandLine; }

  // Set by the framework's WinMain before InitInstance.
  void Attach(HINSTANCE instance, const char* commandLine);

 private:
  HINSTANCE m_instance = nullptr;
  const char* m_commandLine = "";
};
