#include "NoSpaceMessage.h"

#include "ChannelCleanup.h"

TfrmNoSpaceMessage::TfrmNoSpaceMessage(TComponent* owner)
    : TForm(owner, "TfrmNoSpaceMessage") {
  SetName("frmNoSpaceMessage");
  SetCaption("Brindale");
  SetBorderStyle(bsDialog);
  SetClientSize(320, 112);
  auto place = [this](auto* c, const char* name, int l, int t, int w, int h) {
    c->SetName(name);
    c->SetBounds(l, t, w, h);
    c->SetParent(this);
    return c;
  };
  lblMessage = place(new TLabel(this), "lblMessage", 12, 12, 296, 32);
  lblMessage->WordWrap = true;
  lblMessage->SetCaption("Free disk space is low. Perform cleanup?");
  chkDoNotShow = place(new TCheckBox(this), "chkDoNotShow", 12, 48, 296, 18);
  chkDoNotShow->SetCaption("Do not show this message again");
  btnYes = place(new TButton(this), "btnYes", 78, 78, 75, 25);
  btnYes->SetCaption("&Yes");
  btnYes->ModalResult = mrYes;
  btnNo = place(new TButton(this), "btnNo", 167, 78, 75, 25);
  btnNo->SetCaption("&No");
  btnNo->ModalResult = mrNo;
  FormCreated();
}

NoticeAnswer ShowNoSpaceNotice(TForm* owner, const std::string& text) {
  TfrmNoSpaceMessage dialog(owner);
  if (!text.empty()) dialog.lblMessage->SetCaption(text);
  CentreOverOwner(&dialog, owner);
  int result = dialog.ShowModal();
  return {result, dialog.chkDoNotShow->Checked()};
}
