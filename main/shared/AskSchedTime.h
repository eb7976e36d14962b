// The daily recording time dialog: switches automatic recording on or off
// and picks its time of day in quarter hours.
#pragma once

#include <cstdint>

#include "Forms.h"
#include "SavePos.h"
#include "StdCtrls.h"

class TfrmAskSchedTime1 : public TForm {
 public:
  explicit TfrmAskSchedTime1(TComponent* owner);
  // Shows the dialog at the mouse pointer and handles messages until a
  // button is pressed or the dialog is hidden; 1 = OK, 2 = Cancel.
  int Execute();

  int32_t Hour = 0;     // 0..11, 0 = 12 o'clock
  int32_t Minutes = 0;  // 0, 15, 30, 45
  int32_t AmPm = 0;     // 0 AM, 1 PM
  int32_t AutoRec = 0;  // automatic recording on
  int32_t Index = 0;    // entry of the time list, 0..95

  TCheckBox* chkAutoRec;
  TPanel* pnlRetrieveTime;
  TLabel* lblOptionsUpdateTime;
  TComboBox* cmbFullTime;
  TButton* OKBtn;
  TButton* CancelBtn;
  TSavePos* SavePos1;

  // The text of time-list entry i (0..95).
  static std::string TimeEntryText(int i);

 private:
  void FormCreate(TObject* sender);
  void cmbFullTimeClick(TObject* sender);
  void chkAutoRecClick(TObject* sender);
  void ApplyEnabling();
};
