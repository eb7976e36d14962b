#include "FtpGetDlg.h"

#include "DataItem.h"
#include "IniManager.h"
#include "ItemOperatorFrame.h"
#include "MailMessage.h"
#include "TextUtil.h"

CFtpGetDlg::CFtpGetDlg(CItemOperatorFrame& frame, HWND parent)
    : CFetchDlg(frame, parent, IDC_FTP_STATUS, IDC_FTP_LINK, IDC_FTP_OUTPUT), m_control(this) {}

CFtpGetDlg::~CFtpGetDlg() = default;

const TezMessageEntry* CFtpGetDlg::GetMessageMap() const {
  static const TezMessageEntry map[] = {
      TEZ_FETCH_DLG_ENTRIES(CFtpGetDlg, IDC_FTP_STOP),
      TEZ_ON_COMMAND(IDC_FTP_GET, &CFtpGetDlg::OnGetButton),
      TEZ_END_MESSAGE_MAP,
  };
  return map;
}

void CFtpGetDlg::InitLibrary() {
  m_currentDir = InCurrentDirectory("");
  if (CIniManager* ini = m_frame.Ini()) {
    const std::string param = m_currentDir + "TezParam.inx";
    const int useProxy = ini->GetInt(param.c_str(), "Proxies", "useProxy");
    const std::string host = ini->GetString(param.c_str(), "Proxies", "ftpHost");
    const int port = ini->GetInt(param.c_str(), "Proxies", "ftpPort");
    if (useProxy && !host.empty() && port) {
      m_control.Proxy().SetUse(FTPCTL_PROXY_USER_AT_HOST);
      m_control.Proxy().SetHost(host);
      m_control.Proxy().SetPort(port);
    }
  }
  OpenMailLinkOrEnd();
}

void CFtpGetDlg::OnCleanup() {
  m_control.Cancel();
  m_control.GetFile((std::string("ftp://") + kCleanupHostPath).c_str(), nullptr, nullptr);
  m_control.Cancel();
  KillEndTimer();
}

void CFtpGetDlg::Refuse(CDataItem* item, const char* hint, const char* status) {
  item->SetRecStatus(6);
  item->SetErrorHint(hint, 1);
  MailError(nullptr);
  PostStatus(status);
  MailEvent(TEZ_EVENT_STOP);
}

void CFtpGetDlg::Operate(CDataItem* item) {
  std::string link;
  CUrlParts parts;
  if (!item->GetFirstFile(link, nullptr, &parts, 0) || link.empty())
    return Refuse(item, "Bad URL", "Bad link. Request Ignored");
  if (ToLower(parts.scheme) != "ftp")
    return Refuse(item, "Non ftp URL", "Non FTP link. Request Ignored");
  std::string output;
  if (!item->GetNewTempFile(output, "tzx", 0, nullptr))
    return Refuse(item, "Failed to get temp file.", "Failed to get temp file. Request Ignored");
  m_link = link;
  m_outputFile = output;
  PostStatus("output file  : " + m_outputFile);
  m_item = item;
  m_start = static_cast<int32_t>(time(nullptr));
  item->SetDownloadTimes(m_start, -1, -1);
  m_working = 1;
  MailEvent(TEZ_EVENT_START);
  Post(WM_TEZ_OP_SHOW_FIELDS, 0);
  Post(WM_TEZ_OP_START);
}

LRESULT CFtpGetDlg::OnGetButton(WPARAM, LPARAM) {
  if (m_working) return 0;  // one fetch at a time
  ExchangeFields(true);
  m_lastProgress = 0;
  m_item = nullptr;
  m_working = 1;
  Post(WM_TEZ_OP_START);
  return 0;
}

void CFtpGetDlg::Start() {
  if (!m_working) return;  // stopped before the start was delivered
  m_errorSeen = m_stopped = m_errorReported = 0;
  m_transferDone = 0;
  m_errorText.clear();
  m_lastProgress = 0;
  if (!m_control.GetFile(m_link.c_str(), nullptr, m_outputFile.c_str())) {
    SetStatus("Error: " + m_control.LastError());
    Fail(m_control.LastError());
  }
}

void CFtpGetDlg::Stop() {
  m_stopped = 1;
  if (m_endTimer) {  // the file is complete: keep it
    KillEndTimer();
    Succeed();
  } else if (m_control.Busy()) {
    m_control.Cancel();  // the closed state ends the operation
  } else if (m_working) {
    DropOutput();
    if (m_item) m_item->SetRecStatus(1);
    Finish();
  }
}

void CFtpGetDlg::Fail(const std::string& hint) {
  DropOutput();
  if (m_item) {
    m_item->SetRecStatus(6);
    m_item->SetErrorHint(hint.c_str(), 1);
  }
  MailError(nullptr);
  m_errorReported = 1;
  Finish();
}

void CFtpGetDlg::DropOutput() {
  if (m_item) m_item->DeleteNewTempFile();
}

void CFtpGetDlg::Finish() {
  if (!m_working) return;
  m_working = 0;
  // A complete file of the dialog's own fetch goes to no item: no mail.
  const bool mail = m_item || !m_transferDone;
  m_item = nullptr;
  if (mail) MailEvent(TEZ_EVENT_STOP);
}

void CFtpGetDlg::OnDocOutput(CFtpDocOutput& doc) {
  if (doc.Stage() != FTPCTL_DOC_DATA || !m_working) return;
  ReportProgress(doc.BytesTransferred(), doc.BytesTotal());
}

void CFtpGetDlg::OnError(short number, std::string& description, long, const std::string&,
                         const std::string&, long, BOOL*) {
  SetStatus(FormatText("FTP Error #%d - %s", number, description.c_str()));
  m_errorSeen = 1;
  m_errorText = description;
}

void CFtpGetDlg::OnStateChanged(short state) {
  SetStatus(FormatText("State Changed: %d - %s", state, m_control.StateString().c_str()));
  if (state != FTPCTL_STATE_CLOSED || !m_working) return;
  if (m_stopped) {
    DropOutput();
    if (m_item) m_item->SetRecStatus(1);
    Finish();
  } else if (m_errorSeen && !m_errorReported) {
    Fail("FTP error: " + m_errorText);
  }
}

void CFtpGetDlg::OnProtocolStateChanged(short state) {
  SetStatus("Protocol State Changed: " + m_control.ProtocolStateString());
  if (state != FTPCTL_PROTOCOL_BASE) return;
  KillEndTimer();
  if (m_errorSeen || m_stopped || !m_working) return;
  if (m_item) {
    m_finish = static_cast<int32_t>(time(nullptr));
    int32_t size = 0;
    FileSize32(m_outputFile, size);
    m_item->SetDownloadTimes(m_start, m_finish, size);
  }
  m_transferDone = 1;
  ArmEndTimer();
}
