// The channel buttons of the channels and Customize views, the special
// list buttons, and the channel commands.
#include "Aligrid.h"
#include "Application.h"
#include "MainForm.h"
#include "TezMMBut.h"

namespace {
TTezMMBut* NewChannelButton(TForm1* form, TWinControl* parent, TChannelList& list, int channel,
                            int n, int top0, const char* namePrefix) {
  TTezMMBut* b = new TTezMMBut(form);
  b->SetName(Format("%s%d", namePrefix, n));
  b->SetBounds(7, top0 + 29 * n, 71, 28);
  b->SetParent(parent);
  b->SetCaption(list.GetSection(channel).substr(0, 5));
  b->Hint = list.GetName(channel);
  b->ShowHint = true;
  b->SetGroupIndex(2);
  b->SetAllowAllUp(true);
  if (TChannelObj* c = list.Channel(channel)) {
    if (c->bitmapLibrary && !c->butBitmap.empty()) {
      try {
        LoadButtonPictures(c->bitmapLibrary, c->butBitmap, b);
      } catch (const EResNotFound&) {
        // A channel's own library without its pictures: the caption shows.
        for (TBitmap* p : {b->PicNormal(), b->PicHiLight(), b->PicPushed(), b->PicPushHiLight(),
                           b->PicDisabled()})
          p->Assign(nullptr);
      }
      b->SetBounds(7, top0 + 29 * n, 71, 28);
    }
  }
  return b;
}
}  // namespace

void TForm1::ClearButtons() {
  for (TTezMMBut*& b : channelButtons) {
    delete b;
    b = nullptr;
  }
  for (TTezMMBut*& b : inactiveButtons) {
    delete b;
    b = nullptr;
  }
  channelButtonCount = inactiveButtonCount = 0;
}

void TForm1::ReloadChannelList(bool markReloading) {
  if (channelList && markReloading) channelList->doNotSave = 1;
  channelList.reset();
  channelList = std::make_unique<TChannelList>(options.DataFolderPath(), "TezData.inx");
}

bool TForm1::ChannelListInUse() const {
  // The Customize, options and player pages hold a channel's libraries or
  // buttons; a dialog's message loop runs above code that holds the list's
  // items.
  TPanel* page = ShownPage();
  return modalDepth > 0 || page == ViewCustomize || page == ViewOptions || page == ViewPlayer;
}

void TForm1::MakeChannelButtons(TWinControl* parent, bool clickable) {
  ClearButtons();
  if (!channelList) return;
  for (int i = 1; i <= channelList->Count() && channelButtonCount < 20; ++i) {
    if (channelList->GetActive(i) != 1) continue;
    TTezMMBut* b = NewChannelButton(this, parent, *channelList, i, ++channelButtonCount, 7,
                                    "chanBut");
    if (clickable)
      b->OnClick = [this](TObject* s) { ListBox1Click(s); };
    else
      b->SetEnabled(false);
    channelButtons[channelButtonCount] = b;
  }
}

void TForm1::DrawChannelsButtons(int defaultActiveChannel, TWinControl* parent) {
  MakeChannelButtons(parent, false);
  int pick = defaultActiveChannel >= 1 && defaultActiveChannel <= channelButtonCount
                 ? defaultActiveChannel
                 : (channelButtonCount > 0 ? 1 : 0);
  if (pick) channelButtons[pick]->SetDown(true);
}

void TForm1::GetChannels(int defaultActiveChannel, TWinControl* parent) {
  MakeChannelButtons(parent, true);
  if (!channelList) return;
  UpdateSpecialButtons();
  int pick = defaultActiveChannel >= 1 && defaultActiveChannel <= channelButtonCount
                 ? defaultActiveChannel
                 : (channelButtonCount > 0 ? 1 : 0);
  if (pick) {
    ListBox1Click(channelButtons[pick]);
    channelButtons[pick]->SetDown(true);
  } else {
    CreatePositionButtons();
  }
}

void TForm1::UpdateButton(TTezMMBut* button, const std::string& listName, bool enabledWhenEmpty,
                          const std::string& textWithItems, const std::string& textWhenEmpty) {
  button->SetCaption("");
  button->SetAllowAllUp(true);
  int list = listName == "Deleted"   ? TChannelList::DeletedList
             : listName == "Pending" ? TChannelList::PendingList
                                     : TChannelList::RejectedList;
  TContentSection* contents = channelList ? channelList->GetContents(list) : nullptr;
  int n = contents ? contents->Count() : 0;
  if (n > 0) {
    button->Hint = Format(textWithItems.c_str(), n);
    button->SetEnabled(true);
  } else {
    button->Hint = textWhenEmpty;
    button->SetEnabled(enabledWhenEmpty);
  }
  button->Invalidate();
}

void TForm1::UpdateSpecialButtons() {
  UpdateButton(speedDeleted, "Deleted", true, "%d Deleted Items\rClick to view Deleted Items",
               "No Deleted Items");
  UpdateButton(speedPending, "Pending", false, "%d Pending Items", "No Pending Items");
  UpdateButton(speedRejected, "Rejected", false, "%d Rejected Items", "No Rejected Items");
}

void TForm1::ListBox1Click(TObject* sender) {
  TTezMMBut* button = dynamic_cast<TTezMMBut*>(sender);
  if (!button) return;
  gridItems->SetOptions(gridItems->Options() & ~goEditing);
  for (int n = 1; n <= 20; ++n)
    if (channelButtons[n]) channelButtons[n]->SetAllowAllUp(false);
  for (TTezMMBut* b : {speedDeleted, speedPending, speedRejected}) {
    b->SetAllowAllUp(true);
    b->SetDown(false);
  }
  currentChannelName = button->Hint;
  ShowPreview("");
  ClearItemSelection();
  DisplayItems();
  if (gridItems->RowCount() > 1) {
    gridItems->FocusCell(6, 1);
    gridItemsClick(gridItems);
  }
  CreatePositionButtons();
}

void TForm1::SaveActiveChannel() {
  savedChannelName = currentChannelName;
  savedChannelValid = true;
}

void TForm1::RestoreActiveChannel() {
  if (!savedChannelValid) return;
  savedChannelValid = false;
  int slot = FindChanBut(savedChannelName, channelButtons, 20);
  if (slot >= 1 && recorderKind != 2) {
    ListBox1Click(channelButtons[slot]);
    channelButtons[slot]->SetDown(true);
  }
}

void TForm1::ChangeToViewChannels() {
  if (ShownPage() == ViewChannels) return;
  speedView->SetDown(true);
  ShowPage(ViewChannels);
  Application->ProcessMessages();
  deviceCallback = nullptr;  // the player page's
  if (reloadPending) DoPendingReload();
  GetChannels(1, pnlChannels);
  RestoreActiveChannel();
  speedView->SetDown(true);
}

int TForm1::FindChanBut(const std::string& name, TTezMMBut* const* buttons, int last) const {
  for (int n = 0; n <= last; ++n)
    if (buttons[n] && buttons[n]->Hint == name) return n;
  return -1;
}

int TForm1::FindChanNum(const std::string& name) const {
  if (ShownPage() != ViewChannels && ShownPage() != ViewCustomize) return -1;
  for (int n = 1; n <= 20; ++n)
    if (channelButtons[n] && channelButtons[n]->Hint == name) return n;
  return -1;
}

void TForm1::speedMoveChanClick(int direction) {
  if (!channelList || RecorderIsRecording()) return;
  int k = FindChanNum(currentChannelName);
  int other = k + direction;
  if (k < 1 || other < 1 || other > channelButtonCount) return;
  int a = channelList->IndexOfName(currentChannelName);
  int b = channelList->IndexOfName(channelButtons[other]->Hint);
  if (a < 1 || b < 1) return;
  channelList->Exchange(a, b);
  GetChannels(other, pnlChannels);
}

void TForm1::speedCustomizeClick(TObject*) {
  if (RecorderIsRecording()) return;
  pnlChannels->SetFocus();
  deviceCallback = nullptr;
  SaveActiveChannel();
  ShowPage(ViewCustomize);
  for (TTezMMBut* b : MainButtons()) b->SetEnabled(false);
  for (TTezMMBut* b : {speedAddChannel, speedRemoveChannel, speedCustMoveUp, speedCustMoveDown})
    b->SetEnabled(false);
  FillCustChannels();
}

void TForm1::FillCustChannels() {
  ClearButtons();
  for (int i = 1; i <= channelList->Count(); ++i) {
    TTezMMBut* b;
    if (channelList->GetActive(i) == 1) {
      if (channelButtonCount >= 20) continue;
      b = NewChannelButton(this, pnlActiveChanels, *channelList, i, ++channelButtonCount, 27,
                           "custBut");
      channelButtons[channelButtonCount] = b;
    } else {
      if (inactiveButtonCount >= 20) continue;
      b = NewChannelButton(this, pnlInactiveChannels, *channelList, i, ++inactiveButtonCount,
                           27, "inactBut");
      inactiveButtons[inactiveButtonCount] = b;
    }
    b->OnClick = [this](TObject* s) { speedCustSelectedChannel(s); };
  }
}

void TForm1::speedCustSelectedChannel(TObject* sender) {
  TTezMMBut* button = dynamic_cast<TTezMMBut*>(sender);
  if (!button) return;
  bool mayChange = customSelected == 0 || channelList->CloseConfiguration(customSelected, 4);
  if (mayChange) {
    customSelectedName = button->Hint;
    customSelected = channelList->IndexOfName(customSelectedName);
    channelList->ShowConfiguration(customSelected, Panel3->Handle(), nullptr);
    button->SetDown(true);
  } else if (button->Hint != customSelectedName) {
    button->SetDown(false);
    button->Invalidate();
  }
  for (TTezMMBut* b : {speedAddChannel, speedRemoveChannel, speedCustMoveUp, speedCustMoveDown})
    b->SetEnabled(false);
  if (customSelected < 1) return;
  bool active = channelList->GetActive(customSelected) == 1;
  speedAddChannel->SetEnabled(!active);
  speedRemoveChannel->SetEnabled(active);
  speedCustMoveUp->SetEnabled(active);
  speedCustMoveDown->SetEnabled(active);
  TTezMMBut** others = active ? inactiveButtons : channelButtons;
  TTezMMBut** own = active ? channelButtons : inactiveButtons;
  for (int n = 1; n <= 20; ++n) {
    if (others[n]) {
      others[n]->SetAllowAllUp(true);
      others[n]->SetDown(false);
    }
    if (own[n]) own[n]->SetAllowAllUp(false);
  }
}

namespace {
// Moves channel n to the end of the list by swapping it with each one after it.
void MoveToEnd(TChannelList& list, int n) {
  for (int i = n; i < list.Count(); ++i) list.Exchange(i, i + 1);
}
}  // namespace

void TForm1::speedAddChannelClick(TObject*) {
  if (customSelected < 1) return;
  if (channelList->ActiveCount() >= 5) {
    ModalMessageBox("Maximun Active Channels Reached", "Brindale", MB_OK);
    return;
  }
  std::string name = customSelectedName;
  channelList->CloseConfiguration(customSelected, 4);
  channelList->SetActive(customSelected, 1);
  bool active = channelList->GetActive(customSelected) == 1;
  if (active) MoveToEnd(*channelList, customSelected);
  customSelected = 0;
  FillCustChannels();
  TTezMMBut** buttons = active ? channelButtons : inactiveButtons;
  int slot = FindChanBut(name, buttons, 20);
  if (slot >= 1) speedCustSelectedChannel(buttons[slot]);
}

void TForm1::speedRemoveChannelClick(TObject*) {
  if (customSelected < 1) return;
  if (channelList->ActiveCount() < 2) {
    ModalMessageBox("At least one channel has to be active", "Brindale", MB_OK);
    return;
  }
  std::string name = customSelectedName;
  channelList->CloseConfiguration(customSelected, 4);
  channelList->SetActive(customSelected, 0);
  bool inactive = channelList->GetActive(customSelected) != 1;
  if (inactive) MoveToEnd(*channelList, customSelected);
  customSelected = 0;
  FillCustChannels();
  TTezMMBut** buttons = inactive ? inactiveButtons : channelButtons;
  int slot = FindChanBut(name, buttons, 20);
  if (slot >= 1) speedCustSelectedChannel(buttons[slot]);
}

void TForm1::speedCustMoveClick(int direction) {
  if (customSelected < 1) return;
  int k = FindChanNum(customSelectedName);
  int other = k + direction;
  if (k < 1 || other < 1 || other > channelButtonCount) return;
  int b = channelList->IndexOfName(channelButtons[other]->Hint);
  if (b < 1) return;
  std::string name = customSelectedName;
  channelList->CloseConfiguration(customSelected, 4);
  channelList->Exchange(customSelected, b);
  customSelected = 0;
  FillCustChannels();
  int slot = FindChanBut(name, channelButtons, 20);
  if (slot >= 1) speedCustSelectedChannel(channelButtons[slot]);
}

void TForm1::speedCustOkClick(TObject*) {
  if (customSelected) channelList->CloseConfiguration(customSelected, 4);
  customSelected = 0;
  speedPlayer->SetEnabled(options.playerAvailable == 1);
  for (TTezMMBut* b : {speedView, speedWeb, speedHelp, speedOptions}) b->SetEnabled(true);
  ChangeToViewChannels();
}

void TForm1::tezmmRefreshChannelsClick(TObject*) {
  PostMessageA(Handle(), WM_TEZ_REFRESH_VIEW, 10, 0);
}

void TForm1::wmRefreshView(TMessage& msg) {
  if (!channelList) return;
  if (msg.WParam != 20) {
    if (ChannelListInUse()) {
      reloadPending = true;
    } else {
      ReloadChannelList(msg.WParam == 10);
    }
  }
  DisplayItems();
  CreatePositionButtons();
  UpdateSpecialButtons();
  DisplayRecordPlayState();
}

void TForm1::CheckActiveChannels() {
  if (!channelList) return;
  for (int n = 1; n <= channelList->Count(); ++n)
    channelList->SetActive(n, channelList->GetActive(n));
  if (channelList->ActiveCount() > 0) return;
  int n = channelList->IndexOfSection(channelList->DefaultChannel());
  if (n < 1) return;
  channelList->SetActive(n, 1);
  ShowStatusLine("Note: " + channelList->GetName(n) + " was Activated.", 20);
}
