#include "ControlForm.h"

#include "Application.h"
#include "ControlMessages.h"
#include "ControlDialogs.h"
#include "Registry2.h"

namespace {

const char kDefaultHelpPage[] =
    "http://support.brindale.example/cgi-bin/CssP.exe?CsspApp=BrindaleClient"
    "&CsspFn=@Help.html:@:getForm";
const char kUpdateHost[] = "update.brindale.example";

const char* const kMenuBitmaps[] = {
    "HALVORN_BMP_TRAYICON_CLOSE_BMP",   "HALVORN_BMP_TRAYICON_MAX_BMP",
    "HALVORN_BMP_TRAYICON_PLAY_BMP",    "HALVORN_BMP_TRAYICON_REC_BMP",
    "HALVORN_BMP_TRAYICON_STOP_BMP",    "HALVORN_BMP_TRAYICON_ABOUT_BMP",
    "HALVORN_BMP_TRAYICON_HELP_BMP",    "HALVORN_BMP_TRAYICON_TEZBASKET_BMP",
    "HALVORN_BMP_TRAYICON_SCHEDON_BMP", "HALVORN_BMP_TRAYICON_SCHEDOFF_BMP"};

template <class T>
T* Make(TComponent* owner, const char* name) {
  T* component = new T(owner);
  component->SetName(name);
  return component;
}

TTimer* MakeTimer(TComponent* owner, const char* name, UINT interval, bool enabled,
                  std::function<void()> handler) {
  TTimer* timer = Make<TTimer>(owner, name);
  timer->SetEnabled(false);
  timer->SetInterval(interval);
  timer->SetOnTimer([handler](TObject*) { handler(); });
  timer->SetEnabled(enabled);
  return timer;
}

bool FirstArgumentIs(const char* text) {
  return __argc > 1 && UpperCase(__argv[1]) == text;
}

}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner, "TForm1") {
  SetName("Form1");
  SetCaption("Brindale Control");
  getDir_ = FirstArgumentIs("/GETDIR");
  debug_ = FirstArgumentIs("/DEBUG");

  Label1 = Make<TLabel>(this, "Label1");
  Label1->SetBounds(8, 8, 120, 16);
  Label1->SetParent(this);
  Label1->SetVisible(debug_);
  Label2 = Make<TLabel>(this, "Label2");
  Label2->SetBounds(8, 28, 120, 16);
  Label2->SetParent(this);
  Label3 = Make<TLabel>(this, "Label3");
  Label3->SetBounds(8, 48, 120, 16);
  Label3->SetParent(this);

  TIcon** statics[] = {&Image1, &Image2, &Image3, &Image4, &Image5,
                       &Image20, &Image21, &Image22, &Image23, &Image24};
  for (TIcon** icon : statics) *icon = new TIcon;
  for (int i = 0; i < 8; ++i) {
    imgAnim1[i] = new TIcon;
    imgAnim2[i] = new TIcon;
  }
  LoadTrayIcons();

  TezWebLabel1 = Make<TTezWebLabel>(this, "TezWebLabel1");
  TezWebLabel1->SetVisible(false);
  TezWebLabel1->LocalHtmlPage = "Home.html";
  TezWebLabel1->SetParent(this);
  TrayIcon1 = Make<TTrayIcon>(this, "TrayIcon1");
  TrayIcon1->SetInterval(500);
  TrayIcon1->OnDblClick = [this](TObject* s) { TrayIcon1DblClick(s); };
  MakePopupMenu();

  msgSendMain = Make<TMsgSend>(this, "msgSendMain");
  msgSendRecorder = Make<TMsgSend>(this, "msgSendRecorder");
  msgSendCaddrel = Make<TMsgSend>(this, "msgSendCaddrel");
  MsgSendPellomar = Make<TMsgSend>(this, "MsgSendPellomar");
  msgFindSetupWizard = Make<TMsgSend>(this, "msgFindSetupWizard");
  msgFindSetupWizard->WindowCaption = "Brindale Setup Wizard";

  MailSlotPellomar = Make<TMailSlotComp>(this, "MailSlotPellomar");
  MailSlotPellomar->SetServer(".");
  MailSlotPellomar->SetSlot("Pellomar");
  MailSlotPellomar->OnBinMessageAvail = [this](TObject*, const char* data, int len) {
    MailSlotPellomarBinMessageAvail(data, len);
  };
  JustOne1 = Make<TJustOne>(this, "JustOne1");
  JustOne1->BeforeClose = [this](TObject* s) { JustOne1BeforeClose(s); };

  timerCheckScheduler = MakeTimer(this, "timerCheckScheduler", 10000, true,
                                  [this] { timerCheckSchedulerTimer(); });
  m_timerWaitForRecorderEnd = MakeTimer(this, "m_timerWaitForRecorderEnd", 100, false,
                                        [this] { m_timerWaitForRecorderEndTimer(); });
  tmStartUpDelay = MakeTimer(this, "tmStartUpDelay", 1000, false, [this] {
    tmStartUpDelay->SetEnabled(false);
  });
  tmCaddrelEnd = MakeTimer(this, "tmCaddrelEnd", 600, false, [this] { tmCaddrelEndTimer(); });
  tmHttpProgress = MakeTimer(this, "tmHttpProgress", 1000, false, [this] {
    tmHttpProgress->SetEnabled(false);
  });

  HttpClient1 = Make<THttpClient>(this, "HttpClient1");
  HttpClient1->ProxyPort = "80";
  HttpClient1->NoCache = false;
  HttpClient1->SetMultiThreaded(false);

  InstallRunMessages();
  SetMessageMethod(WM_TEZ_SHOW_INTRO, [this](TMessage&) { ShowIntro(); });
  SetMessageMethod(WM_TEZ_OPEN_BASKET, [this](TMessage&) { OpenView(1); });
  SetMessageMethod(WM_TEZ_UPDATE_CANCEL, [](TMessage&) {});
  SetMessageMethod(WM_CLOSE, [this](TMessage&) {
    // Closed by other means than the menu (system shutdown): the exit
    // steps without the question.
    ExitSteps();
  });
  SetMessageMethod(WM_QUERYENDSESSION, [](TMessage& msg) { msg.Result = TRUE; });
  SetMessageMethod(WM_ENDSESSION, [this](TMessage& msg) {
    if (msg.WParam) ExitSteps();
  });

  OnCreate = [this](TObject*) { FormCreate(); };
  FormCreated();
}

TForm1::~TForm1() {
  Destroying();
  if (mailQueue_) {
    // What is left at the end belongs to no run to come.
    DropQueuedMail();
    mailQueue_->CloseMail();
  }
  settings_.reset();
  IniManagerUnload();
  TIcon* statics[] = {Image1, Image2, Image3, Image4, Image5,
                      Image20, Image21, Image22, Image23, Image24};
  for (TIcon* icon : statics) delete icon;
  for (int i = 0; i < 8; ++i) {
    delete imgAnim1[i];
    delete imgAnim2[i];
  }
  ForgetRecorderProcess();
  for (HANDLE* process : {&mainProcess_, &caddrelProcess_})
    if (*process) {
      CloseHandle(*process);
      *process = nullptr;
    }
}

void TForm1::JustOne1BeforeClose(TObject*) {
  SetCaption("");
  MsgSendPellomar->WindowCaption = "Brindale Control";
  MsgSendPellomar->MsgVal = WM_TEZ_OPEN_BASKET;
  MsgSendPellomar->MsgWParam = 0;
  MsgSendPellomar->msgLParam = 0;
  MsgSendPellomar->PostMsg();
}

void TForm1::FormCreate() {
  openingView_ = false;
  introShown_ = false;
  JustOne1->CheckPrevInstance();
  SetHeight(10);
  closeAsked_ = false;
  SetCaption("Brindale Control");

  if (msgFindSetupWizard->FindTarget()) {
    MessageBoxA(Handle(),
                "Brindale Setup Wizard is running.\nPlease exit the wizard to run the Brindale "
                "Media Manager",
                "Brindale Media Manager Control", MB_OK);
    ExitProcess(0);
  }
  if (!IniManagerLoad()) ExitProcess(0);
  if (!StartMail()) {
    Application->Terminate();
    return;
  }
  ReadStartSettings();
  StartUpdateCheck();
  PostToSelf(WM_TEZ_SHOW_INTRO);
  if (autoUpdateActive_ == 1) tmStartUpDelay->SetEnabled(true);
  Application->SetTitle("Brindale Message");
  SetCaption("Brindale Control");

  msgSendRecorder->WindowCaption = "Recorder";
  msgSendRecorder->MsgVal = msgSendRecorder->MsgWParam = msgSendRecorder->msgLParam = 0;
  SetRecorderState(recorderState_, 0, 0);
  checking_ = false;
  armed_ = true;
  deviceReady_ = false;
  startInProgress_ = stopPending_ = false;

  ReadSettings();
  if (!LoadMenuBitmaps()) ExitProcess(1);
  Application->ShowMainForm = false;
  Hide();
  if (debug_) {
    SetHeight(320);
    Show();
  }
  StartCaddrel();
  CheckSchedule();
  if (!getDir_) ProcessUpdateListAtStart();
  if (!getDir_ || autoOpenBasketOnStart_ != 0) OpenView(1);
}

bool TForm1::StartMail() {
  try {
    // The Recorder's fall-back copies of its reports arrive in the queue
    // named after the controller's mailslot.
    mailQueue_ = std::make_unique<TTezMailSlot>("\\\\.\\mailslot\\Pellomar");
    mailQueue_->CreateNewMail(Handle(), WM_TEZ_MAIL_ARRIVED);
    // Records left by an earlier controller's time belong to a run that is
    // over: they are not relayed into this one.
    DropQueuedMail();
    MailSlotPellomar->SetSlot("pellomar");
    MailSlotPellomar->SetActive(true);
    MailSlotSendBinMessage(".", "pellomar", "Testing", 7);
  } catch (const std::exception& e) {
    Trace(std::string("Mail start failed: ") + e.what());
    return false;
  }
  return true;
}

void TForm1::ReadStartSettings() {
  settings_ = std::make_unique<TIniFile>(GetCurrentDir() + "\\TezParam.inx");
  TIniFile& ini = *settings_;
  mainCaption_ = ini.ReadString("GlobalParams", "halvornCaption", "Brindale Media Manager");
  helpPage_ = ini.ReadString("Links", "helpPage", kDefaultHelpPage);
  showIntro_ = ini.ReadInteger("GlobalParams", "showIntro", 1);
  httpTimeOutDelay_ = ini.ReadInteger("Update", "httpTimeOutDelay", 6000);
  if (ini.ReadInteger("Proxies", "useProxy", 0) == 1) {
    std::string host = ini.ReadString("Proxies", "httpHost", "");
    if (!host.empty()) {
      HttpClient1->Proxy = host;
      HttpClient1->ProxyPort = ini.ReadString("Proxies", "httpPort", "80");
    }
  }
  autoUpdateActive_ = ini.ReadInteger("Update", "autoUpdateActive", 0);
  autoUpdateCheckUrl_ = ini.ReadString(
      "Links", "autoUpdateCheckUrl",
      std::string(kUpdateHost) + "/isapi/TezBGUpdate.dll?Check&SN=%s&Ver=%s");
  autoUpdatePrepareUrl_ = ini.ReadString(
      "Update", "autoUpdatePrepareUrl",
      std::string(kUpdateHost) + "/isapi/TezBGUpdate.dll?Prepare&SN=%s");
  int delay = ini.ReadInteger("Update", "autoUpdateStartupDelay", 30000);
  tmStartUpDelay->SetInterval(delay > 0 ? static_cast<UINT>(delay) : 1);
  autoOpenBasketOnStart_ = ini.ReadInteger("DragDrop", "autoOpenBasketOnStart", 1);
  productVersion_ = ProductVersion();
}

bool TForm1::LoadMenuBitmaps() {
  HMODULE library = nullptr;
  if (ColourDepth() > 15) {
    library = LoadLibraryA("HalvornBasket.dll");
  } else {
    library = LoadLibraryA("HalvornBasket4.dll");
    if (!library) library = LoadLibraryA("HalvornBasket.dll");
  }
  if (!library) {
    MessageBoxA(Handle(), "No Basket Bitmaps Found", Application->Title().c_str(), MB_OK);
    return false;
  }
  imglistPopUpMenu->Clear();
  for (const char* name : kMenuBitmaps) {
    HBITMAP bitmap = LoadBitmapA(library, name);
    if (!bitmap) Trace(Format("Menu bitmap %s missing", name));
    // A missing picture keeps its place so that the tags still match.
    if (!bitmap || imglistPopUpMenu->Add(bitmap, nullptr) < 0) {
      HDC screen = GetDC(nullptr);
      HBITMAP blank = CreateCompatibleBitmap(screen, imglistPopUpMenu->Width(),
                                             imglistPopUpMenu->Height());
      ReleaseDC(nullptr, screen);
      imglistPopUpMenu->Add(blank, nullptr);
      DeleteObject(blank);
    }
    if (bitmap) DeleteObject(bitmap);
  }
  SetMenuTags();
  FreeLibrary(library);
  return true;
}

void TForm1::ShowIntro() {
  if (showIntro_ == 0 || introShown_ || TfrmIntro::Showing()) return;
  introShown_ = true;
  TfrmIntro intro(nullptr);
  intro.LoadPicture(GetCurrentDir() + "\\..\\images\\Intro.bmp");
  intro.ShowModal();
  if (settings_)
    settings_->WriteInteger("GlobalParams", "showIntro", intro.DoNotShowAgain() ? 0 : 1);
}

void TForm1::mnuCloseClick() {
  if (closeAsked_) return;
  closeAsked_ = true;
  int answer = MessageBoxA(Handle(), "Are you sure you want to exit Brindale?",
                           "Brindale Software", MB_YESNO | MB_DEFBUTTON2);
  closeAsked_ = false;
  if (answer != IDYES) return;
  ExitSteps();
}

void TForm1::ExitSteps() {
  if (exiting_) return;
  exiting_ = true;
  try {
    // The Recorder ends first: the main program must not close (and save
    // its item files) while a run still writes them.
    EndRecorderAtExit();
    if (SendToMain(WM_CANCELMODE)) SendToMain(WM_CLOSE);
    CloseHelp(this);
    StopCaddrel(true);
  } catch (...) {
    // An exit broken off by an error (a trace that cannot be written) can
    // be asked for again.
    exiting_ = false;
    throw;
  }
  Application->Terminate();
}
