#include "TezMMBut.h"

#include <mmsystem.h>

std::shared_ptr<TTezMMBut::Pictures> TTezMMBut::NewPictures() {
  auto p = std::make_shared<Pictures>();
  for (auto& b : *p) b = std::make_unique<TBitmap>();
  return p;
}

TTezMMBut::TTezMMBut(TComponent* owner) : TSpeedButton(owner), pics_(NewPictures()) {
  width_ = 30;
  height_ = 30;
}

TTezMMBut::~TTezMMBut() {
  Destroying();
  if (reference_) reference_->RemoveFreeNotification(this);
}

void TTezMMBut::SetPic(int index, TBitmap* b) {
  pics_->at(static_cast<size_t>(index))->Assign(b);
  Invalidate();
}

void TTezMMBut::SetPicNormal(TBitmap* b) {
  SetPic(0, b);
  FitToPicture();
}

void TTezMMBut::FitToPicture() {
  if (!PicNormal()->Empty()) SetBounds(Left(), Top(), PicNormal()->Width(), PicNormal()->Height());
}

void TTezMMBut::SetReferenceButton(TTezMMBut* button) {
  if (button == reference_ || button == this) return;
  if (reference_) reference_->RemoveFreeNotification(this);
  reference_ = button;
  if (button) {
    button->FreeNotification(this);
    pics_ = button->pics_;
  } else {
    pics_ = NewPictures();
  }
  Invalidate();
}

void TTezMMBut::Notification(TComponent* component, TOperation operation) {
  TSpeedButton::Notification(component, operation);
  // The shared pictures stay with this button when the reference goes.
  if (operation == opRemove && component == reference_) reference_ = nullptr;
}

void TTezMMBut::Play(const std::string& sound) {
  if (sound.empty()) return;
  DWORD flags = SND_ASYNC | SND_NODEFAULT;
  HMODULE module = nullptr;
  switch (SoundType) {
    case stAppResource: flags |= SND_RESOURCE; module = GetModuleHandleA(nullptr); break;
    case stDLLResource: flags |= SND_RESOURCE; module = DLLInst; break;
    case stFile: flags |= SND_FILENAME; break;
  }
  if ((flags & SND_RESOURCE) && !module) return;
  PlaySoundA(sound.c_str(), module, flags);
}

void TTezMMBut::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && Enabled()) {
    pushed_ = true;
    Play(SndPush);
    if (!PicPushed()->Empty()) Invalidate();
  }
  TSpeedButton::MouseDown(button, shift, x, y);
}

void TTezMMBut::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    pushed_ = false;
    Invalidate();
  }
  // The speed button fires the one OnClick, and only after a press on it.
  TSpeedButton::MouseUp(button, shift, x, y);
}

void TTezMMBut::MouseEnter() {
  TSpeedButton::MouseEnter();
  hover_ = true;
  Play(SndOver);
  if (!(pushed_ ? PicPushHiLight() : PicHiLight())->Empty()) Invalidate();
}

void TTezMMBut::MouseLeave() {
  TSpeedButton::MouseLeave();
  hover_ = false;
  if (!(pushed_ ? PicPushHiLight() : PicHiLight())->Empty()) Invalidate();
}

TBitmap* TTezMMBut::CurrentPicture() const {
  const bool down = Down() || State() == bsDown;
  TBitmap* pic;
  if (!Enabled())
    pic = PicDisabled();
  else if (!hover_)
    pic = down ? PicPushed() : PicNormal();
  else if (!pushed_ && !down)
    pic = PicHiLight()->Empty() ? PicNormal() : PicHiLight();
  else
    pic = PicPushHiLight()->Empty() ? PicPushed() : PicPushHiLight();
  return pic->Empty() ? PicNormal() : pic;
}

void TTezMMBut::Paint() {
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  HPALETTE pal = PicNormal()->Empty() ? nullptr : PicNormal()->Palette();
  HPALETTE oldPal = pal ? SelectPalette(dc, pal, TRUE) : nullptr;
  if (pal) RealizePalette(dc);
  RECT r = {0, 0, ClientWidth(), ClientHeight()};
  if (ComponentState() & csDesigning) {
    if (PicNormal()->Empty()) {
      c->Pen()->SetColor(clTeal);
      c->Brush()->SetStyle(bsClear);
      c->Rectangle(r.left, r.top, r.right, r.bottom);
      c->Brush()->SetStyle(bsSolid);
    } else {
      c->StretchDraw(r, PicNormal());
    }
  } else {
    TBitmap* pic = CurrentPicture();
    if (pic->Empty() && Visible())
      TSpeedButton::Paint();  // without pictures: a plain button with its caption
    else if (Visible())
      c->StretchDraw(r, pic);
  }
  if (pal) SelectPalette(dc, oldPal, TRUE);
}
