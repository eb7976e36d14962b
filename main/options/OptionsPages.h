// The options pages of the main window: automatic recording and updates,
// media types, connection (with its test), sounds and start-up, notices
// and cleanup, speech, and the version. They show the window's option
// fields, and OK writes them back to the settings files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ComCtrls.h"
#include "ConnectionTest.h"
#include "ExtCtrls.h"
#include "MediaConfig.h"
#include "PageControl.h"
#include "SmallDialogs.h"
#include "SpeechOptions.h"
#include "StdCtrls.h"

class TForm1;

class TOptionsPages {
 public:
  explicit TOptionsPages(TForm1& form);
  ~TOptionsPages();
  TOptionsPages(const TOptionsPages&) = delete;
  TOptionsPages& operator=(const TOptionsPages&) = delete;

  // The steps of the window's shutdown, called in its order: the dial-up
  // and fetch bindings of the connection test go, the media library saves
  // its parameters with the options, the speech component goes, and last
  // the media libraries close. Shutdown does them all.
  void FreeConnectionBindings();
  void SaveMediaParams();
  void FreeSpeech();
  void ReleaseMediaLibraries();
  void Shutdown();
  void speedOptionsClick();
  // The player page with the media type's player library in it.
  void speedPlayerClick();
  // Closes the player library shown on the player page.
  void ClosePlayerPage();
  void btnOkOptionsClick();
  // Saves as OK does.
  void btnOptionsDefaultClick();
  void btnOptionsCancelClick();
  TPageControl* OptionspageControl;
  std::vector<TTabSheet*> pages;
  TButton *btnOptionsDefault, *btnOkOptions, *btnOptionsCancel;
  // Recording and updates.
  TCheckBox *chkAutoRecord, *chkAutoUpdate;
  TComboBox* cmbFullTime;
  TComboBox* cmbLiveStream;
  TButton* btnCheckForUpdate;
  // Media.
  TListBox* ListMediaTypes;
  TComboBox* cmbMediaLength;
  TComboBox* cmbComPort;
  TLabel *lblComPort, *lblNote;
  TImage* imgMediaType;  // the media type's picture
  TPanel* pnlMediaParamsOptions;
  // Connection.
  TRadioButton *radioDirectConnection, *radioDialUp, *radioAOLConnection, *radioNoConnection;
  TCheckBox* chkAdvancedProxy;
  TButton *btnProxySettings, *btnTestConnection;
  TPanel *pnlDialUp, *panelDialerTest, *panelDialerStatus;
  TLabel* lblTestConnectivity;  // slides while a test can be started
  TTimer* timerAnimateLabel;
  TMailSlotComp* mailslotDialer;  // slot "halvdial"
  TComboBox* cmbConnectionToUse;
  TEdit *editOptionsUserName, *editOptionsPassword, *editOptionsPassword2;
  // Sounds and start-up.
  TCheckBox *chkOptAudioEffects, *chkOptPlayOpening, *chkOptRecordTrap, *chkoptStartWithWin,
      *chkOpenAutoOpenBasket;
  TComboBox* cmbSlideHops;
  TTrackBar* trbVolume;  // 10 minus the volume in tenths
  // Notices.
  TCheckBox *ShouldNotifyDiskSpace, *ShouldNotifySizeExceeded;
  TComboBox *MinDiskSpaceEdit, *MaxSizeEdit;
  TButton* Button1;
  // Speech.
  TListBox *listboxSystemNames, *listboxTezNames;
  TButton *btnAddVoice, *btnRemoveVoice, *btnTestSpeech;
  TEdit* editTestText;
  TLabel *lblTTsError, *lblPitch, *lblSpeed;
  TPanel* pnlLoadingTTS;  // shown while the speech library loads
  TGroupBox* grpVoiceSettings;
  TTrackBar *trackPitch, *trackSpeed;
  TLabel *lblMinPitch, *lblMaxPitch, *txtCurPitch, *lblMinSpeed, *lblMaxSpeed, *txtCurSpeed;
  TButton* btnTtsDefaults;
  TTrackBar* trbDetaiLevel;  // the number of levels minus the detail level
  // About.
  TLabel* lblAbout;

 private:
  // Drops the edits and goes back to the channels view.
  void btnCloseOptionsClick();
  void Build();
  void BuildRecording(TWinControl* page);
  void BuildMedia(TWinControl* page);
  void BuildConnection(TWinControl* page);
  void BuildSounds(TWinControl* page);
  void BuildNotices(TWinControl* page);
  void BuildSpeech(TWinControl* page);
  void LoadControls();
  void SaveControls();
  // The selected time and slide hops taken into the options, as picked.
  void TakeFullTime();
  void TakeSlideHops();
  void LeaveOptions();
  // The page may change when the dial-up settings allow it.
  bool OptionspageControlChanging();
  void OptionspageControlChange();
  bool DialUpValidation(bool withMessages);
  void DialUpSettingClick(int kind);
  void ClearDialerStatus();
  void StartLabelAnimation();
  void StopLabelAnimation();
  void timerAnimateLabelTimer();
  void editOptionsPassword2Exit();
  void FillDialUpEntries();
  void ShowSpeech();
  void ShowVoiceBars();
  void trbDetaiLevelChange();
  void cmbLiveStreamChange();
  void DigitFilter(TComboBox* edit, std::string& saved);
  void EnableNotice(TCheckBox* box, TComboBox* edit);
  void ShowMediaType(int index);

  TForm1& f_;
  int32_t kind_ = 0;
  int labelStep_ = 10, labelBounces_ = 0;
  bool labelMovingRight_ = true;
  bool loading_ = false;
  std::string minDiskSaved_, maxSizeSaved_;
  std::unique_ptr<TTTsControl1> tts_;
  std::unique_ptr<TSpeechOptions> speech_;
  std::unique_ptr<TConnectionTest> test_;
  std::unique_ptr<TMediaConfig> media_;
};
