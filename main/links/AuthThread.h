// The thread that runs the link-check program for one pending link: it
// closes a left-over "Authorize" window, starts the program hidden, waits
// for it to end and posts the finished message to the owning window.
#pragma once

#include <windows.h>

#include <string>

#include "Threads.h"

class TAuthThread : public TThread {
 public:
  TAuthThread(HWND form, UINT finishedMsg, std::string commandLine);
  ~TAuthThread() override;
  void Start();
  // Stops waiting (the program keeps running) and waits for the thread;
  // nothing is posted afterwards. Called before the window goes.
  void Stop();

 protected:
  void Execute() override;

 private:
  HWND form_;
  UINT finishedMsg_;
  std::string commandLine_;
  HANDLE stop_;
  bool started_ = false;
};
