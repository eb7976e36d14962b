// The gauge: a bar that shows progress between MinValue and MaxValue.
#pragma once

#include "GraphicControls.h"

class TGauge : public TCustomControl {
 public:
  explicit TGauge(TComponent* owner);
  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  int Progress() const { return progress_; }
  // Each change repaints; values are kept between MinValue and MaxValue.
  void SetMinValue(int v);
  void SetMaxValue(int v);
  void SetProgress(int v);
  void AddProgress(int v) { SetProgress(progress_ + v); }
  TColor ForeColor() const { return foreColor_; }
  void SetForeColor(TColor color);
  // The percentage in the bar's middle.
  bool ShowText = true;

 protected:
  void Paint() override;

 private:
  int min_ = 0, max_ = 100, progress_ = 0;
  TColor foreColor_ = clBlack;
};
