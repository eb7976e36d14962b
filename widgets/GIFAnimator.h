// A non-windowed control that shows a GIF image and plays its frames, each
// for its own delay, on a timer of its own.
#pragma once

#include "Animate.h"
#include "GIFImage.h"
#include "ThreadedTimer.h"

class TGIFAnimator : public TImageControl {
 public:
  explicit TGIFAnimator(TComponent* owner);
  ~TGIFAnimator() override;

  bool Animate() const { return animate_; }
  void SetAnimate(bool animate);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool Center() const { return center_; }
  void SetCenter(bool center);
  int FrameIndex() const { return frameIndex_; }
  // Ignored unless n is another frame of the image.
  void SetFrameIndex(int n);
  TGIFImage* Image() { return image_; }
  // The owned image assigns from the graphic.
  void SetImage(TGraphic* graphic) { image_->Assign(graphic); }
  bool Loop() const { return loop_; }
  void SetLoop(bool loop) { loop_ = loop; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  // Milliseconds frame n is shown (0 for no such frame or a single frame).
  int FrameDelay(int n);
  // The timer that steps the frames.
  TThreadedTimer* Timer() { return timer_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnFrameChanged;
  TNotifyEvent OnStart;
  TNotifyEvent OnStop;

 protected:
  void DoPaintImage() override;
  HPALETTE GetPalette() override;
  void Resized() override;
  void Loaded() override;

 private:
  void ImageChanged();
  void AdjustSize();
  void Advance();
  void Redraw();
  TGIFImage* image_;
  TThreadedTimer* timer_;
  bool animate_ = false;
  bool autoSize_ = true;
  bool center_ = false;
  bool loop_ = true;
  bool stretch_ = false;
  bool transparent_ = true;
  int frameIndex_ = 0;
};
