// The run: start, stop, skip, the run clock and the helpers the steps
// share.
#include "RecorderDlg.h"

void CRecorderDlg::Await(int category, UINT step, int event) {
  m_continuation = step;
  m_continuationFrom = category;
  m_continuationEvent = event;
}

void CRecorderDlg::Continue(int category, int event) {
  // Only the answer to the call the step waits for may post it, and only
  // once: a late or repeated answer finds no continuation, and the medium's
  // late answer to an earlier call is not the answer to a later one.
  if (!m_continuation || category != m_continuationFrom) return;
  if (m_continuationEvent >= 0 && event != m_continuationEvent) return;
  const UINT step = m_continuation;
  m_continuation = 0;
  m_continuationFrom = 0;
  Next(step);
}

void CRecorderDlg::MediaCalled(int result, const char* step) {
  if (result > 0) return;
  // The medium did not take the call, so no answer will come: the run ends,
  // after a moment in which the medium's own error mail may still arrive
  // and end it with its text.
  LogF("%s() : the media library refused the call", step);
  m_continuation = 0;
  SetTimer(m_hwnd, kRefusedCallTimer, 1000, nullptr);
}

bool CRecorderDlg::Stopping(const char* step) {
  if (!m_stop) return false;
  LogF("%s(): stop recording ", step);
  return true;
}

CRecorderChannel* CRecorderDlg::CurrentChannel() const { return m_channel; }

bool CRecorderDlg::KeepItem(const CDataItem* item) const {
  if (m_playSelectedItem) return item->GetSelectedItem() != 0;
  return item->GetRecStatus() == 1 && item->GetItemStatus() != 3;
}

CDataItem* CRecorderDlg::NextKeptItem() {
  if (!m_channel) return nullptr;
  const std::vector<CDataItem*>& items = m_channel->Items();
  while (m_itemCursor < items.size()) {
    CDataItem* item = items[m_itemCursor];
    if (KeepItem(item)) return item;
    ++m_itemCursor;
  }
  return nullptr;
}

bool CRecorderDlg::DiskShort() {
  typedef BOOL(WINAPI * FreeSpaceEx_t)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                       PULARGE_INTEGER);
  auto freeSpaceEx = reinterpret_cast<FreeSpaceEx_t>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
  uint64_t available = 0;
  if (freeSpaceEx) {
    ULARGE_INTEGER free, total, totalFree;
    if (!freeSpaceEx(nullptr, &free, &total, &totalFree)) return true;
    available = free.QuadPart;
  } else {
    DWORD sectors, bytes, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(nullptr, &sectors, &bytes, &freeClusters, &clusters)) return true;
    available = uint64_t(sectors) * bytes * freeClusters;
  }
  return available <= m_minRecSpace;
}

std::string CRecorderDlg::NextRecordFile() {
  char name[32];
  snprintf(name, sizeof name, "tez%04d.wav", ++m_fileCounter);
  std::string path = m_filesFolder + name;
  m_recordFiles.push_back(path);
  return path;
}

void CRecorderDlg::SetRecStatus(CDataItem* item, int status) {
  if (item) item->SetRecStatus(status);
}

void CRecorderDlg::Pause(UINT next) {
  Await(TEZ_MAIL_MEDIA, next, TEZ_EVENT_READY);
  const int called = m_record2File ? m_pMedia->PauseWithWavs(m_recordFiles) : m_pMedia->Pause();
  if (!called) {
    // A medium that cannot pause sends nothing: go on.
    m_continuation = 0;
    Next(next);
  }
}

void CRecorderDlg::Connect(int connect, UINT next) {
  Await(TEZ_MAIL_DIALER, next);
  const int result = m_dialer ? m_dialer->Connect(connect) : 0;
  if (result <= 0) {
    // Dialing did not start: no state mail will come.
    m_continuation = 0;
    Next(next);
  }
}

void CRecorderDlg::PlayWave(const std::string& name, UINT next) {
  const std::string path = m_wavFolder + name + "." + m_playerFormat;
  Await(TEZ_MAIL_ITEM_PLAYER, next);
  const std::string record = m_record2File ? NextRecordFile() : std::string();
  if (!m_pWavPlayer || !m_pWavPlayer->PlayFile(path.c_str(), m_record2File,
                                               m_record2File ? record.c_str() : nullptr)) {
    LogF("Wav player did not play %s", path.c_str());
    m_continuation = 0;
    Next(next);
  }
}

void CRecorderDlg::OnOperate() {
  if (m_terminating) return;
  Log("OnOperate()");
  if (m_running) {
    Log("OnOperate() - a run is working, start refused");
    return;
  }
  m_errorReported = false;
  m_stepDue = 0;
  if (m_audioSwitch) {
    if (!SwitchAudioDevice("Brindale Wave Device")) {
      Log("Failed switching to Brindale wave device !!!");
      m_initError = true;
    }
  } else {
    m_prevAudioDevice.clear();
  }
  if (m_initError) {
    Log("Initilize error - operation halted");
    SetErrorHint("Internal error.");
    Report(TEZ_REPORT_ERROR, 0);
    PostMessage(WM_TEZ_ERROR);
    return;
  }
  m_running = true;
  m_runStart = m_lastTick = GetTickCount();
  m_recorded = m_elapsed = m_resumeMark = m_mediaPosition = 0;
  m_mediaPositionArrived = m_playerStatusArrived = false;
  SetTimer(m_hwnd, kRunClockTimer, 500, nullptr);
  m_clockRunning = true;
  m_mediaEvent = 0;
  WriteRecorderState(2);
  ReportState(2);
  m_runState = eStateMachineState_Idle;
  SetErrorHint(nullptr);
  EnableDlgItem(IDC_STOP, TRUE);
  m_stop = m_skip = m_blankPauseMark = false;
  m_continuation = 0;
  m_recordFiles.clear();
  m_item = nullptr;
  m_operator = nullptr;
  Next(STEP_LOAD_CHANNELS);
}

void CRecorderDlg::OnStop() {
  if (m_terminating || m_stop || !m_running) return;
  LogF("OnStop: state == %ld", long(m_runState));
  m_stop = true;
  switch (m_runState) {
    case eStateMachineState_InitializeMedia:
      // The step goes on now, unless the medium's answer has already posted
      // it; a later answer finds no continuation.
      if (m_continuation == STEP_EDITION_HEADER_RESUME) {
        m_continuation = 0;
        Next(STEP_EDITION_HEADER_RESUME);
      }
      break;
    case eStateMachineState_PlayHeader:
    case eStateMachineState_ChannelHeader:
    case eStateMachineState_PlayFooter:
      if (!m_pWavPlayer || !m_pWavPlayer->Stop())
        Log("OnStop() : eStateMachineState_PlayHeader / PlayFooter / ChannelHeader");
      break;
    case eStateMachineState_ChannelOperator:
      if (!m_channel || !m_channel->Operator() || !m_channel->Operator()->Stop())
        Log("OnStop() : eStateMachineState_ChannelOperator");
      break;
    case eStateMachineState_ItemOperator:
      if (!m_operator || !m_operator->Stop()) Log("OnStop() : eStateMachineState_ItemOperator");
      break;
    case eStateMachineState_ItemPlayer:
      if (!m_item || !m_item->GetPlayer() || !m_item->GetPlayer()->Stop())
        Log("OnStop() : eStateMachineState_ItemPlayer");
      break;
    case eStateMachineState_SendLog:
      if (!m_logOperator || !m_logOperator->Stop()) Log("OnStop() : eStateMachineState_SendLog");
      break;
    case eStateMachineState_Finishrecord:
      if (!m_pMedia->Stop()) Log("OnStop() : eStateMachineState_FinishRecord");
      break;
    default:
      Log("OnStop() : Undefined state");
      break;
  }
}

void CRecorderDlg::OnSkip() {
  if (m_terminating || m_stop || !m_running) return;
  Log("OnSkip()");
  if (m_runState == eStateMachineState_ItemOperator && m_operator) {
    m_skip = true;
    m_operator->Stop();
  } else if (m_runState == eStateMachineState_ItemPlayer && m_item && m_item->GetPlayer()) {
    m_item->GetPlayer()->Stop();
  }
}

static std::string MinutesSeconds(DWORD ms) {
  char text[16];
  snprintf(text, sizeof text, "%02lu:%02lu", (unsigned long)(ms / 60000),
           (unsigned long)(ms / 1000 % 60));
  return text;
}

void CRecorderDlg::RunClock() {
  const DWORD now = GetTickCount();
  m_elapsed = now - m_runStart;
  const DWORD delta = now - m_lastTick;
  m_lastTick = now;
  SetDlgItemText(IDC_ELAPSED, MinutesSeconds(m_elapsed).c_str());
  EnterCriticalSection(&m_logLock);
  const bool playerRunning = m_runState != eStateMachineState_ItemPlayer ||
                             m_lastPlayerEvent == TEZ_EVENT_START ||
                             m_lastPlayerEvent == TEZ_EVENT_RESUME;
  if ((m_mediaEvent == TEZ_EVENT_START && playerRunning) || m_mediaPositionArrived) {
    if (m_mediaPositionArrived) {
      m_recorded = m_mediaPosition + m_resumeMark;
      m_resumeMark = m_recorded;
    } else if (m_runState != eStateMachineState_Finishrecord && !m_stop) {
      m_recorded += delta;
      m_mediaPosition += delta;
    }
    m_mediaPositionArrived = false;
    SetDlgItemText(IDC_RECORDED, MinutesSeconds(m_recorded).c_str());
    SetDlgItemText(IDC_MEDIA_TIME, MinutesSeconds(m_mediaPosition).c_str());
  }
  if (m_playerStatusArrived) {
    char text[32];
    snprintf(text, sizeof text, "%02d:%02d / %02d:%02d", m_playerSeconds[0] / 60,
             m_playerSeconds[0] % 60, m_playerSeconds[1] / 60, m_playerSeconds[1] % 60);
    SetDlgItemText(IDC_PLAYER_TIME, text);
    m_playerStatusArrived = false;
  }
  const int totals[4] = {m_recorderState, int(m_elapsed), int(m_recorded),
                         m_lengthLimited ? int(m_lengthLimit) : 0};
  LeaveCriticalSection(&m_logLock);
  ReportMail(TEZ_REPORT_TOTALS, 4, totals, nullptr);
  if (m_lengthLimited && m_recorded >= m_lengthLimit && !m_stop) {
    Log("Media length exceeded. Stops recroding");
    OnStop();
  }
}

LRESULT CRecorderDlg::OnErrorMessage(WPARAM, LPARAM) {
  if (m_terminating) return 0;
  Log("OnErrorMessage()");
  // A run halts once: a second error (the medium's own error mail after a
  // refused call had already halted the run) is not reported again.
  if (m_runState == eStateMachineState_Error && m_errorReported) return 0;
  KillTimer(m_hwnd, kRefusedCallTimer);
  m_runState = eStateMachineState_Error;
  m_continuation = 0;
  m_running = false;
  WriteRecorderState(1);
  if (m_clockRunning) KillTimer(m_hwnd, kRunClockTimer);
  m_clockRunning = false;
  if (m_mixer) m_mixer->Restore();
  if (!m_errorReported) Report(TEZ_REPORT_ERROR, 0);
  m_errorReported = true;
  return 0;
}
