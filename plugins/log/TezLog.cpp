// TezLog.dll: the item-operator and log-operator exports of the item log
// plug-in.
#include "ItemOperatorFrame.h"
#include "LogDlg.h"
#include "TezItemOperatorApi.h"
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

extern "C" {

int TEZAPI TezItemOperator_Initialize(HWND parent, const char* mailslotName, TezMailHook hook) {
  return g_frame.Initialize(parent, mailslotName, hook);
}

int TEZAPI TezItemOperator_Close() { return g_frame.Close(); }

void TEZAPI TezItemOperator_Operate(CDataItem*) {}

int TEZAPI TezItemOperator_Stop() { return g_frame.Stop(); }

void TEZAPI TezItemOperator_Pause() {}

int TEZAPI TezItemOperator_GetVersion() { return g_frame.GetVersion(); }

int TEZAPI TezItemOperator_GetState() { return g_frame.GetState(); }

int TEZAPI TezItemOperator_GetLinkEnabled() { return g_frame.GetLinkEnabled(); }

const char* TEZAPI TezItemOperator_GetOutputType(const char* type) {
  return g_frame.GetOutputType(type);
}

void TEZAPI TezLogOperator_LogItem(CDataItem* item, const char* text) {
  if (CLogDlg* dialog = g_frame.LogDialog()) {
    if (item) dialog->LogItem(item, text);
  }
}

void TEZAPI TezLogOperator_SendLog() {
  if (CLogDlg* dialog = g_frame.LogDialog()) dialog->SendLog();
}

int TEZAPI TezItemOperator_Initialize3(HWND parent, const char* mailslotName, TezMailHook hook,
                                       int useMappedMail, int useMailslot,
                                       const char* indexFile) {
  return g_frame.Initialize3(parent, mailslotName, hook, useMappedMail, useMailslot, indexFile);
}

}  // extern "C"
