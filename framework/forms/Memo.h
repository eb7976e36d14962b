// The memo: a multi-line edit box whose text is a list of lines.
#pragma once

#include "Controls.h"

class TMemo : public TWinControl {
 public:
  explicit TMemo(TComponent* owner);
  // The lines; every change shows at once.
  TStringList* Lines() { return &lines_; }
  // Before the window exists: with or without a border.
  bool Border = true;
  bool ReadOnly = false;
  TNotifyEvent OnChange;

 protected:
  void FillCreateParams(CreateParams& p) override;
  void HandleCreated() override;
  void CommandNotify(WORD code) override;

 private:
  void ShowLines();
  TStringList lines_;
  bool showing_ = false;
};
