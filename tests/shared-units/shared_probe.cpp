// A peer program for the tests of the shared units, one role per first
// argument:
//   justone <title> <marker> [min]   single-instance hand-over
//   msgtarget <caption>              a window that answers TMsgSend
//   asktime <result> <hour> <min> <ampm> <autorec>   the time dialog
//   sendmail <slot> <count>          writes mail records to a mailslot
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Application.h"
#include "AskSchedTime.h"
#include "Forms.h"
#include "JustOne.h"
#include "MailMessage.h"
#include "MailSlotComp.h"

namespace {
void WriteFileText(const std::string& name, const std::string& text) {
  if (FILE* f = std::fopen(name.c_str(), "w")) {
    std::fputs(text.c_str(), f);
    std::fclose(f);
  }
}

struct ProbeForm : TForm {
  TJustOne* JustOne1;
  ProbeForm(TComponent* owner, const std::string& caption) : TForm(owner, "TProbeForm") {
    SetCaption(caption);
    SetBounds(100, 100, 240, 120);
    JustOne1 = new TJustOne(this);
    JustOne1->SetName("JustOne1");
    SetMessageMethod(WM_USER + 100, [this](TMessage& m) {
      SetCaption(Format("got %d %d", static_cast<int>(m.WParam), static_cast<int>(m.LParam)));
    });
    SetMessageMethod(WM_USER + 101, [this](TMessage& m) {
      SetCaption(Format("posted %d %d", static_cast<int>(m.WParam), static_cast<int>(m.LParam)));
    });
    FormCreated();
  }
};

int JustOne(char** argv, int argc) {
  Application->SetTitle(argv[2]);
  Application->Initialize();
  auto* form = new ProbeForm(Application, std::string(argv[2]) + " form");
  std::string marker = argv[3];
  form->JustOne1->BeforeClose = [marker](TObject*) { WriteFileText(marker, "closing"); };
  form->JustOne1->CheckPrevInstance();
  form->Show();
  SetForegroundWindow(form->Handle());
  Application->ProcessMessages();
  if (argc > 4 && std::strcmp(argv[4], "min") == 0) Application->Minimize();
  Application->Run();
  return 0;
}

int MsgTarget(char** argv) {
  Application->Initialize();
  auto* form = new ProbeForm(Application, argv[2]);
  (void)form;
  Application->Run();
  return 0;
}

int AskTime(char** argv) {
  Application->Initialize();
  auto* dlg = new TfrmAskSchedTime1(nullptr);
  dlg->Hour = std::atoi(argv[3]);
  dlg->Minutes = std::atoi(argv[4]);
  dlg->AmPm = std::atoi(argv[5]);
  dlg->AutoRec = std::atoi(argv[6]);
  int result = dlg->Execute();
  WriteFileText(argv[2], Format("%d %d %d %d %d %d", result, dlg->Hour, dlg->Minutes, dlg->AmPm,
                                dlg->AutoRec, dlg->Index));
  delete dlg;
  return 0;
}

int SendMail(char** argv) {
  int count = std::atoi(argv[3]);
  for (int i = 0; i < count; ++i) {
    MailMessage m = {};
    m.id = 1000 + i;
    m.category = TEZ_MAIL_TO_CONTROLLER;
    m.lParam[0] = i;
    m.textLength = std::snprintf(m.text, sizeof m.text, "record %d", i);
    if (!MailSlotSendBinMessage(".", argv[2], &m, sizeof m)) return 2;
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "justone") == 0) return JustOne(argv, argc);
  if (argc >= 3 && std::strcmp(argv[1], "msgtarget") == 0) return MsgTarget(argv);
  if (argc >= 7 && std::strcmp(argv[1], "asktime") == 0) return AskTime(argv);
  if (argc >= 4 && std::strcmp(argv[1], "sendmail") == 0) return SendMail(argv);
  return 1;
}
