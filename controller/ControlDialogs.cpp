#include "ControlDialogs.h"

namespace {
int g_introShowing = 0;

void CenterOnScreen(TForm* form) {
  form->SetLeft((GetSystemMetrics(SM_CXSCREEN) - form->Width()) / 2);
  form->SetTop((GetSystemMetrics(SM_CYSCREEN) - form->Height()) / 2);
}
}  // namespace

TfrmIntro::TfrmIntro(TComponent* owner) : TForm(owner, "TfrmIntro") {
  SetName("frmIntro");
  SetBorderStyle(bsNone);
  SetClientSize(464, 476);
  CenterOnScreen(this);
  Image1 = new TImage(this);
  Image1->SetName("Image1");
  Image1->SetBounds(8, 8, 448, 441);
  Image1->SetParent(this);
  CheckBox1 = new TCheckBox(this);
  CheckBox1->SetName("CheckBox1");
  CheckBox1->SetCaption("Do not show this window again");
  CheckBox1->SetBounds(8, 453, 250, 17);
  CheckBox1->SetParent(this);
  Button1 = new TButton(this);
  Button1->SetName("Button1");
  Button1->SetCaption("&Ok");
  Button1->ModalResult = mrOk;
  Button1->SetDefault(true);
  Button1->SetBounds(382, 450, 75, 23);
  Button1->SetParent(this);
  ++g_introShowing;
  FormCreated();
}

TfrmIntro::~TfrmIntro() { --g_introShowing; }

bool TfrmIntro::Showing() { return g_introShowing > 0; }

void TfrmIntro::LoadPicture(const std::string& fileName) {
  HANDLE bitmap = LoadImageA(nullptr, fileName.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  if (bitmap) Image1->SetBitmap(static_cast<HBITMAP>(bitmap));
}

LRESULT TfrmIntro::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The window is dragged by any point of its client area.
  if (msg == WM_NCHITTEST) {
    LRESULT hit = TForm::WndProc(msg, wp, lp);
    return hit == HTCLIENT ? HTCAPTION : hit;
  }
  return TForm::WndProc(msg, wp, lp);
}

TMdNotReadyErrorDlg::TMdNotReadyErrorDlg(TComponent* owner)
    : TForm(owner, "TMdNotReadyErrorDlg") {
  SetName("MdNotReadyErrorDlg");
  SetCaption("MiniDisc is not ready for recording.");
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  SetClientSize(313, 194);
  CenterOnScreen(this);
  lblTitle = new TLabel(this);
  lblTitle->SetName("lblTitle");
  lblTitle->Alignment = taCenter;
  lblTitle->SetCaption("Your MiniDisc is not ready for recording.");
  lblTitle->SetBounds(8, 10, 297, 16);
  lblTitle->SetParent(this);
  lblText = new TLabel(this);
  lblText->SetName("lblText");
  lblText->WordWrap = true;  // the last line is longer than the dialog is wide
  lblText->SetCaption(
      "Please make sure that:\r\n1) Your MiniDisc is connected.\r\n2) A writable MD is "
      "inserted.\r\n\r\nPlease Disconnect and Reconnect the Brindale Controller to your your "
      "MiniDisc.");
  lblText->SetBounds(8, 36, 297, 110);
  lblText->SetParent(this);
  OKButton = new TButton(this);
  OKButton->SetName("OKButton");
  OKButton->SetCaption("OK");
  OKButton->ModalResult = mrOk;
  OKButton->SetDefault(true);
  OKButton->SetBounds(119, 160, 75, 25);
  OKButton->SetParent(this);
  FormCreated();
}
