// Recording runs: start and stop requests, the Recorder started and
// commanded, its reports followed and passed on, its end awaited.
#include "Application.h"
#include "ControlForm.h"
#include "ControlDialogs.h"
#include "ControlMessages.h"
#include "WinExc32.h"

namespace {

const char kRecorderCaption[] = "Recorder";

bool RecorderWindow() { return FindWindowA(nullptr, kRecorderCaption) != nullptr; }

}  // namespace

void TForm1::InstallRunMessages() {
  SetMessageMethod(WM_TEZ_START_SESSION, [this](TMessage& m) { OnStartSession(m.WParam); });
  SetMessageMethod(WM_TEZ_STOP_SESSION, [this](TMessage&) { OnStopSession(); });
  SetMessageMethod(WM_TEZ_CHANNELS_SAVED, [this](TMessage& m) { OnChannelsSaved(m.WParam); });
  SetMessageMethod(WM_TEZ_RECORDER_REPORT,
                   [this](TMessage& m) { OnRecorderReport(m.WParam, m.LParam); });
  SetMessageMethod(WM_TEZ_RECORDER_COMMAND, [this](TMessage& m) {
    if (m.WParam == 0) reportWindow_ = reinterpret_cast<HWND>(m.LParam);
  });
  SetMessageMethod(WM_TEZ_SETTINGS_CHANGED, [this](TMessage&) { OnSettingsChanged(); });
  SetMessageMethod(WM_TEZ_MAIN_STARTED, [this](TMessage&) {
    SendToMain(WM_TEZ_RECORDER_STATE, PackRecorderState(recorderState_), true);
  });
  SetMessageMethod(WM_TEZ_DEVICE_STATE, [this](TMessage& m) {
    if (m.WParam == 60) deviceReady_ = false;
    if (m.WParam == 525) {
      deviceReady_ = true;
      // A tray command refused while the device was not ready is taken again.
      UpdateMenuItems();
    }
  });
  SetMessageMethod(WM_TEZ_MAIL_ARRIVED, [this](TMessage&) { OnMailArrived(); });
  SetMessageMethod(WM_TEZ_SCHED_OK, [this](TMessage&) { OnSchedOk(); });
  SetMessageMethod(WM_TEZ_SCHED_FAIL, [this](TMessage&) { OnSchedFail(); });
  SetMessageMethod(WM_TEZ_SCHED_START, [this](TMessage&) { OnSchedStart(); });
  SetMessageMethod(WM_TEZ_SCHED_FAIL_RETRY, [this](TMessage&) {
    SetState(recorderState_.kind, 5);
    if (SendToMain(WM_TEZ_SCHED_FAIL_RETRY)) SendToMain(WM_TEZ_REFRESH_VIEW, 10);
  });
  SetMessageMethod(WM_TEZ_CALLED, [this](TMessage&) { SendToMain(WM_TEZ_CALLED); });
}

void TForm1::SetState(int kind, int state) {
  SetRecorderState(recorderState_, kind, state);
  UpdateTrayIcon();
}

bool TForm1::Running(int kind) const {
  return recorderState_.kind == kind && recorderState_.state >= 1 && recorderState_.state <= 3;
}

void TForm1::PostToRecorder(UINT message, WPARAM wParam, LPARAM lParam) {
  msgSendRecorder->WindowCaption = kRecorderCaption;
  msgSendRecorder->MsgVal = static_cast<int32_t>(message);
  msgSendRecorder->MsgWParam = static_cast<int32_t>(wParam);
  msgSendRecorder->msgLParam = static_cast<int32_t>(lParam);
  msgSendRecorder->PostMsg();
}

void TForm1::OnStartSession(WPARAM mode) {
  commandReceived_ = true;
  // One Recorder, one start: none while a Recorder runs, is being
  // started, or has not yet ended after the last run, and none once the
  // exit has begun (its waits take messages, and a Recorder started then
  // would outlive the controller).
  if (exiting_ || RecorderWindow() || startInProgress_ || recorderState_.state == 7 ||
      m_timerWaitForRecorderEnd->Enabled()) {
    Trace(exiting_ ? "Start request ignored: the controller exits"
                   : "Start request ignored: a Recorder is running");
    // The tray item that asked is unchecked again and takes the next click.
    UpdateMenuItems();
    return;
  }
  if (mode == 100 || mode == 150 || mdSetEnabled_ != 1 || deviceReady_) {
    // The start goes on when the main program answers; meanwhile no second
    // start is taken.
    SetRecorderState(recorderState_, recorderState_.kind, 7);
    if (!SendToMain(WM_TEZ_SAVE_CHANNELS, WM_TEZ_CHANNELS_SAVED, false,
                    static_cast<LPARAM>(mode)))
      PostToSelf(WM_TEZ_CHANNELS_SAVED, mode);
    return;
  }
  PostToCaddrel(WM_TEZ_DEVICE_COMMAND, 510, 0);
  SendToMain(WM_TEZ_RECORDER_STATE, PackRecorderState(recorderState_));
  {
    TMdNotReadyErrorDlg dialog(nullptr);
    dialog.ShowModal();
  }
  // No run came of the command: its tray item takes the next click.
  UpdateMenuItems();
}

void TForm1::WriteRunKeys(int mode) {
  TIniFile& ini = *settings_;
  const int playOpening = ini.ReadInteger("Recorder", "optionPlayOpening", 1);
  int storeRecState = 1, opening = playOpening, virtualMedia = 0, selected = 0;
  if (mode == 100) {
    virtualMedia = 1;
    if (recButAvailable_ == 1) storeRecState = opening = 0;
  } else if (mode == 150) {
    storeRecState = opening = 0;
    virtualMedia = selected = 1;
  }
  ini.WriteInteger("Recorder", "storeRecState", storeRecState);
  ini.WriteInteger("Recorder", "playOpening", opening);
  ini.WriteInteger("Recorder", "useVirtualMedia", virtualMedia);
  ini.WriteInteger("Recorder", "playSelectedItem", selected);
}

void TForm1::ForgetRecorderProcess() {
  if (recorderProcess_) CloseHandle(recorderProcess_);
  recorderProcess_ = nullptr;
}

bool TForm1::StartRecorder() {
  ForgetRecorderProcess();
  const std::string program = GetCurrentDir() + "\\Recorder.exe";
  DWORD result = WinExecAndWaitIdle("\"" + program + "\"", SW_HIDE, 14000, recorderProcess_);
  SYSTEMTIME t;
  GetLocalTime(&t);
  settings_->WriteString(
      "Recorder", "lastRecordingTime",
      Format("%2.2d-%2.2d-%4d %2d:%2.2d:%2.2d.%3.3d ProcID=%X", t.wDay, t.wMonth, t.wYear,
             t.wHour, t.wMinute, t.wSecond, t.wMilliseconds,
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(recorderProcess_))));
  if (!recorderProcess_) {
    Trace(Format("Recorder not started (%u)", static_cast<unsigned>(result)));
    return false;
  }
  Trace(Format("Recorder opened %X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(recorderProcess_))));
  // The window may come a little after the input idle.
  const DWORD start = GetTickCount();
  while (!RecorderWindow() && WaitForSingleObject(recorderProcess_, 0) == WAIT_TIMEOUT &&
         GetTickCount() - start < 14000) {
    Application->ProcessMessages();
    Sleep(20);
  }
  if (RecorderWindow()) return true;
  // A Recorder without a window takes no commands: it is ended, not left.
  if (WaitForSingleObject(recorderProcess_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(recorderProcess_, 0);
    WaitForSingleObject(recorderProcess_, 5000);
  }
  ForgetRecorderProcess();
  return false;
}

void TForm1::OnChannelsSaved(WPARAM mode) {
  if (startInProgress_) return;
  if (exiting_) {
    Trace("Run start ignored: the controller exits");
    return;
  }
  FlagScope inProgress(startInProgress_);
  PostToSelf(WM_TEZ_UPDATE_CANCEL);
  const int kind = mode == 100 ? 1 : mode == 150 ? 2 : 0;
  SetRecorderState(recorderState_, kind, 7);
  bool started = false;
  try {
    WriteRunKeys(static_cast<int>(mode));
    SYSTEMTIME t;
    GetLocalTime(&t);
    settings_->WriteString("Recorder", "lastRecordingTime",
                           Format("%2.2d-%2.2d-%4d %2d:%2.2d:%2.2d.%3.3d ", t.wDay, t.wMonth,
                                  t.wYear, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds));
    started = RecorderWindow() || StartRecorder();
  } catch (const std::exception& e) {
    Trace(std::string("Run start failed: ") + e.what());
  }
  if (started && !recorderProcess_) {
    // A Recorder that another program started: its end is watched through
    // its process all the same.
    DWORD id = 0;
    GetWindowThreadProcessId(FindWindowA(nullptr, kRecorderCaption), &id);
    if (id) recorderProcess_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
  }
  if (started) {
    if (stopPending_) {
      stopPending_ = false;
      KillRecorder(0);
    } else {
      PostToRecorder(WM_TEZ_RECORDER_COMMAND, 0, reinterpret_cast<LPARAM>(Handle()));
      PostToRecorder(WM_TEZ_RECORDER_COMMAND, 1, 0);
    }
  }
  static const char* const kRunning[] = {"Brindale Running Recorder", "Brindale Running Player",
                                         "Brindale Running Play Item"};
  static const char* const kError[] = {"Brindale Error Running  Recorder",
                                       "Brindale Error Running  Player",
                                       "Brindale Error Running  Play Item"};
  std::string hint = started ? kRunning[kind] : kError[kind];
  SetTrayHint(hint);
  if (!started) {
    // Reported as a failed run; nothing is left waiting for the Recorder.
    // Kind and state 0; the main program is still told that the run
    // failed, so that the failure is not lost to it.
    commandReceived_ = false;
    stopPending_ = false;
    armed_ = true;
    SetState(0, 0);
    if (SendToMain(WM_TEZ_SCHED_FAIL)) SendToMain(WM_TEZ_REFRESH_VIEW, 10);
    Trace(hint);
    return;
  }
  Trace(hint);
  UpdateTrayIcon();
}

void TForm1::OnStopSession() {
  if (startInProgress_) {
    stopPending_ = true;
    return;
  }
  stopPending_ = false;
  if (!RecorderWindow() && !recorderProcess_) {
    UpdateMenuItems();  // nothing to stop: the tray item takes the next click
    return;
  }
  // The Recorder takes the kill as a stop too: it runs its chain to the end
  // (mixer and playback device given back), reports the run finished and
  // ends; that report sets how the run ended.
  PostToRecorder(WM_TEZ_RECORDER_COMMAND, 2, 0);
  KillRecorder(WM_TEZ_STOP_SESSION);
}

void TForm1::KillRecorder(int followUp) {
  PostToRecorder(WM_TEZ_RECORDER_COMMAND, 3, 0);
  // A failure already on its way is not turned into success by the
  // Recorder's answer to the kill.
  const bool waiting = m_timerWaitForRecorderEnd->Enabled();
  if (!waiting || followUp_ != WM_TEZ_SCHED_FAIL) followUp_ = followUp;
  if (!waiting) ticks_ = 0;
  m_timerWaitForRecorderEnd->SetEnabled(true);
}

bool TForm1::RecorderEnded() {
  if (recorderProcess_) return WaitForSingleObject(recorderProcess_, 1) != WAIT_TIMEOUT;
  return !RecorderWindow();
}

void TForm1::m_timerWaitForRecorderEndTimer() {
  ++ticks_;
  if (RecorderEnded()) {
    m_timerWaitForRecorderEnd->SetEnabled(false);
    ForgetRecorderProcess();
    EndOfRecorderWait();
    return;
  }
  if (ticks_ > 769) {
    if (!recorderProcess_) {
      // A Recorder that this controller cannot reach by its process: the
      // wait ends here, once, and the run's end follows as for any other.
      m_timerWaitForRecorderEnd->SetEnabled(false);
      EndOfRecorderWait();
      Trace("Recorder not ended: its process cannot be opened");
      return;
    }
    TerminateProcess(recorderProcess_, 0);
    Trace("Recorder ended by force");
  } else if (ticks_ == 600) {
    PostToRecorder(WM_TEZ_RECORDER_TERMINATE, 0, 0);
  }
}

void TForm1::EndOfRecorderWait() {
  if (followUp_ == WM_TEZ_SCHED_OK) OnSchedOk();
  if (followUp_ == WM_TEZ_SCHED_FAIL) OnSchedFail();
  RestartCaddrelIfWaiting();
}

void TForm1::OnRecorderReport(WPARAM code, LPARAM value) {
  if (reportWindow_ && IsWindow(reportWindow_))
    PostMessageA(reportWindow_, WM_TEZ_RECORDER_REPORT, code, value);
  const int state = recorderState_.state;
  if (code == kReportState) {
    if (value == kStateFinished) {
      KillRecorder(state == 3 ? WM_TEZ_SCHED_OK : 0);
    } else if (value == kStateRunStarted) {
      SetState(recorderState_.kind, 1);
      SendToMain(WM_TEZ_SCHED_START);
    } else if (value == kStateRecording) {
      OnSchedStart();
    }
  } else if (code == kReportError && (static_cast<uint32_t>(value) >> 16) == 0) {
    // A run that fails before it records is a failed run too.
    KillRecorder(state == 1 || state == 3 || state == 7 ? WM_TEZ_SCHED_FAIL : 0);
  }
}

void TForm1::OnSchedStart() {
  SetState(recorderState_.kind, 3);
  deviceReady_ = false;
  SendToMain(WM_TEZ_SCHED_START);
}

void TForm1::WriteLastDate(int value) {
  lastDate_ = value;
  settings_->WriteInteger("AutoUpdate", "lastDate", value);
}

void TForm1::OnSchedOk() {
  SetState(recorderState_.kind, 4);
  if (SendToMain(WM_TEZ_SCHED_OK)) SendToMain(WM_TEZ_REFRESH_VIEW, 10);
  if (!commandReceived_) WriteLastDate(static_cast<int>(Date()));
}

void TForm1::OnSchedFail() {
  SetState(recorderState_.kind, 5);
  if (SendToMain(WM_TEZ_SCHED_FAIL)) SendToMain(WM_TEZ_REFRESH_VIEW, 10);
}

void TForm1::OnSettingsChanged() {
  ReadSettings();
  // A run keeps its device program: the restart waits for the run's end.
  if (RunUnderWay()) {
    caddrelRestartWaiting_ = true;
  } else {
    StopCaddrel(false);
    StartCaddrel();
  }
  commandReceived_ = false;
  WriteLastDate(lastDate_);
  CheckSchedule();
}

bool TForm1::RunUnderWay() const {
  return startInProgress_ || RecorderWindow() || m_timerWaitForRecorderEnd->Enabled() ||
         (recorderState_.state >= 1 && recorderState_.state <= 3) || recorderState_.state == 7;
}

void TForm1::RestartCaddrelIfWaiting() {
  if (!caddrelRestartWaiting_ || RunUnderWay()) return;
  caddrelRestartWaiting_ = false;
  StopCaddrel(false);
  StartCaddrel();
}

void TForm1::EndRecorderAtExit() {
  m_timerWaitForRecorderEnd->SetEnabled(false);
  if (!RecorderWindow() && !recorderProcess_) return;
  KillRecorder(0);
  m_timerWaitForRecorderEnd->SetEnabled(false);
  // The kill ends the run (mixer and playback device given back) and then
  // the program; one that hangs is told to terminate, then ended.
  const DWORD start = GetTickCount();
  bool terminateSent = false;
  while (!RecorderEnded()) {
    const DWORD waited = GetTickCount() - start;
    if (waited > 20000) {
      if (recorderProcess_) {
        TerminateProcess(recorderProcess_, 0);
        WaitForSingleObject(recorderProcess_, 5000);
      }
      Trace("Recorder ended by force at exit");
      break;
    }
    if (waited > 15000 && !terminateSent) {
      PostToRecorder(WM_TEZ_RECORDER_TERMINATE, 0, 0);
      terminateSent = true;
    }
    Application->ProcessMessages();
    Sleep(20);
  }
  ForgetRecorderProcess();
}
