// The tray icon and its menu, chosen from the run state and the schedule.
#include "ControlForm.h"
#include "ControlMessages.h"

void TForm1::LoadTrayIcons() {
  HINSTANCE self = GetModuleHandleA(nullptr);
  struct Named {
    TIcon* icon;
    const char* name;
  };
  const Named statics[] = {{Image1, "IMAGE1"},   {Image2, "IMAGE2"},   {Image3, "IMAGE3"},
                           {Image4, "IMAGE4"},   {Image5, "IMAGE5"},   {Image20, "IMAGE20"},
                           {Image21, "IMAGE21"}, {Image22, "IMAGE22"}, {Image23, "IMAGE23"},
                           {Image24, "IMAGE24"}};
  for (const Named& n : statics) LoadIconResource(n.icon, self, n.name);
  for (int i = 0; i < 8; ++i) {
    LoadIconResource(imgAnim1[i], self, Format("IMGANIM1_%d", i + 1).c_str());
    LoadIconResource(imgAnim2[i], self, Format("IMGANIM2_%d", i + 1).c_str());
  }
}

void TForm1::SetTrayHint(const std::string& hint) {
  trayHint_ = hint;
  TrayIcon1->SetHint(hint);
}

void TForm1::UpdateTrayIcon() {
  const bool sched = schedActive_ == 1;
  TIcon* still = nullptr;
  switch (recorderState_.state) {
    case 1:
    case 2:
    case 3:
      break;
    case 4:
      still = sched ? Image21 : Image2;
      break;
    case 5:
      still = sched ? Image23 : Image4;
      break;
    default:
      still = sched ? Image24 : Image5;
      break;
  }
  if (still) {
    TrayIcon1->SetAnimated(false);
    TrayIcon1->Icon()->Assign(still);
    TrayIcon1->SetActive(true);
  } else {
    TIcon* const* frames = sched ? imgAnim2 : imgAnim1;
    TrayIcon1->SetAnimated(false);
    TrayIcon1->BeginIconsUpdate();
    TrayIcon1->Icons()->Clear();
    for (int i = 0; i < 8; ++i) TrayIcon1->Icons()->Add(frames[i]);
    TrayIcon1->EndIconsUpdate();
    TrayIcon1->SetAnimated(true);
  }
  SendToMain(WM_TEZ_RECORDER_STATE, PackRecorderState(recorderState_));
  UpdateMenuItems();
}

void TForm1::UpdateMenuItems() {
  const bool record = Running(0), play = Running(1), playItem = Running(2);
  mnuRecordNow->SetVisible(!record && recButAvailable_ == 1);
  mnuRecordNow->SetEnabled(!play && !playItem);
  mnuRecordNow->SetChecked(false);
  mnuRecordStop->SetVisible(record && recButAvailable_ == 1);
  mnuRecordStop->SetChecked(false);
  mnuPlayNow->SetVisible(!play && playButAvailable_ == 1);
  mnuPlayNow->SetEnabled(!record && !playItem);
  mnuPlayNow->SetChecked(false);
  mnuPlayStop->SetVisible(play && playButAvailable_ == 1);
  mnuPlayStop->SetChecked(false);
  PopupMenu1->PrepareItems(true);
}

namespace {

// A tray command runs once until the icon update unchecks its item.
bool TakeCommand(TMenuItem* item) {
  if (item->Checked()) return false;
  item->SetChecked(true);
  return true;
}

}  // namespace

void TForm1::mnuRecordNowClick() {
  if (TakeCommand(mnuRecordNow)) PostToSelf(WM_TEZ_START_SESSION, 0);
}

void TForm1::mnuPlayNowClick() {
  if (TakeCommand(mnuPlayNow)) PostToSelf(WM_TEZ_START_SESSION, 100);
}

void TForm1::mnuRecordStopClick() {
  if (TakeCommand(mnuRecordStop)) PostToSelf(WM_TEZ_STOP_SESSION);
}

void TForm1::mnuPlayStopClick() {
  if (TakeCommand(mnuPlayStop)) PostToSelf(WM_TEZ_STOP_SESSION);
}
