// Recording and playing runs asked of the controller, the channels to
// record saved for it, and the run state it reports followed.
#include "Aligrid.h"
#include "Application.h"
#include "AskSchedTime.h"
#include "MainForm.h"
#include "TraceLine.h"
#include "TempSweep.h"
#include "TezMMBut.h"
#include "WinExc32.h"

namespace {
const char kControlCaption[] = "Brindale Control";
const char kRecorderCaption[] = "Recorder";

bool WindowExists(const char* caption) { return FindWindowA(nullptr, caption) != nullptr; }

// A run button held down by its run: a click on it does nothing. A click
// on a released button puts it down before its OnClick, with all-up still
// allowed, so that alone does not count.
bool HeldDown(const TSpeedButton* button) {
  return button && button->Down() && !button->AllowAllUp();
}

// A start the controller neither answers nor reports on is given up after
// this long; the controller itself waits up to 14 s for a new Recorder.
constexpr DWORD kStartTimeoutMs = 30000;
// The run's mail inputs stay open this long after the run ends, so that
// the reports sent last are still shown.
constexpr DWORD kMailCloseDelayMs = 3000;
}  // namespace

void TForm1::InstallRunMessages() {
  SetMessageMethod(WM_TEZ_SAVE_CHANNELS, [this](TMessage& m) { wmSaveChannels(m); });
  SetMessageMethod(WM_TEZ_RECORDER_STATE, [this](TMessage& m) { wmRecorderStateChange(m); });
  SetMessageMethod(WM_TEZ_REFRESH_VIEW, [this](TMessage& m) { wmRefreshView(m); });
  SetMessageMethod(WM_TEZ_MAIN_MAIL, [this](TMessage& m) { OnMainMailQueueMsg(m); });
  SetMessageMethod(WM_TEZ_GRID_EDIT, [this](TMessage& m) {
    if (m.LParam == 0) {
      OpenDescriptionEditor(static_cast<int>(m.WParam));
      return;
    }
    HWND focus = GetFocus();  // the focus has left the grid and its editor
    if (editingDescription && focus != gridItems->Handle() && !IsChild(gridItems->Handle(), focus))
      gridItemsCancelEdit(6, editRow);
  });
  SetMessageMethod(WM_TEZ_GRID_KEY_MOVE, [this](TMessage&) {
    if (gridItems->Row() != lastClickRow && !leftButtonDown) gridItemsClick(gridItems);
  });
  // Reports of the controller that change nothing here but the trace.
  const struct {
    UINT message;
    const char* handler;
  } traced[] = {{WM_TEZ_SCHED_OK, "wmSchedOkMsg"},
                {WM_TEZ_SCHED_FAIL, "wmSchedFailMsg"},
                {WM_TEZ_CALLED, "wmCalledMsg"},
                {WM_TEZ_SCHED_START, "wmSchedStartMsg"},
                {WM_TEZ_SCHED_FAIL_RETRY, "wmSchedFailRetryMsg"}};
  for (const auto& t : traced) {
    std::string handler = t.handler;
    SetMessageMethod(t.message, [this, handler](TMessage&) {
      TraceLine(options.traceFileName, handler, options.traceToMailSlot);
    });
  }
  SetMessageMethod(WM_TEZ_DEVICE_STATE, [this](TMessage& m) { wmDeviceMessage(m); });
}

void TForm1::SendMsgToControl(UINT msgToSend, WPARAM wParam, bool askToStart) {
  msgsendControl->WindowCaption = kControlCaption;
  msgsendControl->MsgVal = static_cast<int32_t>(msgToSend);
  msgsendControl->MsgWParam = static_cast<int32_t>(wParam);
  msgsendControl->msgLParam = 0;
  if (WindowExists(kControlCaption)) {
    msgsendControl->PostMsg();
    return;
  }
  if (!askToStart) return;
  if (ModalMessageBox("Brindale Control isn't running!\rWould you like to run it now?",
                      Application->Title(), MB_YESNO | MB_ICONWARNING) != IDYES)
    return;
  HANDLE process = nullptr;
  // Quoted: in a folder with blanks no other program is started.
  WinExecAndWaitIdle("\"" + GetCurrentDir() + "\\Pellomar.exe\"", SW_SHOWNORMAL, 1000, process);
  if (process) CloseHandle(process);
  if (WindowExists(kControlCaption)) msgsendControl->PostMsg();
}

int TForm1::ModalMessageBox(const std::string& text, const std::string& caption, UINT flags) {
  // The box's message loop may deliver a run's messages; they must not
  // free the channel list under the caller.
  ++modalDepth;
  int result = MessageBoxA(Handle(), text.c_str(), caption.c_str(), flags);
  --modalDepth;
  return result;
}

void TForm1::SaveRecordChannels() {
  if (!dataIni || !channelList) return;
  dataIni->EraseSection("Entry List");
  dataIni->WriteInteger("Entry List", "numberEntries", 0);
  int entries = 0;
  for (int n = 1; n <= channelList->Count(); ++n) {
    if (channelList->GetActive(n) != 1) continue;
    dataIni->WriteString("Entry List", Format("entry%d", ++entries), channelList->GetSection(n));
  }
  dataIni->WriteInteger("Entry List", "numberEntries", entries);
}

void TForm1::SavePlayItem() {
  TContentSection* list = CurrentChannel();
  if (!list || list->Count() < 1 || currentChannel > TChannelList::MaxChannels) return;
  for (int row = 1; row < gridItems->RowCount(); ++row) {
    int item = EntryNum(row);
    if (item >= 1 && item <= list->Count())
      list->SetSelectedItem(item, gridItems->GetSelectedRow(row) ? 1 : 0);
  }
  list->Save();
  dataIni->EraseSection("Entry List");
  dataIni->WriteString("Entry List", "entry1", list->GetSection());
  dataIni->WriteInteger("Entry List", "numberEntries", 1);
}

bool TForm1::CheckFreeSpace() {
  // Counted in megabytes of 2^20 bytes: stricter than the Recorder's
  // millions of bytes, so a run started here is never refused there.
  return ::CheckFreeSpace(options.minRecSpace,
                          [this](const std::string& text, int seconds) {
                            ShowStatusLine(text, seconds);
                          });
}

bool TForm1::RecorderTypeIsWorking(int requiredType) const {
  return recorderKind == requiredType && RecorderIsRecording();
}

void TForm1::speedRecordNowClick(TObject* sender) {
  if (sender != speedRecordNow || HeldDown(speedRecordNow)) return;
  if (!CheckFreeSpace()) {
    speedRecordNow->SetAllowAllUp(true);
    speedRecordNow->SetDown(false);
    return;
  }
  SaveRecordChannels();
  if (dataIni->ReadInteger("Entry List", "numberEntries", 0) == 0) return;
  SendMsgToControl(WM_TEZ_START_SESSION, 0, true);
  if (WindowExists(kControlCaption)) {
    speedRecordNow->SetAllowAllUp(false);
    speedRecordNow->SetDown(true);
    speedRecordNow->Invalidate();
    TRecorderState state;
    SetRecorderState(state, 0, 7);
    recorderKind = state.kind;
    recorderState = state.state;
    stopRequested = 0;
    startRequestedAt = GetTickCount() | 1;
    OpenRunMail(true);
    DisplayRecorderState();
  } else {
    speedRecordNow->SetAllowAllUp(true);
    speedRecordNow->SetDown(false);
  }
}

void TForm1::speedPlayNowClick(TObject* sender) {
  TSpeedButton* button = dynamic_cast<TSpeedButton*>(sender);
  if (HeldDown(button)) return;
  if (sender != speedPlayNow && sender != mnuPlayNow) return;
  if (!CheckFreeSpace()) {
    speedPlayNow->SetAllowAllUp(true);
    speedPlayNow->SetDown(false);
    return;
  }
  SaveRecordChannels();
  if (dataIni->ReadInteger("Entry List", "numberEntries", 0) == 0) return;
  SendMsgToControl(WM_TEZ_START_SESSION, 100, true);
  if (WindowExists(kControlCaption)) {
    if (button) {
      button->SetAllowAllUp(false);
      button->SetDown(true);
    }
    recorderKind = 1;
    recorderState = 7;
    stopRequested = 0;
    startRequestedAt = GetTickCount() | 1;
    OpenRunMail(true);
    DisplayRecorderState();
  } else if (button) {
    button->SetAllowAllUp(true);
    button->SetDown(false);
  }
}

void TForm1::speedItemPlayNowClick(TObject* sender) {
  if (gridItems->EditorMode() || editingDescription) {
    int row = editRow;
    EndDescriptionEdit();
    RestoreDisplayText(row);
  }
  TSpeedButton* button = dynamic_cast<TSpeedButton*>(sender);
  if (HeldDown(button) || sender != btnPlayItem) return;
  SaveActiveChannel();
  SavePlayItem();
  if (dataIni->ReadInteger("Entry List", "numberEntries", 0) < 1) return;
  SendMsgToControl(WM_TEZ_START_SESSION, 150, true);
  if (WindowExists(kControlCaption)) {
    btnPlayItem->SetAllowAllUp(false);
    btnPlayItem->SetDown(true);
    recorderKind = 2;
    recorderState = 7;
    stopRequested = 0;
    startRequestedAt = GetTickCount() | 1;
    OpenRunMail(true);
    DisplayRecorderState();
  } else {
    btnPlayItem->SetAllowAllUp(true);
    btnPlayItem->SetDown(false);
  }
}

namespace {
struct StopMode {
  int mode;
  const char* text;
};
}  // namespace

void TForm1::speedRecordStopClick(TObject* sender) {
  if (sender == speedRecordStop || sender == mnuRecordStop) {
    if (HeldDown(speedRecordStop)) {
      if (WindowExists(kRecorderCaption)) return;
      lblItemStatus->SetCaption("Recording Cancelled");
      PostMessageA(Handle(), WM_TEZ_RECORDER_STATE, PackRecorderState({0, 0}), 0);
      return;
    }
  }
  msgsendRecorder->WindowCaption = kRecorderCaption;
  if (RecorderIsRecording() && WindowExists(kRecorderCaption)) {
    stopRequested = 1;
    AnimateGifs(false);
    speedRecordStop->SetAllowAllUp(false);
    speedRecordStop->SetDown(true);
    mnuRecordStop->SetChecked(true);
    SendMsgToControl(WM_TEZ_STOP_SESSION, 0, false);
    return;
  }
  lblItemStatus->SetCaption(sender == speedRecordStop || sender == mnuRecordStop
                                ? "Recording Cancelled"
                                : "");
  startRequestedAt = 0;
  PostMessageA(Handle(), WM_TEZ_RECORDER_STATE, PackRecorderState({0, 0}), 0);
}

void TForm1::speedPlayStopClick(TObject* sender) {
  bool own = sender == speedPlayStop || sender == mnuPlayStop;
  if (own && HeldDown(speedPlayStop)) return;
  msgsendRecorder->WindowCaption = kRecorderCaption;
  if (RecorderIsRecording() && WindowExists(kRecorderCaption)) {
    stopRequested = 1;
    AnimateGifs(false);
    speedPlayStop->SetAllowAllUp(false);
    speedPlayStop->SetDown(true);
    mnuPlayStop->SetChecked(true);
    SendMsgToControl(WM_TEZ_STOP_SESSION, 0, false);
    return;
  }
  lblItemStatus->SetCaption(own ? "Playing Cancelled" : "");
  startRequestedAt = 0;
  PostMessageA(Handle(), WM_TEZ_RECORDER_STATE, PackRecorderState({1, 0}), 0);
}

void TForm1::speedItemPlayStopClick(TObject* sender) {
  bool own = sender == btnStopPlay;
  if (own && HeldDown(btnStopPlay)) return;
  msgsendRecorder->WindowCaption = kRecorderCaption;
  if (RecorderIsRecording() && WindowExists(kRecorderCaption)) {
    stopRequested = 1;
    AnimateGifs(false);
    if (btnStopPlay) {
      btnStopPlay->SetAllowAllUp(false);
      btnStopPlay->SetDown(true);
    }
    SendMsgToControl(WM_TEZ_STOP_SESSION, 0, false);
    return;
  }
  lblItemStatus->SetCaption(own ? "Item Play Cancelled" : "");
  startRequestedAt = 0;
  PostMessageA(Handle(), WM_TEZ_RECORDER_STATE, PackRecorderState({2, 0}), 0);
}

void TForm1::wmSaveChannels(TMessage& msg) {
  if (!ready) {
    // Answered once the window is ready, so that a scheduled run is not lost.
    pendingSaveReply = static_cast<UINT>(msg.WParam);
    pendingSaveMode = msg.LParam;
    return;
  }
  UINT reply = static_cast<UINT>(msg.WParam);
  LPARAM mode = msg.LParam;
  if (mode != 150) SaveRecordChannels();
  if (ChannelListInUse()) {
    // A page or a dialog uses the list: its item files are written now and
    // the list is made again once they are done with it.
    for (int n = 1; n <= channelList->Count(); ++n)
      if (TContentSection* c = channelList->GetContents(n)) c->Save();
    reloadPending = true;
    pendingReloadMode = static_cast<int>(mode);
  } else {
    ReloadChannelList(false);
    channelList->ReloadRecordStates();
    if (mode != 150) PostMessageA(Handle(), WM_TEZ_REFRESH_VIEW, 0, 0);
  }
  if (startRequestedAt) startRequestedAt = GetTickCount() | 1;
  msgsendControl->WindowCaption = kControlCaption;
  msgsendControl->MsgVal = static_cast<int32_t>(reply);
  msgsendControl->MsgWParam = static_cast<int32_t>(mode);
  msgsendControl->msgLParam = 0;
  msgsendControl->PostMsg();
}

void TForm1::wmRecorderStateChange(TMessage& msg) {
  TRecorderState state = UnpackRecorderState(static_cast<uint8_t>(msg.WParam & 0xFF));
  recorderKind = state.kind;
  recorderState = state.state;
  if (!ready) return;
  // The start is answered: a report of state 7 means the controller is
  // still starting the Recorder.
  startRequestedAt = recorderState == 7 ? (GetTickCount() | 1) : 0;
  OpenRunMail(RecorderIsRecording());
  DisplayRecorderState();
}

void TForm1::OpenRunMail(bool open) {
  if (open) {
    mailCloseAt = 0;
    mainMailQueue->CreateNewMail(Handle(), WM_TEZ_MAIN_MAIL);
    try {
      if (!mailslotHalvorn->Active()) mailslotHalvorn->SetActive(true);
    } catch (const std::exception&) {
      // Another program holds the slot; the queue still brings the mail.
    }
  } else if (!mailCloseAt) {
    // Closed a little later: the run's last reports are still on their way.
    mailCloseAt = GetTickCount() | 1;
  }
}

void TForm1::DoPendingReload() {
  // Made again from the files, which the Recorder may have changed since:
  // the items are not written back. A deferred save request finishes as
  // it would have at once.
  reloadPending = false;
  ReloadChannelList(true);
  int mode = pendingReloadMode;
  pendingReloadMode = -1;
  if (mode >= 0) channelList->ReloadRecordStates();
  if (mode != 150) PostMessageA(Handle(), WM_TEZ_REFRESH_VIEW, 20, 0);
}

void TForm1::timerRunWatchTimer(TObject*) {
  DWORD now = GetTickCount();
  if (ready && pendingSaveReply) {
    TMessage m = {WM_TEZ_SAVE_CHANNELS, pendingSaveReply, pendingSaveMode, 0};
    pendingSaveReply = 0;
    wmSaveChannels(m);
  }
  if (startRequestedAt && recorderState == 7 && now - startRequestedAt > kStartTimeoutMs) {
    startRequestedAt = 0;
    recorderState = 0;
    OpenRunMail(false);
    DisplayRecorderState();
    lblItemStatus->SetCaption("");
    ShowStatusLine("Brindale Control did not start the run", 20);
  }
  if (mailCloseAt && !RecorderIsRecording() && now - mailCloseAt > kMailCloseDelayMs) {
    mailCloseAt = 0;
    TMessage m = {WM_TEZ_MAIN_MAIL, 0, 0, 0};
    OnMainMailQueueMsg(m);
    mainMailQueue->CloseMail();
    try {
      if (mailslotHalvorn->Active()) mailslotHalvorn->SetActive(false);
    } catch (const std::exception&) {
    }
  }
  if (reloadPending && !ChannelListInUse()) {
    DoPendingReload();
  }
  if (statesResetPending && !ChannelListInUse()) {
    // A new run works on the items again: they are not marked.
    if (RecorderIsRecording())
      statesResetPending = false;
    else
      ResetRecStatIcons();
  }
}

void TForm1::popmnuAutomaticRecClick(TObject*) {
  TfrmAskSchedTime1 dialog(nullptr);
  dialog.SetCaption("Brindale Recording Time");
  dialog.AutoRec = options.autoRecActive == 1;
  dialog.Hour = options.autoRecHour;
  dialog.Minutes = options.autoRecMin;
  dialog.AmPm = options.autoRecAmPm;
  ++modalDepth;
  int result = dialog.Execute();
  --modalDepth;
  if (result != 1 || !paramIni) return;
  options.autoRecActive = dialog.AutoRec ? 1 : 0;
  options.autoRecHour = dialog.Hour;
  options.autoRecMin = dialog.Minutes;
  options.autoRecAmPm = dialog.AmPm;
  paramIni->WriteInteger("AutoUpdate", "active", options.autoRecActive);
  if (options.autoRecActive == 1) {
    paramIni->WriteInteger("AutoUpdate", "hour", options.autoRecHour);
    paramIni->WriteInteger("AutoUpdate", "min", options.autoRecMin);
    paramIni->WriteInteger("AutoUpdate", "amPm", options.autoRecAmPm);
  }
  SendMsgToControl(WM_TEZ_SETTINGS_CHANGED, 0, false);
  PostMessageA(Handle(), WM_TEZ_SETTINGS_CHANGED, 0, 0);
}
