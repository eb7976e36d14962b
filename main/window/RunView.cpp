// The components of the run display, the channels view and the Customize
// view, their events and the window messages of a run.
#include "Aligrid.h"
#include "Application.h"
#include "MainForm.h"
#include "MainLinks.h"
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
  const struct {
    TTezMMBut* button;
    const char* hint;
  } runButtons[] = {{speedRecordNow, "Record Now"},
                    {speedRecordStop, "Stop Recording"},
                    {speedPlayNow, "Play Now"},
                    {speedPlayStop, "Stop Playing"}};
  for (const auto& r : runButtons) {
    r.button->Hint = r.hint;
    r.button->ShowHint = true;
  }
  speedRecordStop->SetLeft(speedRecordNow->Left());
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
  // The run display sits above the items.
  const int width = btnPanel->Width() - 8;
  pnlRecPlayDisplay = Place<TPanel>(this, btnPanel, "pnlRecPlayDisplay", 4, 2, width, 67);
  pnlRecPlayDisplay->SetBevelOuter(bvLowered);
  pnlRecPlayDisplay->SetColor(clBlack);
  pnlRecPlayDisplay->SetVisible(false);
  lblGlobalTimeLabel = WhiteLabel(this, pnlRecPlayDisplay, "lblGlobalTimeLabel", 8, 3, 130);
  lblGlobalProgress = WhiteLabel(this, pnlRecPlayDisplay, "lblGlobalProgress", 140, 3, 56);
  lblGlobalStatus = WhiteLabel(this, pnlRecPlayDisplay, "lblGlobalStatus", 198, 3, width - 202);
  lblChannelName = WhiteLabel(this, pnlRecPlayDisplay, "lblChannelName", 8, 24, width - 12);
  lblItemStatus = WhiteLabel(this, pnlRecPlayDisplay, "lblItemStatus", 8, 45, width - 12);
  pnlOffStatus = Place<TPanel>(this, btnPanel, "pnlOffStatus", 4, 2, width, 67);
  pnlOffStatus->SetBevelOuter(bvLowered);
  pnlOffStatus->SetColor(clBlack);  // the run display switched off

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
  auto small = [this](TWinControl* parent, const char* name, const char* hint, int l, int t) {
    TTezMMBut* b = Place<TTezMMBut>(this, parent, name, l, t, 26, 22);
    b->Hint = hint;
    b->ShowHint = true;
    return b;
  };
  for (TTezMMBut* b : {speedDeleted, speedPending, speedRejected}) {
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    b->ShowHint = true;
    b->OnClick = [this](TObject* s) { speedSpecialButtonClick(s); };
  }
  const int bottom = speedCustomize->Top();
  speedMoveChanUp = small(pnlChannels, "speedMoveChanUp", "Move Channel Up", 4, bottom);
  speedMoveChanDown = small(pnlChannels, "speedMoveChanDown", "Move Channel Down", 56, bottom);
  tezmmRefreshChannels =
      small(pnlChannels, "tezmmRefreshChannels", "Refresh Channels", 30, bottom - 28);
  const int playerBottom = speedPlayerCustomize->Top();
  speedPlayerUp = small(pnlPlayerChannels, "speedPlayerUp", "Move Channel Up", 4, playerBottom);
  speedPlayerDown =
      small(pnlPlayerChannels, "speedPlayerDown", "Move Channel Down", 56, playerBottom);
  speedCustomize->Hint = "Customize";
  speedCustomize->ShowHint = true;
  for (TTezMMBut* b : {speedMoveChanUp, speedPlayerUp})
    b->OnClick = [this](TObject*) { speedMoveChanClick(-1); };
  for (TTezMMBut* b : {speedMoveChanDown, speedPlayerDown})
    b->OnClick = [this](TObject*) { speedMoveChanClick(1); };
  tezmmRefreshChannels->OnClick = [this](TObject* s) { tezmmRefreshChannelsClick(s); };
  speedCustomize->OnClick = [this](TObject* s) { speedCustomizeClick(s); };

  // Item buttons, the trash and the list's name in a row below the run
  // display, the grid, the splitter and the preview below them.
  const int w = btnPanel->Width(), top = 71;
  ShapeDragDropTrash = Place<TPanel>(this, btnPanel, "ShapeDragDropTrash", w - 32, top, 26, 22);
  ShapeDragDropTrash->SetBevelOuter(bvNone);
  ShapeDragDropTrash->Hint = "Drop items here to delete them";
  ShapeDragDropTrash->ShowHint = true;
  MakeTrashTarget(ShapeDragDropTrash);
  lblDeletedItems = Place<TLabel>(this, btnPanel, "lblDeletedItems", 200, top + 3, 120, 16);
  lblDeletedItems->SetVisible(false);

  // The grid, the splitter and the preview lie aligned on a panel of their
  // own, as the splitter needs; the grid's holder keeps its place while the
  // grid is hidden. The panel starts on a tile's corner of the panel below
  // it (tiles of 32 pixels from its bevel), so the background runs on.
  const int areaTop = top + 27, memoBottom = btnPanel->Height() - 22;
  pnlItemsArea =
      Place<TPanelTile>(this, btnPanel, "pnlItemsArea", 2, areaTop, w - 4, memoBottom - areaTop);
  pnlGridHolder = Place<TPanelTile>(this, pnlItemsArea, "pnlGridHolder", 0, 0, w - 4, 160);
  for (TPanelTile* p : {pnlItemsArea, pnlGridHolder}) p->SetBevelOuter(bvNone);
  pnlGridHolder->SetAlign(alTop);
  gridItems = Place<TAlignedStringGrid>(this, pnlGridHolder, "gridItems", 0, 0, w - 4, 160);
  gridItems->SetAlign(alClient);
  gridItems->SetColCount(7);
  gridItems->SetFixedCols(0);
  gridItems->SetDefaultRowHeight(18);
  gridItems->SetOptions(goFixedHorzLine | goHorzLine | goThumbTracking);
  gridItems->SetEditable(false);
  gridItems->SetEditCol(6, true);  // the description, once the popup opens the editor
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
      // The rows go with the mouse; the trash takes them (MakeTrashTarget).
      dragging = true;
      gridItems->BeginDrag(true);
    }
  };
  gridItems->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) {
    leftButtonDown = dragging = false;
  };
  gridItems->OnEndDrag = [this](TObject*, TObject*, int, int) {
    leftButtonDown = dragging = false;
  };
  gridItems->OnKeyDown = [this](TObject*, WORD& key, TShiftState shift) {
    shiftDown = (shift & ssShift) != 0;
    ctrlDown = (shift & ssCtrl) != 0;
    if (!shiftDown && !ctrlDown) multiSelect = false;
    // The grid moves its current row after this event; the move then
    // selects the row as a click does.
    if (key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT || key == VK_HOME ||
        key == VK_END)
      PostMessageA(Handle(), WM_TEZ_GRID_KEY_MOVE, 0, 0);
  };
  gridItems->OnKeyPress = [this](TObject*, char& key) {
    if (!(GetKeyState(VK_CONTROL) & 0x8000)) return;
    if (key == 1) {  // Ctrl+A
      multiSelect = true;
      for (int r = 1; r < gridItems->RowCount(); ++r) gridItems->SetSelectedRow(r, true);
      gridItems->InvalidateGrid();
    } else if (key == 3 && !gridItems->EditorMode()) {  // Ctrl+C
      TMainLinks::CopyLinkClick(CurrentChannel(), EntryNum(gridItems->Row()));
    }
  };
  gridItems->OnBeforeEdit = [this](TObject*, int col, int row) { gridItemsBeforeEdit(col, row); };
  gridItems->OnAfterEdit = [this](TObject*, int col, int row) { gridItemsAfterEdit(col, row); };
  gridItems->OnCancelEdit = [this](TObject*, int col, int row) { gridItemsCancelEdit(col, row); };
  gridItems->OnExit = [this](TObject* s) { gridItemsExit(s); };
  gridItems->OnSelectCell = [this](TObject*, int col, int row, bool&) {
    gridItemsSelectCell(col, row);
  };
  gridItems->OnDblClick = [this](TObject*) {
    if (btnPlayItem && btnPlayItem->Visible() && btnPlayItem->Enabled())
      speedItemPlayNowClick(btnPlayItem);
  };

  SplitterBar1 = Place<TSplitterBar>(this, pnlItemsArea, "SplitterBar1", 0, 160, w - 4, 5);
  SplitterBar1->SetAlign(alTop);
  SplitterBar1->SetHeight(5);
  memoPreview = Place<TMemo>(this, pnlItemsArea, "memoPreview", 0, 165, w - 4,
                             pnlItemsArea->Height() - 165);
  memoPreview->SetAlign(alClient);
  memoPreview->ReadOnly = true;
  memoPreview->ScrollBars = ssVertical;
  memoPreview->WordWrap = true;
  memoPreview->SetColor(clWindow);
  // The preview is read, not written: its caret stays hidden.
  memoPreview->OnEnter = [this](TObject*) { HidePreviewCaret(); };
  memoPreview->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) {
    HidePreviewCaret();
  };
  memoPreview->OnClick = [this](TObject*) {
    memoPreview->SetFocus();
    SendMessageA(Handle(), WM_QUERYNEWPALETTE, 0, 0);
    HidePreviewCaret();
  };
  SplitterBar1->SetControlFirst(pnlGridHolder);
  SplitterBar1->SetControlSecond(memoPreview);
  auto restoreHeight = [this] { pnlGridHolder->SetHeight(186); };
  SplitterBar1->OnDblClick = [restoreHeight](TObject*) { restoreHeight(); };
  memoPreview->OnDblClick = [restoreHeight](TObject*) { restoreHeight(); };
  SplitterBar1->OnPosChanged = [this](TObject*) {
    DisplayItems();
  };
  lblStatusLine = Place<TLabel>(this, btnPanel, "lblStatusLine", 4, memoBottom + 2, w - 8, 18);
  lblStatusLine->SetVisible(false);  // shown with a text (ShowStatusLine)

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
    // The item file no longer names the erased files.
    try {
      list->Save();
    } catch (const std::exception&) {
      // Written again when the list is freed.
    }
    DisplayItems();
  });
  mnuPoplistEditDescription = item("mnuPoplistEditDescription", "Edit Des&cription",
                                   [this] { mnuPoplistEditDescriptionClick(gridItems); });
  mnuPoplistItemPlay = item("mnuPoplistItemPlay", "&Play", [this] {
    if (btnPlayItem && btnPlayItem->Visible() && btnPlayItem->Enabled())
      speedItemPlayNowClick(btnPlayItem);
  });
  popupListMenu->OnPopup = [this](TObject* s) { popupListMenuPopup(s); };
  gridItems->SetPopupMenu(popupListMenu);
}

void TForm1::BuildCustomizeView() {
  Panel3 = Place<TPanel>(this, pnlCustomize, "Panel3", 4, 36, pnlCustomize->Width() - 8,
                         pnlCustomize->Height() - 40);
  Panel3->SetBevelOuter(bvLowered);
  const struct {
    TTezMMBut* button;
    const char* hint;
  } hints[] = {{speedAddChannel, "Activate Channel"},
               {speedRemoveChannel, "Deactivate Channel"},
               {speedCustMoveUp, "Move Channel Up"},
               {speedCustMoveDown, "Move Channel Down"},
               {speedCustOk, "Close"},
               {speedCustDown, "Close"}};
  for (const auto& h : hints) {
    h.button->Hint = h.hint;
    h.button->ShowHint = true;
  }
  speedAddChannel->OnClick = [this](TObject* s) { speedAddChannelClick(s); };
  speedRemoveChannel->OnClick = [this](TObject* s) { speedRemoveChannelClick(s); };
  speedCustMoveUp->OnClick = [this](TObject*) { speedCustMoveClick(-1); };
  speedCustMoveDown->OnClick = [this](TObject*) { speedCustMoveClick(1); };
  speedCustOk->OnClick = [this](TObject* s) { speedCustOkClick(s); };
  speedCustDown->OnClick = [this](TObject* s) { speedCustOkClick(s); };
  speedPlayerCustomize->OnClick = [this](TObject* s) { speedCustomizeClick(s); };
}

void TForm1::MakeTrashTarget(TDragControl* target) {
  target->OnDragOver = [this](TObject*, TObject* source, int, int, TDragState, bool& accept) {
    accept = source == gridItems && !RecorderIsRecording();
  };
  target->OnDragDrop = [this](TObject*, TObject*, int, int) { btnDelClick(ShapeDragDropTrash); };
}

// Once the main pictures are there, the item buttons are made with theirs;
// the channel moves and the refresh show the item moves' arrows and the
// circling arrow.
void TForm1::InitRunImages() {
  LoadButtonPictures(mainLibrary, "HALVORN_BMP_UP", speedMoveChanUp);
  LoadButtonPictures(mainLibrary, "HALVORN_BMP_DOWN", speedMoveChanDown);
  LoadButtonPictures(mainLibrary, "HALVORN_BMP_UNDO", tezmmRefreshChannels);
  speedPlayerUp->SetReferenceButton(speedMoveChanUp);
  speedPlayerDown->SetReferenceButton(speedMoveChanDown);
  for (TTezMMBut* b : {speedMoveChanUp, speedMoveChanDown, tezmmRefreshChannels, speedPlayerUp,
                       speedPlayerDown})
    b->FitToPicture();
  // The trash shows the delete button's bin.
  TImage* bin = new TImage(this);
  bin->SetName("imgTrash");
  bin->SetBounds(0, 0, ShapeDragDropTrash->Width(), ShapeDragDropTrash->Height());
  bin->SetParent(ShapeDragDropTrash);
  MakeTrashTarget(bin);
  TBitmap picture;
  picture.LoadFromResourceName(mainLibrary, "HALVORN_BMP_X1_BMP");
  bin->SetBitmap(picture.ReleaseHandle());
  itemButtonsBuilt = false;
  CreatePositionButtons();
}
