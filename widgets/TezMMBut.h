// A speed button drawn entirely from five pictures (normal, under the
// mouse, pressed, pressed under the mouse, disabled), with sounds when the
// mouse comes over it and when it is pressed. Buttons can share the
// pictures of a reference button.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "Buttons.h"
#include "Graphics.h"

enum TSoundType { stAppResource, stDLLResource, stFile };

class TTezMMBut : public TSpeedButton {
 public:
  explicit TTezMMBut(TComponent* owner);
  ~TTezMMBut() override;

  TBitmap* PicNormal() const { return pics_->at(0).get(); }
  TBitmap* PicHiLight() const { return pics_->at(1).get(); }
  TBitmap* PicPushed() const { return pics_->at(2).get(); }
  TBitmap* PicPushHiLight() const { return pics_->at(3).get(); }
  TBitmap* PicDisabled() const { return pics_->at(4).get(); }
  // Copies the bitmap in; a non-empty normal picture sizes the button.
  void SetPicNormal(TBitmap* b);
  void SetPicHiLight(TBitmap* b) { SetPic(1, b); }
  void SetPicPushed(TBitmap* b) { SetPic(2, b); }
  void SetPicPushHiLight(TBitmap* b) { SetPic(3, b); }
  void SetPicDisabled(TBitmap* b) { SetPic(4, b); }
  // Sizes the button to a non-empty normal picture (after loading one).
  void FitToPicture();

  std::string SndOver, SndPush;
  TSoundType SoundType = stAppResource;
  HINSTANCE DLLInst = nullptr;

  TTezMMBut* ReferenceButton() const { return reference_; }
  void SetReferenceButton(TTezMMBut* button);

  bool Pushed() const { return pushed_; }
  bool Hover() const { return hover_; }
  // The picture the button shows now (run time).
  TBitmap* CurrentPicture() const;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  using Pictures = std::array<std::unique_ptr<TBitmap>, 5>;
  static std::shared_ptr<Pictures> NewPictures();
  void SetPic(int index, TBitmap* b);
  void Play(const std::string& sound);
  std::shared_ptr<Pictures> pics_;
  TTezMMBut* reference_ = nullptr;
  bool pushed_ = false;
  bool hover_ = false;
};
