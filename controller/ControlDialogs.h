// The controller's two dialogs: the intro window at start and the notice
// that the device is not ready for recording.
#pragma once

#include <string>

#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

class TfrmIntro : public TForm {
 public:
  explicit TfrmIntro(TComponent* owner);
  ~TfrmIntro() override;
  // Whether an intro window is on the screen.
  static bool Showing();
  void LoadPicture(const std::string& fileName);
  bool DoNotShowAgain() const { return CheckBox1->Checked(); }

  TImage* Image1;
  TCheckBox* CheckBox1;
  TButton* Button1;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class TMdNotReadyErrorDlg : public TForm {
 public:
  explicit TMdNotReadyErrorDlg(TComponent* owner);

  TLabel* lblTitle;
  TLabel* lblText;
  TButton* OKButton;
};
