// The start-up notice of low disk space or of too much stored: a question
// whether to clean up, with a box to stop the notice from showing again.
#pragma once

#include <string>

#include "Forms.h"
#include "StdCtrls.h"

class TfrmNoSpaceMessage : public TForm {
 public:
  explicit TfrmNoSpaceMessage(TComponent* owner);

  TLabel* lblMessage;
  TCheckBox* chkDoNotShow;
  TButton* btnYes;
  TButton* btnNo;
};

struct NoticeAnswer {
  int modalResult;      // mrYes asks for the cleanup
  bool doNotShowAgain;  // the box was ticked
};

// Shows the notice modally over owner; an empty text keeps the dialog's
// own (low disk space).
NoticeAnswer ShowNoSpaceNotice(TForm* owner, const std::string& text = "");
