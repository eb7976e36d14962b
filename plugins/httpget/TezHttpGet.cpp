// TezHttpGet.dll: the item-operator exports of the HTTP fetch plug-in.
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

extern "C" {

int TEZAPI TezItemOperator_Initialize(HWND parent, const char* mailslotName, TezMailHook hook) {
  return g_frame.Initialize(parent, mailslotName, hook);
}

int TEZAPI TezItemOperator_Close() { return g_frame.Close(); }

void TEZAPI TezItemOperator_Operate(CDataItem* item) {
  if (CHttpGetDlg* dialog = g_frame.HttpDialog()) {
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

int TEZAPI TezItemOperator_Initialize3(HWND parent, const char* mailslotName, TezMailHook hook,
                                       int useMappedMail, int useMailslot,
                                       const char* indexFile) {
  return g_frame.Initialize3(parent, mailslotName, hook, useMappedMail, useMailslot, indexFile);
}

int TEZAPI TezItemPlayer_SwitchParent(const CTezDllInitParams* newParams,
                                      CTezDllInitParams* oldParams) {
  return g_frame.SwitchParent(newParams, oldParams);
}

}  // extern "C"
