// The channel cleanup dialog: the three special lists and every channel,
// in a check list; OK empties the checked ones with their files.
#pragma once

#include <vector>

#include "ChannelList.h"
#include "CheckListBox.h"
#include "Forms.h"
#include "StdCtrls.h"

class TfrmChannelCleanup : public TForm {
 public:
  TfrmChannelCleanup(TComponent* owner, TChannelList* list);

  // Empties the checked lists (the channels themselves stay).
  void ApplyChecked();

  TLabel* Label1;
  TCheckListBox* ChannelsList;  // Deleted, Rejected, Pending, then the channels
  TButton* btnOk;
  TButton* btnCancel;

 private:
  TChannelList* list_;
};

// Places dialog over owner, centred, when it is smaller than owner both
// ways; else centred on the screen.
void CentreOverOwner(TForm* dialog, TForm* owner);

// Shows the dialog over owner (centred on it when it fits, else on the
// screen) and applies it on OK; false when a run is working: the lists
// are not touched then.
bool RunCleanupDialog(TForm* owner, TChannelList* list, bool runWorking);
