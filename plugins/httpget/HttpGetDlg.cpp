#include "HttpGetDlg.h"

#include <cstdio>
#include <cstdlib>

#include "CookieLookup.h"
#include "DataItem.h"
#include "HttpReplyCheck.h"
#include "IniManager.h"
#include "ItemOperatorFrame.h"
#include "MailMessage.h"
#include "SplitUrl.h"
#include "TextUtil.h"

namespace {

// The path of a link as written (case kept), "/" when it has none.
std::string LinkPath(const std::string& link) {
  size_t s = link.find("://");
  size_t p = s == std::string::npos ? std::string::npos : link.find('/', s + 3);
  return p == std::string::npos ? "/" : link.substr(p);
}

}  // namespace

CHttpGetDlg::CHttpGetDlg(CItemOperatorFrame& frame, HWND parent)
    : CFetchDlg(frame, parent, IDC_HTTP_STATUS, IDC_HTTP_LINK, IDC_HTTP_OUTPUT),
      m_control(this) {}

CHttpGetDlg::~CHttpGetDlg() = default;

const TezMessageEntry* CHttpGetDlg::GetMessageMap() const {
  static const TezMessageEntry map[] = {
      TEZ_FETCH_DLG_ENTRIES(CHttpGetDlg, IDC_HTTP_STOP),
      TEZ_ON_COMMAND(IDC_HTTP_GET, &CHttpGetDlg::OnGetButton),
      TEZ_END_MESSAGE_MAP,
  };
  return map;
}

void CHttpGetDlg::InitLibrary() {
  m_currentDir = InCurrentDirectory("");
  CIniManager* ini = m_frame.Ini();
  if (!ini) return;
  std::string param = m_currentDir + "TezParam.inx";
  int useProxy = ini->GetInt(param.c_str(), "Proxies", "useProxy");
  std::string host = ini->GetString(param.c_str(), "Proxies", "httpHost");
  int port = ini->GetInt(param.c_str(), "Proxies", "httpPort");
  if (useProxy && !host.empty() && port) {
    m_control.Proxy().SetUse(TRUE);
    m_control.Proxy().SetHost(host);
    m_control.Proxy().SetPort(port);
  }
}

void CHttpGetDlg::OnCleanup() {
  m_control.Cancel();
  m_control.GetDoc((std::string("http://") + kCleanupHostPath).c_str(), nullptr, nullptr);
  m_control.Cancel();
  for (const std::string& file : m_deleteList) DeleteFileA(file.c_str());
  m_deleteList.clear();
  KillEndTimer();
}

void CHttpGetDlg::Operate(CDataItem* item) {
  auto refuse = [&](const char* hint, const char* status) {
    item->SetRecStatus(6);
    item->SetErrorHint(hint, 1);
    MailError(hint);
    PostStatus(status);
    MailEvent(TEZ_EVENT_STOP);
  };
  std::string link;
  if (!item->GetFirstFile(link, 0) || link.empty()) {
    refuse("Bad URL", "Bad or empty link. Request Ignored");
    return;
  }
  if (ToLower(link).find("http://") == std::string::npos) {
    refuse("Non http URL", "Non HTTP link. Request Ignored");
    return;
  }
  m_replyCode = 0;
  m_redirect.clear();
  m_redirects = 0;
  if (!item->GetNewTempFile(m_outputFile, "tzx", 0, nullptr)) {
    refuse("Failed to get temp file.", "Failed to get temp file. Request Ignored");
    return;
  }
  m_link = link;
  m_item = item;
  Accept();
}

void CHttpGetDlg::GetLink(const char* url, const char* outputFile) {
  std::string link = url ? url : "";
  if (link.empty()) {
    MailError("Bad or empty link");
    PostStatus("Bad or empty link. Request Ignored");
    MailEvent(TEZ_EVENT_STOP);
    return;
  }
  if (ToLower(link).find("http://") == std::string::npos) {
    MailError("Non http link");
    PostStatus("Non HTTP link. Request Ignored");
    MailEvent(TEZ_EVENT_STOP);
    return;
  }
  m_link = link;
  m_outputFile = outputFile ? outputFile : "";
  if (!m_outputFile.empty()) DeleteFileA(m_outputFile.c_str());
  m_item = nullptr;
  m_replyCode = 0;
  m_redirect.clear();
  m_redirects = 0;
  Accept();
}

void CHttpGetDlg::Accept() {
  m_working = 1;
  m_failed = 0;
  MailEvent(TEZ_EVENT_START);
  Post(WM_TEZ_OP_SHOW_FIELDS, 0);
  Post(WM_TEZ_OP_START);
}

LRESULT CHttpGetDlg::OnGetButton(WPARAM, LPARAM) {
  ExchangeFields(true);
  m_lastProgress = 0;
  m_working = 1;
  m_failed = 0;
  Post(WM_TEZ_OP_START);
  return 0;
}

void CHttpGetDlg::Start() {
  if (!m_working) return;  // stopped before the start was delivered
  m_errorSeen = m_errorReported = m_stopped = 0;
  m_start = static_cast<int32_t>(time(nullptr));
  if (m_item) m_item->SetDownloadTimes(m_start, -1, -1);
  m_lastProgress = 0;

  std::string link = PlainLink(m_link);
  CUrlParts parts;
  SplitUrl(link.c_str(), parts);
  CCookieLookup lookup(parts.scheme + "://" + parts.host, LinkPath(link));
  std::string cookies;
  CHttpHeaders& headers = m_control.DocInput().Headers();
  if (lookup.GetCookie(cookies, 0, nullptr, nullptr) && !cookies.empty()) {
    headers.Add("COOKIE", cookies);
    SetStatus("cookie = " + cookies);
  }
  if (!parts.host.empty()) {
    long port = 80;
    if (!parts.port.empty()) {
      port = atol(parts.port.c_str());
      if (port <= 0 || port > 65535) port = 80;
    }
    std::string host = FormatText("%s:%ld", parts.host.c_str(), port);
    headers.Add("HOST", host);
    SetStatus("host = " + host);
  }
  if (!m_control.GetDoc(link.c_str(), nullptr, m_outputFile.c_str())) {
    headers.Clear();
    SetStatus("Error: " + m_control.LastError());
    FailRequest(m_control.LastError());
  }
}

void CHttpGetDlg::Stop() {
  m_stopped = 1;
  if (m_endTimer) {  // the document is complete: keep it
    KillEndTimer();
    Succeed();
  } else if (m_control.Busy()) {
    m_control.Cancel();  // the closed state ends the operation
  } else if (m_working) {
    DropOutput();
    if (m_item) m_item->SetRecStatus(7);
    Finish();
  }
}

void CHttpGetDlg::FailRequest(const std::string& text) {
  m_failed = 1;
  if (m_item) {
    m_item->SetRecStatus(6);
    m_item->SetErrorHint(text.c_str(), 1);
  }
  MailError(text.c_str());
  if (m_control.Busy()) {
    m_control.Cancel();  // the closed state ends the operation
  } else {
    DropOutput();
    Finish();
  }
}

void CHttpGetDlg::DropOutput() {
  if (m_item) m_item->DeleteNewTempFile();
  if (!m_outputFile.empty() && !DeleteFileA(m_outputFile.c_str()) &&
      GetFileAttributesA(m_outputFile.c_str()) != INVALID_FILE_ATTRIBUTES)
    m_deleteList.push_back(m_outputFile);
}

void CHttpGetDlg::Finish() {
  if (!m_working) return;
  m_working = 0;
  m_item = nullptr;
  MailEvent(TEZ_EVENT_STOP);
}

void CHttpGetDlg::CheckReply(const CHttpDocOutput& doc) {
  m_replyCode = m_control.ReplyCode();
  SetStatus(FormatText("Reply code == %ld", m_replyCode));
  std::string error;
  ReplyKind kind = CheckReplyCode(m_replyCode, error);
  if (kind == ReplyKind::kRedirect) {
    std::string location;
    bool found = false;
    for (long i = 1; i <= doc.Headers().Count() && !found; ++i) {
      const CHttpHeader* h = doc.Headers().Item(i);
      if (h->Name().empty() || ToLower(h->Name()) != "location") continue;
      location = h->Value();
      found = true;
    }
    std::string target, why;
    if (!found) {
      error = FormatText("Http error [%ld]: Redirection without a location", m_replyCode);
    } else if (!ResolveLocation(m_link, location, target, why)) {
      error = FormatText("Http error [%ld]: Redirection to a non-HTTP link", m_replyCode);
    } else if (_stricmp(target.c_str(), PlainLink(m_link).c_str()) == 0) {
      error = FormatText("Http error [%ld]: Redirection to the same URL", m_replyCode);
      SetStatus("Error: Recursive redirection to " + target);
    } else if (m_redirects >= kMaxRedirects) {
      error = FormatText("Http error [%ld]: Too many redirections", m_replyCode);
    } else {
      m_redirect = target;
      return;
    }
  } else if (kind == ReplyKind::kFine) {
    return;
  }
  FailRequest(error);
}

void CHttpGetDlg::OnDocOutput(CHttpDocOutput& doc) {
  if (!m_working) return;
  if (doc.Stage() == HTTPCTL_DOC_HEADERS) {
    CheckReply(doc);
  } else if (doc.Stage() == HTTPCTL_DOC_DATA && !m_failed) {
    ReportProgress(doc.BytesTransferred(), doc.BytesTotal());
  }
}

void CHttpGetDlg::OnError(short number, std::string& description, long, const std::string&,
                          const std::string&, long, BOOL*) {
  SetStatus(FormatText("HTTP Error #%d - %s", number, description.c_str()));
  m_errorSeen = 1;
}

void CHttpGetDlg::OnStateChanged(short state) {
  SetStatus(FormatText("State Changed: %d - %s", state, m_control.StateString().c_str()));
  if (state != HTTPCTL_STATE_CLOSED || !m_working) return;
  if (m_failed) {
    DropOutput();
    Finish();
  } else if (m_errorSeen && !m_errorReported) {
    if (m_item) {
      m_item->SetRecStatus(6);
      m_item->SetErrorHint("Failed to download item.", 1);
    }
    DropOutput();
    MailError("Failed to download item.");
    m_errorReported = 1;
    Finish();
  } else if (m_stopped) {
    DropOutput();
    if (m_item) m_item->SetRecStatus(7);
    Finish();
  }
}

void CHttpGetDlg::OnProtocolStateChanged(short state) {
  SetStatus("Protocol State Changed: " + m_control.ProtocolStateString());
  if (state != HTTPCTL_PROTOCOL_BASE) return;
  KillEndTimer();
  if (m_errorSeen || m_stopped || m_failed || !m_working) return;
  if (!m_redirect.empty()) {
    SetStatus("Redirection to " + m_redirect);
    m_link = m_redirect;
    m_replyCode = 0;
    m_redirect.clear();
    ++m_redirects;
    if (!m_outputFile.empty()) DeleteFileA(m_outputFile.c_str());
    Post(WM_TEZ_OP_START);
    return;
  }
  if (m_item) {
    m_finish = static_cast<int32_t>(time(nullptr));
    int32_t size = 0;
    if (FileSize32(m_outputFile, size)) {
      char full[MAX_PATH];
      if (GetFullPathNameA(m_outputFile.c_str(), MAX_PATH, full, nullptr)) m_outputFile = full;
    }
    m_item->SetDownloadTimes(m_start, m_finish, size);
  }
  ArmEndTimer();
}
