// A folder laid out as an installed system (the programs linked in beside
// the settings and data) in which the controller runs with the real
// Recorder, the device program stand-in, the main-program stand-in and the
// local web server; the programs' logs read back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "RecorderRunSupport.h"

constexpr UINT kStartSession = 1228;
constexpr UINT kStopSession = 1237;
constexpr UINT kRecorderReport = 5669;
constexpr UINT kRecorderCommand = 5769;
constexpr UINT kTrayNotify = 45120;

class ControllerFolder : public RunFolder {
 public:
  // programs: the programs and libraries linked in; by default all a run
  // needs.
  explicit ControllerFolder(const std::string& name);
  explicit ControllerFolder(const std::string& name, const std::vector<std::string>& programs);
  ~ControllerFolder();

  // An item fetched over HTTP from this folder's site\ (a wave file of a
  // constant value), or a link to a file that is not there.
  std::string HttpItem(const std::string& file, int value, double seconds);
  std::string MissingHttpItem(const std::string& file);

  // Starts a program of the folder there; null when it cannot start.
  HANDLE Start(const std::string& program, const std::string& args = "");
  // The main-program stand-in, then the controller with "/GETDIR"; false
  // when the controller shows no window.
  bool StartPeer();
  bool StartController();
  HWND Controller() const { return FindWindowA(nullptr, "Brindale Control"); }
  void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // Sends the message to the controller; true once it has handled it.
  bool Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // Closes the controller as the system would and waits for its end.
  bool CloseController();

  std::vector<std::string> Lines(const std::string& log) const;
  // Waits until the log holds a line that starts with prefix.
  bool WaitForLine(const std::string& log, const std::string& prefix, DWORD ms) const;
  // Index of the first line at or after from that starts with prefix; -1.
  int FindLine(const std::string& log, const std::string& prefix, int from = 0) const;
  int CountLines(const std::string& log, const std::string& prefix) const;

 private:
  void Link(const std::vector<std::string>& programs);
  std::string m_name;
  std::vector<HANDLE> m_started;
};

// Waits for a top-level window of that caption to come (or go).
bool WaitForWindow(const char* caption, bool present, DWORD ms);
// Ends the process that owns the window, if any.
void EndWindowProcess(const char* caption);
