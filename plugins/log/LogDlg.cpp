#include "LogDlg.h"

#include "DataItem.h"
#include "FetchDlg.h"
#include "IniManager.h"
#include "ItemOperatorFrame.h"
#include "LogFiles.h"
#include "MailMessage.h"

namespace {

constexpr UINT_PTR kSendTimerId = 6212;
constexpr UINT kSendTimerMs = 40000;
constexpr int kDefaultTimeoutMs = 10000;
constexpr unsigned long kPaneFileLimit = 100000;
const char kDocumentFile[] = "TezP1.inx";
const char kArchiveFile[] = "TezP2.inx";
const char kPaneFile[] = "TezLog.log";

}  // namespace

CLogDlg::CLogDlg(CItemOperatorFrame& frame, HWND parent)
    : CItemOperatorDlg(frame, parent, IDC_LOG_STATUS), m_control(this) {}

CLogDlg::~CLogDlg() = default;

const TezMessageEntry* CLogDlg::GetMessageMap() const {
  static const TezMessageEntry map[] = {
      TEZ_ITEM_OPERATOR_DLG_ENTRIES(CLogDlg),
      TEZ_ON_MESSAGE(WM_TEZ_OP_START, &CLogDlg::OnLogItemMessage),
      TEZ_ON_MESSAGE(WM_TEZ_LOG_SEND, &CLogDlg::OnSendLogMessage),
      TEZ_ON_MESSAGE(WM_TEZ_LOG_SENT, &CLogDlg::OnSentMessage),
      TEZ_ON_MESSAGE(WM_TEZ_LOG_FAIL, &CLogDlg::OnFailMessage),
      TEZ_ON_MESSAGE(WM_TEZ_LOG_STOP, &CLogDlg::OnStopMessage),
      TEZ_END_MESSAGE_MAP,
  };
  return map;
}

void CLogDlg::InitLibrary() {
  OpenMailLinkOrEnd();
  m_currentDir = InCurrentDirectory("");
  m_document = m_currentDir + kDocumentFile;
  CIniManager* ini = m_frame.Ini();
  if (!ini) return;
  m_paneToFile = ini->GetInt("TezItemOperators.inx", "TezLog.dll", "logFile");
  DeleteWhenLarger(m_currentDir + kPaneFile, kPaneFileLimit);
  SetStatus("********** OnInitDialog() **********");
  const std::string param = m_currentDir + "TezParam.inx";
  m_userId = ini->GetString(param.c_str(), "DragDrop", "tezID");
  m_logUrl = ini->GetString(param.c_str(), "Recorder", "logUrl");
  m_timeout = ini->GetInt(param.c_str(), "DragDrop", "timeout");
  if (m_timeout <= 0) m_timeout = kDefaultTimeoutMs;
  SetStatus(FormatText("Timeout value : %d milliseconds", m_timeout));
  const int useProxy = ini->GetInt(param.c_str(), "Proxies", "useProxy");
  const std::string host = ini->GetString(param.c_str(), "Proxies", "httpHost");
  const int port = ini->GetInt(param.c_str(), "Proxies", "httpPort");
  if (useProxy && !host.empty() && port) {
    SetStatus("Proxy set.");
    m_control.Proxy().SetUse(TRUE);
    m_control.Proxy().SetHost(host);
    m_control.Proxy().SetPort(port);
  }
}

void CLogDlg::OnStatusLine(const std::string& text) {
  if (m_paneToFile && !m_currentDir.empty()) AppendPaneLine(m_currentDir + kPaneFile, text);
}

void CLogDlg::OnCleanup() {
  DisarmTimeouts();
  m_control.Cancel();
  m_control.GetDoc((std::string("http://") + kCleanupHostPath).c_str(), nullptr, nullptr);
  m_control.Cancel();
  KillSendTimer();
}

void CLogDlg::LogItem(CDataItem* item, const char* text) {
  m_logItem = item;
  m_logText = text ? text : "";
  MailEvent(TEZ_EVENT_START);
  Post(WM_TEZ_OP_START);
}

LRESULT CLogDlg::OnLogItemMessage(WPARAM, LPARAM) {
  SetStatus("OnLogItemMessage()");
  if (m_logItem) {
    const std::string error =
        AppendLogLine(m_document, *m_logItem, m_userId.c_str(), m_logText.c_str());
    if (!error.empty()) {
      SetStatus("Error opening log file : " + error);
      MailError(m_status.c_str());
    }
  }
  m_logItem = nullptr;
  MailEvent(TEZ_EVENT_STOP);
  return 0;
}

void CLogDlg::SendLog() {
  MailEvent(TEZ_EVENT_START);
  Post(WM_TEZ_LOG_SEND);
}

LRESULT CLogDlg::OnSendLogMessage(WPARAM, LPARAM) {
  SetStatus("OnSendLogMessage");
  m_sending = 1;
  m_delivered = 0;
  if (GetFileAttributesA(m_document.c_str()) == INVALID_FILE_ATTRIBUTES) {
    SetStatus("Empty log file");
    FinishSend();
    return 0;
  }
  KillSendTimer();
  m_sendTimer = SetTimer(m_hwnd, kSendTimerId, kSendTimerMs, nullptr);
  m_timeoutsArmed = 1;
  m_control.SetTimeout(HTTPCTL_TIMEOUT_CONNECT, m_timeout);
  m_control.SetTimeout(HTTPCTL_TIMEOUT_RECEIVE, 2 * m_timeout);
  m_errorSeen = m_errorReported = m_stopped = 0;
  // The control takes the document as it stands now; later lines wait.
  int32_t size = 0;
  FileSize32(m_document, size);
  m_sentBytes = size;
  if (!m_control.SendDoc(m_logUrl.c_str(), nullptr, nullptr, m_document.c_str(), nullptr)) {
    SetStatus("Error : " + m_control.LastError());
    DisarmTimeouts();
    KillSendTimer();
    SendFailed();
  }
  return 0;
}

void CLogDlg::OnTimer(UINT_PTR id) {
  SetStatus("OnTimer()");
  if (id != kSendTimerId) return;
  KillSendTimer();
  Post(WM_TEZ_LOG_FAIL);
}

void CLogDlg::OnTimeout(short event, BOOL*) {
  SetStatus(FormatText("Timeout event = %d", event));
  if (event == HTTPCTL_TIMEOUT_CONNECT || event == HTTPCTL_TIMEOUT_RECEIVE) Post(WM_TEZ_LOG_FAIL);
}

void CLogDlg::OnError(short number, std::string& description, long, const std::string&,
                      const std::string&, long, BOOL*) {
  SetStatus(FormatText("HTTP Error #%d - %s", number, description.c_str()));
  SetError();
}

LRESULT CLogDlg::OnFailMessage(WPARAM, LPARAM) {
  SetError();
  return 0;
}

// A failure that comes after the receiver took the document is too late to
// matter: the document is archived.
void CLogDlg::SetError() {
  SetStatus("SetError()");
  if (m_errorSeen || !m_sending || m_delivered) return;
  m_errorSeen = 1;
  m_control.Cancel();
}

LRESULT CLogDlg::OnStopMessage(WPARAM, LPARAM) {
  SetStatus("Stop()");
  m_stopped = 1;
  m_control.Cancel();  // a running send ends in the closed state
  return 0;
}

void CLogDlg::OnStateChanged(short state) {
  SetStatus(FormatText("State Changed: %d - %s", state, m_control.StateString().c_str()));
  if (state != HTTPCTL_STATE_CLOSED) return;
  DisarmTimeouts();
  KillSendTimer();
  if (!m_sending || m_delivered) return;  // a delivered document ends when archived
  if (m_errorSeen && !m_errorReported) {
    SendFailed();
  } else if (m_stopped) {
    FinishSend();
  }
}

void CLogDlg::OnProtocolStateChanged(short state) {
  SetStatus("Protocol State Changed: " + m_control.ProtocolStateString());
  if (state != HTTPCTL_PROTOCOL_BASE) return;
  DisarmTimeouts();
  KillSendTimer();
  if (!m_sending || m_errorSeen || m_stopped) return;
  const long code = m_control.ReplyCode();
  if (code < 200 || code > 299) {
    // The receiver did not take the document: it stays for the next send.
    SetStatus(FormatText("Reply code == %ld", code));
    m_errorSeen = 1;
    return;
  }
  m_delivered = 1;
  SetStatus("Finished sending log");
  Post(WM_TEZ_LOG_SENT);
}

void CLogDlg::OnDocOutput(CHttpDocOutput&) {}

LRESULT CLogDlg::OnSentMessage(WPARAM, LPARAM) {
  if (!m_sending || !m_delivered) return 0;
  const std::string error = ArchiveLog(m_document, m_currentDir + kArchiveFile, m_sentBytes);
  if (!error.empty()) {
    SetStatus("Error opening log file : " + error);
    MailError(m_status.c_str());
  }
  FinishSend();
  return 0;
}

void CLogDlg::SendFailed() {
  SetStatus("Error sending log file");
  MailError(m_status.c_str());
  m_errorReported = 1;
  FinishSend();
}

void CLogDlg::FinishSend() {
  if (!m_sending) return;
  m_sending = 0;
  m_delivered = 0;
  m_stopped = 0;
  MailEvent(TEZ_EVENT_STOP);
}

void CLogDlg::DisarmTimeouts() {
  if (!m_timeoutsArmed) return;
  m_control.EnableTimer(HTTPCTL_TIMEOUT_CONNECT, 0);
  m_control.EnableTimer(HTTPCTL_TIMEOUT_RECEIVE, 0);
  m_timeoutsArmed = 0;
}

void CLogDlg::KillSendTimer() {
  if (m_sendTimer) KillTimer(m_hwnd, kSendTimerId);
  m_sendTimer = 0;
}
