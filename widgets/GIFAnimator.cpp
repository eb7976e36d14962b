#include "GIFAnimator.h"

#include <algorithm>

#include "VclUtils.h"

TGIFAnimator::TGIFAnimator(TComponent* owner) : TImageControl(owner) {
  timer_ = new TThreadedTimer(nullptr);
  image_ = new TGIFImage;
  image_->OnChange = [this](TObject*) { ImageChanged(); };
  graphic_ = image_;
}

TGIFAnimator::~TGIFAnimator() {
  OnChange = nullptr;
  OnFrameChanged = nullptr;
  OnStart = nullptr;
  OnStop = nullptr;
  SetAnimate(false);
  image_->OnChange = nullptr;
  graphic_ = nullptr;
  delete image_;
  delete timer_;  // waits for its thread: no tick reaches this control afterwards
}

// Every setting runs its steps, also to the current value: a start that
// the timer refused is tried again, and a stop always reports.
void TGIFAnimator::SetAnimate(bool animate) {
  if (animate) {
    timer_->SetOnTimer([this](TObject*) { Advance(); });
    timer_->SetEnabled(true);
    animate_ = timer_->Enabled();
    if (animate_ && OnStart) OnStart(this);
  } else {
    timer_->SetEnabled(false);
    timer_->SetOnTimer(nullptr);
    animate_ = false;
    PictureChanged();
    // Last: the handler may free the animator.
    if (TNotifyEvent stop = OnStop) stop(this);
  }
}

void TGIFAnimator::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  AdjustSize();
  PictureChanged();
}

void TGIFAnimator::Redraw() {
  PictureChanged();
  if (animate_) Repaint();
}

void TGIFAnimator::SetCenter(bool center) {
  center_ = center;
  Redraw();
}

void TGIFAnimator::SetStretch(bool stretch) {
  stretch_ = stretch;
  Redraw();
}

void TGIFAnimator::SetTransparent(bool transparent) {
  transparent_ = transparent;
  Redraw();
}

void TGIFAnimator::SetFrameIndex(int n) {
  if (n == frameIndex_ || n < 0 || n >= image_->Count()) return;
  frameIndex_ = n;
  timer_->SetInterval(static_cast<UINT>(FrameDelay(n)));
  if (OnFrameChanged) OnFrameChanged(this);
  PictureChanged();
}

int TGIFAnimator::FrameDelay(int n) {
  if (n < 0 || n >= image_->Count() || image_->Count() < 2) return 0;
  return static_cast<int>(std::max<uint32_t>(image_->Frames(n)->Delay, 1));
}

void TGIFAnimator::AdjustSize() {
  if (!autoSize_ || (ComponentState() & csLoading) || image_->Empty()) return;
  // An aligned control keeps the extent its alignment gives it.
  const bool keepWidth = Align() == alTop || Align() == alBottom || Align() == alClient;
  const bool keepHeight = Align() == alLeft || Align() == alRight || Align() == alClient;
  SetBounds(Left(), Top(), keepWidth ? Width() : image_->Width(), keepHeight ? Height() : image_->Height());
}

void TGIFAnimator::Resized() { AdjustSize(); }

void TGIFAnimator::Loaded() {
  TImageControl::Loaded();
  AdjustSize();
}

void TGIFAnimator::ImageChanged() {
  AdjustSize();
  frameIndex_ = image_->FrameIndex();
  if (frameIndex_ >= 0 && image_->Count() > 0) timer_->SetInterval(static_cast<UINT>(FrameDelay(frameIndex_)));
  if (OnChange) OnChange(this);
  PictureChanged();
}

HPALETTE TGIFAnimator::GetPalette() { return image_->Empty() ? nullptr : image_->Palette(); }

void TGIFAnimator::Advance() {
  if (!Visible() || image_->Count() <= 1) return;
  frameIndex_ = frameIndex_ >= image_->Count() - 1 ? 0 : frameIndex_ + 1;
  if (OnFrameChanged) OnFrameChanged(this);
  Repaint();
  if (frameIndex_ >= 0 && frameIndex_ < image_->Count())
    timer_->SetInterval(static_cast<UINT>(FrameDelay(frameIndex_)));
  if (!loop_ && frameIndex_ == 0) SetAnimate(false);
}

void TGIFAnimator::DoPaintImage() {
  int w = ClientWidth(), h = ClientHeight();
  if (w <= 0 || h <= 0) return;
  TBitmap buffer;
  buffer.SetPixelFormat(pf24bit);
  buffer.SetSize(w, h);
  TCanvas* canvas = buffer.Canvas();
  canvas->Brush()->SetColor(Color());
  canvas->FillRect({0, 0, w, h});
  bool empty = image_->Empty();
  if (empty || image_->Transparent()) CopyParentImage(this, canvas);
  if (!empty && image_->Width() >= 1 && image_->Height() >= 1) {
    TColor transparentColor = clNone;
    std::unique_ptr<TBitmap> frame;
    try {
      frame = image_->ComposeFrame(frameIndex_, true, transparentColor);
    } catch (const EInvalidGraphicOperation&) {
      // A frame whose data does not decode shows the background alone.
    }
    if (frame && !frame->Empty()) {
      int fw = frame->Width(), fh = frame->Height();
      RECT target = {0, 0, fw, fh};
      if (stretch_) {
        target = {0, 0, w, h};
      } else if (center_) {
        int x = (w - fw) / 2, y = (h - fh) / 2;
        target = {x, y, x + fw, y + fh};
      }
      if (transparentColor == clNone || !transparent_) {
        frame->SetTransparent(false);
        canvas->StretchDraw(target, frame.get());
      } else {
        StretchBitmapRectTransparent(canvas, target.left, target.top, target.right - target.left,
                                     target.bottom - target.top, frame.get(), {0, 0, 0, 0},
                                     transparentColor);
      }
    }
  }
  BitBlt(Canvas()->Handle(), 0, 0, w, h, canvas->Handle(), 0, 0, SRCCOPY);
  if ((ComponentState() & csDesigning) && (empty || image_->Transparent())) DrawDesignFrame();
}
