#include "Gauges.h"

#include <string>

TGauge::TGauge(TComponent* owner) : TCustomControl(owner) { color_ = clWhite; }

void TGauge::SetMinValue(int v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  SetProgress(progress_);
  Invalidate();
}

void TGauge::SetMaxValue(int v) {
  max_ = v;
  if (min_ > max_) min_ = max_;
  SetProgress(progress_);
  Invalidate();
}

void TGauge::SetProgress(int v) {
  if (v < min_) v = min_;
  if (v > max_) v = max_;
  if (v == progress_) return;
  progress_ = v;
  Invalidate();
}

void TGauge::SetForeColor(TColor color) {
  foreColor_ = color;
  Invalidate();
}

void TGauge::Paint() {
  TCanvas* c = Canvas();
  int w = ClientWidth(), h = ClientHeight();
  long long span = static_cast<long long>(max_) - min_;
  int filled = span > 0 ? static_cast<int>((progress_ - min_) * static_cast<long long>(w) / span) : 0;
  RECT done = {0, 0, filled, h};
  RECT rest = {filled, 0, w, h};
  c->Brush()->SetColor(foreColor_);
  c->FillRect(done);
  c->Brush()->SetColor(Color());
  c->FillRect(rest);
  if (!ShowText) return;
  int percent = span > 0 ? static_cast<int>((progress_ - min_) * 100 / span) : 0;
  std::string text = std::to_string(percent) + "%";
  RECT all = {0, 0, w, h};
  HDC dc = c->Handle();
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(FontColor()));
  HGDIOBJ oldFont = SelectObject(dc, c->Font()->Handle());
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &all,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);
}
