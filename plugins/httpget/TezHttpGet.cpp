// TezHttpGet.dll: the HTTP fetch plug-in's exports beyond the common
// item-operator ones.
#include "HttpGetDlg.h"
#include "ItemOperatorFrame.h"
#include "TezItemOperatorApi.h"

namespace {

class CHttpGetFrame : public CItemOperatorFrame {
 public:
  CHttpGetFrame() : CItemOperatorFrame("TezHttpGet.dll", 280498) {}
  CHttpGetDlg* HttpDialog() const { return static_cast<CHttpGetDlg*>(Dialog()); }

 protected:
  CItemOperatorDlg* NewDialog(HWND parent) override { return new CHttpGetDlg(*this, parent); }
};

CHttpGetFrame g_frame;

}  // namespace

CItemOperatorFrame& PluginFrame() { return g_frame; }

extern "C" {

void TEZAPI TezItemOperator_GetLink(const char* url, const char* outputFile) {
  if (CHttpGetDlg* dialog = g_frame.HttpDialog()) dialog->GetLink(url, outputFile);
}

int TEZAPI TezItemOperator_Initialize1(HWND parent, const char* mailslotName) {
  return g_frame.Initialize1(parent, mailslotName);
}

int TEZAPI TezItemOperator_Initialize2(HWND parent, const char* mailslotName, TezMailHook hook,
                                       int useMappedMail, int useMailslot) {
  return g_frame.Initialize2(parent, mailslotName, hook, useMappedMail, useMailslot);
}

int TEZAPI TezItemPlayer_SwitchParent(const CTezDllInitParams* newParams,
                                      CTezDllInitParams* oldParams) {
  return g_frame.SwitchParent(newParams, oldParams);
}

}  // extern "C"
