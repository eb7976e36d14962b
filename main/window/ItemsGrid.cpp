// The items grid of the channels view, its item buttons and popup menu,
// and the item commands.
#include <fstream>

#include "Aligrid.h"
#include "Application.h"
#include "MainForm.h"
#include "TezMMBut.h"

namespace {
constexpr int kDeletedLimit = 20;

bool IsSpecialList(int n) { return n >= TChannelList::DeletedList; }

std::string RemoveSubString(const std::string& sub, std::string text) {
  for (size_t at; !sub.empty() && (at = text.find(sub)) != std::string::npos;)
    text.erase(at, sub.size());
  return text;
}

std::string LoadFromFileFiltered(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::string line, out;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += RemoveSubString(".:", RemoveSubString(" :", line)) + "\r\n";
  }
  return out;
}
}  // namespace

int TForm1::EntryNum(int row) const {
  if (row < 1 || row >= gridItems->RowCount()) return -1;
  std::string cell = gridItems->Cells(1, row);
  return cell.empty() ? -1 : StrToIntDef(cell, -1);
}

std::vector<int> TForm1::SelectedRows() const {
  std::vector<int> rows;
  for (int r = 1; r < gridItems->RowCount(); ++r)
    if (gridItems->GetSelectedRow(r)) rows.push_back(r);
  if (rows.empty() && EntryNum(gridItems->Row()) >= 1) rows.push_back(gridItems->Row());
  return rows;
}

void TForm1::ClearItemSelection() {
  gridItems->ClearSelectedRows(false);
  gridItems->InvalidateGrid();
}

std::string TForm1::ShortenedName(const std::string& text, int width) {
  HDC dc = GetDC(gridItems->Handle());
  HGDIOBJ old = SelectObject(dc, gridItems->Font()->Handle());
  auto fits = [dc, width](const std::string& t) {
    SIZE size = {};
    GetTextExtentPoint32A(dc, t.c_str(), static_cast<int>(t.size()), &size);
    return size.cx + 6 <= width;
  };
  std::string result = text;
  if (!fits(text)) {
    size_t slash = text.find_first_of("/\\");
    size_t host = slash == std::string::npos ? slash : text.find_first_not_of("/\\", slash);
    size_t end = host == std::string::npos ? host : text.find_first_of("/\\", host);
    if (end != std::string::npos) {
      std::string head = text.substr(0, end + 1);
      std::string tail;
      for (size_t n = 1; n < text.size() - head.size(); ++n) {
        std::string candidate = text.substr(text.size() - n);
        if (!fits(head + "..." + candidate)) break;
        tail = candidate;
      }
      result = head + "..." + tail;
    }
  }
  SelectObject(dc, old);
  ReleaseDC(gridItems->Handle(), dc);
  return result;
}

void TForm1::DisplayItems() {
  if (!channelList || !gridItems) return;
  int n = currentChannelName == "Deleted"   ? TChannelList::DeletedList
          : currentChannelName == "Pending" ? TChannelList::PendingList
          : currentChannelName == "Rejected"
              ? TChannelList::RejectedList
              : channelList->IndexOfName(currentChannelName);
  currentChannel = n > 0 ? n : 0;
  TContentSection* list = CurrentChannel();
  int count = list ? list->Count() : 0;
  SetStateButtons(1);
  // Hints speak of playing while a play run works, as its pictures do.
  bool playing = (recorderKind == 1 || recorderKind == 2) && RecorderIsRecording();
  if (count > 0) {
    gridItems->SetRowCount(count + 1);
    gridItems->SetFixedRows(1);
    gridItems->SetSelectedCellColor(RGB(0, 128, 128));
    gridItems->SetSelectedFontColor(clWhite);
  } else {
    gridItems->SetRowCount(2);
    gridItems->SetFixedRows(0);
    gridItems->SetSelectedCellColor(clBtnFace);
    gridItems->SetSelectedFontColor(clBtnText);
  }
  // The name takes the client width less the two picture columns and the
  // line the grid draws after each of the seven columns.
  int nameWidth = gridItems->ClientWidth() - 40 - 7 * gridItems->GridLineWidth();
  static const int widths[7] = {0, 0, 0, 0, 20, 20, 0};
  for (int c = 0; c < 7; ++c) gridItems->SetColWidths(c, c == 6 ? nameWidth : widths[c]);
  static const char* const headers[7] = {"", "", "", "", "R", "S", "Name"};
  static const char* const headerHints[7] = {"", "", "", "", "Recording Status",
                                             "Subscription State", "Item Name/Link"};
  for (int c = 0; c < 7; ++c) {
    gridItems->SetCells(c, 0, count > 0 ? headers[c] : "");
    gridItems->SetHintCell(c, 0, count > 0 ? headerHints[c] : "");
  }
  if (count == 0)
    for (int c = 0; c < 7; ++c) gridItems->SetCells(c, 1, "");
  for (int item = 1; item <= count; ++item) {
    int status = ItemDisplayStatus(list->GetExtension(item), list->GetRecordStatus(item));
    int state = list->GetItemStatus(item);
    gridItems->SetCells(1, item, IntToStr(item));
    gridItems->SetCells(2, item, IntToStr(status));
    gridItems->SetCells(3, item, IntToStr(state));
    std::string hint = status == 6   ? list->GetErrorHint(item)
                       : status == 8 ? options.disabledText
                                     : ItemStatusText(status, playing);
    gridItems->SetHintCell(4, item, hint);
    gridItems->SetHintCell(5, item, SubscriptionText(state));
    std::string text = list->GetDisplayText(item);
    gridItems->SetCells(6, item, ShortenedName(text, nameWidth));
    gridItems->SetHintCell(6, item, text);
    bool bold = (state == 1 && (status == 1 || status == 2 || status == 3 || status == 6 ||
                                status == 7)) ||
                state == 2 || state == 3;
    TFont* font = gridItems->GetFontRow(item);
    font->SetStyle(bold ? TFontStyles(fsBold) : TFontStyles());
  }
  if (gridItems->Row() > count && count > 0) {
    gridItems->FocusCell(6, 1);
    gridItemsClick(gridItems);
  }
  gridItems->InvalidateGrid();
}

void TForm1::DrawItemCell(int col, int row, const RECT& rect) {
  if (row < 1 || EntryNum(row) < 1 || (col != 4 && col != 5)) return;
  HBITMAP picture = nullptr;
  if (col == 4) {
    int status = StrToIntDef(gridItems->Cells(2, row), 0);
    if ((status == 2 || status == 3) && recorderState == 0) status = 6;
    if ((status == 2 || status == 3) && recorderState == 4) status = 1;
    bool playRun = (recorderKind == 1 || recorderKind == 2) && RecorderIsRecording();
    if (status >= 2 && status <= 13)
      picture = (playRun ? playStatusImages[status] : recStatusImages[status])->BitmapHandle();
  } else {
    int state = StrToIntDef(gridItems->Cells(3, row), 0);
    if (state >= 2 && state <= 5) picture = itemStatImages[state]->BitmapHandle();
  }
  if (!picture) return;
  BITMAP info = {};
  GetObject(picture, sizeof info, &info);
  HDC dc = gridItems->Canvas()->Handle();
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, picture);
  int x = rect.left + (rect.right - rect.left - info.bmWidth) / 2;
  int y = rect.top + (rect.bottom - rect.top - info.bmHeight) / 2;
  if (gridItems->GetSelectedRow(row))
    TransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, info.bmWidth,
                   info.bmHeight, GetPixel(memory, 0, info.bmHeight - 1));
  else
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void TForm1::CreatePositionButtons() {
  if (!btnPanel) return;
  itemsEnabled = false;
  TContentSection* list = CurrentChannel();
  bool special = IsSpecialList(currentChannel);
  lblDeletedItems->SetVisible(special);
  if (special)
    lblDeletedItems->SetCaption(currentChannel == TChannelList::DeletedList   ? "Deleted Items"
                                : currentChannel == TChannelList::PendingList ? "Pending Items"
                                                                              : "Rejected Items");
  bool hasItems = list && list->Count() > 0;
  bool working = RecorderIsRecording();
  gridItems->SetVisible(hasItems && !working);
  if (!working && hasItems && !special) itemsEnabled = true;
  if (!itemButtonsBuilt) {
    auto make = [this](int kind, int left, const char* hint, std::function<void()> click) {
      TTezMMBut* b = CreatePositionButton(kind, mainLibrary, this, btnPanel, left,
                                          ShapeDragDropTrash->Top(), true, false, hint, 0, 0);
      if (!mainLibrary || !b->PicNormal() || b->PicNormal()->Empty())
        b->SetCaption(kind == 0 ? "Up" : kind == 1 ? "Dn" : kind == 2 ? "X" : kind == 3 ? "U"
                      : kind == 4 ? "H" : kind == 5 ? "S" : kind == 6 ? ">" : "[]");
      static const char* const names[14] = {"btnMoveUp", "btnMoveDown", "btnDel", "",
                                            "btnHold", "btnSubscribe", "btnPlayItem", "", "", "",
                                            "", "", "", "btnStopPlay"};
      b->SetName(names[kind]);
      b->OnClick = [click](TObject*) { click(); };
      return b;
    };
    delete btnMoveUp;
    delete btnMoveDown;
    delete btnDel;
    delete btnHold;
    delete btnSubscribe;
    delete btnPlayItem;
    delete btnStopPlay;
    btnMoveUp = make(0, 0, "Move Item Up", [this] { btnMoveClick(-1); });
    btnMoveDown = make(1, 22, "Move Item Down", [this] { btnMoveClick(1); });
    btnDel = make(2, 142, "Delete Item", [this] { btnDelClick(btnDel); });
    btnHold = make(4, 88, "Mark as Hold", [this] { ItemStateButtonClick(btnHold); });
    btnSubscribe =
        make(5, 110, "Mark as Subscription", [this] { ItemStateButtonClick(btnSubscribe); });
    btnPlayItem = make(6, 55, "Play selected Item", [this] { speedItemPlayNowClick(btnPlayItem); });
    btnStopPlay = make(13, 55, "Stop Playing", [this] { speedItemPlayStopClick(btnStopPlay); });
    itemButtonsBuilt = true;
    Application->ProcessMessages();
  }
  btnMoveUp->SetEnabled(itemsEnabled && !multiSelect);
  btnMoveDown->SetEnabled(itemsEnabled && !multiSelect);
  btnDel->SetEnabled(hasItems && !working);
  btnHold->SetEnabled(itemsEnabled);
  btnSubscribe->SetEnabled(itemsEnabled);
  btnPlayItem->SetEnabled(itemsEnabled && !working);
  mnuPoplistItemNormal->SetEnabled(itemsEnabled);
  mnuPoplistItemSubscribe->SetEnabled(itemsEnabled);
  mnuPoplistItemHold->SetEnabled(itemsEnabled);
  if (currentChannel == TChannelList::DeletedList) {
    if (!btnUndelete) {
      btnUndelete = CreatePositionButton(3, mainLibrary, this, btnPanel, 164,
                                         ShapeDragDropTrash->Top(), true, false, "Undelete Item",
                                         0, 0);
      btnUndelete->SetName("btnUndelete");
      if (!mainLibrary) btnUndelete->SetCaption("U");
      btnUndelete->OnClick = [this](TObject* s) { speedUndeleteClick(s); };
    }
    btnUndelete->SetEnabled(hasItems && !working);
  } else if (btnUndelete) {
    delete btnUndelete;
    btnUndelete = nullptr;
  }
  bool itemPlaying = RecorderTypeIsWorking(2);
  bool playable = options.playItemButAvailable == 1;
  btnPlayItem->SetVisible(playable && !itemPlaying);
  btnStopPlay->SetVisible(playable && itemPlaying);
  btnStopPlay->SetEnabled(true);
  btnPlayItem->SetGroupIndex(3);
  btnStopPlay->SetGroupIndex(3);
  btnPlayItem->SetAllowAllUp(true);
  btnStopPlay->SetAllowAllUp(true);
  if (!itemPlaying) btnPlayItem->SetDown(false);
  SetStateButtons(list && list->Count() > 0 && !special ? list->GetItemStatus(1) : 1);
}

void TForm1::SetStateButtons(int state) {
  if (!btnHold) return;
  btnMoveUp->SetEnabled(itemsEnabled && !multiSelect);
  btnMoveDown->SetEnabled(itemsEnabled && !multiSelect);
  btnHold->SetAllowAllUp(true);
  btnSubscribe->SetAllowAllUp(true);
  if (state == 2) {
    btnSubscribe->SetGroupIndex(1);
    btnSubscribe->SetDown(true);
    btnSubscribe->Hint = "Press to Release Subscription";
    btnHold->SetAllowAllUp(false);
    btnHold->SetDown(false);
    btnHold->Hint = "Mark as Hold";
  } else if (state == 3) {
    btnHold->SetGroupIndex(1);
    btnHold->SetDown(true);
    btnHold->Hint = "Press to Release Hold";
    btnSubscribe->SetAllowAllUp(false);
    btnSubscribe->SetDown(false);
    btnSubscribe->Hint = "Mark as Subscription";
  } else {
    btnHold->SetDown(false);
    btnSubscribe->SetDown(false);
    btnHold->SetGroupIndex(0);
    btnSubscribe->SetGroupIndex(0);
    btnHold->Hint = "Mark as Hold";
    btnSubscribe->Hint = "Mark as Subscription";
  }
}

void TForm1::gridItemsClick(TObject*) {
  if (gridItems->RowCount() < 2 || EntryNum(1) < 1) {
    SetStateButtons(1);
    ShowPreview("");
    return;
  }
  int row = gridItems->Row();
  if ((leftButtonDown || dragging || rightClicked) && gridItems->GetSelectedRow(row) &&
      !shiftDown && !ctrlDown)
    return;
  if (shiftDown) {
    multiSelect = true;
    int a = std::min(lastClickRow, row), b = std::max(lastClickRow, row);
    for (int r = a; r <= b; ++r) gridItems->SetSelectedRow(r, true);
  } else if (ctrlDown) {
    multiSelect = true;
    gridItems->SetSelectedRow(row, !gridItems->GetSelectedRow(row));
  } else {
    multiSelect = false;
    gridItems->ClearSelectedRows(false);
    gridItems->SetSelectedRow(row, true);
  }
  gridItems->InvalidateGrid();
  lastClickRow = row;
  lastClickCol = gridItems->Col();
  TContentSection* list = CurrentChannel();
  int item = EntryNum(row);
  if (list && item >= 1 && item <= list->Count()) {
    SetStateButtons(list->GetItemStatus(item));
    DispItemContents(item);
  }
  if (gridItems->Col() != 6) gridItems->FocusCell(6, row);
}

void TForm1::DispItemContents(int item) {
  TContentSection* list = CurrentChannel();
  std::string file;
  if (list) {
    std::string preview = list->GetPreviewFileName(item);
    std::string temp = list->LastTempFile(item);
    std::string local = list->GetLocalFileName(item);
    if (UpperCase(list->GetPreviewFileType(item)) == "TXT" && IsFile(preview))
      file = preview;
    else if (UpperCase(list->GetCurrentExtension(item)) == "TXT" && IsFile(temp))
      file = temp;
    else if (UpperCase(list->GetExtension(item)) == "TXT" && IsFile(local))
      file = local;
  }
  ShowPreview(file.empty() ? std::string() : LoadFromFileFiltered(file));
}

void TForm1::AfterListChange(int row) {
  ShowPreview("");
  multiSelect = false;
  ClearItemSelection();
  DisplayItems();
  TContentSection* list = CurrentChannel();
  int count = list ? list->Count() : 0;
  if (count > 0) {
    int r = row < 1 ? 1 : (row > count ? count : row);
    gridItems->FocusCell(6, r);
    gridItems->SetSelectedRow(r, true);
    lastClickRow = r;
    SetStateButtons(list->GetItemStatus(r));
    DispItemContents(r);
  }
  CreatePositionButtons();
  UpdateSpecialButtons();
}

void TForm1::btnMoveClick(int direction) {
  TContentSection* list = CurrentChannel();
  if (!list || !itemsEnabled) return;
  int k = EntryNum(gridItems->Row());
  int other = k + direction;
  if (k < 1 || other < 1 || other > list->Count()) return;
  list->Exchange(k, other);
  AfterListChange(other);
}

void TForm1::btnDelClick(TObject*) {
  if (editingDescription) gridItemsCancelEdit(6, editRow);
  EndDescriptionEdit();
  TContentSection* list = CurrentChannel();
  if (!list || RecorderIsRecording() || EntryNum(gridItems->Row()) < 1) return;
  std::vector<int> rows = SelectedRows();
  int row = gridItems->Row();
  if (currentChannel == TChannelList::DeletedList) {
    if (ModalMessageBox("Permanently remove entry from list?", "Brindale",
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
    list = CurrentChannel();
    if (!list) return;
    for (auto r = rows.rbegin(); r != rows.rend(); ++r) list->DeleteItem(EntryNum(*r), true);
  } else {
    TContentSection* deleted = channelList->GetContents(TChannelList::DeletedList);
    if (!deleted) return;
    while (deleted->Count() > kDeletedLimit) deleted->DeleteItem(1, false);
    TStringList lines;
    for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
      int item = EntryNum(*r);
      if (item < 1 || item > list->Count()) continue;
      list->CopyItemTo(item, lines);
      if (deleted->Count() >= TContentSection::MaxItems) deleted->DeleteItem(1, false);
      int added = deleted->AddItem();
      if (!added) continue;
      deleted->SetItemFrom(added, lines);
      deleted->SetOriginalChannel(added, list->GetSection());
      while (deleted->Count() > kDeletedLimit) deleted->DeleteItem(1, false);
      list->DeleteItem(item, false);
    }
    deleted->Save();
  }
  list->Save();
  AfterListChange(row);
}

void TForm1::speedUndeleteClick(TObject*) {
  TContentSection* deleted = CurrentChannel();
  if (currentChannel != TChannelList::DeletedList || !deleted ||
      EntryNum(gridItems->Row()) < 1)
    return;
  std::vector<int> rows = SelectedRows();
  int row = gridItems->Row();
  TStringList lines;
  for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
    int item = EntryNum(*r);
    if (item < 1 || item > deleted->Count()) continue;
    int target = channelList->IndexOfSection(deleted->GetOriginalChannel(item));
    TContentSection* list = target > 0 ? channelList->GetContents(target) : nullptr;
    // An item whose list is gone stays in Deleted.
    if (!list) continue;
    int added = list->AddItem();
    if (!added) continue;
    deleted->CopyItemTo(item, lines);
    list->SetItemFrom(added, lines);
    list->Save();
    deleted->DeleteItem(item, false);
  }
  deleted->Save();
  AfterListChange(row);
}

void TForm1::mnuPoplistEmptyDeletedListClick(TObject*) {
  if (currentChannel != TChannelList::DeletedList) return;
  if (ModalMessageBox("Permanently remove all deleted entries?", "Brindale",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  if (TContentSection* deleted = CurrentChannel()) {
    deleted->DeleteAll();
    deleted->Save();
  }
  AfterListChange(1);
}

void TForm1::ItemStateButtonClick(TObject* sender) {
  TContentSection* list = CurrentChannel();
  int current = EntryNum(gridItems->Row());
  if (!list || !itemsEnabled || current < 1 || current > list->Count()) return;
  int mark = sender == btnHold ? 3 : 2;
  std::vector<int> rows = multiSelect ? SelectedRows() : std::vector<int>{gridItems->Row()};
  int decider = EntryNum(rows.back());
  int state = list->GetItemStatus(decider) == mark ? 1 : mark;
  for (int r : rows) list->SetItemStatus(EntryNum(r), state);
  list->Save();
  int row = gridItems->Row();
  DisplayItems();
  for (int r : rows) gridItems->SetSelectedRow(r, true);
  gridItems->FocusCell(6, row);
  SetStateButtons(state);
}

void TForm1::SetSelectedItemsState(int state) {
  TContentSection* list = CurrentChannel();
  if (!list || IsSpecialList(currentChannel)) return;
  for (int r : SelectedRows()) list->SetItemStatus(EntryNum(r), state);
  list->Save();
  DisplayItems();
  SetStateButtons(state);
}

void TForm1::btnEditRecordedState() {
  gridItems->SetEditorMode(false);
  TContentSection* list = CurrentChannel();
  if (!list) return;
  for (int r : SelectedRows()) {
    list->SetRecStatus(EntryNum(r), 1);
    list->SetErrorHint(EntryNum(r), "");
  }
  list->Save();
  DisplayItems();
}

void TForm1::speedSpecialButtonClick(TObject* sender) {
  TTezMMBut* pressed = dynamic_cast<TTezMMBut*>(sender);
  if (pressed != speedDeleted && pressed != speedPending && pressed != speedRejected) {
    CreatePositionButtons();
    return;
  }
  ShowPreview("");
  currentChannelName = pressed == speedDeleted ? "Deleted"
                       : pressed == speedPending ? "Pending"
                                                 : "Rejected";
  for (TTezMMBut* b : {speedDeleted, speedPending, speedRejected})
    if (b != pressed) b->SetDown(false);
  pressed->SetDown(true);
  currentChannel = pressed == speedDeleted   ? TChannelList::DeletedList
                   : pressed == speedPending ? TChannelList::PendingList
                                             : TChannelList::RejectedList;
  CreatePositionButtons();
  for (int n = 1; n <= 20; ++n)
    if (channelButtons[n]) {
      channelButtons[n]->SetAllowAllUp(true);
      channelButtons[n]->SetDown(false);
    }
  shiftDown = ctrlDown = multiSelect = false;
  ClearItemSelection();
  DisplayItems();
  if (EntryNum(1) >= 1) {
    gridItems->FocusCell(6, 1);
    gridItemsClick(gridItems);
  }
  CreatePositionButtons();
}

void TForm1::popupListMenuPopup(TObject*) {
  mnuPoplistRecordAgain->SetVisible(false);
  mnuPopListEraseStoredFile->SetVisible(false);
  mnuPoplistEditDescription->SetEnabled(false);
  mnuPoplistItemPlay->SetEnabled(false);
  bool deleted = currentChannel == TChannelList::DeletedList;
  mnuPoplistUnDelete->SetVisible(deleted);
  mnuPoplistEmptyDeletedList->SetVisible(deleted);
  TContentSection* list = CurrentChannel();
  int current = EntryNum(gridItems->Row());
  if (!deleted && list && !IsSpecialList(currentChannel) && current >= 1 &&
      current <= list->Count()) {
    for (int r : SelectedRows()) {
      int status = list->GetRecordStatus(EntryNum(r));
      if (status != 1 && status != 10 && status != 13) mnuPoplistRecordAgain->SetVisible(true);
      if ((status == 9 || status == 10 || status == 11) && list->GetPlayStatus(EntryNum(r)) < 1000)
        mnuPopListEraseStoredFile->SetVisible(true);
    }
    int state = list->GetItemStatus(current);
    mnuPoplistItemNormal->SetChecked(state != 2 && state != 3);
    mnuPoplistItemSubscribe->SetChecked(state == 2);
    mnuPoplistItemHold->SetChecked(state == 3);
    mnuPoplistItemPlay->SetEnabled(btnPlayItem && btnPlayItem->Visible() &&
                                   btnPlayItem->Enabled());
  }
  mnuPoplistEditDescription->SetEnabled(!editingDescription && !multiSelect && list &&
                                        EntryNum(gridItems->Row()) >= 1);
  mnuPoplistDelete->SetShortCut(gridItems->EditorMode() ? (static_cast<TShortCut>(VK_DELETE | scCtrl)) : VK_DELETE);
}

// ---- Description editing: only the name column, opened from the popup.

void TForm1::EndDescriptionEdit() {
  gridItems->SetEditorMode(false);
  gridItems->SetOptions(gridItems->Options() & ~goEditing);
  mnuPoplistDelete->SetShortCut(VK_DELETE);
  popupListMenu->AutoPopup = true;
  editingDescription = false;
}

void TForm1::RestoreDisplayText(int row) {
  TContentSection* list = CurrentChannel();
  int item = EntryNum(row);
  if (!list || item < 1 || item > list->Count()) return;
  gridItems->SetCells(6, row, ShortenedName(list->GetDisplayText(item), gridItems->ColWidths(6)));
}

void TForm1::mnuPoplistEditDescriptionClick(TObject*) {
  TContentSection* list = CurrentChannel();
  int row = gridItems->Row();
  int item = EntryNum(row);
  if (!list || item < 1 || item > list->Count() || multiSelect || editingDescription) return;
  popupListMenu->AutoPopup = false;
  gridItems->SetOptions(gridItems->Options() | goEditing);
  mnuPoplistDelete->SetShortCut(static_cast<TShortCut>(VK_DELETE | scCtrl));
  // Opened once the menu has given the focus back to the grid.
  PostMessageA(Handle(), WM_TEZ_GRID_EDIT, static_cast<WPARAM>(row), 0);
}

void TForm1::OpenDescriptionEditor(int row) {
  if (!(gridItems->Options() & goEditing) || EntryNum(row) < 1) return;
  gridItems->FocusCell(6, row);
  gridItems->SetFocus();
  gridItems->SetEditorMode(true);
}

void TForm1::gridItemsBeforeEdit(int, int row) {
  editingDescription = true;
  editRow = row;
  // The editor starts from the whole text, not the shortened one.
  TContentSection* list = CurrentChannel();
  int item = EntryNum(row);
  if (list && item >= 1 && item <= list->Count())
    gridItems->SetCells(6, row, list->GetDisplayText(item));
}

void TForm1::gridItemsAfterEdit(int, int row) {
  bool editing = editingDescription;
  std::string text = gridItems->Cells(6, row);
  EndDescriptionEdit();
  TContentSection* list = CurrentChannel();
  int item = EntryNum(row);
  if (!editing || row != editRow || !list || item < 1 || item > list->Count()) return;
  if (!text.empty() && text != list->GetDisplayText(item)) {
    list->SetDescription(item, text);
    list->Save();
    gridItems->SetHintCell(6, row, text);
  }
  RestoreDisplayText(row);
  gridItems->InvalidateGrid();
}

void TForm1::gridItemsCancelEdit(int, int row) {
  EndDescriptionEdit();
  RestoreDisplayText(row);
  gridItems->InvalidateGrid();
}

void TForm1::gridItemsExit(TObject*) {
  // The focus moves to the grid's own editor too: looked at once it has.
  if (editingDescription) PostMessageA(Handle(), WM_TEZ_GRID_EDIT, 0, 1);
}

void TForm1::gridItemsSelectCell(int, int row) {
  if (!editingDescription && !gridItems->EditorMode()) return;
  int edited = editRow;
  EndDescriptionEdit();
  if (edited != row) RestoreDisplayText(edited);
}

void TForm1::ShowPreview(const std::string& text) {
  memoPreview->Lines()->SetText(text);
  HidePreviewCaret();
}

void TForm1::HidePreviewCaret() {
  if (memoPreview->HandleAllocated()) HideCaret(memoPreview->Handle());
}
