// The main window of Halvorn: its start-up gates and order, its two views
// (the full window and the basket), the basket's dragging and menu, and
// the pictures it loads from the bitmap libraries.
#pragma once

#include <windows.h>

#include <cstdint>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ChannelList.h"
#include "DllManager.h"
#include "DropTarget.h"
#include "ExtCtrls.h"
#include "GIFAnimator.h"
#include "Forms.h"
#include "HalvornOptions.h"
#include "IniFiles2.h"
#include "ImgList.h"
#include "JustOne.h"
#include "MailSlotComp.h"
#include "Memo.h"
#include "Menus.h"
#include "MsgSend.h"
#include "SavePos.h"
#include "StdCtrls.h"
#include "TezDropFileTarget.h"
#include "TezMMBut.h"
#include "TilePanel.h"
#include "TezWebLabel.h"
#include "Utils.h"
#include "oxMenus.h"

class TAlignedStringGrid;
class TSplitterBar;
class TTezMMBut;
class TMainLinks;
class TOptionsPages;

// Window messages of the main window.
enum : UINT {
  WM_TEZ_CHANGE_VIEW = 0x464,
  WM_TEZ_REFRESH_VIEW = 0x4DF,
  WM_TEZ_MAIN_STARTED = 0x4E0,
  WM_TEZ_UPDATE_REMINDER = 0x509,
  WM_TEZ_IDLE_FLUSH = 0x7E7,
  // Run session.
  WM_TEZ_DEVICE_STATE = 0x48C,
  WM_TEZ_SCHED_OK = 0x4C9,
  WM_TEZ_SCHED_FAIL = 0x4CA,
  WM_TEZ_SETTINGS_CHANGED = 0x4CB,
  WM_TEZ_START_SESSION = 0x4CC,
  WM_TEZ_CALLED = 0x4CE,
  WM_TEZ_SCHED_START = 0x4D3,
  WM_TEZ_SCHED_FAIL_RETRY = 0x4D4,
  WM_TEZ_STOP_SESSION = 0x4D5,
  WM_TEZ_RECORDER_STATE = 0x4D6,
  WM_TEZ_SAVE_CHANNELS = 0x4FC,
  WM_TEZ_MAIN_MAIL = 0x6C6,
  // Posted to itself: a key moved the items grid's current row.
  WM_TEZ_GRID_KEY_MOVE = WM_APP + 0x27,
  // Posted to itself: the editor of a row's description opens (lParam 0),
  // the focus left the grid while it was open (lParam 1).
  WM_TEZ_GRID_EDIT = WM_APP + 0x28,
};

// The caption of the debug viewer that receives WriteDebugWindow texts.
extern const char* const DebugViewerCaption;

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);
  ~TForm1() override;

  void HandleMinimizeEvent(TObject* sender);
  // Opens the basket's doors: the first step at once, then every 50 ms.
  void StartDoorAnimation();
  // The channels shown: channel number currentChannel's contents, or none.
  TContentSection* CurrentChannel() const;
  // A recording run is working.
  bool RecorderIsRecording() const;
  uint8_t ViewState() const { return static_cast<uint8_t>(options.viewState); }

  // Components of the form.
  TPanelTile* pnlMenu;
  TPanelTile* pnlViewContents;
  // The notebook noteViews: one page panel shown at a time.
  TPanel *ViewChannels, *ViewCustomize, *ViewPlayer, *ViewOptions;
  TPanelTile *pnlChannels, *btnPanel, *pnlActiveChanels, *pnlInactiveChannels, *pnlTileCustomize,
      *pnlCustomize, *pnlPlayerChannels, *pnlViewPlayer, *pnlOptionsChannels, *pnlOptions;
  TTezMMBut *speedView, *speedPlayer, *speedOptions, *speedWeb, *speedHelp, *speedRecordNow,
      *speedPlayNow, *speedRecordStop, *speedPlayStop, *speedSendRemark, *speedDeleted,
      *speedPending, *speedRejected, *speedCustomize, *speedCustMoveDown, *speedCustMoveUp,
      *speedCustOk, *speedAddChannel, *speedRemoveChannel, *speedCustDown,
      *speedOptionsCustomize, *speedPlayerCustomize;
  TImage *imageAddToActive, *imageRemoveFromActive;
  TGIFAnimator *gifanimRecord, *gifanimPlay, *gifAnimDownload, *gifanimConnect;
  TPanel* pnlTheBasket;
  TPanelTile* pnlBackgroundImg;
  TImage* imgLeftDoor;
  TImage* imgRightDoor;
  ToxPopupMenu* popupBasketMenu;
  TMenuItem *popmnuFull, *popmnuAutomaticRec, *mnuRecordNow, *mnuRecordStop, *mnuPlayNow,
      *mnuPlayStop, *mnuPasteLink, *popmnuHelp, *popmnuAbout, *popmnuExit;
  TImageList* imglistPopUpMenu;
  // Hidden pictures the items grid draws from, by status number (2..13)
  // and item state (2..5); empty slots have none.
  TImage* recStatusImages[14] = {};
  TImage* playStatusImages[14] = {};
  TImage* itemStatImages[6] = {};
  TTimer* TimerLoadImages;
  TTimer* timerAnimatePicture;
  TTimer* timerPopUp;
  TSavePos* SavePos1;
  TJustOne* JustOne1;
  TMailSlotComp* mailslotHalvorn;
  TMsgSend* msgsendControl;
  TMsgSend* msgsendRecorder;
  TTezDropFileTarget* TezDropFileTarget1;
  TTezWebLabel* lblWebLink;  // opens the help and home pages

  // State of the window.
  THalvornOptions options;
  uint8_t busy = 0, ready = 0;
  uint8_t recorderKind = 0, recorderState = 0, lastState = 0;
  uint8_t imagesLoaded = 0;
  uint8_t basketDragging = 0, basketMoved = 0;
  int dragStartX = 0, dragStartY = 0;
  uint8_t borderDragging = 0;
  int borderStartX = 0, borderStartY = 0;
  uint8_t doorState = 0;
  int scrollWidthExtra = 0, captionHeightExtra = 0;
  int currentChannel = 0;
  std::unique_ptr<TChannelList> channelList;
  std::unique_ptr<TIniFile> dataIni, paramIni, itemOperatorsIni, halvornIni;
  std::unique_ptr<TTezMailSlot> mainMailQueue;
  std::unique_ptr<TTezDllManager> dllManager;
  HMODULE basketLibrary = nullptr, mainLibrary = nullptr;
  // [Extensions] of TezParam.inx, read at start into the first list and
  // copied into the other two, and the [Recorder] switches beside them.
  TStringList extensionLists[3];
  int32_t checkExtensionsRequireInetEnabled = 0, setSectionsDisabledFormatsEntry = 0;
  // Dropped and pasted links and files.
  std::unique_ptr<TMainLinks> links;
  std::unique_ptr<TOptionsPages> optionsPages;

 private:
  void BuildComponents();
  void BuildBasketMenu();
  void BuildFullView();
  // Shows one page of noteViews.
  void ShowPage(TPanel* page);
  void wmDeviceMessage(TMessage& msg);
  TPanel* ShownPage() const;
  void BuildStatusImages();
  // The media type's "disabled" picture on the two status images 8.
  void ApplyDisabledImage();
  void FormCreate(TObject* sender);
  void FormDestroy();
  bool StartGatePassed() const;
  void WriteDebugWindow(const std::string& text);
  void OpenHelp();
  void speedViewClick();
  void speedWebClick();
  void speedSendRemarkClick();

  // Views.
  void ChangeView(TMessage& msg);
  void DoWindowState(bool doSavePos, bool slide);
  void SlideToView(int extraHeight);
  void OnShowWindowMsg(TMessage& msg);
  void OnIdleFlushMsg(TMessage& msg);

  // The basket.
  void BasketMouseDown(TMouseButton button, int x, int y);
  void BasketMouseMove(TShiftState shift, int x, int y);
  void BorderMouseDown(TMouseButton button, int x, int y);
  void BorderMouseMove(TShiftState shift, int x, int y);
  void BasketDblClick();
  void timerPopUpTimer(TObject* sender);
  void popupBasketMenuPopup(TObject* sender);
  void MoveWindowBy(int dx, int dy);

  // Pictures.
  bool InitBasketBitmapDll();
  bool InitBitmapDll();
  void InitBasketImages();
  void InitPopUpImages();
  void InitImages();
  void TimerLoadImagesTimer(TObject* sender);
  void WMPaletteChanged(TMessage& msg);
  void timerAnimatePictureTimer(TObject* sender);
  HMODULE LoadBitmapLibrary(const char* plain, const char* fourBit);
  HBITMAP LoadPicture(HMODULE module, const std::string& name);


  // ---- Run session, progress display, channel buttons, items grid
  // (RunView.cpp, RunSession.cpp, ProgressDisplay.cpp, ChannelButtons.cpp,
  // ItemsGrid.cpp).
 public:
  // After the media type's player settings are read: the disabled images,
  // the player button and the record, play and edit controls.
  void ApplyPlayerParams();
  // The view, player, options, web and help buttons.
  std::array<TTezMMBut*, 5> MainButtons() const {
    return {speedView, speedPlayer, speedOptions, speedWeb, speedHelp};
  }
  // Above the other windows; the basket stays topmost.
  void BringToTop();
  // The player page, remembering the channel shown.
  void ChangeToPlayerView();
  // Handed the device's state messages when set.
  std::function<void(TMessage&)> deviceCallback;
  // The run display.
  TPanel *pnlRecPlayDisplay = nullptr, *pnlOffStatus = nullptr;
  TLabel *lblGlobalStatus = nullptr, *lblGlobalProgress = nullptr, *lblGlobalTimeLabel = nullptr,
         *lblChannelName = nullptr, *lblItemStatus = nullptr, *lblStatusLine = nullptr;
  TTimer *timerStatusLabel = nullptr, *timerRunWatch = nullptr;
  // Channels view.
  TPanel* ShapeDragDropTrash = nullptr;
  TTezMMBut *speedMoveChanUp = nullptr, *speedMoveChanDown = nullptr,
            *tezmmRefreshChannels = nullptr;
  TTezMMBut *speedPlayerUp = nullptr, *speedPlayerDown = nullptr;
  // The grid (in its holder), the splitter and the preview, aligned.
  TPanelTile *pnlItemsArea = nullptr, *pnlGridHolder = nullptr;
  TAlignedStringGrid* gridItems = nullptr;
  TMemo* memoPreview = nullptr;
  TLabel* lblDeletedItems = nullptr;
  TSplitterBar* SplitterBar1 = nullptr;
  TPopupMenu* popupListMenu = nullptr;
  TMenuItem *mnuPoplistDelete = nullptr, *mnuPoplistUnDelete = nullptr,
            *mnuPoplistEmptyDeletedList = nullptr, *mnuPoplistItemNormal = nullptr,
            *mnuPoplistItemSubscribe = nullptr, *mnuPoplistItemHold = nullptr,
            *mnuPoplistRecordAgain = nullptr, *mnuPopListEraseStoredFile = nullptr,
            *mnuPoplistItemPlay = nullptr, *mnuPoplistEditDescription = nullptr;
  // Item buttons: move up, move down, delete, hold, subscription, play,
  // stop playing, undelete.
  TTezMMBut *btnMoveUp = nullptr, *btnMoveDown = nullptr, *btnDel = nullptr, *btnHold = nullptr,
            *btnSubscribe = nullptr, *btnPlayItem = nullptr, *btnStopPlay = nullptr,
            *btnUndelete = nullptr;
  // Customize view: where a channel's configuration library shows itself.
  TPanel* Panel3 = nullptr;

  // Run session state.
  uint8_t stopRequested = 0;
  DWORD startRequestedAt = 0;           // tick of the last start command, 0 none
  UINT pendingSaveReply = 0;            // a save request that came before ready
  LPARAM pendingSaveMode = 0;
  DWORD mailCloseAt = 0;                // when the run's mail inputs close, 0 none
  int modalDepth = 0;                   // nested message loops of dialogs and boxes
  bool reloadPending = false;           // a channel list reload waits for them
                                        // (items are not written back then)
  int pendingReloadMode = -1;           // ... for a save request of this run mode
  bool statesResetPending = false;      // a run's end waits for them to mark its items
  // Last-record fields of the progress display.
  int32_t lastCode = 0, lastItem = -1, lastItemStatus = 0;
  std::string lastChannelText, lastItemText, lastItemProgress, lastMediaText,
      lastChannelStatusText;
  std::string globalStatusText, globalStatusHint, globalProgressText, globalProgressHint;
  std::string errorHintText;
  int statusLineTicks = 0;
  bool statusLineCounting = false, wasWorking = false;
  // Channel buttons.
  TTezMMBut* channelButtons[21] = {};
  TTezMMBut* inactiveButtons[21] = {};
  int channelButtonCount = 0, inactiveButtonCount = 0;
  std::string currentChannelName, savedChannelName, customSelectedName;
  bool savedChannelValid = false;
  int customSelected = 0;
  // Items grid.
  bool itemsEnabled = false, itemButtonsBuilt = false, multiSelect = false, shiftDown = false,
       ctrlDown = false, leftButtonDown = false, dragging = false, rightClicked = false,
       editingDescription = false;
  int lastClickRow = 1, lastClickCol = 6, mouseDownX = 0, mouseDownY = 0, editRow = 0;

  // Run session.
  void SendMsgToControl(UINT msgToSend, WPARAM wParam, bool askToStart);
  void SaveRecordChannels();
  void SavePlayItem();
  bool CheckFreeSpace();
  // The low disk space and stored size notices of the start; false when
  // the free space cannot be measured, which ends the start there.
  bool ShowStartupNotices();
  void speedRecordNowClick(TObject* sender);
  void speedPlayNowClick(TObject* sender);
  void speedItemPlayNowClick(TObject* sender);
  void speedRecordStopClick(TObject* sender);
  void speedPlayStopClick(TObject* sender);
  void speedItemPlayStopClick(TObject* sender);
  bool RecorderTypeIsWorking(int requiredType) const;
  void popmnuAutomaticRecClick(TObject* sender);
  // Progress display.
  void DisplayLabels(const MailMessage& record);
  int ParseRecorderRecord(const MailMessage& record);
  void ShowRecordLabels(int channel);
  void DisplayRecordPlayState();
  void DisplayRecorderState();
  void DisplayRecordState();
  void ResetRecStatIcons();
  void EnableRecordControls();
  void EnablePlayControls();
  void EnableEditControls();
  void AnimateGifs(bool animateThem);
  void ShowStatusLine(const std::string& text, int seconds);
  void ShowErrorHint();
  int ItemDisplayStatus(const std::string& extension, int status) const;
  // Channel buttons.
  void ClearButtons();
  void MakeChannelButtons(TWinControl* parent, bool clickable);
  void GetChannels(int defaultActiveChannel, TWinControl* parent);
  // The active channels' buttons for display only (options, player pages).
  void DrawChannelsButtons(int defaultActiveChannel, TWinControl* parent);
  void tezmmRefreshChannelsClick(TObject* sender);
  void UpdateButton(TTezMMBut* button, const std::string& listName, bool enabledWhenEmpty,
                    const std::string& textWithItems, const std::string& textWhenEmpty);
  void UpdateSpecialButtons();
  void ListBox1Click(TObject* sender);
  void SaveActiveChannel();
  void RestoreActiveChannel();
  void ChangeToViewChannels();
  int FindChanBut(const std::string& name, TTezMMBut* const* buttons, int last) const;
  int FindChanNum(const std::string& name) const;
  void speedMoveChanClick(int direction);
  void speedCustomizeClick(TObject* sender);
  void FillCustChannels();
  void speedCustSelectedChannel(TObject* sender);
  void speedAddChannelClick(TObject* sender);
  void speedRemoveChannelClick(TObject* sender);
  void speedCustMoveClick(int direction);
  void speedCustOkClick(TObject* sender);
  void CheckActiveChannels();
  void ReloadChannelList(bool markReloading);
  bool ChannelListInUse() const;
  // Items grid.
  void DisplayItems();
  void CreatePositionButtons();
  void SetStateButtons(int state);
  int EntryNum(int row) const;
  void gridItemsClick(TObject* sender);
  void DispItemContents(int item);
  void btnMoveClick(int direction);
  void btnDelClick(TObject* sender);
  void speedUndeleteClick(TObject* sender);
  void mnuPoplistEmptyDeletedListClick(TObject* sender);
  void ItemStateButtonClick(TObject* sender);
  void SetSelectedItemsState(int state);
  void btnEditRecordedState();
  void speedSpecialButtonClick(TObject* sender);
  void popupListMenuPopup(TObject* sender);
  void mnuPoplistEditDescriptionClick(TObject* sender);
  void gridItemsBeforeEdit(int col, int row);
  void gridItemsAfterEdit(int col, int row);
  void gridItemsCancelEdit(int col, int row);
  void gridItemsExit(TObject* sender);
  void gridItemsSelectCell(int col, int row);
  void EndDescriptionEdit();
  // The preview: its text, and its caret kept hidden.
  void ShowPreview(const std::string& text);
  void HidePreviewCaret();
  void OpenDescriptionEditor(int row);
  void RestoreDisplayText(int row);
  int ModalMessageBox(const std::string& text, const std::string& caption, UINT flags);

 private:
  void BuildRunComponents();
  void BuildChannelsView();
  void BuildCustomizeView();
  // The trash shape and its picture take rows dragged from the grid.
  void MakeTrashTarget(TDragControl* target);
  void InstallRunMessages();
  void InitRunImages();
  void OnMainMailQueueMsg(TMessage& msg);
  void mailslotHalvornBinMessageAvail(TObject* sender, const char* data, int len);
  void wmSaveChannels(TMessage& msg);
  void wmRecorderStateChange(TMessage& msg);
  void wmRefreshView(TMessage& msg);
  void timerStatusLabelTimer(TObject* sender);
  void timerRunWatchTimer(TObject* sender);
  void DoPendingReload();
  void OpenRunMail(bool open);
  void DrawItemCell(int col, int row, const RECT& rect);
  void ClearItemSelection();
  std::vector<int> SelectedRows() const;
  void AfterListChange(int row);
  std::string ShortenedName(const std::string& text, int width);
  // ---- end of the run parts

  bool slideNow_ = false;
  bool positionsLaidOut_ = false;  // a view was laid out: its position may be saved
};
