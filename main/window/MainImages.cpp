// The pictures of the main window from the bitmap libraries, and the
// basket's door animation.
#include "Application.h"
#include "Graphics.h"
#include "MainForm.h"

namespace {
void ShowMessage(const std::string& text) {
  MessageBoxA(Application->MainForm() ? Application->MainForm()->Handle() : nullptr, text.c_str(),
              Application->Title().c_str(), MB_OK);
}
}  // namespace

HMODULE TForm1::LoadBitmapLibrary(const char* plain, const char* fourBit) {
  HMODULE module = nullptr;
  if (ColourDepth() < 16) module = dllManager->GetModule(fourBit);
  if (!module) module = dllManager->GetModule(plain);
  return module;
}

HBITMAP TForm1::LoadPicture(HMODULE module, const std::string& name) {
  TBitmap bitmap;
  bitmap.LoadFromResourceName(module, name);
  return bitmap.ReleaseHandle();
}

bool TForm1::InitBasketBitmapDll() {
  basketLibrary = LoadBitmapLibrary("HalvornBasket.dll", "HalvornBasket4.dll");
  if (!basketLibrary) ShowMessage("No Basket Bitmaps Found");
  return basketLibrary != nullptr;
}

bool TForm1::InitBitmapDll() {
  mainLibrary = LoadBitmapLibrary("Halvorn.dll", "Halvorn4.dll");
  if (!mainLibrary) ShowMessage("No Bitmaps Found");
  return mainLibrary != nullptr;
}

void TForm1::InitBasketImages() {
  imgRightDoor->SetBitmap(LoadPicture(basketLibrary, "HALVORN_BMP_BASKET_R_BMP"));
  imgLeftDoor->SetBitmap(LoadPicture(basketLibrary, "HALVORN_BMP_BASKET_L_BMP"));
  InitPopUpImages();
}

void TForm1::InitPopUpImages() {
  static const char* const names[] = {
      "CLOSE", "MAX", "PLAY", "REC", "STOP", "ABOUT", "HELP", "TEZBASKET", "SCHEDON", "SCHEDOFF",
      "BASKETPASTE"};
  for (const char* name : names) {
    HBITMAP picture = LoadPicture(basketLibrary, Format("HALVORN_BMP_TRAYICON_%s_BMP", name));
    imglistPopUpMenu->Add(picture, nullptr);
    DeleteObject(picture);
  }
}

void TForm1::TimerLoadImagesTimer(TObject*) {
  if (imagesLoaded) return;
  if (!InitBitmapDll()) {
    Application->Terminate();
    return;
  }
  if (!StartGatePassed()) {
    Application->Terminate();
    return;
  }
  imagesLoaded = 1;
  TimerLoadImages->SetEnabled(false);
  InitImages();
}

void TForm1::InitImages() {}

void TForm1::timerAnimatePictureTimer(TObject*) {
  int step = imgLeftDoor->Width() / 3;
  switch (doorState) {
    case 1:
      imgLeftDoor->SetLeft(imgLeftDoor->Left() - step);
      imgRightDoor->SetLeft(imgRightDoor->Left() + step);
      if (imgLeftDoor->Left() <= -imgLeftDoor->Width()) doorState = 2;
      break;
    case 2:
      imgLeftDoor->SetLeft(imgLeftDoor->Left() + step);
      imgRightDoor->SetLeft(imgRightDoor->Left() - step);
      if (imgLeftDoor->Left() >= 0) {
        doorState = 0;
        timerAnimatePicture->SetEnabled(false);
        imgLeftDoor->SetLeft(6);
        imgRightDoor->SetLeft(38);
        PostMessageA(Handle(), WM_TEZ_REFRESH_VIEW, 20, 0);
      }
      break;
    default:
      imgLeftDoor->SetLeft(6);
      imgRightDoor->SetLeft(38);
      timerAnimatePicture->SetEnabled(false);
      break;
  }
}
