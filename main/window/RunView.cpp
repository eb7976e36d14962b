// The components of the run display, the channels view and the Customize
// view, their events and the window messages of a run.
#include "Aligrid.h"
#include "Application.h"
#include "GIFAnimator.h"
#include "GIFImage.h"
#include "MainForm.h"
#include "SplitterBar.h"
#include "TezMMBut.h"

namespace {
template <typename T>
T* Place(TForm* form, TWinControl* parent, const char* name, int l, int t, int w, int h) {
  T* c = new T(form);
  c->SetName(name);
  c->SetBounds(l, t, w, h);
  c->SetParent(parent);
  return c;
}

TLabel* WhiteLabel(TForm* form, TWinControl* parent, const char* name, int l, int t, int w) {
  TLabel* label = Place<TLabel>(form, parent, name, l, t, w, 16);
  label->SetColor(clBlack);
  label->SetFontColor(clWhite);
  label->ShowHint = true;
  return label;
}
}  // namespace

void TForm1::BuildRunComponents() {
  // Run buttons on the tool bar; the stop buttons take the start buttons'
  // places while their run works.
  auto runButton = [this](const char* name, const char* hint, int left) {
    TTezMMBut* b = Place<TTezMMBut>(this, pnlMenu, name, left, 4, 60, 30);
    b->SetCaption(hint);
    b->Hint = hint;
    b->ShowHint = true;
    return b;
  };
  speedRecordNow = runButton("speedRecordNow", "Record Now", 390);
  speedRecordStop = runButton("speedRecordStop", "Stop Recording", 390);
  speedPlayNow = runButton("speedPlayNow", "Play Now", 390);
  speedPlayStop = runButton("speedPlayStop", "Stop Playing", 390);
  speedRecordStop->SetVisible(false);
  speedPlayStop->SetVisible(false);
  speedRecordNow->OnClick = [this](TObject* s) { speedRecordNowClick(s); };
  speedRecordStop->OnClick = [this](TObject* s) { speedRecordStopClick(s); };
  speedPlayNow->OnClick = [this](TObject* s) { speedPlayNowClick(s); };
  speedPlayStop->OnClick = [this](TObject* s) { speedPlayStopClick(s); };
  mnuRecordNow->OnClick = [this](TObject*) { speedRecordNowClick(speedRecordNow); };
  mnuRecordStop->OnClick = [this](TObject*) { speedRecordStopClick(speedRecordStop); };
  mnuPlayNow->OnClick = [this](TObject* s) { speedPlayNowClick(s); };
  mnuPlayStop->OnClick = [this](TObject*) { speedPlayStopClick(speedPlayStop); };
  popmnuAutomaticRec->OnClick = [this](TObject* s) { popmnuAutomaticRecClick(s); };

  // The run display and, when no run works, the quiet panel over it.
  pnlRecPlayDisplay = Place<TPanel>(this, pnlMenu, "pnlRecPlayDisplay", 4, 2, 380, 67);
  pnlRecPlayDisplay->SetBevelOuter(bvLowered);
  pnlRecPlayDisplay->SetColor(clBlack);
  pnlRecPlayDisplay->SetVisible(false);
  lblGlobalTimeLabel = WhiteLabel(this, pnlRecPlayDisplay, "lblGlobalTimeLabel", 40, 3, 118);
  lblGlobalProgress = WhiteLabel(this, pnlRecPlayDisplay, "lblGlobalProgress", 160, 3, 56);
  lblGlobalStatus = WhiteLabel(this, pnlRecPlayDisplay, "lblGlobalStatus", 218, 3, 158);
  lblChannelName = WhiteLabel(this, pnlRecPlayDisplay, "lblChannelName", 40, 24, 336);
  lblItemStatus = WhiteLabel(this, pnlRecPlayDisplay, "lblItemStatus", 40, 45, 336);
  auto animator = [this](const char* name, int left, int top) {
    TGIFAnimator* a = Place<TGIFAnimator>(this, pnlRecPlayDisplay, name, left, top, 32, 32);
    a->SetVisible(false);
    return a;
  };
  gifanimRecord = animator("gifanimRecord", 4, 4);
  gifanimPlay = animator("gifanimPlay", 4, 4);
  gifAnimDownload = animator("gifAnimDownload", 4, 32);
  gifanimConnect = animator("gifanimConnect", 4, 32);
  pnlOffStatus = Place<TPanel>(this, pnlMenu, "pnlOffStatus", 4, 2, 380, 67);
  pnlOffStatus->SetBevelOuter(bvLowered);

  timerStatusLabel = new TTimer(this);
  timerStatusLabel->SetName("timerStatusLabel");
  timerStatusLabel->SetEnabled(false);
  timerStatusLabel->SetInterval(1000);
  timerStatusLabel->SetOnTimer([this](TObject* s) { timerStatusLabelTimer(s); });
  timerRunWatch = new TTimer(this);
  timerRunWatch->SetName("timerRunWatch");
  timerRunWatch->SetInterval(250);
  timerRunWatch->SetOnTimer([this](TObject* s) { timerRunWatchTimer(s); });

  mailslotHalvorn->OnBinMessageAvail = [this](TObject* s, const char* data, int len) {
    mailslotHalvornBinMessageAvail(s, data, len);
  };
  BuildChannelsView();
  BuildCustomizeView();
  InstallRunMessages();
}

void TForm1::BuildChannelsView() {
  pageChannels = Place<TPanel>(this, pnlViewContents, "ViewChannels", 0, 0, 540, 329);
  pageChannels->SetBevelOuter(bvNone);
  pnlChannels = Place<TPanel>(this, pageChannels, "pnlChannels", 0, 0, 86, 329);
  pnlChannels->SetBevelOuter(bvLowered);
  auto small = [this](TWinControl* parent, const char* name, const char* hint, int l, int t,
                      int w) {
    TTezMMBut* b = Place<TTezMMBut>(this, parent, name, l, t, w, 22);
    b->SetCaption(hint);
    b->Hint = hint;
    b->ShowHint = true;
    return b;
  };
  speedDeleted = small(pnlChannels, "speedDeleted", "Deleted", 4, 190, 24);
  speedPending = small(pnlChannels, "speedPending", "Pending", 31, 190, 24);
  speedRejected = small(pnlChannels, "speedRejected", "Rejected", 58, 190, 24);
  for (TTezMMBut* b : {speedDeleted, speedPending, speedRejected}) {
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    b->OnClick = [this](TObject* s) { speedSpecialButtonClick(s); };
  }
  speedMoveChanUp = small(pnlChannels, "speedMoveChanUp", "Move Channel Up", 4, 216, 37);
  speedMoveChanDown = small(pnlChannels, "speedMoveChanDown", "Move Channel Down", 45, 216, 37);
  speedCustomize = small(pnlChannels, "speedCustomize", "Customize", 4, 242, 78);
  speedMoveChanUp->OnClick = [this](TObject*) { speedMoveChanClick(-1); };
  speedMoveChanDown->OnClick = [this](TObject*) { speedMoveChanClick(1); };
  speedCustomize->OnClick = [this](TObject* s) { speedCustomizeClick(s); };

  btnPanel = Place<TPanel>(this, pageChannels, "btnPanel", 90, 0, 450, 24);
  btnPanel->SetBevelOuter(bvNone);
  ShapeDragDropTrash = Place<TPanel>(this, btnPanel, "ShapeDragDropTrash", 420, 1, 24, 22);
  ShapeDragDropTrash->SetCaption("X");
  ShapeDragDropTrash->Hint = "Drop items here to delete them";
  ShapeDragDropTrash->ShowHint = true;
  lblDeletedItems = Place<TLabel>(this, btnPanel, "lblDeletedItems", 240, 4, 120, 16);
  lblDeletedItems->SetVisible(false);

  gridItems = Place<TAlignedStringGrid>(this, pageChannels, "gridItems", 90, 26, 446, 186);
  gridItems->SetColCount(7);
  gridItems->SetFixedCols(0);
  gridItems->SetDefaultRowHeight(18);
  gridItems->SetOptions(goFixedHorzLine | goHorzLine | goThumbTracking);
  gridItems->SetEditable(false);
  gridItems->SetDrawSpecialSelection(true);  // the marked rows, several at once
  gridItems->ShowCellHints = true;
  gridItems->ShowHint = true;
  gridItems->OnDrawCell = [this](TObject*, int col, int row, const RECT& rect, TGridDrawState) {
    DrawItemCell(col, row, rect);
  };
  gridItems->OnMouseDown = [this](TObject*, TMouseButton button, TShiftState shift, int x,
                                  int y) {
    rightClicked = shiftDown = ctrlDown = false;
    int col = 0, row = 0;
    if (!gridItems->MouseToCell(x, y, col, row) || row < 1) return;
    if (button == mbRight) {
      gridItems->FocusCell(col, row);
      rightClicked = true;
    } else if (button == mbLeft) {
      leftButtonDown = true;
    }
    shiftDown = (shift & ssShift) != 0;
    ctrlDown = (shift & ssCtrl) != 0;
    mouseDownX = x;
    mouseDownY = y;
    gridItemsClick(gridItems);
  };
  gridItems->OnMouseMove = [this](TObject*, TShiftState shift, int x, int y) {
    if (!leftButtonDown || !(shift & ssLeft) || dragging) return;
    if (std::abs(x - mouseDownX) >= 5 || std::abs(y - mouseDownY) >= 5) {
      dragging = true;
      gridItems->SetMouseCapture(true);
    }
  };
  gridItems->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int x, int y) {
    bool wasDragging = dragging;
    leftButtonDown = dragging = false;
    gridItems->SetMouseCapture(false);
    if (!wasDragging || RecorderIsRecording()) return;
    // A row dropped on the trash is deleted.
    POINT p = {x, y};
    ClientToScreen(gridItems->Handle(), &p);
    RECT trash;
    GetWindowRect(ShapeDragDropTrash->Handle(), &trash);
    if (PtInRect(&trash, p)) btnDelClick(ShapeDragDropTrash);
  };
  gridItems->OnKeyDown = [this](TObject*, WORD& key, TShiftState shift) {
    shiftDown = (shift & ssShift) != 0;
    ctrlDown = (shift & ssCtrl) != 0;
    if (!shiftDown && !ctrlDown) multiSelect = false;
    if (key == VK_DELETE && itemsEnabled) btnDelClick(gridItems);
  };
  gridItems->OnKeyPress = [this](TObject*, char& key) {
    if (key == 1 && (GetKeyState(VK_CONTROL) & 0x8000)) {
      multiSelect = true;
      for (int r = 1; r < gridItems->RowCount(); ++r) gridItems->SetSelectedRow(r, true);
      gridItems->InvalidateGrid();
    }
  };
  gridItems->OnDblClick = [this](TObject*) {
    if (btnPlayItem && btnPlayItem->Visible() && btnPlayItem->Enabled())
      speedItemPlayNowClick(btnPlayItem);
  };

  SplitterBar1 = Place<TSplitterBar>(this, pageChannels, "SplitterBar1", 90, 212, 446, 5);
  memoPreview = Place<TLabel>(this, pageChannels, "memoPreview", 90, 217, 446, 72);
  memoPreview->WordWrap = true;
  memoPreview->SetColor(clWindow);
  SplitterBar1->SetControlFirst(gridItems);
  SplitterBar1->SetControlSecond(memoPreview);
  SplitterBar1->OnDblClick = [this](TObject*) {
    gridItems->SetHeight(186);
    SplitterBar1->SetTop(gridItems->Top() + 186);
    memoPreview->SetBounds(memoPreview->Left(), SplitterBar1->Top() + SplitterBar1->Height(),
                           memoPreview->Width(), 289 - SplitterBar1->Top() - SplitterBar1->Height());
  };
  SplitterBar1->OnPosChanged = [this](TObject*) {
    DisplayItems();
  };
  lblStatusLine = Place<TLabel>(this, pageChannels, "lblStatusLine", 90, 290, 446, 18);

  popupListMenu = new TPopupMenu(this);
  popupListMenu->SetName("popupListMenu");
  auto item = [this](const char* name, const char* caption, std::function<void()> click) {
    TMenuItem* m = new TMenuItem(this);
    m->SetName(name);
    m->SetCaption(caption);
    m->OnClick = [click](TObject*) { click(); };
    popupListMenu->Items()->Add(m);
    return m;
  };
  mnuPoplistDelete = item("mnuPoplistDelete", "&Delete", [this] { btnDelClick(gridItems); });
  mnuPoplistDelete->SetShortCut(VK_DELETE);
  mnuPoplistUnDelete =
      item("mnuPoplistUnDelete", "&Undelete", [this] { speedUndeleteClick(gridItems); });
  mnuPoplistEmptyDeletedList = item("mnuPoplistEmptyDeletedList", "&Empty Deleted List",
                                    [this] { mnuPoplistEmptyDeletedListClick(gridItems); });
  mnuPoplistItemNormal =
      item("mnuPoplistItemNormal", "&Normal", [this] { SetSelectedItemsState(1); });
  mnuPoplistItemSubscribe =
      item("mnuPoplistItemSubscribe", "&Subscribe", [this] { SetSelectedItemsState(2); });
  mnuPoplistItemHold = item("mnuPoplistItemHold", "&Hold", [this] { SetSelectedItemsState(3); });
  mnuPoplistRecordAgain =
      item("mnuPoplistRecordAgain", "&Record Again", [this] { btnEditRecordedState(); });
  mnuPopListEraseStoredFile = item("mnuPopListEraseStoredFile", "&Erase Stored File", [this] {
    TContentSection* list = CurrentChannel();
    if (!list) return;
    for (int row : SelectedRows()) list->ClearTempFiles(EntryNum(row), true);
    DisplayItems();
  });
  mnuPoplistItemPlay = item("mnuPoplistItemPlay", "&Play", [this] {
    if (btnPlayItem && btnPlayItem->Visible() && btnPlayItem->Enabled())
      speedItemPlayNowClick(btnPlayItem);
  });
  popupListMenu->OnPopup = [this](TObject* s) { popupListMenuPopup(s); };
  gridItems->SetPopupMenu(popupListMenu);
}

void TForm1::BuildCustomizeView() {
  pageCustomize = Place<TPanel>(this, pnlViewContents, "ViewCustomize", 0, 0, 540, 329);
  pageCustomize->SetBevelOuter(bvNone);
  pageCustomize->SetVisible(false);
  pnlActiveChanels = Place<TPanel>(this, pageCustomize, "pnlActiveChanels", 0, 0, 86, 329);
  pnlActiveChanels->SetBevelOuter(bvLowered);
  pnlInactiveChannels = Place<TPanel>(this, pageCustomize, "pnlInactiveChannels", 130, 0, 86, 329);
  pnlInactiveChannels->SetBevelOuter(bvLowered);
  Panel3 = Place<TPanel>(this, pageCustomize, "Panel3", 222, 0, 318, 329);
  Panel3->SetBevelOuter(bvLowered);
  auto button = [this](const char* name, const char* hint, int t) {
    TTezMMBut* b = Place<TTezMMBut>(this, pageCustomize, name, 92, t, 32, 24);
    b->SetCaption(hint);
    b->Hint = hint;
    b->ShowHint = true;
    return b;
  };
  speedAddChannel = button("speedAddChannel", "<", 60);
  speedRemoveChannel = button("speedRemoveChannel", ">", 90);
  speedCustMoveUp = button("speedCustMoveUp", "Up", 140);
  speedCustMoveDown = button("speedCustMoveDown", "Dn", 170);
  speedCustOk = button("speedCustOk", "OK", 240);
  speedAddChannel->Hint = "Activate Channel";
  speedRemoveChannel->Hint = "Deactivate Channel";
  speedCustMoveUp->Hint = "Move Channel Up";
  speedCustMoveDown->Hint = "Move Channel Down";
  speedCustOk->Hint = "Close";
  speedAddChannel->OnClick = [this](TObject* s) { speedAddChannelClick(s); };
  speedRemoveChannel->OnClick = [this](TObject* s) { speedRemoveChannelClick(s); };
  speedCustMoveUp->OnClick = [this](TObject*) { speedCustMoveClick(-1); };
  speedCustMoveDown->OnClick = [this](TObject*) { speedCustMoveClick(1); };
  speedCustOk->OnClick = [this](TObject* s) { speedCustOkClick(s); };
  pageName_ = "ViewChannels";
}

void TForm1::ShowPage(const std::string& name) {
  pageName_ = name;
  pageChannels->SetVisible(name == "ViewChannels");
  pageCustomize->SetVisible(name == "ViewCustomize");
}

void TForm1::InitRunImages() {
  bool few = ColourDepth() < 16;
  const struct {
    TGIFAnimator* animator;
    const char* name;
  } gifs[] = {{gifanimRecord, "record_anim"},
              {gifanimPlay, "play_anim"},
              {gifAnimDownload, "download_anim"},
              {gifanimConnect, "connect_anim"}};
  for (const auto& g : gifs) {
    std::string file = GetCurrentDir() + "\\" + g.name + (few ? "4.gif" : ".gif");
    if (!FileExists(file)) continue;
    try {
      g.animator->Image()->LoadFromFile(file);
    } catch (const Exception&) {
      // A picture that does not load leaves its animator empty.
    }
  }
  const struct {
    TTezMMBut* button;
    const char* base;
  } pictures[] = {{speedRecordNow, "HALVORN_BMP_RECBUT"},
                  {speedPlayNow, "HALVORN_BMP_PLAYBUT"},
                  {speedRecordStop, "HALVORN_BMP_STOPBUT"},
                  {speedDeleted, "HALVORN_BMP_TRASH"},
                  {speedPending, "HALVORN_BMP_CLOCK"},
                  {speedRejected, "HALVORN_BMP_REJECT"},
                  {speedCustomize, "HALVORN_BMP_CUSTOM"},
                  {speedCustMoveDown, "HALVORN_BMP_CUSTDOWN"},
                  {speedCustMoveUp, "HALVORN_BMP_CUSTUP"},
                  {speedCustOk, "HALVORN_BMP_CLOSE"},
                  {speedAddChannel, "HALVORN_BMP_LEFT"},
                  {speedRemoveChannel, "HALVORN_BMP_RIGHT"}};
  for (const auto& p : pictures) {
    int width = p.button->Width(), height = p.button->Height();
    LoadButtonPictures(mainLibrary, p.base, p.button);
    p.button->SetCaption("");
    p.button->SetBounds(p.button->Left(), p.button->Top(), width, height);
  }
  speedPlayStop->SetReferenceButton(speedRecordStop);
  speedPlayStop->SetCaption("");
  itemButtonsBuilt = false;
  CreatePositionButtons();
}
