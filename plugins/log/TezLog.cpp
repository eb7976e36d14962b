// TezLog.dll: the log-operator exports of the item log plug-in (its
// item-operator exports are the common ones).
#include "ItemOperatorFrame.h"
#include "LogDlg.h"
#include "TezLogOperatorApi.h"

namespace {

class CLogFrame : public CItemOperatorFrame {
 public:
  CLogFrame() : CItemOperatorFrame("TezLog.dll", 20798, MailLink::kByDialog) {}
  CLogDlg* LogDialog() const { return static_cast<CLogDlg*>(Dialog()); }

 protected:
  CItemOperatorDlg* NewDialog(HWND parent) override { return new CLogDlg(*this, parent); }
  UINT StopMessage() const override { return WM_TEZ_LOG_STOP; }
};

CLogFrame g_frame;

}  // namespace

CItemOperatorFrame& PluginFrame() { return g_frame; }

extern "C" {

void TEZAPI TezLogOperator_LogItem(CDataItem* item, const char* text) {
  if (CLogDlg* dialog = g_frame.LogDialog()) {
    if (item) dialog->LogItem(item, text);
  }
}

void TEZAPI TezLogOperator_SendLog() {
  if (CLogDlg* dialog = g_frame.LogDialog()) dialog->SendLog();
}

}  // extern "C"
