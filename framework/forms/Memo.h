// The memo: a multi-line edit box whose text is a list of lines.
#pragma once

#include "Controls.h"

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TMemo : public TWinControl {
 public:
  explicit TMemo(TComponent* owner);
  // The lines; every change shows at once, and what the user types shows
  // in them.
  TStringList* Lines() { return &lines_; }
  // Made before the window exists: the border, the scroll bars, and
  // whether long lines wrap at the right edge (else the text scrolls
  // sideways).
  bool Border = true;
  TScrollStyle ScrollBars = ssVertical;
  bool WordWrap = true;
  // Set before the window exists, or later with SetReadOnly.
  bool ReadOnly = false;
  void SetReadOnly(bool readOnly);
  TNotifyEvent OnChange;

 protected:
  void FillCreateParams(CreateParams& p) override;
  void HandleCreated() override;
  void CommandNotify(WORD code) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void ShowLines();
  TStringList lines_;
  bool showing_ = false;
};
