#include "RecorderDlg.h"

#include <mmsystem.h>

#include <cstdarg>

#include "TextReport.h"

const char* RunStateName(int state) {
  static const char* const kNames[] = {
      "eStateMachineState_Idle",           "eStateMachineState_InitializeMedia",
      "eStateMachineState_PlayHeader",     "eStateMachineState_DialerConnect",
      "eStateMachineState_ChannelOperator", "eStateMachineState_ChannelHeader",
      "eStateMachineState_ItemOperator",   "eStateMachineState_ItemPlayer",
      "eStateMachineState_ItemLog",        "eStateMachineState_SendLog",
      "eStateMachineState_DialerDisconnect", "eStateMachineState_StopMedia",
      "eStateMachineState_PlayFooter",     "eStateMachineState_Finishrecord",
      "eStateMachineState_Error",          "eStateMachineState_NotDefined"};
  return state >= 0 && state <= eStateMachineState_NotDefined ? kNames[state] : "Unknown";
}

CRecorderDlg::CRecorderDlg(bool startedByController)
    : CTezDialog(IDD_RECORDER, nullptr), m_startedByController(startedByController) {
  InitializeCriticalSection(&m_logLock);
  m_channelCursor = m_channels.end();
}

CRecorderDlg::~CRecorderDlg() {
  DeleteAll();
  if (m_log) fclose(m_log);
  DeleteCriticalSection(&m_logLock);
}

#define STEP(n) TEZ_ON_MESSAGE(n, &CRecorderDlg::Step<n>)

const TezMessageEntry* CRecorderDlg::GetMessageMap() const {
  static const TezMessageEntry kMap[] = {
      TEZ_ON_MESSAGE(WM_TEZ_TEXT_REPORT, &CRecorderDlg::OnTextReport),
      TEZ_ON_MESSAGE(WM_TEZ_LOG_QUEUED, &CRecorderDlg::OnLogQueued),
      TEZ_ON_MESSAGE(WM_TEZ_START, &CRecorderDlg::OnStartMessage),
      TEZ_ON_COMMAND(IDC_START, &CRecorderDlg::OnStartMessage),
      TEZ_ON_MESSAGE(WM_TEZ_ERROR, &CRecorderDlg::OnErrorMessage),
      TEZ_ON_MESSAGE(WM_TEZ_OK, &CRecorderDlg::OnOkMessage),
      TEZ_ON_MESSAGE(WM_TEZ_MAIL_QUEUED, &CRecorderDlg::OnMailQueued),
      TEZ_ON_MESSAGE(WM_TEZ_DEBUG, &CRecorderDlg::OnDebugMessage),
      TEZ_ON_MESSAGE(WM_TEZ_RECORDER_COMMAND, &CRecorderDlg::OnCommandMessage),
      TEZ_ON_MESSAGE(WM_TEZ_POST_INIT, &CRecorderDlg::OnPostInit),
      TEZ_ON_MESSAGE(WM_TEZ_RECORDER_TERMINATE, &CRecorderDlg::OnTerminateMessage),
      TEZ_ON_MESSAGE(WM_TEZ_STOP, &CRecorderDlg::OnStopMessage),
      TEZ_ON_COMMAND(IDC_STOP, &CRecorderDlg::OnStopMessage),
      TEZ_ON_MESSAGE(WM_TEZ_SKIP, &CRecorderDlg::OnSkipMessage),
      TEZ_ON_COMMAND(IDC_SKIP, &CRecorderDlg::OnSkipMessage),
      TEZ_ON_MESSAGE(WM_TEZ_HIDE, &CRecorderDlg::OnHide),
      TEZ_ON_MESSAGE(TEZ_MAIL_MEDIA, &CRecorderDlg::OnMediaMessage),
      TEZ_ON_MESSAGE(TEZ_MAIL_DIALER, &CRecorderDlg::OnDialerMessage),
      TEZ_ON_MESSAGE(TEZ_MAIL_CHANNEL_OPERATOR, &CRecorderDlg::OnChannelOpMessage),
      TEZ_ON_MESSAGE(TEZ_MAIL_ITEM_OPERATOR, &CRecorderDlg::OnItemOpMessage),
      TEZ_ON_MESSAGE(TEZ_MAIL_ITEM_PLAYER, &CRecorderDlg::OnItemPlayerMessage),
      TEZ_ON_MESSAGE(WM_TIMER, &CRecorderDlg::OnTimer),
      TEZ_ON_MESSAGE(WM_SHOWWINDOW, &CRecorderDlg::OnShowWindow),
      TEZ_ON_COMMAND(IDOK, &CRecorderDlg::OnOK),
      TEZ_ON_COMMAND(IDCANCEL, &CRecorderDlg::OnCancel),
      TEZ_ON_MESSAGE(WM_CLOSE, &CRecorderDlg::OnClose),
      TEZ_ON_COMMAND(IDC_CONNECT, &CRecorderDlg::OnConnect),
      TEZ_ON_COMMAND(IDC_DISCONNECT, &CRecorderDlg::OnDisconnect),
      TEZ_ON_COMMAND(IDC_DIAL_CHECK, &CRecorderDlg::OnDialCheck),
      STEP(STEP_LOAD_CHANNELS), STEP(STEP_SET_DIALER), STEP(STEP_CHANNEL_LOOP),
      STEP(STEP_INITIALIZE_MEDIA), STEP(STEP_NEXT_CHANNEL), STEP(STEP_CHANNEL_OPERATE),
      STEP(STEP_ITEM_LOOP), STEP(STEP_CHANNEL_HEADER_RESUME), STEP(STEP_CHANNEL_HEADER_PLAY),
      STEP(STEP_CHANNEL_HEADER_PAUSE), STEP(STEP_NEXT_ITEM), STEP(STEP_ITEM_OPERATORS_LOOP),
      STEP(STEP_NEXT_ITEM_OPERATOR), STEP(STEP_ITEM_PLAY_DIALER), STEP(STEP_ITEM_PLAY_RESUME),
      STEP(STEP_ITEM_PLAY), STEP(STEP_ITEM_PLAY_PAUSE), STEP(STEP_EDITION_HEADER_RESUME),
      STEP(STEP_EDITION_HEADER_MUSIC), STEP(STEP_EDITION_HEADER_MESSAGE),
      STEP(STEP_EDITION_HEADER_PAUSE), STEP(STEP_EDITION_FOOTER_RESUME),
      STEP(STEP_EDITION_FOOTER_MESSAGE), STEP(STEP_FINISH_DIALER), STEP(STEP_FINISH_MEDIA),
      STEP(STEP_RECORD_LOOP_FINISHED), STEP(STEP_ITEM_LOG), STEP(STEP_PRE_DISCONNECT),
      STEP(STEP_SEND_LOG_FINISHED),
      TEZ_END_MESSAGE_MAP};
  return kMap;
}

LRESULT CRecorderDlg::OnTextReport(WPARAM wParam, LPARAM) {
  const ATOM atom = ATOM(wParam);
  char text[257] = {};
  if (GlobalGetAtomNameA(atom, text, sizeof text - 1)) WriteLine(text);
  GlobalDeleteAtom(atom);
  return 0;
}

LRESULT CRecorderDlg::OnLogQueued(WPARAM, LPARAM) {
  DrainLog();
  return 0;
}

LRESULT CRecorderDlg::OnStartMessage(WPARAM, LPARAM) {
  OnOperate();
  return 0;
}

LRESULT CRecorderDlg::OnOkMessage(WPARAM, LPARAM) {
  MessageBoxA(m_hwnd, "OnOkMessage() - Not Used !!!", "Recorder", MB_OK);
  return 0;
}

LRESULT CRecorderDlg::OnPostInit(WPARAM, LPARAM) {
  Log("OnPostInit()");
  return 0;
}

LRESULT CRecorderDlg::OnStopMessage(WPARAM, LPARAM) {
  OnStop();
  return 0;
}

LRESULT CRecorderDlg::OnSkipMessage(WPARAM, LPARAM) {
  OnSkip();
  return 0;
}

LRESULT CRecorderDlg::OnHide(WPARAM, LPARAM) {
  ShowWindow(m_hwnd, SW_HIDE);
  return 0;
}

LRESULT CRecorderDlg::OnShowWindow(WPARAM wParam, LPARAM) {
  if (wParam && m_startedByController) PostMessage(WM_TEZ_HIDE);
  return 0;
}

LRESULT CRecorderDlg::OnTimer(WPARAM wParam, LPARAM) {
  if (wParam == kRunClockTimer) RunClock();
  if (wParam == kRefusedCallTimer) {
    KillTimer(m_hwnd, kRefusedCallTimer);
    if (m_running && !m_terminating) PostMessage(WM_TEZ_ERROR);
  }
  return 0;
}

LRESULT CRecorderDlg::OnOK(WPARAM, LPARAM) {
  Log("OnOK()");
  PostMessage(WM_TEZ_RECORDER_TERMINATE);
  return 0;
}

LRESULT CRecorderDlg::OnCancel(WPARAM, LPARAM) {
  Log("OnCancel()");
  PostMessage(WM_TEZ_RECORDER_TERMINATE);
  return 0;
}

LRESULT CRecorderDlg::OnClose(WPARAM, LPARAM) {
  Log("OnClose()");
  PostMessage(WM_TEZ_RECORDER_TERMINATE);
  return 0;
}

LRESULT CRecorderDlg::OnConnect(WPARAM, LPARAM) {
  if (m_dialer) m_dialer->Connect(1);
  return 0;
}

LRESULT CRecorderDlg::OnDisconnect(WPARAM, LPARAM) {
  if (m_dialer) m_dialer->Connect(0);
  return 0;
}

LRESULT CRecorderDlg::OnDialCheck(WPARAM, LPARAM) {
  if (m_dialer) m_dialer->Connect(IsDlgButtonChecked(m_hwnd, IDC_DIAL_CHECK) == BST_CHECKED);
  return 0;
}

LRESULT CRecorderDlg::OnRecordMessage(UINT category, WPARAM) {
  // A record pointer in a window message is trusted from nobody: no part
  // of this process posts one, and one from outside would point anywhere.
  if (!m_terminating) LogF("Record by window message %u ignored", category);
  return 0;
}

LRESULT CRecorderDlg::OnDebugMessage(WPARAM wParam, LPARAM) {
  Log("OnDebugMessage");
  if (wParam == 105) {
    LogF("state == %s", RunStateName(m_runState));
  } else if (wParam == 205) {
    Log("Force termiante");
    WriteRecorderState(1);
    ReportState(1);
    OnTerminateMessage(0, 0);
  } else {
    Log("Undefined debug message");
  }
  return 0;
}

LRESULT CRecorderDlg::OnTerminateMessage(WPARAM, LPARAM) {
  if (m_terminating) return 0;
  m_terminating = true;
  Log("OnTerminateMessage()");
  DeleteAll();
  DrainLog();
  m_editLogging = false;
  if (m_log) {
    fclose(m_log);
    m_log = nullptr;
  }
  mciSendStringA("close all wait", nullptr, 0, nullptr);
  EndDialog(IDOK);
  return 0;
}
