#include "MainForm.h"

#include "Aligrid.h"
#include "Application.h"
#include "MainLinks.h"
#include "OptionsPages.h"
#include "Screen.h"
#include "SplitterBar.h"
#include "TezMMBut.h"

const char* const DebugViewerCaption = "Brindale Debug Viewer";

namespace {
template <typename T>
T* Make(TComponent* owner, const char* name) {
  T* c = new T(owner);
  c->SetName(name);
  return c;
}

template <typename T>
T* Place(TForm* form, TWinControl* parent, const char* name, int l, int t, int w, int h) {
  T* c = Make<T>(form, name);
  c->SetBounds(l, t, w, h);
  c->SetParent(parent);
  return c;
}
}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner, "TForm1") {
  // Messages handled while the window is being made may minimise it.
  Application->OnMinimize = [this](TObject* s) { HandleMinimizeEvent(s); };
  BuildComponents();
  links = std::make_unique<TMainLinks>(*this);
  links->ShowStatusLine = [this](const std::string& text, int seconds) {
    ShowStatusLine(text, seconds);
  };
  optionsPages = std::make_unique<TOptionsPages>(*this);
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject* s) {
    if (IsIconic(Handle())) HandleMinimizeEvent(s);
  };
  FormCreated();
}

void TForm1::BuildComponents() {
  SetName("Form1");
  SetCaption("Halvorn");
  SetBounds(200, 150, 540, 400);

  pnlMenu = Place<TPanelTile>(this, this, "pnlMenu", 78, 0, 476, 71);
  pnlMenu->SetBevelOuter(bvNone);
  // The client of the full window at its first size (560 x 420).
  pnlViewContents = Place<TPanelTile>(this, this, "pnlViewContents", 0, 71, 554, 324);
  pnlViewContents->SetBevelOuter(bvNone);

  BuildFullView();
  pnlTheBasket = Place<TPanel>(this, this, "pnlTheBasket", 0, 0, 87, 81);
  pnlBackgroundImg = Place<TPanelTile>(this, pnlTheBasket, "pnlBackgroundImg", 2, 2, 83, 77);
  pnlBackgroundImg->SetBevelOuter(bvNone);
  imgLeftDoor = Place<TImage>(this, pnlBackgroundImg, "imgLeftDoor", 6, 18, 32, 40);
  imgRightDoor = Place<TImage>(this, pnlBackgroundImg, "imgRightDoor", 38, 18, 32, 40);

  pnlBackgroundImg->OnClick = [this](TObject*) { timerPopUp->SetEnabled(true); };
  pnlBackgroundImg->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
    BasketMouseDown(b, x, y);
  };
  pnlBackgroundImg->OnMouseMove = [this](TObject*, TShiftState s, int x, int y) {
    BasketMouseMove(s, x, y);
  };
  pnlBackgroundImg->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) {
    pnlBackgroundImg->SetMouseCapture(false);
  };
  pnlBackgroundImg->OnDblClick = [this](TObject*) { BasketDblClick(); };
  // The doors are part of the picture: they hand their mouse to it.
  for (TImage* door : {imgLeftDoor, imgRightDoor}) {
    door->OnMouseDown = [this, door](TObject*, TMouseButton b, TShiftState, int x, int y) {
      BasketMouseDown(b, x + door->Left(), y + door->Top());
    };
    door->OnMouseMove = [this, door](TObject*, TShiftState s, int x, int y) {
      BasketMouseMove(s, x + door->Left(), y + door->Top());
    };
    door->OnMouseUp = [this, door](TObject*, TMouseButton, TShiftState, int, int) {
      door->SetMouseCapture(false);
      timerPopUp->SetEnabled(true);
    };
    door->OnDblClick = [this](TObject*) { BasketDblClick(); };
  }
  pnlTheBasket->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
    BorderMouseDown(b, x, y);
  };
  pnlTheBasket->OnMouseMove = [this](TObject*, TShiftState s, int x, int y) {
    BorderMouseMove(s, x, y);
  };
  pnlTheBasket->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) {
    borderDragging = 0;
    pnlTheBasket->SetMouseCapture(false);
  };
  pnlTheBasket->OnDblClick = [this](TObject*) { BasketDblClick(); };

  lblWebLink = Place<TTezWebLabel>(this, pnlMenu, "lblWebLink", 0, 0, 1, 1);
  lblWebLink->SetVisible(false);
  imglistPopUpMenu = Make<TImageList>(this, "imglistPopUpMenu");
  BuildStatusImages();
  BuildBasketMenu();

  TimerLoadImages = Make<TTimer>(this, "TimerLoadImages");
  TimerLoadImages->SetInterval(3000);
  TimerLoadImages->SetOnTimer([this](TObject* s) { TimerLoadImagesTimer(s); });
  timerAnimatePicture = Make<TTimer>(this, "timerAnimatePicture");
  timerAnimatePicture->SetEnabled(false);
  timerAnimatePicture->SetInterval(50);
  timerAnimatePicture->SetOnTimer([this](TObject* s) { timerAnimatePictureTimer(s); });
  timerPopUp = Make<TTimer>(this, "timerPopUp");
  timerPopUp->SetEnabled(false);
  timerPopUp->SetInterval(300);
  timerPopUp->SetOnTimer([this](TObject* s) { timerPopUpTimer(s); });

  SavePos1 = Make<TSavePos>(this, "SavePos1");
  SavePos1->NumJumps = 2;
  SavePos1->NumIterations = 10;
  SavePos1->IterationDelay = 0;
  SavePos1->LimitToScreen = true;
  SavePos1->ChangeSideBeforeSlide = true;
  SavePos1->SaveOptions = SaveLeft | SaveTop;
  JustOne1 = Make<TJustOne>(this, "JustOne1");
  mailslotHalvorn = Make<TMailSlotComp>(this, "mailslotHalvorn");
  msgsendControl = Make<TMsgSend>(this, "msgsendControl");
  msgsendRecorder = Make<TMsgSend>(this, "msgsendRecorder");
  TezDropFileTarget1 = Make<TTezDropFileTarget>(this, "TezDropFileTarget1");
  TezDropFileTarget1->GetDataOnEnter = false;

  SetMessageMethod(WM_TEZ_CHANGE_VIEW, [this](TMessage& m) { ChangeView(m); });
  SetMessageMethod(WM_TEZ_IDLE_FLUSH, [this](TMessage& m) { OnIdleFlushMsg(m); });
  SetMessageMethod(WM_SHOWWINDOW, [this](TMessage& m) { OnShowWindowMsg(m); });
  SetMessageMethod(WM_SETFOCUS, [](TMessage&) {});
  SetMessageMethod(WM_PALETTECHANGED, [this](TMessage& m) { WMPaletteChanged(m); });
  BuildRunComponents();
}

void TForm1::BuildBasketMenu() {
  popupBasketMenu = Make<ToxPopupMenu>(this, "popupBasketMenu");
  popupBasketMenu->SetStyle(oxmWin97);
  popupBasketMenu->SetOptions(oxmSet(oxmBanner) | oxmSet(oxmMultiLine) |
                              oxmSet(oxmUseTagAsImageIndex));
  popupBasketMenu->SetSelectionStyle(oxmRaisedSel);
  popupBasketMenu->SetImageList(imglistPopUpMenu);
  popupBasketMenu->SetCaption("Brindale");
  ToxBanner* banner = popupBasketMenu->Banner();
  banner->Font()->SetName("Arial");
  banner->Font()->SetColor(clWhite);
  banner->Font()->SetHeight(-13);
  banner->SetStyle(oxmVertGradient);
  banner->SetColor(clBlack);
  banner->SetGradient(clActiveCaption);
  banner->SetVertical(true);
  popupBasketMenu->OnPopup = [this](TObject* s) { popupBasketMenuPopup(s); };

  // Item tags are the indexes of their pictures in imglistPopUpMenu.
  auto item = [this](const char* name, const char* caption, int tag) {
    TMenuItem* m = Make<TMenuItem>(this, name);
    m->SetCaption(caption);
    m->Tag = tag;
    popupBasketMenu->Items()->Add(m);
    return m;
  };
  popmnuFull = item("popmnuFull", "&Full View", 1);
  popmnuFull->SetDefault(true);
  popmnuAutomaticRec = item("popmnuAutomaticRec", "&Automatic Recording (Off)", 9);
  mnuRecordNow = item("mnuRecordNow", "&Record Now", 3);
  mnuRecordStop = item("mnuRecordStop", "&Stop Recording", 4);
  mnuPlayNow = item("mnuPlayNow", "&Play Now", 2);
  mnuPlayStop = item("mnuPlayStop", "S&top Playing", 4);
  mnuPasteLink = item("mnuPasteLink", "Paste &Link", 10);
  popmnuHelp = item("popmnuHelp", "&Help", -1);  // no picture
  popmnuAbout = item("popmnuAbout", "A&bout", -1);
  popmnuExit = item("popmnuExit", "E&xit", 0);

  popmnuFull->OnClick = [this](TObject*) {
    PostMessageA(Handle(), WM_TEZ_CHANGE_VIEW, 0, 0);
  };
  popmnuExit->OnClick = [](TObject*) { Application->Terminate(); };
  popmnuHelp->OnClick = [this](TObject*) { OpenHelp(); };
  popmnuAbout->OnClick = [this](TObject*) {
    MessageBoxA(Handle(), ProductVersionText().c_str(), Application->Title().c_str(), MB_OK);
  };
}

void TForm1::BuildStatusImages() {
  auto hidden = [this](const std::string& name) {
    TImage* image = Place<TImage>(this, pnlViewContents, name.c_str(), 0, 0, 16, 16);
    image->SetVisible(false);
    return image;
  };
  for (int n = 2; n <= 13; ++n) {
    recStatusImages[n] = hidden(Format(n >= 10 ? "recStatus%d" : "RecStatus%d", n));
    playStatusImages[n] = hidden(Format("PlayStatus%d", n));
  }
  for (int n = 2; n <= 5; ++n) itemStatImages[n] = hidden(Format("ItemStat%d", n));
}

TForm1::~TForm1() {
  Destroying();
  FormDestroy();
}

bool TForm1::StartGatePassed() const {
  if (FileExists(GetCurrentDir() + "\\openhalvorn")) return true;
  if (__argc > 1 && UpperCase(__argv[1]) == "/DEBUG") return true;
  return FindWindowA(nullptr, "Brindale Control") != nullptr;
}

void TForm1::WriteDebugWindow(const std::string& text) {
  HWND viewer = FindWindowA(nullptr, DebugViewerCaption);
  if (!viewer) return;
  char buffer[256] = {};
  text.copy(buffer, 255);
  COPYDATASTRUCT data = {0, sizeof buffer, buffer};
  SendMessageA(viewer, WM_COPYDATA, reinterpret_cast<WPARAM>(Handle()),
               reinterpret_cast<LPARAM>(&data));
}

void TForm1::FormCreate(TObject*) {
  WriteDebugWindow("Hi!");
  currentChannel = 0;
  // The grid below the splitter keeps at least its first two columns.
  SplitterBar1->TopLeftLimit = gridItems->ColWidths(0) + gridItems->ColWidths(1);
  dllManager = std::make_unique<TTezDllManager>();
  JustOne1->CheckPrevInstance();
  ready = 0;
  msgsendControl->WindowCaption = "Brindale Control";
  if (!StartGatePassed()) {
    Application->Terminate();
    return;
  }
  try {
    SetCaption("Brindale Media Manager");
    if (!IniManagerLoad()) ExitProcess(0);
    if (!InitBasketBitmapDll()) {
      Application->Terminate();
      return;
    }
    InitBasketImages();
    recorderKind = 0;
    recorderState = 0;
    try {
      mainMailQueue = std::make_unique<TTezMailSlot>("halvorn");
      // The slot opens only while a run works.
      mailslotHalvorn->SetSlot("halvorn");
    } catch (const std::exception&) {
      Application->Terminate();
      return;
    }
    int extra = GetSystemMetrics(SM_CXVSCROLL) - 16;
    scrollWidthExtra = extra > 0 ? extra : 0;
    extra = GetSystemMetrics(SM_CYCAPTION) - 19;
    captionHeightExtra = extra > 0 ? extra : 0;
    SetBounds(Left(), Top(), 50, 50);
    pnlTheBasket->SetBounds(0, 0, 87, 81);
    timerPopUp->SetInterval(200);

    options.position = SavePos1;
    if (!options.SerializeParameters(false)) {
      Application->Terminate();
      return;
    }
    SetCaption(options.caption);
    options.InitPlayerParams();
    ApplyDisabledImage();
    recorderKind = options.recButAvailable ? 0 : options.playButAvailable ? 1 : 2;
    SavePos1->FileName = GetCurrentDir() + "\\Halvorn.inx";

    channelList = std::make_unique<TChannelList>(options.DataFolderPath(), "TezData.inx");
    CheckActiveChannels();
    dataIni = std::make_unique<TIniFile>(options.DataFolderPath() + "TezData.inx");
    paramIni = std::make_unique<TIniFile>(GetCurrentDir() + "\\TezParam.inx");
    checkExtensionsRequireInetEnabled =
        paramIni->ReadInteger("Recorder", "checkExtensionsRequireInetEnabled", 0);
    setSectionsDisabledFormatsEntry =
        paramIni->ReadInteger("Recorder", "setSectionsDisabledFormatsEntry", 0);
    paramIni->ReadSectionValues("Extensions", extensionLists[0]);
    extensionLists[1].Assign(extensionLists[0]);
    extensionLists[2].Assign(extensionLists[0]);
    itemOperatorsIni = std::make_unique<TIniFile>(GetCurrentDir() + "\\TezItemOperators.inx");
    halvornIni = std::make_unique<TIniFile>(GetCurrentDir() + "\\Halvorn.inx");
    ShowPage(ViewChannels);
    msgsendRecorder->WindowCaption = "Recorder";
    if (FindWindowA(nullptr, "Recorder")) {
      // The Recorder stores its own states (1 ready, 2 run started,
      // 3 recording); they are taken as this window's.
      int stored = paramIni->ReadInteger("Recorder", "recorderState", 0);
      recorderState = static_cast<uint8_t>(stored == 2 ? 1 : stored == 3 ? 3 : 0);
      lastState = recorderState;
    } else {
      recorderState = 0;
      lastState = 1;
    }
    ShowErrorHint();
    DisplayRecordPlayState();
    EnableEditControls();
    EnableRecordControls();
    EnablePlayControls();
    if (options.audioEffects == 1 && !RecorderIsRecording()) PlaySoundFile(options.slideSoundPath);
    DoWindowState(false, true);
    GetChannels(1, pnlChannels);
    TezDropFileTarget1->Register(this);
    links->InitDragDrop();
    if (!StartGatePassed()) {
      Application->Terminate();
      return;
    }
  } catch (const EOutOfResources&) {
    MessageBoxA(Handle(), "Problem in system resources", "Not enough System Resources", MB_OK);
    Application->Terminate();
    return;
  }
  msgsendControl->MsgVal = WM_TEZ_MAIN_STARTED;
  msgsendControl->PostMsg();
  PostMessageA(Handle(), WM_TEZ_UPDATE_REMINDER, 0, 0);
  ready = 1;
  PostMessageA(Handle(), WM_TEZ_IDLE_FLUSH, 0, 0);
  if (!ShowStartupNotices()) return;
  imgLeftDoor->SetLeft(6);
  imgRightDoor->SetLeft(38);
  options.InitPlayerParams();
  PostMessageA(Handle(), WM_TEZ_REFRESH_VIEW, 20, 0);
}

void TForm1::FormDestroy() {
  ready = 0;
  links->Shutdown();
  MailSlotSendMessage(".", "tezdbg.slt", "FormDestroy");
  optionsPages->FreeConnectionBindings();
  try {
    TezDropFileTarget1->Unregister();
  } catch (const Exception&) {
    // The window is going; so is its registration.
  }
  CloseHelp(this);
  if (channelList && dataIni) SaveRecordChannels();
  if (RecorderTypeIsWorking(2)) speedItemPlayStopClick(btnStopPlay);
  ClearButtons();
  if (channelList) {
    if (RecorderIsRecording() && FindWindowA(nullptr, "Recorder"))
      channelList->doNotSave = 1;
    // A reload still waits: the files hold what the Recorder wrote since
    // the list was read, and the list must not write over them.
    if (reloadPending) channelList->doNotSave = 1;
    MailSlotSendMessage(".", "tezdbg.slt", "FormDestroy(Free Channel List)");
    channelList.reset();
  }
  // Only what was loaded is saved: an early end leaves the files alone.
  if (options.Loaded()) {
    try {
      options.SerializeParameters(true);
    } catch (const std::exception&) {
      // A refused write ends the save at that key.
    }
    optionsPages->SaveMediaParams();
  }
  if (positionsLaidOut_) SavePos1->SaveToFile();
  for (TStringList& list : extensionLists) list.Clear();
  dataIni.reset();
  paramIni.reset();
  itemOperatorsIni.reset();
  halvornIni.reset();
  optionsPages->FreeSpeech();
  if (mainMailQueue) mainMailQueue->CloseMail();
  mainMailQueue.reset();
  optionsPages->ReleaseMediaLibraries();
  IniManagerUnload();
  basketLibrary = mainLibrary = nullptr;
  dllManager.reset();
}

bool TForm1::RecorderIsRecording() const {
  return recorderState == 1 || recorderState == 2 || recorderState == 3 || recorderState == 7;
}

void TForm1::OpenHelp() {
  if (busy) return;
  lblWebLink->FindHtmlApp = false;  // in the browser window already open
  lblWebLink->WebLink = options.helpPage;
  lblWebLink->OpenWebLink();
}

TContentSection* TForm1::CurrentChannel() const {
  if (currentChannel < 1 || !channelList) return nullptr;
  return channelList->GetContents(currentChannel);
}
