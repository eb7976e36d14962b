// The main window of Halvorn: its start-up gates and order, its two views
// (the full window and the basket), the basket's dragging and menu, and
// the pictures it loads from the bitmap libraries.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

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

class TMainLinks;
class TOptionsPages;

// Window messages of the main window.
enum : UINT {
  WM_TEZ_CHANGE_VIEW = 0x464,
  WM_TEZ_REFRESH_VIEW = 0x4DF,
  WM_TEZ_MAIN_STARTED = 0x4E0,
  WM_TEZ_UPDATE_REMINDER = 0x509,
  WM_TEZ_IDLE_FLUSH = 0x7E7,
};

// The caption of the debug viewer that receives WriteDebugWindow texts.
extern const char* const DebugViewerCaption;

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);
  ~TForm1() override;

  void HandleMinimizeEvent(TObject* sender);
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
  // Dropped and pasted links and files.
  std::unique_ptr<TMainLinks> links;
  std::unique_ptr<TOptionsPages> optionsPages;

 private:
  void BuildComponents();
  void BuildBasketMenu();
  void BuildFullView();
  // Shows one page of noteViews.
  void ShowPage(TPanel* page);
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

  bool slideNow_ = false;
  bool positionsLaidOut_ = false;  // a view was laid out: its position may be saved
};
