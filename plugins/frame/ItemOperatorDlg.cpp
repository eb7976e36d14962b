#include "ItemOperatorDlg.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "ItemOperatorFrame.h"
#include "MailSlot.h"

HINSTANCE FrameModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&FrameModule), &module);
  return module;
}

std::string FormatText(const char* format, ...) {
  char buf[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  return buf;
}

CItemOperatorDlg::CItemOperatorDlg(CItemOperatorFrame& frame, HWND parent, int paneId)
    : CTezDialog(kStatusDialogResource, parent), m_frame(frame), m_paneId(paneId) {}

CItemOperatorDlg::~CItemOperatorDlg() { delete m_mail; }

BOOL CItemOperatorDlg::OnInitDialog() {
  SendDlgItemMessageA(m_hwnd, m_paneId, EM_SETLIMITTEXT, 0, 0);
  InitLibrary();
  return TRUE;
}

void CItemOperatorDlg::OnDestroyed() {
  m_frame.DialogGone(this);
  delete this;
}

LRESULT CItemOperatorDlg::OnShowStatus(WPARAM, LPARAM) {
  AppendStatus();
  return 0;
}

LRESULT CItemOperatorDlg::OnShowFields(WPARAM save, LPARAM) {
  ExchangeFields(save != 0);
  return 0;
}

LRESULT CItemOperatorDlg::OnTimerMessage(WPARAM id, LPARAM) {
  OnTimer(id);
  return 0;
}

// The library's clean-up first, then the mail link; the window follows.
LRESULT CItemOperatorDlg::OnDestroyMessage(WPARAM, LPARAM) {
  OnCleanup();
  delete m_mail;
  m_mail = nullptr;
  return 0;
}

LRESULT CItemOperatorDlg::OnCloseCommand(WPARAM, LPARAM) {
  DestroyWindow();
  return 0;
}

bool CItemOperatorDlg::OpenMailLink(const CTezDllInitParams& params) {
  delete m_mail;
  m_mail = new CMailSlot();
  m_mail->SetUseMailslot(params.m_useMailslot);
  if (m_mail->Initialize(params.m_mailslotName.c_str(), TEZ_MAIL_ITEM_OPERATOR, 1, nullptr)) {
    if (params.m_hook) m_mail->SetSendHook(params.m_hook);
    m_mail->EnableMappedMail(params.m_useMappedMail);
    return true;
  }
  MessageBoxA(nullptr, "Brindale error 130. Terminating.", "", MB_OK);
  return false;
}

void CItemOperatorDlg::OpenMailLinkOrEnd() {
  if (!OpenMailLink(m_frame.Params())) EndDialog(0);
}

void CItemOperatorDlg::SetStatus(const std::string& text) {
  m_status = text;
  AppendStatus();
}

void CItemOperatorDlg::PostStatus(const std::string& text) {
  m_status = text;
  Post(WM_TEZ_OP_SHOW_STATUS);
}

void CItemOperatorDlg::AppendStatus() { WriteLine(); }

void CItemOperatorDlg::WriteLine() {
  HWND pane = GetDlgItem(m_paneId);
  if (!pane) return;
  if (m_lines % kStatusLinesPerPane == 0) SetWindowTextA(pane, "");
  ++m_lines;
  LRESULT length = GetWindowTextLengthA(pane);
  SendMessageA(pane, EM_SETSEL, static_cast<WPARAM>(length), length);
  SendMessageA(pane, EM_SCROLLCARET, 0, 0);
  char stamp[16] = "";
  time_t now = time(nullptr);
  if (const tm* t = localtime(&now)) strftime(stamp, sizeof stamp, "%H:%M:%S", t);
  std::string line = std::string(stamp) + " : " + m_status + "\r\n";
  SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
  OnStatusLine(m_status);
}

void CItemOperatorDlg::MailEvent(int32_t event) {
  if (m_mail) m_mail->SendMail(TEZ_MSG_EVENT, event);
}

void CItemOperatorDlg::MailError(const char* text) {
  if (!m_mail) return;
  if (text) m_mail->SendMail(TEZ_MSG_ERROR, 0, text);
  else m_mail->SendMail(TEZ_MSG_ERROR, 0);
}

void CItemOperatorDlg::MailStatus(int count, const int* values, const char* text) {
  if (m_mail) m_mail->SendMail(TEZ_MSG_STATUS, count, values, text);
}

void CItemOperatorDlg::SetItemText(int id, const std::string& text) {
  SetDlgItemText(id, text.c_str());
}

std::string CItemOperatorDlg::GetItemText(int id) const {
  char buf[2048] = "";
  GetDlgItemTextA(m_hwnd, id, buf, sizeof buf);
  return buf;
}
