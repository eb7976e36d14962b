// The main window's handling of dropped and pasted files and links: the
// Pending list's countdown, the link check by the outside program and the
// filing of its reply, with the sounds and the basket's door that
// acknowledge each drop.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "AuthThread.h"
#include "ExtCtrls.h"
#include "LinkFiler.h"

class TForm1;
class TContentSection;

enum : UINT {
  WM_TEZ_CHECK_PENDING = 0x4FA,
  WM_TEZ_FINISHED_CHECK = 0x4FB,
  WM_TEZ_NO_INET_CONNECTION = 0x518,
};

class TMainLinks {
 public:
  explicit TMainLinks(TForm1& form);
  ~TMainLinks();
  TMainLinks(const TMainLinks&) = delete;
  TMainLinks& operator=(const TMainLinks&) = delete;

  // After the channel list and settings are loaded: reads the extension
  // table and starts the countdown.
  void InitDragDrop();
  // Before the window goes: no check outlives it.
  void Shutdown();

  void ProcessDraggedFiles(const TStringList& files);
  void ProcessDraggedLink(const std::string& link);
  void mnuPasteLinkClick();
  // Puts the item's link (else its local file name) on the clipboard.
  static void CopyLinkClick(TContentSection* contents, int item);
  // Shows a status text for some seconds; set by the run display.
  std::function<void(const std::string& text, int seconds)> ShowStatusLine;
  // Asks the type of an unclear link (the file-type dialog).
  TLinkFiler::TAskFileType AskFileType;

  TTimer* timerCheckPending;
  bool pendingBusy = false;
  int pendingCountdown = 0;
  TLinkFiler& Filer() { return filer_; }

 private:
  void timerCheckPendingTimer();
  void wmCheckPending();
  void wmFinishedCheck();
  void OnDrop();
  bool AddAndNote(const TTezAddFileStuct& record, bool& inactive);
  void StartDoor();
  void PlayWave(const std::string& name);
  void Status(const std::string& text, int seconds);
  bool RunBusy() const;

  TForm1& form_;
  TLinkFiler filer_;
  std::unique_ptr<TAuthThread> authThread_;
};

// A pasted text is a link when "://" follows a scheme of 3 to 5 letters.
bool IsPastedLink(const std::string& text);
