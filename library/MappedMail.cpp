#include "MappedMail.h"

#include <cstdlib>

#include "MailSlot.h"

CMappedMail::CMappedMail(const char* caption)
    : CDllWrapper("TezIniManager.dll", caption), m_outgoing(new MailMessage) {
  m_outgoing->id = 0;
  m_outgoing->Clear(true);
  Load();
}

CMappedMail::~CMappedMail() { delete m_outgoing; }

void CMappedMail::ResolveExports() {
  Bind(m_createNewMail, "TezCreateNewMail");
  Bind(m_sendMail, "TezSendMail");
  Bind(m_getMail, "TezGetMail");
  Bind(m_getMailCount, "TezGetMailCount");
  Bind(m_closeMail, "TezCloseMail");
}

void CMappedMail::SetMailbox(int category, const char* name) {
  m_outgoing->category = category;
  m_mailName = name ? name : "";
}

int CMappedMail::CreateNewMail(const char* name, HWND notify, int notifyMessage) {
  return m_createNewMail ? m_createNewMail(NameOr(name), notify, static_cast<UINT>(notifyMessage))
                         : 0;
}

int CMappedMail::CloseMail(const char* name) { return m_closeMail ? m_closeMail(NameOr(name)) : 0; }

int CMappedMail::SendRecord(const char* name, const MailMessage* mail, int* scratch) {
  return m_sendMail && mail ? m_sendMail(NameOr(name), mail, scratch) : 0;
}

int CMappedMail::GetMail(const char* name, MailMessage* out, int* scratch) {
  return m_getMail && out ? m_getMail(NameOr(name), out, scratch) : 0;
}

int CMappedMail::GetMailCount(const char* name) {
  return m_getMailCount ? m_getMailCount(NameOr(name)) : -2;
}

int CMappedMail::SendMail(int message, int count, const int* values, const char* text,
                          int category, const char* name) {
  m_outgoing->Fill(message, count, values, text);
  if (category) m_outgoing->category = category;
  int32_t id;
  m_outgoing->id = ReadCounterLow(&id) ? id : rand();
  return SendRecord(name, m_outgoing, &m_scratch);
}

int CMappedMail::SendMail(int message, int value, int category, const char* name) {
  return SendMail(message, 1, &value, nullptr, category, name);
}

int CMappedMail::SendMail(int message, int value, const char* text, int category,
                          const char* name) {
  return SendMail(message, 1, &value, text, category, name);
}
