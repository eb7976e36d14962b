// The main program's small dialogs: the type question for a dragged link,
// the proxy settings with their help, and the no-connection notice.
#pragma once

#include <string>

#include "Forms.h"
#include "SavePos.h"
#include "StdCtrls.h"

class TfrmAskFileType : public TForm {
 public:
  explicit TfrmAskFileType(TComponent* owner);
  // Shows the question for the link; 1 when a type was chosen with OK or
  // a double click. The answers are in Extension and ChannelExtension.
  int Execute(const std::string& link, const std::string& extension);

  TLabel *lblQuestion, *lblDraggedLink, *lblSelect;
  TRadioButton *chkTypeMediaPlayer, *chkTypeRealAudio, *chkTypeDocument, *chkTypeMusic,
      *chkTypeUnknown;
  TButton *btnOk, *btnHelpType;
  std::string Extension, ChannelExtension;
  TSavePos* SavePos1;  // keeps the question on the screen

 private:
  void Choose(TRadioButton* button);
  int result_ = 2;
};

// The link as the question shows it: its first 20 characters and "..."
// once it has 18 or more.
std::string ShortLinkText(const std::string& link);

class TfrmProxySettings : public TForm {
 public:
  explicit TfrmProxySettings(TComponent* owner);
  // Until Cancel, or OK with a usable entry; true on OK.
  bool Execute();
  TEdit *editHttpProxy, *editHttpProxyPort, *editFtpProxy, *editFtpProxyPort;
  TButton *btnOk, *btnCancel, *btnHelpProxy;
};

// A host that is not empty with a port from 1 to 9999 (text that is no
// number counts as -1).
bool ProxyEntryUsable(const std::string& host, const std::string& port);

// The three lines of help on the proxy settings, shown modally.
void ShowProxyHelp(TComponent* owner);

// The notice that the options say there is no Internet connection.
void ShowNoInetConnection(TComponent* owner);
