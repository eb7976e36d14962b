// Shared helpers of the pipeline tests: real files in the test's working
// folder, the process's settings wrapper, and the call records of the test
// libraries.
#pragma once

#include <windows.h>

#include <string>

#include "IniManager.h"
#include "plugins/PipeTestRecord.h"

void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
bool FileExists(const std::string& path);

// The process's settings wrapper over the real TezIniManager.dll.
CIniManager& TestIni();

// The call record of a loaded test library, or null.
PipeTestRecord* RecordOf(const char* library);

// A hidden window with its own caption that collects text reports.
class CReportWindow {
 public:
  explicit CReportWindow(const char* caption);
  ~CReportWindow();
  HWND Handle() const { return m_window; }
  // Texts of the reports posted so far, in order, joined by "\n".
  std::string TakeReports();

 private:
  HWND m_window;
};
