#include "AskSchedTime.h"

#include "Application.h"

std::string TfrmAskSchedTime1::TimeEntryText(int i) {
  int h = 11 + i / 4, q = i % 4;
  return Format(h < 23 ? "%2d:%2.2d AM" : "%2d:%2.2d PM", h % 12 + 1, q * 15);
}

TfrmAskSchedTime1::TfrmAskSchedTime1(TComponent* owner) : TForm(owner, "TfrmAskSchedTime1") {
  SetName("frmAskSchedTime1");
  SetCaption("Brindale Recording Time");
  SetBorderStyle(bsDialog);
  SetBorderIcons(0);
  SetFormStyle(fsStayOnTop);
  SetClientSize(170, 136);

  chkAutoRec = new TCheckBox(this);
  chkAutoRec->SetName("chkAutoRec");
  chkAutoRec->SetCaption("&Enable Automatic Recording");
  chkAutoRec->SetBounds(8, 8, 156, 17);
  chkAutoRec->SetParent(this);
  chkAutoRec->OnClick = [this](TObject* s) { chkAutoRecClick(s); };

  pnlRetrieveTime = new TPanel(this);
  pnlRetrieveTime->SetName("pnlRetrieveTime");
  pnlRetrieveTime->SetBevelOuter(bvLowered);
  pnlRetrieveTime->SetBounds(8, 32, 154, 60);
  pnlRetrieveTime->SetParent(this);

  const char* hint = "Select here the time for your Daily Content Update";
  lblOptionsUpdateTime = new TLabel(this);
  lblOptionsUpdateTime->SetName("lblOptionsUpdateTime");
  lblOptionsUpdateTime->SetCaption("Content Retrieve &Time:");
  lblOptionsUpdateTime->Hint = hint;
  lblOptionsUpdateTime->SetBounds(8, 6, 138, 15);
  lblOptionsUpdateTime->SetParent(pnlRetrieveTime);

  cmbFullTime = new TComboBox(this);
  cmbFullTime->SetName("cmbFullTime");
  cmbFullTime->Hint = hint;
  cmbFullTime->SetBounds(8, 26, 138, 21);
  cmbFullTime->SetParent(pnlRetrieveTime);
  cmbFullTime->OnClick = [this](TObject* s) { cmbFullTimeClick(s); };

  OKBtn = new TButton(this);
  OKBtn->SetName("OKBtn");
  OKBtn->SetCaption("&OK");
  OKBtn->ModalResult = mrOk;
  OKBtn->SetDefault(true);
  OKBtn->SetBounds(8, 104, 73, 25);
  OKBtn->SetParent(this);

  CancelBtn = new TButton(this);
  CancelBtn->SetName("CancelBtn");
  CancelBtn->SetCaption("&Cancel");
  CancelBtn->ModalResult = mrCancel;
  CancelBtn->Cancel = true;
  CancelBtn->SetBounds(89, 104, 73, 25);
  CancelBtn->SetParent(this);

  SavePos1 = new TSavePos(this);
  SavePos1->SetName("SavePos1");
  SavePos1->NumIterations = 30;
  SavePos1->SaveOptions = 0;
  SavePos1->RestoreOptions = 0;

  OnCreate = [this](TObject* s) { FormCreate(s); };
  FormCreated();
}

void TfrmAskSchedTime1::FormCreate(TObject*) {
  TStringList* items = cmbFullTime->Items();
  items->BeginUpdate();
  for (int i = 0; i < 96; ++i) items->Add(TimeEntryText(i));
  items->EndUpdate();
}

void TfrmAskSchedTime1::cmbFullTimeClick(TObject*) {
  Index = cmbFullTime->ItemIndex();
  if (Index < 0) return;
  AmPm = Index >= 48 ? 1 : 0;
  Minutes = (Index % 4) * 15;
  Hour = (Index % 48) / 4;
}

void TfrmAskSchedTime1::chkAutoRecClick(TObject*) {
  AutoRec = chkAutoRec->Checked() ? 1 : 0;
  ApplyEnabling();
}

void TfrmAskSchedTime1::ApplyEnabling() {
  chkAutoRec->SetChecked(AutoRec == 1);
  bool on = AutoRec == 1;
  pnlRetrieveTime->SetEnabled(on);
  lblOptionsUpdateTime->SetEnabled(on);
  cmbFullTime->SetEnabled(on);
  cmbFullTime->SetColor(on ? clWindow : clBtnFace);
}

int TfrmAskSchedTime1::Execute() {
  ModalResult = mrNone;
  int entry = Minutes / 15 + Hour * 4 + (AmPm == 1 ? 48 : 0);
  cmbFullTime->SetItemIndex(entry);
  Index = cmbFullTime->ItemIndex();
  ApplyEnabling();
  Show();
  POINT p = {0, 0};
  GetCursorPos(&p);
  int w = Width(), h = Height();
  RECT r = {p.x - w / 2, p.y + h / 2, p.x - w / 2 + w, p.y + h / 2 + h};
  SavePos1->MoveForm(r, false, 0);
  while (ModalResult == mrNone && Visible() && !Application->Terminated()) Application->HandleMessage();
  return ModalResult;
}
