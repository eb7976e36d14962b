#include "OptionsPages.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "Application.h"
#include "AskSchedTime.h"
#include "ChannelCleanup.h"
#include "MainForm.h"
#include "MainLinks.h"
#include "Screen.h"
#include "TempSweep.h"

namespace {
template <typename T>
T* Put(TForm* form, TWinControl* parent, const char* name, int l, int t, int w, int h,
       const std::string& caption = "") {
  T* c = new T(form);
  c->SetName(name);
  c->SetBounds(l, t, w, h);
  c->SetParent(parent);
  if (!caption.empty()) c->SetCaption(caption);
  return c;
}

// A combo box that takes typing, with its preset entries.
TComboBox* PutTyping(TForm* form, TWinControl* parent, const char* name, int l, int t, int w,
                     std::initializer_list<const char*> entries, int maxLength = 0) {
  TComboBox* c = new TComboBox(form);
  c->Style = csDropDown;
  c->SetName(name);
  c->SetBounds(l, t, w, 22);
  c->SetParent(parent);
  for (const char* e : entries) c->Items()->Add(e);
  if (maxLength > 0) SendMessageA(c->Handle(), CB_LIMITTEXT, maxLength, 0);
  return c;
}

const char* const kPageNames[] = {"TabAutoUpdate", "TabMedia", "TabConnection", "TabGeneral",
                                  "TabNotifications", "OptionsTabTTs", "tabAbout"};
const char* const kTabCaptions[] = {"Recording", "Media", "Connection", "Sounds",
                                    "Notices", "Speech", "About"};
constexpr int kRecordingPage = 0, kConnectionPage = 2, kSpeechPage = 5, kAboutPage = 6;
constexpr UINT kSettingsChanged = 0x4CB, kUserUpdateCheck = 0x59C, kUpdateOffline = 0x59D;
const char* const kMakerAddress = "http://www.brindale.example/tts";

bool AllDigits(const std::string& s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string Trimmed(const std::string& s) {
  size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}
}  // namespace

TOptionsPages::TOptionsPages(TForm1& form) : f_(form) {
  Build();
  f_.speedOptions->OnClick = [this](TObject*) { speedOptionsClick(); };
  f_.speedPlayer->OnClick = [this](TObject*) { speedPlayerClick(); };
  f_.SetMessageMethod(kSettingsChanged,
                      [this](TMessage&) { f_.options.SerializeOptionsParameters(false); });
}

void TOptionsPages::ClosePlayerPage() {
  if (media_) media_->CloseMediaConfigDll2();
}

void TOptionsPages::speedPlayerClick() {
  if (f_.busy) return;
  if (!f_.dllManager) f_.dllManager = std::make_unique<TTezDllManager>();
  if (!media_) media_ = std::make_unique<TMediaConfig>(*f_.dllManager);
  media_->CloseMediaConfigDll();
  if (!media_->PlayerBound()) {
    std::string settings = GetCurrentDir() + "\\TezParam.inx";
    const std::string& section = f_.options.selectedMediaType;
    std::string library = TIniFile(settings).ReadString(section, "playerDll", "");
    media_->BindMediaConfigDll2(library, settings, section, f_.pnlViewPlayer->Handle());
  }
  if (!media_->PlayerBound() || f_.ViewPlayer->Visible()) return;
  int shown = f_.FindChanNum(f_.currentChannelName);
  f_.ChangeToPlayerView();
  f_.DrawChannelsButtons(shown, f_.pnlPlayerChannels);
}

TOptionsPages::~TOptionsPages() { Shutdown(); }

void TOptionsPages::FreeConnectionBindings() { test_.reset(); }

void TOptionsPages::SaveMediaParams() {
  if (media_) media_->SaveMediaConfigParams();
}

void TOptionsPages::FreeSpeech() {
  speech_.reset();
  tts_.reset();
}

void TOptionsPages::ReleaseMediaLibraries() {
  // Closed while the library cache still holds them.
  media_.reset();
}

void TOptionsPages::Shutdown() {
  FreeConnectionBindings();
  FreeSpeech();
  ReleaseMediaLibraries();
}

void TOptionsPages::Build() {
  TWinControl* host = f_.pnlOptions;
  int w = host->Width(), h = host->Height();
  OptionspageControl =
      Put<TPageControl>(&f_, host, "OptionspageControl", 4, 4, w - 8, h - 46);
  for (int i = 0; i < 7; ++i) {
    TTabSheet* page = new TTabSheet(&f_);
    page->SetName(kPageNames[i]);
    page->SetPageControl(OptionspageControl);
    page->SetCaption(kTabCaptions[i]);
    pages.push_back(page);
  }
  OptionspageControl->SetActivePageIndex(0);
  OptionspageControl->OnChanging = [this](TObject*, bool& allow) {
    allow = OptionspageControlChanging();
  };
  OptionspageControl->OnChange = [this](TObject*) { OptionspageControlChange(); };
  TPanel* buttons = Put<TPanel>(&f_, host, "pnlOptionsButtons", 0, h - 42, w, 42);
  buttons->SetBevelOuter(bvNone);
  buttons->SetColor(clBtnFace);
  btnOptionsDefault = Put<TButton>(&f_, buttons, "btnOptionsDefault", w - 298, 6, 114, 26,
                                   "Save as &Default");
  btnOkOptions = Put<TButton>(&f_, buttons, "btnOkOptions", w - 178, 6, 80, 26, "OK");
  btnOptionsCancel = Put<TButton>(&f_, buttons, "btnOptionsCancel", w - 92, 6, 80, 26, "Cancel");
  btnOkOptions->SetDefault(true);
  btnOptionsCancel->Cancel = true;
  btnOptionsDefault->OnClick = [this](TObject*) { btnOptionsDefaultClick(); };
  btnOkOptions->OnClick = [this](TObject*) { btnOkOptionsClick(); };
  btnOptionsCancel->OnClick = [this](TObject*) { btnOptionsCancelClick(); };
  BuildRecording(pages[0]);
  BuildMedia(pages[1]);
  BuildConnection(pages[2]);
  BuildSounds(pages[3]);
  BuildNotices(pages[4]);
  BuildSpeech(pages[5]);
  lblAbout = Put<TLabel>(&f_, pages[6], "lblAbout", 8, 8, 400, 18);
}

void TOptionsPages::BuildRecording(TWinControl* p) {
  chkAutoRecord = Put<TCheckBox>(&f_, p, "chkAutoRecord", 8, 8, 200, 20, "Record every day at");
  cmbFullTime = Put<TComboBox>(&f_, p, "cmbFullTime", 250, 6, 100, 22);
  for (int i = 0; i < 96; ++i) cmbFullTime->Items()->Add(TfrmAskSchedTime1::TimeEntryText(i));
  Put<TLabel>(&f_, p, "lblLiveStream", 8, 40, 240, 18, "Live stream length (minutes):");
  cmbLiveStream = PutTyping(&f_, p, "cmbLiveStream", 250, 38, 80,
                            {"30", "45", "60", "74", "80", "120", "150"});
  cmbLiveStream->OnChange = [this](TObject*) {
    if (!loading_) cmbLiveStreamChange();
  };
  chkAutoUpdate = Put<TCheckBox>(&f_, p, "chkAutoUpdate", 8, 70, 260, 20,
                                 "Check for updates automatically");
  btnCheckForUpdate = Put<TButton>(&f_, p, "btnCheckForUpdate", 8, 100, 150, 24,
                                   "Check for update now");
  chkAutoRecord->OnClick = [this](TObject*) {
    cmbFullTime->SetEnabled(chkAutoRecord->Checked());
  };
  cmbFullTime->OnClick = [this](TObject*) {
    if (!loading_) TakeFullTime();
  };
  btnCheckForUpdate->OnClick = [this](TObject*) {
    if (IsInternetConnected()) {
      f_.msgsendControl->MsgVal = kUserUpdateCheck;
      f_.msgsendControl->PostMsg();
      TIniFile(GetCurrentDir() + "\\TezParam.inx")
          .WriteInteger("GlobalParams", "lastUpdateCheck", static_cast<int32_t>(Date()));
    } else {
      f_.msgsendControl->MsgVal = kUpdateOffline;
      f_.msgsendControl->PostMsg();
    }
  };
}

void TOptionsPages::BuildMedia(TWinControl* p) {
  ListMediaTypes = Put<TListBox>(&f_, p, "ListMediaTypes", 8, 8, 150, 110);
  Put<TLabel>(&f_, p, "lblMediaLength", 170, 8, 230, 18, "Recording length (minutes):");
  cmbMediaLength = PutTyping(&f_, p, "cmbMediaLength", 170, 28, 90,
                             {"30", "45", "60", "74", "80", "120", "150", "Unlimited"});
  lblComPort = Put<TLabel>(&f_, p, "lblComPort", 170, 58, 100, 18, "COM port:");
  cmbComPort = Put<TComboBox>(&f_, p, "cmbComPort", 170, 78, 100, 22);
  cmbComPort->Items()->Add("(None)");
  for (int i = 1; i <= 8; ++i) cmbComPort->Items()->Add("COM" + std::to_string(i));
  imgMediaType = Put<TImage>(&f_, p, "imgMediaType", 290, 30, 64, 48);
  lblNote = Put<TLabel>(&f_, p, "lblNote", 8, 124, 420, 18);
  pnlMediaParamsOptions = Put<TPanel>(&f_, p, "pnlMediaParamsOptions", 8, 146, 420, 80);
  ListMediaTypes->OnChange = [this](TObject*) {
    int i = ListMediaTypes->ItemIndex();
    if (loading_ || i < 0) return;
    ShowMediaType(i);
    f_.options.selectedMediaType = ListMediaTypes->Items()->Strings(i);
  };
}

void TOptionsPages::ShowMediaType(int index) {
  if (!f_.dllManager) f_.dllManager = std::make_unique<TTezDllManager>();
  if (!media_) media_ = std::make_unique<TMediaConfig>(*f_.dllManager);
  TMediaTypeView view = media_->ShowMediaType(
      GetCurrentDir(), ListMediaTypes->Items()->Strings(index), pnlMediaParamsOptions->Handle());
  cmbMediaLength->SetCaption(view.lengthText);
  lblNote->SetCaption(view.note);
  lblNote->SetVisible(!view.note.empty());
  HBITMAP picture = nullptr;
  if (!view.imagePath.empty())
    picture = static_cast<HBITMAP>(
        LoadImageA(nullptr, view.imagePath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  imgMediaType->SetBitmap(picture);
  lblComPort->SetVisible(view.comPortVisible);
  cmbComPort->SetVisible(view.comPortVisible);
  if (view.comPortVisible) cmbComPort->SetItemIndex(view.comPort);
}

void TOptionsPages::BuildConnection(TWinControl* p) {
  radioDirectConnection =
      Put<TRadioButton>(&f_, p, "radioDirectConnection", 8, 4, 180, 20, "Direct connection");
  radioDialUp = Put<TRadioButton>(&f_, p, "radioDialUp", 8, 26, 180, 20, "Dial-up networking");
  radioAOLConnection =
      Put<TRadioButton>(&f_, p, "radioAOLConnection", 8, 48, 180, 20, "Online service");
  radioNoConnection =
      Put<TRadioButton>(&f_, p, "radioNoConnection", 8, 70, 180, 20, "No Internet connection");
  int kinds[] = {0, 1, 3, 2};
  TRadioButton* radios[] = {radioDirectConnection, radioDialUp, radioAOLConnection,
                            radioNoConnection};
  for (int i = 0; i < 4; ++i) {
    TRadioButton* r = radios[i];
    int kind = kinds[i];
    r->OnClick = [this, r, kind](TObject*) {
      if (r->Checked() && !loading_) DialUpSettingClick(kind);
    };
  }
  chkAdvancedProxy = Put<TCheckBox>(&f_, p, "chkAdvancedProxy", 200, 4, 200, 20,
                                    "Use a proxy server");
  btnProxySettings = Put<TButton>(&f_, p, "btnProxySettings", 200, 28, 100, 24, "Proxy...");
  TButton* proxyHelp = Put<TButton>(&f_, p, "btnHelpProxy", 306, 28, 24, 24, "?");
  proxyHelp->OnClick = [this](TObject*) { ShowProxyHelp(&f_); };
  auto runProxy = [this]() {
    TfrmProxySettings dialog(&f_);
    THalvornOptions& o = f_.options;
    dialog.editHttpProxy->SetCaption(o.httpHost);
    dialog.editHttpProxyPort->SetCaption(o.httpPort);
    dialog.editFtpProxy->SetCaption(o.ftpHost);
    dialog.editFtpProxyPort->SetCaption(o.ftpPort);
    if (!dialog.Execute()) return false;
    o.httpHost = dialog.editHttpProxy->Caption();
    o.httpPort = dialog.editHttpProxyPort->Caption();
    o.ftpHost = dialog.editFtpProxy->Caption();
    o.ftpPort = dialog.editFtpProxyPort->Caption();
    return true;
  };
  btnProxySettings->OnClick = [runProxy](TObject*) { runProxy(); };
  chkAdvancedProxy->OnClick = [this, runProxy](TObject*) {
    if (loading_) return;
    THalvornOptions& o = f_.options;
    if (!chkAdvancedProxy->Checked()) {
      o.useProxy = false;
      btnProxySettings->SetEnabled(false);
      return;
    }
    btnTestConnection->SetEnabled(false);
    if (!AllDigits(o.httpPort) || o.httpPort.empty()) o.httpPort = "80";
    if (!AllDigits(o.ftpPort) || o.ftpPort.empty()) o.ftpPort = "21";
    bool ok = runProxy();
    loading_ = true;
    chkAdvancedProxy->SetChecked(ok);
    loading_ = false;
    o.useProxy = ok;
    btnProxySettings->SetEnabled(ok);
    btnTestConnection->SetEnabled(true);
  };
  pnlDialUp = Put<TPanel>(&f_, p, "pnlDialUp", 8, 94, 430, 76);
  Put<TLabel>(&f_, pnlDialUp, "lblConnectionToUse", 6, 9, 110, 16, "Connect with:");
  cmbConnectionToUse = Put<TComboBox>(&f_, pnlDialUp, "cmbConnectionToUse", 118, 6, 200, 22);
  const char* editLabels[] = {"User name:", "Password:", "Confirm password:"};
  for (int i = 0; i < 3; ++i)
    Put<TLabel>(&f_, pnlDialUp, (std::string("lblDialUp") + std::to_string(i)).c_str(),
                6 + 140 * i, 33, 138, 16, editLabels[i]);
  editOptionsUserName = Put<TEdit>(&f_, pnlDialUp, "editOptionsUserName", 6, 49, 134, 22);
  editOptionsPassword = Put<TEdit>(&f_, pnlDialUp, "editOptionsPassword", 146, 49, 134, 22);
  editOptionsPassword2 = Put<TEdit>(&f_, pnlDialUp, "editOptionsPassword2", 286, 49, 134, 22);
  for (TEdit* e : {editOptionsPassword, editOptionsPassword2}) e->SetPasswordChar('*');
  cmbConnectionToUse->OnChange = [this](TObject*) {
    int i = cmbConnectionToUse->ItemIndex();
    if (loading_ || i < 0) return;
    THalvornOptions& o = f_.options;
    o.dialerName = cmbConnectionToUse->Items()->Strings(i);
    EnablePanel(panelDialerTest, true, clWindow);
    loading_ = true;
    for (TEdit* e : {editOptionsUserName, editOptionsPassword, editOptionsPassword2})
      e->SetCaption("");
    // The entry's stored user and password: a 1052-byte parameter record
    // with the entry name, the user at 519 and the password at 776.
    std::vector<char> params(kRasDialParamsSize, '\0');
    DWORD size = kRasDialParamsSize;
    memcpy(params.data(), &size, 4);
    memcpy(params.data() + 4, o.dialerName.c_str(), std::min<size_t>(o.dialerName.size(), 256));
    BOOL hasPassword = FALSE;
    if (RasBinding::RasGetEntryDialParams(nullptr, params.data(), &hasPassword) == 0) {
      o.user.assign(params.data() + 519, strnlen(params.data() + 519, 256));
      editOptionsUserName->SetCaption(o.user);
      if (hasPassword) {
        o.pwd.assign(params.data() + 776, strnlen(params.data() + 776, 256));
        editOptionsPassword->SetCaption(o.pwd);
        editOptionsPassword2->SetCaption(o.pwd);
      }
    }
    loading_ = false;
    StartLabelAnimation();
  };
  editOptionsUserName->OnChange = [this](TObject*) {
    if (!loading_) f_.options.user = editOptionsUserName->Caption();
  };
  editOptionsPassword2->OnExit = [this](TObject*) { editOptionsPassword2Exit(); };
  panelDialerTest = Put<TPanel>(&f_, p, "panelDialerTest", 8, 174, 430, 58);
  lblTestConnectivity = Put<TLabel>(&f_, panelDialerTest, "lblTestConnectivity", 2, 4, 240, 16,
                                    "Test your Internet connection");
  btnTestConnection = Put<TButton>(&f_, panelDialerTest, "btnTestConnection", 6, 26, 90, 24, "&Test");
  panelDialerStatus = Put<TPanel>(&f_, panelDialerTest, "panelDialerStatus", 102, 26, 320, 24);
  ClearDialerStatus();
  timerAnimateLabel = new TTimer(&f_);
  timerAnimateLabel->SetName("timerAnimateLabel");
  timerAnimateLabel->SetInterval(100);
  timerAnimateLabel->SetEnabled(false);
  timerAnimateLabel->SetOnTimer([this](TObject*) { timerAnimateLabelTimer(); });
  // The dialer's mailslot of the main window; a test keeps it closed.
  mailslotDialer = new TMailSlotComp(&f_);
  mailslotDialer->SetName("mailslotDialer");
  mailslotDialer->SetServer(".");
  mailslotDialer->SetSlot("halvdial");
  mailslotDialer->OnBinMessageAvail = [this](TObject*, const char* data, int len) {
    if (test_) test_->mailslotDialerBinMessageAvail(data, len);
  };
  f_.SetMessageMethod(TConnectionTest::MailArrivedMessage, [this](TMessage&) {
    if (test_) test_->OnTezMailSlotMsg();
  });
  f_.SetMessageMethod(TConnectionTest::CheckHttpFileMessage, [this](TMessage&) {
    if (test_) test_->OnCheckHttpFile();
  });
  btnTestConnection->OnClick = [this](TObject*) {
    THalvornOptions& o = f_.options;
    if (!test_) {
      test_ = std::make_unique<TConnectionTest>(f_.Handle(), GetCurrentDir() + "\\TezParam.inx");
      test_->mailslotDialer = mailslotDialer;
      test_->OnStatus = [this](const std::string& s) { panelDialerStatus->SetCaption(s); };
      test_->OnCaption = [this](const std::string& s) { btnTestConnection->SetCaption(s); };
      test_->OnMessage = [this](const std::string& m) {
        MessageBoxA(f_.Handle(), m.c_str(), "Brindale", MB_OK);
      };
      test_->OnDialPanel = [this](bool on) {
        EnablePanel(pnlDialUp, on, on ? clWindow : clBtnFace);
      };
    }
    StopLabelAnimation();
    if (test_->Running()) {
      test_->Cancel();
      return;
    }
    if (!DialUpValidation(true)) return;
    TConnectionKeys keys;
    keys.useDialer = kind_;
    keys.dialerName = o.dialerName;
    keys.user = o.user;
    keys.pwd = o.pwd;
    keys.useProxy = o.useProxy;
    keys.httpHost = o.httpHost;
    keys.httpPort = o.httpPort;
    keys.ftpHost = o.ftpHost;
    keys.ftpPort = o.ftpPort;
    test_->WriteKeys(keys);
    panelDialerStatus->SetBevelOuter(bvRaised);
    // The settings as they are now: the options may have been read again.
    test_->Start(kind_, GetCurrentDir() + "\\" + o.tempWavFolder, o.httpTestUrl);
  };
}

void TOptionsPages::BuildSounds(TWinControl* p) {
  chkOptAudioEffects = Put<TCheckBox>(&f_, p, "chkOptAudioEffects", 8, 8, 260, 20, "Sound effects");
  chkOptPlayOpening =
      Put<TCheckBox>(&f_, p, "chkOptPlayOpening", 8, 32, 260, 20, "Play the opening");
  chkOptRecordTrap =
      Put<TCheckBox>(&f_, p, "chkOptRecordTrap", 8, 56, 260, 20, "Trap the recorded audio");
  Put<TLabel>(&f_, p, "lblSlideHops", 8, 84, 150, 18, "Window slide hops:");
  cmbSlideHops = Put<TComboBox>(&f_, p, "cmbSlideHops", 160, 82, 60, 22);
  for (int i = 0; i <= 5; ++i) cmbSlideHops->Items()->Add(std::to_string(i));
  cmbSlideHops->OnClick = [this](TObject*) {
    if (!loading_) TakeSlideHops();
  };
  chkoptStartWithWin =
      Put<TCheckBox>(&f_, p, "chkoptStartWithWin", 8, 112, 260, 20, "Start with Windows");
  chkOpenAutoOpenBasket = Put<TCheckBox>(&f_, p, "chkOpenAutoOpenBasket", 24, 136, 260, 20,
                                         "Open the basket at start");
  Put<TLabel>(&f_, p, "lblVolume", 290, 8, 60, 18, "Volume");
  trbVolume = new TTrackBar(&f_);
  trbVolume->Orientation = trVertical;
  trbVolume->SetName("trbVolume");
  trbVolume->SetBounds(296, 28, 34, 130);
  trbVolume->SetParent(p);
  trbVolume->SetRange(0, 10);
  chkOptAudioEffects->OnClick = [this](TObject*) {
    f_.SavePos1->SoundEffects = chkOptAudioEffects->Checked();
  };
  chkoptStartWithWin->OnClick = [this](TObject*) {
    chkOpenAutoOpenBasket->SetEnabled(chkoptStartWithWin->Checked());
  };
}

void TOptionsPages::EnableNotice(TCheckBox* box, TComboBox* edit) {
  bool on = box->Checked();
  edit->SetEnabled(on);
  edit->SetColor(on ? clWindow : clBtnFace);
}

void TOptionsPages::DigitFilter(TComboBox* edit, std::string& saved) {
  std::string text = edit->Caption();
  if (AllDigits(text) && text.size() <= 4) {
    saved = text;
    return;
  }
  // A key that is no digit leaves the text and the caret as they were.
  DWORD start = 0;
  SendMessageA(edit->Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), 0);
  edit->SetCaption(saved);
  int caret = start > 0 ? static_cast<int>(start) - 1 : 0;
  SendMessageA(edit->Handle(), CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
}

void TOptionsPages::BuildNotices(TWinControl* p) {
  ShouldNotifyDiskSpace = Put<TCheckBox>(&f_, p, "ShouldNotifyDiskSpace", 8, 8, 220, 20,
                                         "When disk space is less than");
  MinDiskSpaceEdit =
      PutTyping(&f_, p, "MinDiskSpaceEdit", 232, 6, 70, {"10", "50", "100", "150", "200"}, 4);
  ShouldNotifySizeExceeded = Put<TCheckBox>(&f_, p, "ShouldNotifySizeExceeded", 8, 36, 220, 20,
                                            "When total file size exceeds");
  MaxSizeEdit =
      PutTyping(&f_, p, "MaxSizeEdit", 232, 34, 70, {"10", "50", "100", "150", "200"}, 4);
  Button1 = Put<TButton>(&f_, p, "Button1", 8, 70, 90, 24, "Cleanup");
  ShouldNotifyDiskSpace->OnClick = [this](TObject*) {
    EnableNotice(ShouldNotifyDiskSpace, MinDiskSpaceEdit);
  };
  ShouldNotifySizeExceeded->OnClick = [this](TObject*) {
    EnableNotice(ShouldNotifySizeExceeded, MaxSizeEdit);
  };
  MinDiskSpaceEdit->OnChange = [this](TObject*) {
    if (!loading_) DigitFilter(MinDiskSpaceEdit, minDiskSaved_);
  };
  MaxSizeEdit->OnChange = [this](TObject*) {
    if (!loading_) DigitFilter(MaxSizeEdit, maxSizeSaved_);
  };
  Button1->OnClick = [this](TObject*) {
    bool working = f_.RecorderIsRecording();
    if (!RunCleanupDialog(&f_, f_.channelList.get(), working)) return;
    SweepTempFolder(GetCurrentDir(), {f_.channelList.get()});
  };
}

void TOptionsPages::BuildSpeech(TWinControl* p) {
  listboxSystemNames = Put<TListBox>(&f_, p, "listboxSystemNames", 8, 4, 150, 72);
  btnAddVoice = Put<TButton>(&f_, p, "btnAddVoice", 164, 14, 70, 24, "Add >");
  btnRemoveVoice = Put<TButton>(&f_, p, "btnRemoveVoice", 164, 44, 70, 24, "Remove");
  listboxTezNames = Put<TListBox>(&f_, p, "listboxTezNames", 240, 4, 150, 72);
  grpVoiceSettings = Put<TGroupBox>(&f_, p, "grpVoiceSettings", 8, 78, 420, 82, "Voice Settings");
  auto row = [this](int top, const char* caption, const char* prefix, const char* current,
                    TLabel*& title, TLabel*& low, TTrackBar*& bar, TLabel*& high, TLabel*& now) {
    std::string name = prefix;
    title = Put<TLabel>(&f_, grpVoiceSettings, ("lbl" + name).c_str(), 6, top + 4, 50, 16, caption);
    low = Put<TLabel>(&f_, grpVoiceSettings, ("lblMin" + name).c_str(), 56, top + 4, 28, 16);
    low->Alignment = taRightJustify;
    bar = Put<TTrackBar>(&f_, grpVoiceSettings, ("track" + name).c_str(), 86, top, 186, 26);
    high = Put<TLabel>(&f_, grpVoiceSettings, ("lblMax" + name).c_str(), 276, top + 4, 32, 16);
    now = Put<TLabel>(&f_, grpVoiceSettings, current, 312, top + 4, 36, 16);
  };
  row(20, "Pitch", "Pitch", "txtCurPitch", lblPitch, lblMinPitch, trackPitch, lblMaxPitch,
      txtCurPitch);
  row(48, "Speed", "Speed", "txtCurSpeed", lblSpeed, lblMinSpeed, trackSpeed, lblMaxSpeed,
      txtCurSpeed);
  btnTtsDefaults = Put<TButton>(&f_, grpVoiceSettings, "btnTtsDefaults", 352, 34, 62, 24,
                                "Defaults");
  editTestText = Put<TEdit>(&f_, p, "editTestText", 8, 164, 250, 22);
  btnTestSpeech = Put<TButton>(&f_, p, "btnTestSpeech", 264, 163, 80, 24, "Test");
  Put<TLabel>(&f_, p, "lblDetailLevel", 8, 196, 100, 18, "Text detail:");
  trbDetaiLevel = Put<TTrackBar>(&f_, p, "trbDetaiLevel", 108, 192, 136, 26);
  lblTTsError = Put<TLabel>(&f_, p, "lblTTsError", 244, 192, 190, 36);
  lblTTsError->WordWrap = true;
  pnlLoadingTTS = Put<TPanel>(&f_, p, "pnlLoadingTTS", 100, 60, 240, 40);
  pnlLoadingTTS->SetVisible(false);
  tts_ = std::make_unique<TTTsControl1>(nullptr);
  speech_ = std::make_unique<TSpeechOptions>(*tts_);
  speech_->ShowMessage = [this](const std::string& m) {
    MessageBoxA(f_.Handle(), m.c_str(), "Brindale", MB_OK);
  };
  listboxSystemNames->OnChange = [this](TObject*) {
    if (loading_) return;
    // The hourglass on the list while the voice is read.
    listboxSystemNames->SetCursor(crHourGlass);
    speech_->SystemNamesClick(listboxSystemNames->ItemIndex());
    ShowSpeech();
    listboxSystemNames->SetCursor(crDefault);
  };
  listboxTezNames->OnChange = [this](TObject*) {
    if (loading_) return;
    speech_->TezNamesClick(listboxTezNames->ItemIndex());
    ShowSpeech();
  };
  btnAddVoice->OnClick = [this](TObject*) {
    speech_->AddVoiceClick();
    ShowSpeech();
  };
  btnRemoveVoice->OnClick = [this](TObject*) {
    speech_->RemoveVoiceClick();
    ShowSpeech();
  };
  btnTestSpeech->OnClick = [this](TObject*) {
    speech_->TestSpeechClick(editTestText->Caption());
  };
  trackPitch->OnChange = [this](TObject*) {
    if (loading_) return;
    speech_->PitchChange(trackPitch->Position());
    txtCurPitch->SetCaption(speech_->pitch.curText);
  };
  trackSpeed->OnChange = [this](TObject*) {
    if (loading_) return;
    speech_->SpeedChange(trackSpeed->Position());
    txtCurSpeed->SetCaption(speech_->speed.curText);
  };
  btnTtsDefaults->OnClick = [this](TObject*) {
    speech_->DefaultsClick();
    ShowVoiceBars();
  };
  trbDetaiLevel->OnChange = [this](TObject*) {
    if (!loading_) trbDetaiLevelChange();
  };
}

void TOptionsPages::cmbLiveStreamChange() {
  int32_t minutes = 0;
  if (TryStrToInt(Trimmed(cmbLiveStream->Caption()), minutes) && minutes >= 1 && minutes <= 1000)
    f_.options.liveStreamMinutes = minutes;
}

void TOptionsPages::trbDetaiLevelChange() {
  f_.options.detailLevel = f_.options.numberOfLevels - trbDetaiLevel->Position();
}

void TOptionsPages::ShowVoiceBars() {
  TSpeechOptions& s = *speech_;
  grpVoiceSettings->SetCaption(s.settingsCaption.empty() ? "Voice Settings" : s.settingsCaption);
  // The group and every control in it.
  grpVoiceSettings->SetEnabled(s.controlsEnabled);
  for (TLabel* l : {lblPitch, lblSpeed, lblMinPitch, lblMaxPitch, txtCurPitch, lblMinSpeed,
                    lblMaxSpeed, txtCurSpeed})
    l->SetEnabled(s.controlsEnabled);
  btnTtsDefaults->SetEnabled(s.controlsEnabled);
  struct Row {
    const TVoiceBar& bar;
    TTrackBar* track;
    TLabel *low, *high, *now;
  } rows[] = {{s.pitch, trackPitch, lblMinPitch, lblMaxPitch, txtCurPitch},
              {s.speed, trackSpeed, lblMinSpeed, lblMaxSpeed, txtCurSpeed}};
  loading_ = true;
  for (Row& r : rows) {
    r.track->SetRange(r.bar.min, r.bar.max);
    r.track->SetFrequency((r.bar.max - r.bar.min) / 10);
    r.track->SetPosition(r.bar.position);
    // A voice without the control keeps its bar off.
    r.track->SetEnabled(s.controlsEnabled && r.bar.enabled);
    r.low->SetCaption(r.bar.minText);
    r.high->SetCaption(r.bar.maxText);
    r.now->SetCaption(r.bar.curText);
  }
  loading_ = false;
}

void TOptionsPages::ShowSpeech() {
  TSpeechOptions& s = *speech_;
  auto fill = [](TListBox* box, const std::vector<std::string>& names, int selected) {
    box->Items()->Clear();
    for (const std::string& n : names) box->Items()->Add(n);
    box->SetItemIndex(selected);
  };
  loading_ = true;
  fill(listboxSystemNames, s.systemNames, s.systemIndex);
  fill(listboxTezNames, s.tezNames, s.tezIndex);
  loading_ = false;
  btnAddVoice->SetEnabled(s.addEnabled);
  btnRemoveVoice->SetEnabled(s.removeEnabled);
  ShowVoiceBars();
  lblTTsError->SetCaption(s.errorText);
}

void TOptionsPages::FillDialUpEntries() {
  cmbConnectionToUse->Items()->Clear();
  std::vector<std::string> names;
  bool listed = RasBinding::Module() && ListDialUpEntries(nullptr, names);
  if (!listed || names.empty()) {
    // A system without a phone book of its own: the dial-up library's.
    std::string library = TIniFile(GetCurrentDir() + "\\TezParam.inx")
                              .ReadString("Dialer", "dialerDll1", "TezRasDialer.dll");
    TRasControl1 dialer(library);
    std::vector<std::string> dialerNames;
    if (dialer.Loaded() && ListDialUpEntries(&dialer, dialerNames) && !dialerNames.empty()) {
      names = dialerNames;
      listed = true;
    }
  }
  for (const std::string& n : names) cmbConnectionToUse->Items()->Add(n);
  if (listed && names.empty()) {
    cmbConnectionToUse->Items()->Add("No dialup connection");
    cmbConnectionToUse->SetItemIndex(0);
  }
  radioDialUp->SetEnabled(listed && !names.empty());
}

void TOptionsPages::ClearDialerStatus() {
  panelDialerStatus->SetBevelOuter(bvNone);
  panelDialerStatus->SetCaption("");
}

void TOptionsPages::StartLabelAnimation() {
  StopLabelAnimation();
  int room = lblTestConnectivity->Parent()->ClientWidth() - lblTestConnectivity->Width();
  labelStep_ = std::min(room / 10, 10);
  labelMovingRight_ = true;
  labelBounces_ = 3;
  timerAnimateLabel->SetEnabled(true);
}

void TOptionsPages::StopLabelAnimation() {
  timerAnimateLabel->SetEnabled(false);
  lblTestConnectivity->SetLeft(2);
}

void TOptionsPages::timerAnimateLabelTimer() {
  // Between the middle and the right edge, three times, then it rests at
  // the right edge.
  TLabel* label = lblTestConnectivity;
  int room = label->Parent()->ClientWidth() - label->Width();
  int left = label->Left();
  if (labelMovingRight_) {
    left += labelStep_;
    if (left + labelStep_ > room) {
      labelMovingRight_ = false;
      if (--labelBounces_ < 1) {
        timerAnimateLabel->SetEnabled(false);
        left = room;
      }
    }
  } else {
    left -= labelStep_;
    if (room / 2 > left - labelStep_) labelMovingRight_ = true;
  }
  label->SetLeft(left);
}

void TOptionsPages::editOptionsPassword2Exit() {
  if (loading_) return;
  std::string first = editOptionsPassword->Caption(), second = editOptionsPassword2->Caption();
  if (!second.empty() && second != first) {
    loading_ = true;
    editOptionsPassword->SetCaption("");
    editOptionsPassword2->SetCaption("");
    loading_ = false;
    MessageBoxA(f_.Handle(), "Please enter the same password in both places", "Brindale", MB_OK);
    return;
  }
  f_.options.pwd = second;
}

void TOptionsPages::DialUpSettingClick(int kind) {
  kind_ = kind;
  f_.options.useDialer = kind;
  ClearDialerStatus();
  THalvornOptions& o = f_.options;
  bool testAllowed = kind != 2;
  if (kind == 1) {
    int found = cmbConnectionToUse->Items()->IndexOf(o.dialerName);
    cmbConnectionToUse->SetItemIndex(found);
    loading_ = true;
    editOptionsUserName->SetCaption(found < 0 ? "" : o.user);
    editOptionsPassword->SetCaption(found < 0 ? "" : o.pwd);
    editOptionsPassword2->SetCaption(found < 0 ? "" : o.pwd);
    loading_ = false;
  }
  loading_ = true;
  chkAdvancedProxy->SetChecked(kind == 0 && o.useProxy);
  loading_ = false;
  chkAdvancedProxy->SetEnabled(kind == 0);
  btnProxySettings->SetEnabled(chkAdvancedProxy->Checked());
  EnablePanel(pnlDialUp, kind == 1, kind == 1 ? clWindow : clBtnFace);
  EnablePanel(panelDialerTest, testAllowed, testAllowed ? clWindow : clBtnFace);
  btnTestConnection->SetEnabled(testAllowed);
  if (testAllowed)
    StartLabelAnimation();
  else
    StopLabelAnimation();
}

bool TOptionsPages::DialUpValidation(bool withMessages) {
  if (OptionspageControl->ActivePageIndex() != kConnectionPage || kind_ != 1) return true;
  HWND w = f_.Handle();
  if (cmbConnectionToUse->ItemIndex() < 0) {
    if (withMessages)
      MessageBoxA(w, "Please select a connection to use", "Select Dial-Up COnnection", MB_OK);
    return false;
  }
  const char* questions[] = {"Are you sure your User Name is Blank?",
                             "Are you sure your password is Blank?"};
  std::string values[] = {editOptionsUserName->Caption(), editOptionsPassword->Caption()};
  for (int i = 0; i < 2; ++i) {
    if (!values[i].empty()) continue;
    if (!withMessages) return false;
    if (MessageBoxA(w, questions[i], "Blank Password", MB_YESNO | MB_DEFBUTTON2) != IDYES)
      return false;
  }
  return true;
}

bool TOptionsPages::OptionspageControlChanging() {
  // A refused change says why.
  if (!DialUpValidation(true)) return false;
  SaveControls();  // the lists and texts are taken into the fields
  return true;
}

void TOptionsPages::OptionspageControlChange() {
  int page = OptionspageControl->ActivePageIndex();
  if (page == kSpeechPage && !speech_->Loaded()) {
    lblTTsError->SetCaption("");
    pnlLoadingTTS->SetCaption("Loading TTS...");
    pnlLoadingTTS->SetVisible(true);
    SetWindowPos(pnlLoadingTTS->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    Screen->SetCursor(crHourGlass);
    f_.links->timerCheckPending->SetEnabled(false);
    Application->ProcessMessages();
    speech_->Load(f_.Handle(), GetCurrentDir() + "\\TezTTS.dll", kMakerAddress);
    Screen->SetCursor(crDefault);
    editTestText->SetCaption(f_.options.ttsTestText);
    if (speech_->Loaded()) {
      trbDetaiLevel->SetMax(f_.options.numberOfLevels - 1);
      trbDetaiLevelChange();
    }
    ShowSpeech();
    // A library that is there but fails keeps the panel with its text.
    if (speech_->Loaded() || !speech_->errorText.empty())
      pnlLoadingTTS->SetVisible(false);
    else
      pnlLoadingTTS->SetCaption(speech_->loadingText);
    f_.links->timerCheckPending->SetEnabled(true);
  }
  if (page == kAboutPage) {
    Application->ProcessMessages();
    lblAbout->SetCaption(ProductVersionText());
  }
  if (page == kRecordingPage) cmbLiveStream->SetCaption(IntToStr(f_.options.liveStreamMinutes));
}

void TOptionsPages::LoadControls() {
  THalvornOptions& o = f_.options;
  loading_ = true;
  chkAutoRecord->SetChecked(o.autoRecActive == 1);
  cmbFullTime->SetItemIndex(o.autoRecMin / 15 + o.autoRecHour * 4 + (o.autoRecAmPm == 1 ? 48 : 0));
  cmbFullTime->SetEnabled(o.autoRecActive == 1);
  cmbLiveStream->SetCaption(IntToStr(o.liveStreamMinutes));
  chkAutoUpdate->SetChecked(o.autoUpdateActive == 1);

  ListMediaTypes->Items()->Clear();
  for (const std::string& m : o.mediaTypes) ListMediaTypes->Items()->Add(m);
  int media = ListMediaTypes->Items()->IndexOf(o.selectedMediaType);
  ListMediaTypes->SetItemIndex(media);
  if (media >= 0) ShowMediaType(media);
  cmbMediaLength->SetCaption(o.mediaLengthText);

  FillDialUpEntries();
  int kind = o.useDialer;
  // Without the online-service client its kind falls back to direct, and
  // that is what is saved.
  if (kind == 3 && !IsOnlineServiceClientInstalled()) kind = 0;
  radioAOLConnection->SetEnabled(IsOnlineServiceClientInstalled());
  TRadioButton* radio = kind == 1   ? radioDialUp
                        : kind == 2 ? radioNoConnection
                        : kind == 3 ? radioAOLConnection
                                    : radioDirectConnection;
  for (TRadioButton* r : {radioDirectConnection, radioDialUp, radioAOLConnection, radioNoConnection})
    r->SetChecked(r == radio);
  loading_ = false;
  DialUpSettingClick(kind == 1 || kind == 2 || kind == 3 ? kind : 0);
  StopLabelAnimation();
  loading_ = true;

  chkOptAudioEffects->SetChecked(o.audioEffects == 1);
  chkOptPlayOpening->SetChecked(o.optionPlayOpening == 1);
  chkOptRecordTrap->SetChecked(o.audioTrap == 1);
  cmbSlideHops->SetItemIndex(o.slideNumJumps);
  chkoptStartWithWin->SetChecked(o.startWithWindows == 1);
  chkOpenAutoOpenBasket->SetChecked(o.autoOpenBasketOnStart == 1);
  chkOpenAutoOpenBasket->SetEnabled(o.startWithWindows == 1);
  trbVolume->SetPosition(o.volumePosition);
  trbDetaiLevel->SetRange(0, o.numberOfLevels - 1);
  trbDetaiLevel->SetPosition(o.numberOfLevels - o.detailLevel);

  ShouldNotifyDiskSpace->SetChecked(o.shouldNotifyMinSpace != 0);
  MinDiskSpaceEdit->SetCaption(o.minSpaceText);
  minDiskSaved_ = o.minSpaceText;
  ShouldNotifySizeExceeded->SetChecked(o.shouldNotifyMaxSize != 0);
  MaxSizeEdit->SetCaption(o.maxSizeText);
  maxSizeSaved_ = o.maxSizeText;
  EnableNotice(ShouldNotifyDiskSpace, MinDiskSpaceEdit);
  EnableNotice(ShouldNotifySizeExceeded, MaxSizeEdit);
  loading_ = false;
}

void TOptionsPages::SaveControls() {
  THalvornOptions& o = f_.options;
  o.autoRecActive = chkAutoRecord->Checked() ? 1 : 0;
  TakeFullTime();
  cmbLiveStreamChange();
  o.autoUpdateActive = chkAutoUpdate->Checked() ? 1 : 0;

  int media = ListMediaTypes->ItemIndex();
  if (media >= 0) o.selectedMediaType = ListMediaTypes->Items()->Strings(media);
  o.mediaLengthText = cmbMediaLength->Caption();
  if (cmbComPort->ItemIndex() >= 0) o.mediaComPort = cmbComPort->ItemIndex();

  if (kind_ == 1) {
    int entryIndex = cmbConnectionToUse->ItemIndex();
    if (entryIndex >= 0) o.dialerName = cmbConnectionToUse->Items()->Strings(entryIndex);
    o.user = editOptionsUserName->Caption();
    if (editOptionsPassword->Caption() == editOptionsPassword2->Caption())
      o.pwd = editOptionsPassword->Caption();
  }
  o.useProxy = kind_ == 0 && chkAdvancedProxy->Checked();

  o.audioEffects = chkOptAudioEffects->Checked() ? 1 : 0;
  o.optionPlayOpening = chkOptPlayOpening->Checked() ? 1 : 0;
  o.audioTrap = chkOptRecordTrap->Checked() ? 1 : 0;
  TakeSlideHops();
  o.startWithWindows = chkoptStartWithWin->Checked() ? 1 : 0;
  o.autoOpenBasketOnStart = chkOpenAutoOpenBasket->Checked() ? 1 : 0;
  o.volumePosition = trbVolume->Position();

  o.shouldNotifyMinSpace = ShouldNotifyDiskSpace->Checked() ? 1 : 0;
  o.minSpaceText = MinDiskSpaceEdit->Caption();
  o.shouldNotifyMaxSize = ShouldNotifySizeExceeded->Checked() ? 1 : 0;
  o.maxSizeText = MaxSizeEdit->Caption();
  f_.SavePos1->SoundEffects = o.audioEffects == 1;
}

void TOptionsPages::TakeFullTime() {
  THalvornOptions& o = f_.options;
  int entry = cmbFullTime->ItemIndex();
  if (entry < 0) return;
  o.autoRecAmPm = entry >= 48 ? 1 : 0;
  o.autoRecMin = (entry % 4) * 15;
  o.autoRecHour = (entry % 48) / 4;
}

void TOptionsPages::TakeSlideHops() {
  if (cmbSlideHops->ItemIndex() < 0) return;
  f_.options.slideNumJumps = cmbSlideHops->ItemIndex();
  f_.SavePos1->NumJumps = f_.options.slideNumJumps;
}

void TOptionsPages::speedOptionsClick() {
  if (f_.busy || f_.ViewOptions->Visible()) return;
  int shown = f_.FindChanNum(f_.currentChannelName);
  f_.SaveActiveChannel();
  for (TPanel* p : {f_.ViewChannels, f_.ViewCustomize, f_.ViewPlayer, f_.ViewOptions})
    p->SetVisible(p == f_.ViewOptions);
  f_.DrawChannelsButtons(shown, f_.pnlOptionsChannels);
  f_.options.SerializeOptionsParameters(false);
  LoadControls();
  for (TTezMMBut* b : f_.MainButtons()) b->SetEnabled(false);
  OptionspageControlChange();
}

void TOptionsPages::LeaveOptions() {
  StopLabelAnimation();
  for (TTezMMBut* b : f_.MainButtons()) b->SetEnabled(true);
  // The player button only where the media type has a player.
  f_.speedPlayer->SetEnabled(f_.options.playerAvailable == 1);
  f_.ChangeToViewChannels();
  f_.links->timerCheckPending->SetEnabled(true);
}

void TOptionsPages::btnOkOptionsClick() {
  if (test_) test_->Cancel();
  if (!DialUpValidation(true)) return;
  std::string pwd2 = editOptionsPassword2->Caption();
  if (kind_ == 1 && !pwd2.empty() && pwd2 != editOptionsPassword->Caption()) {
    editOptionsPassword->SetCaption("");
    editOptionsPassword2->SetCaption("");
    MessageBoxA(f_.Handle(), "Please enter the same password in both places", "Brindale", MB_OK);
    return;
  }
  f_.links->timerCheckPending->SetEnabled(true);
  speech_->StoreVoices();
  SaveControls();
  if (media_) media_->SaveMediaConfigParams();
  try {
    f_.options.SerializeOptionsParameters(true);
  } catch (const std::exception& e) {
    // Nothing is announced: the pages stay for another try or Cancel.
    MessageBoxA(f_.Handle(), e.what(), "Brindale", MB_OK);
    return;
  }
  // What a test wrote is now what the settings hold.
  if (test_) test_->KeepKeys();
  LeaveOptions();
  f_.options.InitPlayerParams();
  f_.ApplyPlayerParams();
  f_.msgsendControl->MsgVal = kSettingsChanged;
  f_.msgsendControl->PostMsg();
  PostMessageA(f_.Handle(), WM_TEZ_REFRESH_VIEW, 20, 0);
}

void TOptionsPages::btnOptionsDefaultClick() { btnOkOptionsClick(); }

void TOptionsPages::btnOptionsCancelClick() {
  if (test_) {
    test_->Cancel();
    // The keys a connection test wrote go back to what they were.
    test_->RestoreKeys();
  }
  ClearDialerStatus();
  btnCloseOptionsClick();
}

void TOptionsPages::btnCloseOptionsClick() {
  f_.options.SerializeOptionsParameters(false);  // the edits are dropped
  LeaveOptions();
}
