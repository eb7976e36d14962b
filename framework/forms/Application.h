// The application object: its hidden top-level window, the message loop,
// the main form, minimise and restore, and the hand-over of calls from
// other threads to the main thread.
#pragma once

#include <windows.h>

#include <functional>

#include "Classes.h"

class TForm;

// A window of class className (registered on first use) that hands its
// messages to handler; freed by DeallocateHWnd.
HWND AllocateHandlerWindow(const char* className, DWORD exStyle, DWORD style, HWND parent,
                           std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler);
// A hidden message-only window of that kind (timers and other non-visual
// components use one).
HWND AllocateHWnd(std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> handler);
void DeallocateHWnd(HWND window);

using TExceptionEvent = std::function<void(TObject* sender, const Exception& e)>;

class TWinControl;
// What a hint about to show is made of; OnShowHint may change any of it.
struct THintInfo {
  TWinControl* HintControl = nullptr;
  POINT CursorPos = {0, 0};     // in the control's client co-ordinates
  RECT CursorRect = {0, 0, 0, 0};  // the hint lasts while the mouse stays inside
  POINT HintPos = {0, 0};       // screen co-ordinates of the hint window
  std::string HintStr;
  int HideTimeout = 0;
};
using TShowHintEvent = std::function<void(std::string& hintStr, bool& canShow, THintInfo& info)>;
// A help request (HELP_CONTEXT, HELP_CONTEXTPOPUP...); setting callHelp to
// false keeps it from the help program. The result is the call's result.
using THelpEvent = std::function<bool(UINT command, ULONG_PTR data, bool& callHelp)>;

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
  // Waits for and handles one message. A message sent from another thread
  // is handled while the queue is looked at; then it returns without
  // waiting, so the caller's loop sees what the message changed.
  void HandleMessage();
  // Counts a message handled by a window of this thread.
  static void MessageHandled() { ++handled_; }
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
  int HintPause = 500;
  // The status hint (of a menu item under the mouse, say); OnHint follows it.
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  TNotifyEvent OnHint;
  TShowHintEvent OnShowHint;
  // The mouse moved over a control (client co-ordinates): a hint shows
  // after HintPause while it stays there.
  void HintMouseMessage(TWinControl* control, POINT pos);
  // Hides the hint window and forgets the pending hint.
  void CancelHint();
  TWinControl* HintControl() const { return hintControl_; }
  // The window that shows hints (made on first use).
  HWND HintWindow();
  // Help: OnHelp sees every request first; then, with a HelpFile, the
  // help program is called for the form that asks.
  std::string HelpFile;
  THelpEvent OnHelp;
  bool HelpCommand(UINT command, ULONG_PTR data, HWND window = nullptr);
  bool HelpContext(int context) { return HelpCommand(HELP_CONTEXT, static_cast<ULONG_PTR>(context)); }
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  TExceptionEvent OnException;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  static inline thread_local unsigned long handled_ = 0;
  static LRESULT CALLBACK HintProc(HWND, UINT, WPARAM, LPARAM);
  void ActivateHint();
  std::string hint_;
  TWinControl* hintControl_ = nullptr;
  THintInfo hintInfo_;
  bool hintShown_ = false;
  HWND hintWindow_ = nullptr;
  static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
  bool ProcessMessage(MSG& msg);
  // A key for a form before its control sees it: a menu shortcut, or a
  // dialog key the control does not want (see TForm::DialogKey); true when
  // used.
  bool IsKeyMsg(const MSG& msg);
  HWND handle_ = nullptr;
  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  DWORD mainThreadId_;
};

extern TApplication* const Application;
