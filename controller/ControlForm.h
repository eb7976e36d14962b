// The controller's only window, "Brindale Control": hidden, reached through
// the tray icon. It starts the device program, opens the main program's
// views, starts and follows every run of the Recorder, relays the run's
// mail to the main program and starts the daily recording.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ExtCtrls.h"
#include "HttpClient.h"
#include "Forms.h"
#include "IniFiles2.h"
#include "JustOne.h"
#include "MailSlotComp.h"
#include "MsgSend.h"
#include "ImgList.h"
#include "StdCtrls.h"
#include "TezWebLabel.h"
#include "oxMenus.h"
#include "TrayShell.h"
#include "UpdateCheck.h"
#include "Utils.h"

// Sets a flag for a scope and clears it when the scope ends, whatever way
// it ends (a trace that cannot be written raises).
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);
  ~TForm1() override;

  // Components.
  TLabel* Label1;
  TLabel* Label2;
  TLabel* Label3;
  TIcon* Image1;
  TIcon* Image2;
  TIcon* Image3;
  TIcon* Image4;
  TIcon* Image5;
  TIcon* Image20;
  TIcon* Image21;
  TIcon* Image22;
  TIcon* Image23;
  TIcon* Image24;
  TIcon* imgAnim1[8];
  TIcon* imgAnim2[8];
  TTezWebLabel* TezWebLabel1;
  TTrayIcon* TrayIcon1;
  ToxPopupMenu* PopupMenu1;
  TImageList* imglistPopUpMenu;
  TMenuItem* mnuFullView;
  TMenuItem* mnuBasket;
  TMenuItem* mnuPlayNow;
  TMenuItem* mnuPlayStop;
  TMenuItem* mnuRecordNow;
  TMenuItem* mnuRecordStop;
  TMenuItem* mnuAutomaticRec;
  TMenuItem* mnuHelp1;
  TMenuItem* mnuAbout1;
  TMenuItem* mnuClose;
  TMsgSend* msgSendMain;
  TMsgSend* msgSendRecorder;
  TMsgSend* msgSendCaddrel;
  TMsgSend* MsgSendPellomar;
  TMsgSend* msgFindSetupWizard;
  TMailSlotComp* MailSlotPellomar;
  TJustOne* JustOne1;
  TTimer* timerCheckScheduler;
  TTimer* m_timerWaitForRecorderEnd;
  TTimer* tmStartUpDelay;
  TTimer* tmCaddrelEnd;
  TTimer* tmHttpProgress;
  THttpClient* HttpClient1;

  // Tray menu commands.
  void mnuFullViewClick();
  void mnuBasketClick();
  void mnuPlayNowClick();
  void mnuPlayStopClick();
  void mnuRecordNowClick();
  void mnuRecordStopClick();
  void mnuAutomaticRecClick();
  void mnuHelp1Click();
  void mnuAbout1Click();
  void mnuCloseClick();

  // Where a run stands, for the tray and the main program.
  const TRecorderState& RecorderState() const { return recorderState_; }

 private:
  // Start-up and shutdown (ControlForm.cpp).
  void FormCreate();
  void JustOne1BeforeClose(TObject* sender);
  bool StartMail();
  void ReadStartSettings();
  bool LoadMenuBitmaps();
  void ExitSteps();
  void EndRecorderAtExit();
  void ShowIntro();

  // Trace file and messages to the main program (ControlViews.cpp).
  void Trace(const std::string& text);
  bool SendToMain(UINT message, WPARAM wParam = 0, bool sendNow = false, LPARAM lParam = 0);
  void PostToSelf(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  void OpenView(int view);

  // The device program (ControlDevice.cpp).
  void StartCaddrel();
  void StopCaddrel(bool atExit);
  void RegisterWithCaddrel();
  void PostToCaddrel(UINT message, WPARAM wParam, LPARAM lParam);
  void tmCaddrelEndTimer();

  // Run control (ControlRun.cpp).
  void InstallRunMessages();
  void OnStartSession(WPARAM mode);
  void OnStopSession();
  void OnChannelsSaved(WPARAM mode);
  void OnRecorderReport(WPARAM code, LPARAM value);
  void OnSchedStart();
  void OnSchedOk();
  void OnSchedFail();
  void OnSettingsChanged();
  void WriteRunKeys(int mode);
  bool StartRecorder();
  void PostToRecorder(UINT message, WPARAM wParam, LPARAM lParam);
  void KillRecorder(int followUp);
  bool RecorderEnded();
  void ForgetRecorderProcess();
  void m_timerWaitForRecorderEndTimer();
  void EndOfRecorderWait();
  bool RunUnderWay() const;
  void RestartCaddrelIfWaiting();
  void SetState(int kind, int state);
  bool Running(int kind) const;
  void WriteLastDate(int value);

  // Mail relay (ControlMail.cpp).
  void MailSlotPellomarBinMessageAvail(const char* data, int len);
  void OnMailArrived();
  int DropQueuedMail();
  bool RunEnded() const { return recorderState_.state == 4 || recorderState_.state == 5; }

  // Daily schedule and media settings (ControlSchedule.cpp).
  void ReadSettings();
  void timerCheckSchedulerTimer();
  void CheckSchedule();
  std::string ScheduleTimeText() const;

  // Tray icon and tray menu (ControlTray.cpp).
  void UpdateTrayIcon();
  void SetTrayHint(const std::string& hint);
  void UpdateMenuItems();
  void TrayIcon1DblClick(TObject* sender);
  void LoadTrayIcons();
  void MakePopupMenu();
  void PopupMenu1Popup();
  void SetMenuTags();

  std::unique_ptr<TIniFile> settings_;
  std::unique_ptr<TTezMailSlot> mailQueue_;
  bool mailslotWorks_ = false;  // the "Testing" block came through the mailslot
  std::string mainCaption_;
  std::string helpPage_;
  int showIntro_ = 1;
  bool introShown_ = false;
  int autoOpenBasketOnStart_ = 1;
  bool openingView_ = false;
  bool closeAsked_ = false;
  bool exiting_ = false;
  HANDLE mainProcess_ = nullptr;
  HANDLE recorderProcess_ = nullptr;
  HANDLE caddrelProcess_ = nullptr;
  std::string productVersion_;
  bool getDir_ = false;
  bool debug_ = false;

  // Update check settings, kept for the update check.
  int httpTimeOutDelay_ = 6000;
  int autoUpdateActive_ = 0;
  std::string autoUpdateCheckUrl_;
  std::string autoUpdatePrepareUrl_;
  // The update check and the update list (ControlUpdate.cpp).
  void StartUpdateCheck();
  void ProcessUpdateListAtStart();
  std::unique_ptr<TUpdateCheck> updateCheck_;

  // Run state.
  TRecorderState recorderState_ = {0, 0};
  bool startInProgress_ = false;
  bool stopPending_ = false;
  bool commandReceived_ = false;
  bool deviceReady_ = false;
  HWND reportWindow_ = nullptr;
  int followUp_ = 0;
  int ticks_ = 0;
  int lastDate_ = 0;
  bool caddrelRestartWaiting_ = false;  // a settings change came during a run

  // Schedule and media settings.
  int schedActive_ = 1;
  int schedHour_ = 6;
  int schedMin_ = 30;
  int schedPm_ = 0;
  std::string driverName_ = "Caddrel.exe";
  int mdSetEnabled_ = 0;
  int mediaComPort_ = 1;
  int recButAvailable_ = 1;
  int playButAvailable_ = 1;
  int showCaddrel_ = 0;
  int targetHour_ = 0;
  int targetMin_ = 0;
  bool armed_ = true;
  bool checking_ = false;
  std::string trayHint_;
};
