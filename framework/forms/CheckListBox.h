// The check list box: a list box that draws a check box before every
// entry. A click on an entry's box, or the space key, ticks or clears the
// entry under it (the selected one for the key) and fires OnClickCheck.
#pragma once

#include <vector>

#include "StdCtrls.h"

class TCheckListBox : public TListBox {
 public:
  explicit TCheckListBox(TComponent* owner) : TListBox(owner) {}
  // An entry's tick stays with it when others are added or deleted; new
  // entries are clear. Setting one in code fires no event.
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  TNotifyEvent OnClickCheck;

 protected:
  void FillCreateParams(CreateParams& p) override;
  void HandleCreated() override;
  void FontChanged() override;
  void ItemsChanged() override;
  bool DrawItem(const DRAWITEMSTRUCT& item) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyPress(char& key) override;

 private:
  void SetItemHeight();
  void Toggle(int index);
  std::vector<bool> checked_;
  std::vector<std::string> texts_;
};
