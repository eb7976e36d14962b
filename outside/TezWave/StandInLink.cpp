#include "StandInLink.h"

int CStandInLink::Initialize(HWND parent, const char* mailslotName, TezMailHook hook,
                             int useMappedMail, int useMailslot, const char* indexFile) {
  Close();
  m_params = CTezDllInitParams(parent, mailslotName && *mailslotName
                                           ? mailslotName
                                           : "\\\\.\\mailslot\\Brindale_Recorder_Mailslot",
                               hook, useMappedMail, useMailslot, indexFile ? indexFile : "");
  m_settings.reset(new CIniManager("TezIniManager.dll", 1));
  m_mail.reset(new CMailSlot());
  m_mail->SetUseMailslot(useMailslot);
  if (!m_mail->Initialize(m_params.m_mailslotName.c_str(), m_category, 1, nullptr)) {
    m_mail.reset();
    m_settings.reset();
    return 0;
  }
  if (hook) m_mail->SetSendHook(hook);
  m_mail->EnableMappedMail(useMappedMail);
  m_ready = 1;
  return 1;
}

void CStandInLink::Close() {
  m_ready = 0;
  m_mail.reset();
  m_settings.reset();
}

void CStandInLink::SendEvent(int event) {
  if (m_mail) m_mail->SendMail(TEZ_MSG_EVENT, event);
}

void CStandInLink::SendStatus(int count, const int* values, const char* text) {
  if (m_mail) m_mail->SendMail(TEZ_MSG_STATUS, count, values, text);
}

void CStandInLink::SendError(const char* text) {
  if (m_mail) m_mail->SendMail(TEZ_MSG_ERROR, 0, text);
}

std::string CStandInLink::IndexPath(const char* fallback) const {
  const std::string& name = m_params.m_indexFile.empty() ? std::string(fallback) : m_params.m_indexFile;
  return InCurrentDirectory(name.c_str());
}
