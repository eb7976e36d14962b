// TezFtpGet.dll: the item-operator exports of the FTP fetch plug-in.
#include "FtpGetDlg.h"
#include "ItemOperatorFrame.h"
#include "TezItemOperatorApi.h"

namespace {

class CFtpGetFrame : public CItemOperatorFrame {
 public:
  CFtpGetFrame() : CItemOperatorFrame("TezFtpGet.dll", 280498, MailLink::kByDialog) {}
  CFtpGetDlg* FtpDialog() const { return static_cast<CFtpGetDlg*>(Dialog()); }

 protected:
  CItemOperatorDlg* NewDialog(HWND parent) override { return new CFtpGetDlg(*this, parent); }
};

CFtpGetFrame g_frame;

}  // namespace

extern "C" {

int TEZAPI TezItemOperator_Initialize(HWND parent, const char* mailslotName, TezMailHook hook) {
  return g_frame.Initialize(parent, mailslotName, hook);
}

int TEZAPI TezItemOperator_Close() { return g_frame.Close(); }

void TEZAPI TezItemOperator_Operate(CDataItem* item) {
  if (CFtpGetDlg* dialog = g_frame.FtpDialog()) {
    if (item) dialog->Operate(item);
  }
}

int TEZAPI TezItemOperator_Stop() { return g_frame.Stop(); }

void TEZAPI TezItemOperator_Pause() {}

int TEZAPI TezItemOperator_GetVersion() { return g_frame.GetVersion(); }

int TEZAPI TezItemOperator_GetState() { return g_frame.GetState(); }

int TEZAPI TezItemOperator_GetLinkEnabled() { return g_frame.GetLinkEnabled(); }

const char* TEZAPI TezItemOperator_GetOutputType(const char* type) {
  return g_frame.GetOutputType(type);
}

int TEZAPI TezItemOperator_Initialize3(HWND parent, const char* mailslotName, TezMailHook hook,
                                       int useMappedMail, int useMailslot,
                                       const char* indexFile) {
  return g_frame.Initialize3(parent, mailslotName, hook, useMappedMail, useMailslot, indexFile);
}

}  // extern "C"
