// The pictures of the main window from the bitmap libraries, and the
// basket's door animation.
#include "Application.h"
#include "Graphics.h"
#include "MainForm.h"
#include "Screen.h"

namespace {
// The screen's cursor number of the basket's move cursor.
constexpr TCursor crMoveCursor = -30;

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
  TBitmap back;
  back.LoadFromResourceName(basketLibrary, "HALVORN_BMP_BASKET_BACK_BMP");
  pnlBackgroundImg->SetGlyph(&back);
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
  // Stopped first: the message box below must not be shown again and again.
  TimerLoadImages->SetEnabled(false);
  if (!InitBitmapDll()) {
    Application->Terminate();
    return;
  }
  if (!StartGatePassed()) {
    Application->Terminate();
    return;
  }
  imagesLoaded = 1;
  InitImages();
  InitRunImages();
}

void TForm1::InitImages() {
  const bool fewColours = ColourDepth() < 16;
  const struct {
    TGIFAnimator* animator;
    const char* file;
  } animations[] = {{gifanimRecord, "record_anim"},
                    {gifanimPlay, "play_anim"},
                    {gifAnimDownload, "download_anim"},
                    {gifanimConnect, "connect_anim"}};
  for (const auto& a : animations) {
    std::string file = GetCurrentDir() + "\\" + a.file + (fewColours ? "4.gif" : ".gif");
    if (!FileExists(file)) continue;
    try {
      a.animator->Image()->LoadFromFile(file);
    } catch (const Exception& e) {
      // A broken animation is reported and left empty; the pictures go on.
      Application->HandleException(e);
    }
  }

  auto tile = [this](TPanelTile* panel, const char* name) {
    TBitmap bitmap;
    bitmap.LoadFromResourceName(mainLibrary, name);
    panel->SetGlyph(&bitmap);
  };
  tile(pnlMenu, "HALVORN_BMP_STRIP_BMP");

  const struct {
    TTezMMBut* button;
    const char* base;
  } buttons[] = {{speedView, "HALVORN_BMP_VIEW"},       {speedPlayer, "HALVORN_BMP_DEVICE"},
                 {speedOptions, "HALVORN_BMP_OPTIONS"}, {speedWeb, "HALVORN_BMP_WEB"},
                 {speedHelp, "HALVORN_BMP_HELP"},       {speedRecordNow, "HALVORN_BMP_RECBUT"},
                 {speedPlayNow, "HALVORN_BMP_PLAYBUT"}, {speedRecordStop, "HALVORN_BMP_STOPBUT"},
                 {speedSendRemark, "HALVORN_BMP_REMARKBUT"},
                 {speedDeleted, "HALVORN_BMP_TRASH"},   {speedPending, "HALVORN_BMP_CLOCK"},
                 {speedRejected, "HALVORN_BMP_REJECT"}, {speedCustomize, "HALVORN_BMP_CUSTOM"},
                 {speedCustMoveDown, "HALVORN_BMP_CUSTDOWN"},
                 {speedCustMoveUp, "HALVORN_BMP_CUSTUP"}, {speedCustOk, "HALVORN_BMP_CLOSE"},
                 {speedAddChannel, "HALVORN_BMP_LEFT"}, {speedRemoveChannel, "HALVORN_BMP_RIGHT"}};
  for (const auto& b : buttons) LoadButtonPictures(mainLibrary, b.base, b.button);
  speedPlayStop->SetReferenceButton(speedRecordStop);
  for (TTezMMBut* b : {speedCustDown, speedOptionsCustomize, speedPlayerCustomize})
    b->SetReferenceButton(speedCustomize);
  for (TTezMMBut* b : {speedPlayStop, speedCustDown, speedOptionsCustomize, speedPlayerCustomize})
    b->FitToPicture();
  TBitmap copy;
  copy.Assign(speedAddChannel->PicNormal());
  imageAddToActive->SetBitmap(copy.ReleaseHandle());
  copy.Assign(speedRemoveChannel->PicNormal());
  imageRemoveFromActive->SetBitmap(copy.ReleaseHandle());

  tile(pnlChannels, "HALVORN_BMP_GRAY_BMP");
  tile(btnPanel, "HALVORN_BMP_SMALLBACKBMP_BMP");
  tile(pnlActiveChanels, "HALVORN_BMP_GREYNOSLIT_BMP");
  for (TPanelTile* p : {pnlOptionsChannels, pnlPlayerChannels}) p->SetReferencePanel(pnlChannels);
  for (TPanelTile* p : {pnlInactiveChannels, pnlTileCustomize})
    p->SetReferencePanel(pnlActiveChanels);
  for (TPanelTile* p :
       {pnlOptions, pnlCustomize, pnlViewContents, pnlViewPlayer, pnlItemsArea, pnlGridHolder})
    p->SetReferencePanel(btnPanel);

  // Record-status and play-status pictures by resource; 0 = none of that kind.
  static const struct {
    const char* name;
    int rec[2], play[2];
  } status[] = {{"ITEMRECICON", {2, 3}, {0, 0}},       {"ITEMPLAYICON", {0, 0}, {2, 3}},
                {"ITEMPLAYEDICON", {4, 0}, {4, 0}},    {"ITEMOLDICON", {5, 0}, {5, 0}},
                {"ITEMERRORICON", {6, 0}, {6, 0}},     {"ITEMSTOPICON", {7, 0}, {7, 0}},
                {"ITEMSTOREDICON", {9, 0}, {9, 0}},    {"ITEMSTOREDNEWICON", {10, 0}, {10, 0}},
                {"ITEMSTOREDOLDICON", {11, 0}, {11, 0}},
                {"ITEMSTOREDSTOPPEDICON", {12, 0}, {12, 0}},
                {"ITEMSTOREDREMOVEDICON", {13, 0}, {13, 0}}};
  for (const auto& s : status) {
    std::string resource = Format("HALVORN_BMP_%s_BMP", s.name);
    for (int n : s.rec)
      if (n) recStatusImages[n]->SetBitmap(LoadPicture(mainLibrary, resource));
    for (int n : s.play)
      if (n) playStatusImages[n]->SetBitmap(LoadPicture(mainLibrary, resource));
  }
  static const char* const itemStates[] = {"PENCIL", "HAND", "CYCLE", "EXCLAMATION"};
  for (int n = 2; n <= 5; ++n)
    itemStatImages[n]->SetBitmap(
        LoadPicture(mainLibrary, Format("HALVORN_BMP_ITEMSTAT%s_BMP", itemStates[n - 2])));

  HCURSOR move = LoadCursorA(GetModuleHandleA(nullptr), "CURSORMOVECURSOR");
  if (move) {
    Screen->SetCursors(crMoveCursor, move);
    pnlTheBasket->SetCursor(crMoveCursor);
  }
}

void TForm1::WMPaletteChanged(TMessage& msg) {
  if (reinterpret_cast<HWND>(msg.WParam) == Handle()) return;
  for (TPanelTile* panel : {pnlChannels, btnPanel, pnlMenu, pnlViewContents}) {
    HPALETTE palette = panel->Glyph() ? panel->Glyph()->Palette() : nullptr;
    if (palette && panel->HandleAllocated()) {
      HDC dc = GetDC(panel->Handle());
      HPALETTE old = SelectPalette(dc, palette, FALSE);
      RealizePalette(dc);
      SelectPalette(dc, old, FALSE);
      ReleaseDC(panel->Handle(), dc);
    }
    InvalidateRect(panel->Handle(), nullptr, TRUE);
    UpdateWindow(panel->Handle());
    Application->ProcessMessages();
  }
}

void TForm1::ApplyDisabledImage() {
  HBITMAP recorded = nullptr, played = nullptr;
  if (FileExists(options.disabledImage)) {
    recorded = static_cast<HBITMAP>(
        LoadImageA(nullptr, options.disabledImage.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    played = static_cast<HBITMAP>(
        LoadImageA(nullptr, options.disabledImage.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  }
  recStatusImages[8]->SetBitmap(recorded);
  playStatusImages[8]->SetBitmap(played);
}

void TForm1::ApplyPlayerParams() {
  ApplyDisabledImage();
  bool player = options.playerAvailable == 1;
  speedPlayer->SetGroupIndex(player ? 1 : 0);
  speedPlayer->SetEnabled(player);
  EnableRecordControls();
  EnablePlayControls();
  EnableEditControls();
  DisplayRecordPlayState();
  Application->ProcessMessages();
}

void TForm1::StartDoorAnimation() {
  doorState = 1;
  timerAnimatePicture->SetEnabled(true);
  timerAnimatePictureTimer(timerAnimatePicture);
}

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
