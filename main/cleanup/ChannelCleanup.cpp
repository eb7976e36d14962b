#include "ChannelCleanup.h"

#include "Screen.h"

namespace {
template <typename T>
T* Place(TForm* form, TWinControl* parent, const char* name, int l, int t, int w, int h) {
  T* c = new T(form);
  c->SetName(name);
  c->SetBounds(l, t, w, h);
  c->SetParent(parent);
  return c;
}

constexpr int kSpecial[] = {TChannelList::DeletedList, TChannelList::RejectedList,
                            TChannelList::PendingList};
}  // namespace

TfrmChannelCleanup::TfrmChannelCleanup(TComponent* owner, TChannelList* list)
    : TForm(owner, "TfrmChannelCleanup"), list_(list) {
  SetName("frmChannelCleanup");
  SetCaption("Brindale Cleanup");
  SetBorderStyle(bsDialog);
  // Twelve rows show; more scroll.
  constexpr int kRows = 12, kRowHeight = 18;
  int listHeight = kRows * kRowHeight + 4;
  SetClientSize(260, 80 + listHeight);
  Label1 = Place<TLabel>(this, this, "Label1", 10, 8, 240, 16);
  Label1->SetCaption("Select the channels you want to delete:");
  ChannelsList = Place<TCheckListBox>(this, this, "ChannelsList", 10, 28, 240, listHeight);
  const char* special[] = {"Deleted Items", "Rejected Items", "Pending Items"};
  for (const char* s : special) ChannelsList->Items()->Add(s);
  for (int n = 1; list && n <= list->Count(); ++n) ChannelsList->Items()->Add(list->GetName(n));
  for (int i = 0; i < 3; ++i) ChannelsList->SetChecked(i, true);
  int top = 38 + listHeight;
  btnOk = Place<TButton>(this, this, "btnOk", 90, top, 75, 25);
  btnOk->SetCaption("OK");
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = Place<TButton>(this, this, "btnCancel", 175, top, 75, 25);
  btnCancel->SetCaption("Cancel");
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  FormCreated();
}

void TfrmChannelCleanup::ApplyChecked() {
  if (!list_) return;
  for (int i = 0; i < ChannelsList->Items()->Count(); ++i) {
    if (!ChannelsList->Checked(i)) continue;
    int n = i < 3 ? kSpecial[i] : i - 2;
    list_->ClearContents(n);
    if (TContentSection* contents = list_->GetContents(n)) {
      try {
        contents->Save();
      } catch (const std::exception&) {
        // Written again with the list when it is freed.
      }
    }
  }
}

void CentreOverOwner(TForm* dialog, TForm* owner) {
  int w = dialog->Width(), h = dialog->Height();
  if (owner && w < owner->Width() && h < owner->Height())
    dialog->SetBounds(owner->Left() + (owner->Width() - w) / 2,
                      owner->Top() + (owner->Height() - h) / 2, w, h);
  else
    dialog->SetBounds((Screen->Width() - w) / 2, (Screen->Height() - h) / 2, w, h);
}

bool RunCleanupDialog(TForm* owner, TChannelList* list, bool runWorking) {
  if (runWorking) return false;
  TfrmChannelCleanup dialog(owner, list);
  CentreOverOwner(&dialog, owner);
  if (dialog.ShowModal() == mrOk) dialog.ApplyChecked();
  if (owner) PostMessageA(owner->Handle(), 0x4DF, 20, 0);  // refresh the view
  return true;
}
