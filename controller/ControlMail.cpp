// The run's mail, relayed unchanged to the main program.
#include <cstring>

#include "Application.h"
#include "ControlForm.h"
#include "MailSlot.h"

void TForm1::MailSlotPellomarBinMessageAvail(const char* data, int len) {
  if (len == 7 && std::memcmp(data, "Testing", 7) == 0) {
    // The mailslot works: the queue carries only the Recorder's copies of
    // what the mailslot brings. It stays held, and is emptied, so that no
    // copy is left in it for a later run.
    mailslotWorks_ = true;
    DropQueuedMail();
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
  // comes before waits in its queue instead of being lost; what comes after
  // the run's end is not kept for the next run.
  if (!RunEnded()) IniManagerSendMail("halvorn", mail);
}

void TForm1::OnMailArrived() {
  if (mailslotWorks_) {
    DropQueuedMail();
    return;
  }
  while (mailQueue_ && mailQueue_->GetMailCount() > 0) {
    MailMessage mail;
    int32_t len = 0;
    if (!mailQueue_->GetMail(&mail, len)) break;
    IniManagerSendMail("halvorn", mail);
    Application->ProcessMessages();
  }
}

int TForm1::DropQueuedMail() {
  int dropped = 0;
  while (mailQueue_ && mailQueue_->GetMailCount() > 0) {
    MailMessage mail;
    int32_t len = 0;
    if (!mailQueue_->GetMail(&mail, len)) break;
    ++dropped;
  }
  return dropped;
}
