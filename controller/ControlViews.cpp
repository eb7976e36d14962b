// The trace file, messages to the main program and the opening of its views.
#include "Application.h"
#include "ControlForm.h"
#include "ControlMessages.h"
#include "Trace.h"
#include "WinExc32.h"

void TForm1::Trace(const std::string& text) {
  // A trace file that cannot be written (locked, no permission) raises
  // EInOutError: it ends the handler that traces, and the application's
  // exception handler tells the user.
  WriteTrace(GetCurrentDir() + "\\pellomar.log", text, false, 500000);
}

void TForm1::PostToSelf(UINT message, WPARAM wParam, LPARAM lParam) {
  PostMessageA(Handle(), message, wParam, lParam);
}

bool TForm1::SendToMain(UINT message, WPARAM wParam, bool sendNow, LPARAM lParam) {
  msgSendMain->WindowCaption = mainCaption_;
  msgSendMain->MsgVal = static_cast<int32_t>(message);
  msgSendMain->MsgWParam = static_cast<int32_t>(wParam);
  msgSendMain->msgLParam = static_cast<int32_t>(lParam);
  if (msgSendMain->FindTarget()) {
    if (sendNow)
      msgSendMain->SendMsg();
    else
      msgSendMain->PostMsg();
    return true;
  }
  bool running = mainProcess_ && WaitForSingleObject(mainProcess_, 0) == WAIT_TIMEOUT;
  Trace(Format(running ? "********* Halvorn running, no win (default caption, %X,%d,%d)"
                       : "********* Halvorn not running (%X,%d,%d)",
               message, static_cast<int>(wParam), static_cast<int>(lParam)));
  return false;
}

void TForm1::OpenView(int view) {
  if (openingView_) return;
  FlagScope opening(openingView_);
  if (SendToMain(WM_TEZ_CHANGE_VIEW, static_cast<WPARAM>(view), false, 1)) {
    SendToMain(WM_TEZ_RECORDER_STATE, PackRecorderState(recorderState_));
    return;
  }
  TIniFile(GetCurrentDir() + "\\Halvorn.inx").WriteInteger("Params", "windowState", view);
  const std::string program = GetCurrentDir() + "\\Halvorn.exe";
  if (mainProcess_) CloseHandle(mainProcess_);
  mainProcess_ = nullptr;
  WinExecAndWaitIdle("\"" + program + "\"", SW_SHOWNORMAL, 30000, mainProcess_);
  Trace(mainProcess_ && WaitForSingleObject(mainProcess_, 1) == WAIT_TIMEOUT
            ? "********* Halvorn opened"
            : "********* PROBLEM OPENING HALVORN");
  if (FileExists(program))
    SendToMain(WM_TEZ_RECORDER_STATE, PackRecorderState(recorderState_), true);
  else
    MessageBoxA(Handle(), "Problem Opening Basket", Application->Title().c_str(),
                MB_OK | MB_ICONWARNING);
}

void TForm1::mnuFullViewClick() { OpenView(0); }
void TForm1::mnuBasketClick() { OpenView(1); }
void TForm1::TrayIcon1DblClick(TObject*) { OpenView(1); }

void TForm1::mnuHelp1Click() {
  TezWebLabel1->FindHtmlApp = false;
  TezWebLabel1->WebLink = helpPage_;
  TezWebLabel1->LocalHtmlPage.clear();
  TezWebLabel1->OpenWebLink();
}

void TForm1::mnuAbout1Click() {
  MessageBoxA(Handle(), ProductVersionText().c_str(), "Brindale Version Info", MB_OK);
}
