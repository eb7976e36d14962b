#include "UpdateDialogs.h"

#include "Application.h"

namespace {

void CenterOnScreen(TForm* form) {
  form->SetLeft((GetSystemMetrics(SM_CXSCREEN) - form->Width()) / 2);
  form->SetTop((GetSystemMetrics(SM_CYSCREEN) - form->Height()) / 2);
}

template <class T>
T* Make(TForm* form, const char* name, int left, int top, int width, int height) {
  T* control = new T(form);
  control->SetName(name);
  control->SetBounds(left, top, width, height);
  control->SetParent(form);
  return control;
}

TButton* MakeButton(TForm* form, const char* name, const char* caption, int result, int left,
                    int top) {
  TButton* button = Make<TButton>(form, name, left, top, 75, 25);
  button->SetCaption(caption);
  button->ModalResult = result;
  return button;
}

}  // namespace

TfrmUserUpdate::TfrmUserUpdate(TComponent* owner, UINT endMessage)
    : TForm(owner, "TfrmUserUpdate"), endMessage_(endMessage) {
  SetName("frmUserUpdate");
  SetCaption("Brindale Update");
  SetBorderStyle(bsDialog);
  SetClientSize(274, 105);
  CenterOnScreen(this);
  Label1 = Make<TLabel>(this, "Label1", 14, 12, 246, 16);
  Label1->SetCaption("Checking for update...");
  Gauge = Make<TGauge>(this, "Gauge", 14, 36, 246, 24);
  Gauge->SetForeColor(clBlue);
  Gauge->ShowText = false;
  btnCancel = MakeButton(this, "btnCancel", "Cancel", 0, 100, 72);
  btnCancel->Cancel = true;
  btnCancel->OnClick = [this](TObject*) { EndCheck(); };
  FormCreated();
}

void TfrmUserUpdate::ShowOnTop() {
  SetFormStyle(fsStayOnTop);
  Show();
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN |
                                               RDW_UPDATENOW);
}

void TfrmUserUpdate::EndCheck() {
  if (ending_) return;
  ending_ = true;
  Application->ProcessMessages();
  if (NotifyWindow) PostMessageA(NotifyWindow, endMessage_, 0, 0);
  if (Visible()) Hide();
  ModalResult = mrCancel;
  ending_ = false;
}

LRESULT TfrmUserUpdate::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    EndCheck();
    return 0;
  }
  return TForm::WndProc(msg, wp, lp);
}

TfrmUpgradeAvailable::TfrmUpgradeAvailable(TComponent* owner)
    : TForm(owner, "TfrmUpgradeAvailable") {
  SetName("frmUpgradeAvailable");
  SetCaption("  Brindale Update");
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  SetClientSize(306, 267);
  CenterOnScreen(this);
  Label1 = Make<TLabel>(this, "Label1", 10, 10, 286, 16);
  Label1->SetCaption("Brindale detected that a new upgrade is available.");
  memInfo = new TMemo(this);
  memInfo->SetName("memInfo");
  memInfo->Border = false;
  memInfo->ReadOnly = true;
  memInfo->SetBounds(10, 34, 286, 110);
  memInfo->SetParent(this);
  Label2 = Make<TLabel>(this, "Label2", 10, 152, 286, 32);
  Label2->WordWrap = true;
  Label2->SetCaption(
      "Please press 'Update' to  automatically download and update your Brindale Software.");
  chbUpgradeActive = Make<TCheckBox>(this, "chbUpgradeActive", 10, 192, 286, 17);
  chbUpgradeActive->SetCaption("Periodically check for updates");
  btUpgrade = MakeButton(this, "btUpgrade", "Update", mrOk, 33, 228);
  btSkip = MakeButton(this, "btSkip", "Skip", mrCancel, 116, 228);
  btUpgrade->SetDefault(true);
  btSkip->Cancel = true;
  btHelp = MakeButton(this, "btHelp", "Help", 0, 199, 228);
  btHelp->OnClick = [this](TObject*) {
    MessageBoxA(Handle(),
                "The update process includes: \n\r1. Closing the Brindale Media Manager.\n\r2. "
                "Downloading update components.\n\r3. Installing the updates.\n\r4. Re-launching "
                "the Brindale Media Manager.",
                Application->Title().c_str(), MB_OK);
  };
  // The offer is read, not edited: entering it moves on to "Update".
  memInfo->OnEnter = [this](TObject*) { btUpgrade->SetFocus(); };
  FormCreated();
}

TfrmDisconnect::TfrmDisconnect(TComponent* owner) : TForm(owner, "TfrmDisconnect") {
  SetName("frmDisconnect");
  SetCaption("  Brindale Update");
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  SetClientSize(304, 129);
  CenterOnScreen(this);
  lblText = Make<TLabel>(this, "lblText", 8, 8, 288, 80);
  lblText->Alignment = taCenter;
  lblText->SetCaption(
      "Brindale Auto Update detected that your computer was\r\ndisconnected from the "
      "Internet.\r\n\r\n In order to continue update process, please, reconnect\r\nto the "
      "Internet and press 'Retry'.");
  btnRetry = MakeButton(this, "btnRetry", "Retry", mrRetry, 70, 96);
  btnAbort = MakeButton(this, "btnAbort", "Abort", mrAbort, 159, 96);
  btnRetry->SetDefault(true);
  FormCreated();
}

int TfrmDisconnect::ShowFront() {
  Show();
  BringWindowToTop(Handle());
  SetForegroundWindow(Handle());
  return ShowModal();
}
