// The speed button: a flat-capable push button that does not take the
// focus; buttons with a group index stay down, one per group (or none with
// AllowAllUp).
#pragma once

#include "GraphicControls.h"

enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TCustomControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool allow);
  bool Down() const { return down_; }
  void SetDown(bool down);
  bool Flat = false;
  // Up, or down while the left button is held on it or when Down.
  TButtonState State() const { return state_; }
  void Click() override;

 protected:
  void FillCreateParams(CreateParams& p) override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  void UpdateExclusive();
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
  bool down_ = false;
  bool pressing_ = false;
  TButtonState state_ = bsUp;
};
