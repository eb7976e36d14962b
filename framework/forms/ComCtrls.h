// The track bar: a slider over the common-controls trackbar between Min and
// Max, with tick marks every Frequency positions.
#pragma once

#include "Controls.h"

enum TTrackBarOrientation { trHorizontal, trVertical };

class TTrackBar : public TWinControl {
 public:
  explicit TTrackBar(TComponent* owner);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const;
  // The position is kept inside the range; a range change that moves it
  // fires OnChange.
  void SetMin(int v) { SetRange(v, max_ < v ? v : max_); }
  void SetMax(int v) { SetRange(min_ > v ? v : min_, v); }
  void SetRange(int min, int max);
  void SetPosition(int v);
  int Frequency() const { return frequency_; }
  void SetFrequency(int v);
  // Made before the window exists.
  TTrackBarOrientation Orientation = trHorizontal;
  // Any change of the position (the user's, the program's or a message's).
  TNotifyEvent OnChange;

 protected:
  void FillCreateParams(CreateParams& p) override;
  void HandleCreated() override;
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
  void ScrollNotify(WORD code) override;

 private:
  void Changed();
  int min_ = 0, max_ = 10, position_ = 0, frequency_ = 1;
};
