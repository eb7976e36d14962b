// The application object: its hidden top-level window, the message loop,
// the main form, minimise and restore, and the hand-over of calls from
// other threads to the main thread.
#pragma once

#include <windows.h>

#include <functional>

#include "Classes.h"

class TForm;

// A hidden window of our own that hands its messages to a function
// (timers and other non-visual components use one).
HWND AllocateHWnd(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler);
void DeallocateHWnd(HWND window);

using TExceptionEvent = std::function<void(TObject* sender, const Exception& e)>;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  // Creates the hidden window (class "TApplication", caption = Title).
  void Initialize();
  // Shows the main form (unless ShowMainForm is false) and runs the message
  // loop until Terminate.
  void Run();
  void ProcessMessages();
  // Waits for and handles one message.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }
  void Minimize();
  void Restore();
  // Reports an exception that escaped a message handler.
  void HandleException(const std::exception& e);
  // Frees every form the application owns.
  void Done();

  HWND Handle() const { return handle_; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { if (!mainForm_) mainForm_ = form; }
  bool IsMainThread() const { return GetCurrentThreadId() == mainThreadId_; }
  // Runs fn on the main thread and waits for it; exceptions that fn throws
  // are reported on the main thread.
  void RunOnMainThread(const std::function<void()>& fn);

  bool ShowMainForm = true;
  // Whether controls show their hints.
  bool ShowHint = true;
  int HintHidePause = 2500;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  TExceptionEvent OnException;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  bool ProcessMessage(MSG& msg);
  HWND handle_ = nullptr;
  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  DWORD mainThreadId_;
};

extern TApplication* const Application;
