// The tray menu: its items, their pictures and the schedule item's caption.
#include "ControlForm.h"

void TForm1::MakePopupMenu() {
  imglistPopUpMenu = new TImageList(this);
  imglistPopUpMenu->SetName("imglistPopUpMenu");
  PopupMenu1 = new ToxPopupMenu(this);
  PopupMenu1->SetName("PopupMenu1");
  PopupMenu1->SetCaption("Brindale");
  PopupMenu1->Banner()->Font()->SetName("Arial");
  PopupMenu1->Banner()->Font()->SetColor(clWhite);
  PopupMenu1->Banner()->SetVertical(true);
  PopupMenu1->Banner()->SetStyle(oxmVertGradient);
  PopupMenu1->Banner()->SetGradient(clBlack);
  PopupMenu1->Banner()->SetColor(clNavy);
  PopupMenu1->SetOptions(oxmSet(oxmBanner) | oxmSet(oxmMultiLine) |
                         oxmSet(oxmUseTagAsImageIndex));
  PopupMenu1->SetImages(imglistPopUpMenu);
  PopupMenu1->OnPopup = [this](TObject*) { PopupMenu1Popup(); };

  auto add = [this](const char* name, const char* caption, std::function<void()> click) {
    auto* item = new TMenuItem(this);
    if (name) item->SetName(name);
    item->SetCaption(caption);
    if (click) item->OnClick = [click](TObject*) { click(); };
    PopupMenu1->Items()->Add(item);
    return item;
  };
  mnuFullView = add("mnuFullView", "&Full View", [this] { mnuFullViewClick(); });
  mnuBasket = add("mnuBasket", "Brindale &Basket", [this] { mnuBasketClick(); });
  mnuBasket->SetDefault(true);
  add(nullptr, "-", nullptr);
  mnuPlayNow = add("mnuPlayNow", "&Play Now", [this] { mnuPlayNowClick(); });
  mnuPlayStop = add("mnuPlayStop", "Stop Pla&ying", [this] { mnuPlayStopClick(); });
  mnuRecordNow = add("mnuRecordNow", "&Record Now", [this] { mnuRecordNowClick(); });
  mnuRecordStop = add("mnuRecordStop", "&Stop Recording", [this] { mnuRecordStopClick(); });
  add(nullptr, "-", nullptr);
  mnuAutomaticRec =
      add("mnuAutomaticRec", "&Automatic Recording", [this] { mnuAutomaticRecClick(); });
  mnuAutomaticRec->Hint = "Set Automatic Recording";
  add(nullptr, "-", nullptr);
  mnuHelp1 = add("mnuHelp1", "&Help", [this] { mnuHelp1Click(); });
  mnuAbout1 = add("mnuAbout1", "&About", [this] { mnuAbout1Click(); });
  add(nullptr, "-", nullptr);
  mnuClose = add("mnuClose", "C&lose", [this] { mnuCloseClick(); });
  TrayIcon1->SetPopupMenu(PopupMenu1);
}

void TForm1::SetMenuTags() {
  mnuFullView->Tag = 1;
  mnuBasket->Tag = 7;
  mnuPlayNow->Tag = 2;
  mnuPlayStop->Tag = 4;
  mnuRecordNow->Tag = 3;
  mnuRecordStop->Tag = 4;
  mnuAutomaticRec->Tag = schedActive_ != 0 ? 8 : 9;
  mnuHelp1->Tag = 6;
  mnuAbout1->Tag = 5;
  mnuClose->Tag = 0;
}

void TForm1::PopupMenu1Popup() {
  if (schedActive_ != 0) {
    mnuAutomaticRec->SetCaption("&Automatic Recording (" + ScheduleTimeText() + ")");
    mnuAutomaticRec->Tag = 8;
  } else {
    mnuAutomaticRec->SetCaption("&Automatic Recording (Off)");
    mnuAutomaticRec->Tag = 9;
  }
  PopupMenu1->PrepareItems(true);
}
