// The windows of the update check: the progress window of a check that the
// user asked for, the upgrade offer and the notice that the computer is
// offline.
#pragma once

#include <windows.h>

#include "Forms.h"
#include "Gauges.h"
#include "Memo.h"
#include "StdCtrls.h"

// "Brindale Update": a check under way, then its outcome. Cancel (or
// closing it) posts endMessage to the notification window and hides it.
class TfrmUserUpdate : public TForm {
 public:
  TfrmUserUpdate(TComponent* owner, UINT endMessage);
  // Shows it on top of all windows and paints it at once.
  void ShowOnTop();
  // While its Cancel handling runs, which processes messages, the window
  // must not be freed.
  bool Ending() const { return ending_; }
  HWND NotifyWindow = nullptr;

  TLabel* Label1;
  TGauge* Gauge;
  TButton* btnCancel;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void EndCheck();
  UINT endMessage_;
  bool ending_ = false;
};

// "  Brindale Update": what the upgrade offers; modal result 1 "Update",
// 2 "Skip".
class TfrmUpgradeAvailable : public TForm {
 public:
  explicit TfrmUpgradeAvailable(TComponent* owner);

  TLabel* Label1;
  TMemo* memInfo;
  TLabel* Label2;
  TButton* btUpgrade;
  TButton* btSkip;
  TButton* btHelp;
  TCheckBox* chbUpgradeActive;
};

// "  Brindale Update": the computer is offline; modal result 4 "Retry",
// 3 "Abort".
class TfrmDisconnect : public TForm {
 public:
  explicit TfrmDisconnect(TComponent* owner);
  // Modal, brought to the front first.
  int ShowFront();

  TLabel* lblText;
  TButton* btnRetry;
  TButton* btnAbort;
};
