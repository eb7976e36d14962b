// The device program: started beside the controller, told the port and
// enabled; ended on exit and before each restart.
#include "Application.h"
#include "ControlForm.h"
#include "ControlMessages.h"
#include "WinExc32.h"

namespace {

const char kCaddrelCaption[] = "BrindaleCaddrel";

// Handles messages until done() holds or the time is up.
template <class Done>
void ProcessMessagesUntil(DWORD ms, Done done) {
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < ms) {
    Application->ProcessMessages();
    Sleep(10);
  }
}

}  // namespace

void TForm1::PostToCaddrel(UINT message, WPARAM wParam, LPARAM lParam) {
  msgSendCaddrel->WindowCaption = kCaddrelCaption;
  msgSendCaddrel->MsgVal = static_cast<int32_t>(message);
  msgSendCaddrel->MsgWParam = static_cast<int32_t>(wParam);
  msgSendCaddrel->msgLParam = static_cast<int32_t>(lParam);
  msgSendCaddrel->PostMsg();
}

void TForm1::StartCaddrel() {
  msgSendCaddrel->WindowCaption = kCaddrelCaption;
  // A device program already running (started by someone else, or left
  // from before) is registered with as one started here.
  if (msgSendCaddrel->FindTarget()) {
    RegisterWithCaddrel();
    return;
  }
  if (caddrelProcess_) CloseHandle(caddrelProcess_);
  caddrelProcess_ = nullptr;
  const std::string program = GetCurrentDir() + "\\" + driverName_;
  WinExecAndWaitIdle("\"" + program + "\"", showCaddrel_ == 1 ? SW_SHOWMINNOACTIVE : SW_HIDE,
                     10000, caddrelProcess_);
  if (!caddrelProcess_) {
    Trace("Device program not started: " + program);
    return;
  }
  ProcessMessagesUntil(10000, [this] { return msgSendCaddrel->FindTarget() != nullptr; });
  if (!msgSendCaddrel->FindTarget()) {
    Trace("Device program shows no window");
    return;
  }
  RegisterWithCaddrel();
}

void TForm1::RegisterWithCaddrel() {
  const WPARAM self = reinterpret_cast<WPARAM>(Handle());
  PostToCaddrel(WM_TEZ_DEVICE_REGISTER, self, 0);
  PostToCaddrel(WM_TEZ_DEVICE_COMMAND, 10, mediaComPort_);
  if (mdSetEnabled_ == 1) PostToCaddrel(WM_TEZ_DEVICE_COMMAND, 510, 0);
}

void TForm1::StopCaddrel(bool atExit) {
  tmCaddrelEnd->SetEnabled(false);
  PostToCaddrel(WM_TEZ_DEVICE_UNREGISTER, reinterpret_cast<WPARAM>(Handle()), 0);
  PostToCaddrel(WM_TEZ_DEVICE_COMMAND, 20, 0);
  HWND window = msgSendCaddrel->FindTarget();
  if (window) {
    PostToCaddrel(WM_CANCELMODE, 0, 0);
    PostToCaddrel(WM_CLOSE, 0, 0);
    ProcessMessagesUntil(10000, [this] { return msgSendCaddrel->FindTarget() == nullptr; });
  }
  window = msgSendCaddrel->FindTarget();
  if (!window) return;
  if (!atExit) {
    tmCaddrelEnd->SetEnabled(true);
    return;
  }
  // At exit no timer runs any more: a device program that hangs is ended
  // now, also one that another program started.
  HANDLE process = caddrelProcess_;
  bool own = process != nullptr;
  if (!own) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    process = id ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id) : nullptr;
  }
  if (process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    if (!own) CloseHandle(process);
    Trace("Device program ended by force");
    return;
  }
  if (process && !own) CloseHandle(process);
}

void TForm1::tmCaddrelEndTimer() {
  if (!caddrelProcess_ || WaitForSingleObject(caddrelProcess_, 0) != WAIT_TIMEOUT ||
      TerminateProcess(caddrelProcess_, 0))
    tmCaddrelEnd->SetEnabled(false);
}
