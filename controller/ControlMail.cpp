// The run's mail, relayed unchanged to the main program.
#include <cstring>

#include "Application.h"
#include "ControlForm.h"
#include "MailSlot.h"

void TForm1::MailSlotPellomarBinMessageAvail(const char* data, int len) {
  if (len == 7 && std::memcmp(data, "Testing", 7) == 0) {
    // The mailslot works: the queue is not needed.
    if (mailQueue_) mailQueue_->CloseMail();
    return;
  }
  if (len < static_cast<int>(sizeof(MailMessage))) return;
  // What cannot be a record of ours is dropped here, cheaply, rather than
  // passed on to fill the main program's mail.
  MailMessage mail;
  std::memcpy(&mail, data, sizeof mail);
  if (!MailRecordIsSound(mail)) return;
  if (MailSlotSendBinMessage(".", "halvorn", data, len)) return;
  // The main program opens its mailslot only while it knows of a run: what
  // comes before waits in its queue instead of being lost.
  IniManagerSendMail("halvorn", mail);
}

void TForm1::OnMailArrived() {
  while (mailQueue_ && mailQueue_->GetMailCount() > 0) {
    MailMessage mail;
    int32_t len = 0;
    if (!mailQueue_->GetMail(&mail, len)) break;
    IniManagerSendMail("halvorn", mail);
    Application->ProcessMessages();
  }
}
