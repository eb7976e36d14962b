// The two views of the main window and the basket's mouse handling.
#include <cstdlib>

#include "Application.h"
#include "MainForm.h"
#include "OptionsPages.h"

void TForm1::HandleMinimizeEvent(TObject*) {
  Application->Restore();
  if (options.viewState == 0) PostMessageA(Handle(), WM_TEZ_CHANGE_VIEW, 1, 0);
}

void TForm1::OnShowWindowMsg(TMessage& msg) {
  if (msg.LParam == SW_PARENTCLOSING) {
    msg.Result = 0;
    HandleMinimizeEvent(this);
    return;
  }
  DefaultHandler(msg);
}

void TForm1::OnIdleFlushMsg(TMessage&) {
  Application->ProcessMessages();
  Sleep(30);
  busy = 0;
}

void TForm1::ChangeView(TMessage& msg) {
  Application->Restore();
  bool slide = msg.LParam == 0;
  switch (msg.WParam) {
    case 0:
      if (options.viewState != 0) {
        options.viewState = 0;
        DoWindowState(true, slide);
      } else {
        DoWindowState(false, false);
      }
      break;
    case 1:
      options.viewState = 1;
      DoWindowState(true, slide);
      break;
    case 2:
      DoWindowState(false, false);
      break;
    default:
      break;
  }
  SetWindowState(wsNormal);
  SetForegroundWindow(Handle());
  if (optionsPages && ShownPage() == ViewOptions) {
    optionsPages->cmbSlideHops->SetItemIndex(options.slideNumJumps);
    optionsPages->cmbFullTime->SetItemIndex(options.FullTimeEntry());
  }
}

void TForm1::SlideToView(int extraHeight) {
  bool recording = RecorderIsRecording();
  bool sound = SavePos1->SoundEffects;
  if (recording) SavePos1->SoundEffects = false;
  if (options.audioEffects == 1 && !recording) PlaySoundFile(options.slideSoundPath);
  SavePos1->RestoreFromFile(slideNow_, extraHeight);
  SavePos1->SoundEffects = sound;
  positionsLaidOut_ = true;
}

void TForm1::DoWindowState(bool doSavePos, bool slide) {
  slideNow_ = slide;
  if (options.viewState == 0) {
    TezDropFileTarget1->Unregister();
    TimerLoadImagesTimer(this);
    if (Application->Terminated()) return;
    if (doSavePos && positionsLaidOut_) SavePos1->SaveToFile();
    SavePos1->SectionName = "ViewerSize";
    pnlViewContents->SetVisible(true);
    pnlMenu->SetVisible(true);
    pnlTheBasket->SetPopupMenu(nullptr);
    pnlBackgroundImg->SetPopupMenu(nullptr);
    Hide();
    SetBorderStyle(bsSingle);
    SetFormStyle(fsNormal);
    pnlTheBasket->SetBevelInner(bvNone);
    pnlTheBasket->SetBevelOuter(bvNone);
    pnlTheBasket->Ctl3D = false;
    pnlTheBasket->SetBounds(0, 0, 78, 71);
    Show();
    SlideToView(captionHeightExtra);
    TezDropFileTarget1->Register(this);
    busy = 1;
    PostMessageA(Handle(), WM_TEZ_IDLE_FLUSH, 0, 0);
  } else if (options.viewState == 1) {
    TezDropFileTarget1->Unregister();
    if (doSavePos && positionsLaidOut_) SavePos1->SaveToFile();
    SavePos1->SectionName = "DragDropSize";
    pnlTheBasket->SetPopupMenu(popupBasketMenu);
    pnlBackgroundImg->SetPopupMenu(popupBasketMenu);
    Hide();
    SetBorderStyle(bsNone);
    Show();
    SlideToView(0);
    pnlTheBasket->SetBounds(0, 0, 87, 81);
    pnlTheBasket->SetBevelInner(bvLowered);
    pnlTheBasket->SetBevelOuter(bvRaised);
    pnlTheBasket->SetBevelWidth(2);
    pnlTheBasket->Ctl3D = true;
    pnlMenu->SetVisible(false);
    pnlViewContents->SetVisible(false);
    SetFormStyle(fsStayOnTop);
    TezDropFileTarget1->Register(this);
  }
  Application->ProcessMessages();
}

void TForm1::BringToTop() {
  SetWindowPos(Handle(), options.viewState == 1 ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(Handle());
}

void TForm1::ChangeToPlayerView() {
  if (ShownPage() == ViewPlayer) return;
  SaveActiveChannel();
  ShowPage(ViewPlayer);
  speedPlayer->SetDown(true);
  for (TTezMMBut* b : {speedView, speedPlayer, speedOptions}) b->Invalidate();
}

void TForm1::wmDeviceMessage(TMessage& msg) {
  if (deviceCallback) deviceCallback(msg);
}

void TForm1::BasketDblClick() {
  timerPopUp->SetEnabled(false);
  PostMessageA(Handle(), WM_TEZ_CHANGE_VIEW, options.viewState == 0 ? 1 : 0, 0);
}

void TForm1::timerPopUpTimer(TObject*) {
  timerPopUp->SetEnabled(false);
  if (!basketMoved && options.viewState == 1) {
    POINT p;
    GetCursorPos(&p);
    RECT r;
    GetWindowRect(Handle(), &r);
    if (p.x <= r.left || p.x >= r.right) p.x = r.left + (r.right - r.left) / 2;
    if (p.y <= r.top || p.y >= r.bottom) p.y = r.top + (r.bottom - r.top) / 2;
    if (TPopupMenu* menu = pnlBackgroundImg->PopupMenu()) {
      menu->PopupComponent = pnlBackgroundImg;
      menu->Popup(p.x, p.y);
    }
  }
  basketMoved = 0;
}

void TForm1::MoveWindowBy(int dx, int dy) { SetBounds(Left() + dx, Top() + dy, Width(), Height()); }

void TForm1::BasketMouseDown(TMouseButton button, int x, int y) {
  if (button == mbLeft && options.viewState == 1) {
    basketDragging = 1;
    basketMoved = 0;
    dragStartX = x;
    dragStartY = y;
    pnlBackgroundImg->SetMouseCapture(true);
  } else {
    basketDragging = 0;
  }
}

void TForm1::BasketMouseMove(TShiftState shift, int x, int y) {
  if (!(shift & ssLeft) || options.viewState != 1) {
    basketDragging = 0;
    return;
  }
  if (basketMoved && basketDragging) {
    MoveWindowBy(x - dragStartX, y - dragStartY);
    timerPopUp->SetEnabled(false);
    return;
  }
  if (std::abs(x - dragStartX) < 20 && std::abs(y - dragStartY) < 20) return;
  timerPopUp->SetEnabled(false);
  if (basketDragging) {
    basketMoved = 1;
    MoveWindowBy(x - dragStartX, y - dragStartY);
  }
}

void TForm1::BorderMouseDown(TMouseButton button, int x, int y) {
  if (button != mbLeft || options.viewState != 1) return;
  borderDragging = 1;
  borderStartX = x;
  borderStartY = y;
  pnlTheBasket->SetMouseCapture(true);
}

void TForm1::BorderMouseMove(TShiftState shift, int x, int y) {
  if (!(shift & ssLeft)) {
    borderDragging = 0;
    return;
  }
  if (borderDragging) MoveWindowBy(x - borderStartX, y - borderStartY);
}

void TForm1::popupBasketMenuPopup(TObject*) {
  if (options.autoRecActive) {
    int hour = options.autoRecHour == 0 ? 12 : options.autoRecHour;
    popmnuAutomaticRec->SetCaption(Format("&Automatic Recording (%d:%2.2d %S)", hour,
                                          options.autoRecMin,
                                          options.autoRecAmPm ? "PM" : "AM"));
    popmnuAutomaticRec->Tag = 8;
  } else {
    popmnuAutomaticRec->SetCaption("&Automatic Recording (Off)");
    popmnuAutomaticRec->Tag = 9;
  }
}
