// A label that opens a web link when clicked and takes another colour while
// the mouse is over it.
#pragma once

#include <string>

#include "StdCtrls.h"

class TTezWebLabel : public TLabel {
 public:
  explicit TTezWebLabel(TComponent* owner);
  std::string WebLink;
  bool AutoOpenWeb = true;
  bool FindHtmlApp = true;
  TColor HIghlightColor = clBlue;
  std::string LocalHtmlPage = "Home.html";

  // Opens WebLink: through the program registered for LocalHtmlPage (with
  // the link as its quoted parameter) when FindHtmlApp, else with the
  // shell's default verb. False for an empty link or a failure.
  bool OpenWebLink();

 protected:
  void Click() override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  bool PlainOpen();
  TColor normalColor_;
};
