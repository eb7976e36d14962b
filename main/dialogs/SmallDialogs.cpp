#include "SmallDialogs.h"

#include "Application.h"
#include "Screen.h"
#include "SysUtils.h"

namespace {
template <typename T>
T* Place(TForm* form, const char* name, int l, int t, int w, int h, const std::string& caption) {
  T* c = new T(form);
  c->SetName(name);
  c->SetBounds(l, t, w, h);
  c->SetParent(form);
  if (!caption.empty()) c->SetCaption(caption);
  return c;
}

std::string Trimmed(const std::string& s) {
  size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// A plain dialog built by its caller.
class TPlainDialog : public TForm {
 public:
  TPlainDialog(TComponent* owner, const char* className) : TForm(owner, className) {}
  void Created() { FormCreated(); }
};

const char* const kProxyBlank =
    "The settings for the proxy server you have chosen to use are blank.\r\n"
    "This prevents access to the Internet.";
}  // namespace

std::string ShortLinkText(const std::string& link) {
  return link.size() >= 18 ? link.substr(0, 20) + "..." : link;
}

TfrmAskFileType::TfrmAskFileType(TComponent* owner) : TForm(owner, "TfrmAskFileType") {
  SetName("frmAskFileType");
  SetBorderStyle(bsDialog);
  SetClientSize(300, 230);
  lblQuestion = Place<TLabel>(this, "lblQuestion", 10, 8, 280, 16,
                              "The type of the following link is unclear:");
  lblDraggedLink = Place<TLabel>(this, "lblDraggedLink", 20, 28, 270, 16, "");
  lblSelect = Place<TLabel>(this, "lblSelect", 10, 50, 280, 16,
                            "Please select one of the following types:");
  struct Choice {
    TRadioButton** button;
    const char* name;
    const char* caption;
  } choices[] = {{&chkTypeMediaPlayer, "chkTypeMediaPlayer", "Media &Player\xae"},
                 {&chkTypeRealAudio, "chkTypeRealAudio", "&Real Audio\xae"},
                 {&chkTypeDocument, "chkTypeDocument", "&Document"},
                 {&chkTypeMusic, "chkTypeMusic", "&Music"},
                 {&chkTypeUnknown, "chkTypeUnknown", "&Ignore Link"}};
  int top = 72;
  for (const Choice& c : choices) {
    TRadioButton* b = Place<TRadioButton>(this, c.name, 20, top, 200, 20, c.caption);
    b->OnClick = [this, b](TObject*) { Choose(b); };
    b->OnDblClick = [this, b](TObject*) {
      Choose(b);
      result_ = 1;
    };
    *c.button = b;
    top += 24;
  }
  btnOk = Place<TButton>(this, "btnOk", 130, 196, 75, 25, "OK");
  btnOk->OnClick = [this](TObject*) { result_ = 1; };
  btnOk->SetDefault(true);
  btnOk->SetEnabled(false);
  btnHelpType = Place<TButton>(this, "btnHelpType", 215, 196, 75, 25, "&Help");
  btnHelpType->OnClick = [this](TObject*) {
    MessageBoxA(Handle(),
                "The Brindale Software was unable to determine the type of the dragged link.\n\n"
                "Please choose the type that best describes the dragged link:\n\n"
                "Music - MP3, MIDI, AU and WAV files.\nDocuments - HTML, text.\n"
                "Audio - Real Audio and Media Player links.",
                "Brindale", MB_OK);
  };
  SavePos1 = new TSavePos(this);
  FormCreated();
}

void TfrmAskFileType::Choose(TRadioButton* button) {
  if (!button->Checked()) return;
  if (button == chkTypeMediaPlayer) Extension = ChannelExtension = ".asx";
  if (button == chkTypeRealAudio) Extension = ChannelExtension = ".ra";
  if (button == chkTypeDocument) Extension = ChannelExtension = ".html";
  if (button == chkTypeMusic) {
    Extension = ".mmm";
    ChannelExtension = ".mp3";
  }
  if (button == chkTypeUnknown) Extension = ChannelExtension = "";
  btnOk->SetEnabled(true);
}

int TfrmAskFileType::Execute(const std::string& link, const std::string& extension) {
  SetCaption("");
  lblDraggedLink->SetCaption(ShortLinkText(link));
  lblDraggedLink->Hint = link;
  lblDraggedLink->ShowHint = true;
  Extension = ChannelExtension = extension;
  result_ = 2;
  Show();
  int left = Screen->Width() / 3, top = Screen->Height() * 2 / 3;
  SavePos1->MoveForm({left, top, left + Width(), top + Height()}, false, 0);
  // The other windows keep working while the question waits.
  while (result_ != 1 && Visible() && !Application->Terminated()) Application->HandleMessage();
  Hide();
  // A closed window is no answer: the link keeps its type.
  if (result_ != 1) Extension = ChannelExtension = extension;
  return result_;
}

bool ProxyEntryUsable(const std::string& host, const std::string& port) {
  int32_t n = StrToIntDef(Trimmed(port), -1);
  return !Trimmed(host).empty() && n >= 1 && n <= 9999;
}

TfrmProxySettings::TfrmProxySettings(TComponent* owner) : TForm(owner, "TfrmProxySettings") {
  SetName("frmProxySettings");
  SetCaption("Proxy Settings");
  SetBorderStyle(bsDialog);
  SetFormStyle(fsStayOnTop);
  SetClientSize(330, 120);
  Place<TLabel>(this, "lblHttp", 10, 14, 60, 16, "HTTP:");
  editHttpProxy = Place<TEdit>(this, "editHttpProxy", 70, 10, 170, 21, "");
  editHttpProxyPort = Place<TEdit>(this, "editHttpProxyPort", 250, 10, 70, 21, "");
  Place<TLabel>(this, "lblFtp", 10, 44, 60, 16, "FTP:");
  editFtpProxy = Place<TEdit>(this, "editFtpProxy", 70, 40, 170, 21, "");
  editFtpProxyPort = Place<TEdit>(this, "editFtpProxyPort", 250, 40, 70, 21, "");
  btnOk = Place<TButton>(this, "btnOk", 85, 85, 75, 25, "OK");
  btnCancel = Place<TButton>(this, "btnCancel", 165, 85, 75, 25, "Cancel");
  btnCancel->ModalResult = mrCancel;
  btnOk->SetDefault(true);
  btnCancel->Cancel = true;
  btnHelpProxy = Place<TButton>(this, "btnHelpProxy", 245, 85, 75, 25, "&Help");
  btnOk->OnClick = [this](TObject*) {
    if (ProxyEntryUsable(editHttpProxy->Caption(), editHttpProxyPort->Caption()) ||
        ProxyEntryUsable(editFtpProxy->Caption(), editFtpProxyPort->Caption()))
      ModalResult = mrOk;
    else
      MessageBoxA(Handle(), kProxyBlank, "Brindale", MB_OK | MB_ICONWARNING);
  };
  btnHelpProxy->OnClick = [this](TObject*) { ShowProxyHelp(this); };
  FormCreated();
}

bool TfrmProxySettings::Execute() { return ShowModal() == mrOk; }

void ShowProxyHelp(TComponent* owner) {
  TPlainDialog help(owner, "TfrmProxyHelp");
  help.SetName("frmProxyHelp");
  help.SetCaption("Proxy Settings Help");
  help.SetBorderStyle(bsDialog);
  help.SetClientSize(400, 110);
  const char* lines[] = {"1) Usually used in LAN environments",
                         "2) If you are not sure - leave it unchecked, and try the connection test",
                         "3) If you are still having problems, please consult your system "
                         "administrator"};
  for (int i = 0; i < 3; ++i)
    Place<TLabel>(&help, ("lblLine" + std::to_string(i + 1)).c_str(), 10, 10 + i * 20, 380, 16,
                  lines[i]);
  TButton* ok = Place<TButton>(&help, "btnOk", 162, 76, 75, 25, "OK");
  ok->ModalResult = mrOk;
  ok->SetDefault(true);
  help.Created();
  help.ShowModal();
}

void ShowNoInetConnection(TComponent* owner) {
  TPlainDialog notice(owner, "TfrmNoInetConnection");
  notice.SetName("frmNoInetConnection");
  notice.SetCaption("Brindale");
  notice.SetBorderStyle(bsDialog);
  notice.SetFormStyle(fsStayOnTop);
  notice.SetClientSize(320, 90);
  Place<TLabel>(&notice, "lblNotice", 10, 12, 300, 16,
                "The options say that this computer has no Internet connection.");
  Place<TLabel>(&notice, "lblNotice2", 10, 32, 300, 16,
                "Choose a connection in the options to add links.");
  TButton* ok = Place<TButton>(&notice, "btnOk", 122, 56, 75, 25, "OK");
  ok->ModalResult = mrOk;
  ok->SetDefault(true);
  notice.Created();
  notice.ShowModal();
}
