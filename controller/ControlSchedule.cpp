// The daily recording: its settings, the check every 10 s, the tray item
// that shows and edits the time; and the media type's settings.
#include "AskSchedTime.h"
#include "ControlForm.h"
#include "ControlMessages.h"

namespace {

const char* AmPmText(int pm) { return pm ? "PM" : "AM"; }

}  // namespace

void TForm1::ReadSettings() {
  TIniFile& ini = *settings_;
  autoOpenBasketOnStart_ = ini.ReadInteger("DragDrop", "autoOpenBasketOnStart", 1);
  schedActive_ = ini.ReadInteger("AutoUpdate", "active", 1);
  schedHour_ = ini.ReadInteger("AutoUpdate", "hour", 6);
  // The hour is 1 to 12 on the clock, 0 standing for 12; anything else is
  // not a time of day and takes the default.
  if (schedHour_ < 0 || schedHour_ > 12) schedHour_ = 6;
  schedMin_ = ini.ReadInteger("AutoUpdate", "min", 30);
  if (schedMin_ < 0 || schedMin_ > 59) schedMin_ = 30;
  schedPm_ = ini.ReadInteger("AutoUpdate", "amPm", 0);
  lastDate_ = ini.ReadInteger("AutoUpdate", "lastDate", 0);
  const std::string type = ini.ReadString("MediaTypes", "selectedMediaType", "Virtual");
  driverName_ = ini.ReadString(type, "driverName", "Caddrel.exe");
  mdSetEnabled_ = ini.ReadInteger(type, "mdSetEnabled", 0);
  mediaComPort_ = ini.ReadInteger(type, "mediaComPort", 1);
  if (mediaComPort_ <= 0) mediaComPort_ = 1;
  recButAvailable_ = ini.ReadInteger(type, "recButAvailable", 1) != 0 ? 1 : 0;
  playButAvailable_ = ini.ReadInteger(type, "playButAvailable", 1) != 0 ? 1 : 0;
  showCaddrel_ = ini.ReadInteger("MediaTypes", "showCaddrel", 0);
  UpdateTrayIcon();
  SetTrayHint(schedActive_ == 1 ? "Brindale - Automatic recording active " + ScheduleTimeText()
                                : "Brindale - Automatic recording disabled");
}

std::string TForm1::ScheduleTimeText() const {
  return Format("%d:%2.2d %s", schedHour_ == 0 ? 12 : schedHour_, schedMin_, AmPmText(schedPm_));
}

void TForm1::timerCheckSchedulerTimer() {
  RestartCaddrelIfWaiting();
  const int state = recorderState_.state;
  if (state == 0 || state == 4 || state == 5 || state == 6) {
    CheckSchedule();
    return;
  }
  if (!FindWindowA(nullptr, "Recorder") && !startInProgress_ &&
      !m_timerWaitForRecorderEnd->Enabled()) {
    SetRecorderState(recorderState_, recorderState_.kind, 0);
    UpdateTrayIcon();
    recorderState_.kind = 0;
  }
}

void TForm1::CheckSchedule() {
  if (checking_) return;
  checking_ = true;
  SYSTEMTIME now;
  GetLocalTime(&now);
  Label1->SetCaption(Format("%2.2d:%2.2d:%2.2d", now.wHour, now.wMinute, now.wSecond));
  targetHour_ = schedHour_ % 12 + (schedPm_ != 0 ? 12 : 0);
  targetMin_ = schedMin_;
  SetTrayHint(schedActive_ == 1
                  ? "Brindale " + Format("- Automatic recording active %s",
                                         ScheduleTimeText().c_str())
                  : "Brindale - Automatic recording disabled");
  if (now.wHour != targetHour_ || now.wMinute != targetMin_) {
    armed_ = true;
  } else if (schedActive_ == 1 && armed_) {
    armed_ = false;
    if (!FindWindowA(nullptr, "Recorder")) {
      if (recButAvailable_ == 1)
        PostToSelf(WM_TEZ_START_SESSION, 0);
      else if (playButAvailable_ == 1)
        PostToSelf(WM_TEZ_START_SESSION, 100);
    }
  }
  checking_ = false;
}

void TForm1::mnuAutomaticRecClick() {
  TfrmAskSchedTime1 dialog(nullptr);
  dialog.SetCaption("Brindale Recording Time");
  dialog.AutoRec = schedActive_ == 1 ? 1 : 0;
  dialog.Hour = schedHour_ % 12;
  dialog.Minutes = schedMin_;
  dialog.AmPm = schedPm_ != 0 ? 1 : 0;
  if (dialog.Execute() != mrOk) return;
  schedActive_ = dialog.AutoRec ? 1 : 0;
  settings_->WriteInteger("AutoUpdate", "active", schedActive_);
  if (schedActive_) {
    schedHour_ = dialog.Hour;
    schedMin_ = dialog.Minutes;
    schedPm_ = dialog.AmPm;
    settings_->WriteInteger("AutoUpdate", "hour", schedHour_);
    settings_->WriteInteger("AutoUpdate", "min", schedMin_);
    settings_->WriteInteger("AutoUpdate", "amPm", schedPm_);
  }
  SendToMain(WM_TEZ_SETTINGS_CHANGED);
  PostToSelf(WM_TEZ_SETTINGS_CHANGED);
}
