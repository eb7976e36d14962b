// Mail records carried through the named mail queues of the settings store
// TezIniManager.dll: the fallback transport beside the mailslots.
#pragma once

#include <windows.h>

#include <string>

#include "DllWrapper.h"
#include "MailMessage.h"
#include "TezIniManager.h"

class CMappedMail : public CDllWrapper {
 public:
  // Loads the library at once; its load is reported to the window of that
  // caption (null: "Recorder").
  explicit CMappedMail(const char* caption);
  void ResolveExports() override;
  ~CMappedMail() override;

  // The category of the records sent and the mail name used when a send
  // names none.
  void SetMailbox(int category, const char* name);

  // Each calls the library's entry of the same meaning and returns its
  // result; 0 when the entry is not bound (GetMailCount: -2). A null name
  // stands for the default mail name.
  int CreateNewMail(const char* name, HWND notify, int notifyMessage);
  int CloseMail(const char* name);
  int SendRecord(const char* name, const MailMessage* mail, int* scratch);
  int GetMail(const char* name, MailMessage* out, int* scratch);
  int GetMailCount(const char* name);

  // Fill the record as the mailslot client does, set its category when
  // category is non-zero, stamp its id and send it to name (null: the
  // default mail name); the result of SendRecord.
  int SendMail(int message, int count, const int* values, const char* text, int category,
               const char* name);
  int SendMail(int message, int value, int category, const char* name);
  int SendMail(int message, int value, const char* text, int category, const char* name);

 private:
  const char* NameOr(const char* name) const { return name ? name : m_mailName.c_str(); }

  MailMessage* m_outgoing;
  std::string m_mailName;
  int m_scratch = 0;
  TezCreateNewMail_t m_createNewMail = nullptr;
  TezSendMail_t m_sendMail = nullptr;
  TezGetMail_t m_getMail = nullptr;
  TezGetMailCount_t m_getMailCount = nullptr;
  TezCloseMail_t m_closeMail = nullptr;
};
