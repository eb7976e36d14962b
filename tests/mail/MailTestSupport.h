// Shared by the mail tests and their peer program: a hidden window that
// takes mail notices and text reports, and peer processes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "MailMessage.h"

class CMailSlot;

class CMailWindow {
 public:
  CMailWindow();
  CMailWindow(const CMailWindow&) = delete;
  CMailWindow& operator=(const CMailWindow&) = delete;
  ~CMailWindow();
  HWND Handle() const { return m_window; }

  // Pumps the window's messages until `count` new records were taken from
  // slot (one GetMail per notice) or the time is up; true when they were.
  bool Receive(CMailSlot& slot, size_t count, DWORD timeoutMs);
  // The same until `count` notices came, new records or repeats.
  bool AwaitNotices(CMailSlot& slot, int count, DWORD timeoutMs);
  // Pumps for that long; notices then take mail from slot when one is given.
  void Pump(CMailSlot* slot, DWORD ms);
  // True when a report so far holds part.
  bool Reported(const std::string& part) const;

  std::vector<MailMessage> received;  // new records, in the order taken
  std::vector<std::string> reports;   // text reports, in order
  int notices = 0;                    // mail notices seen
  int repeats = 0;                    // notices whose GetMail answered 0

 private:
  // False when the time was up.
  bool PumpOnce(CMailSlot* slot, DWORD deadline);
  bool PumpUntil(CMailSlot* slot, const std::function<bool()>& done, DWORD timeoutMs);
  HWND m_window;
};

// "\\.\mailslot\brindale_test_<tag>_<process id>": a name no other test uses.
std::string UniqueSlot(const char* tag);
// Starts MailPeer.exe from this program's folder; null on failure.
HANDLE StartPeer(const std::string& arguments);
// The peer's exit code; -1 when it did not end in time (it is then ended).
int WaitPeer(HANDLE process, DWORD timeoutMs);
