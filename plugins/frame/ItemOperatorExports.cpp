// The item-operator exports that every plug-in library has alike. Each
// library defines PluginFrame() and lists the ones it offers in its .def
// file.
#include "ItemOperatorDlg.h"
#include "ItemOperatorFrame.h"
#include "TezItemOperatorApi.h"

extern "C" {

int TEZAPI TezItemOperator_Initialize(HWND parent, const char* mailslotName, TezMailHook hook) {
  return PluginFrame().Initialize(parent, mailslotName, hook);
}

int TEZAPI TezItemOperator_Close() { return PluginFrame().Close(); }

void TEZAPI TezItemOperator_Operate(CDataItem* item) {
  if (CItemOperatorDlg* dialog = PluginFrame().Dialog()) {
    if (item) dialog->Operate(item);
  }
}

int TEZAPI TezItemOperator_Stop() { return PluginFrame().Stop(); }

void TEZAPI TezItemOperator_Pause() {}

int TEZAPI TezItemOperator_GetVersion() { return PluginFrame().GetVersion(); }

int TEZAPI TezItemOperator_GetState() { return PluginFrame().GetState(); }

int TEZAPI TezItemOperator_GetLinkEnabled() { return PluginFrame().GetLinkEnabled(); }

const char* TEZAPI TezItemOperator_GetOutputType(const char* type) {
  return PluginFrame().GetOutputType(type);
}

int TEZAPI TezItemOperator_Initialize3(HWND parent, const char* mailslotName, TezMailHook hook,
                                       int useMappedMail, int useMailslot,
                                       const char* indexFile) {
  return PluginFrame().Initialize3(parent, mailslotName, hook, useMappedMail, useMailslot,
                                   indexFile);
}

}  // extern "C"
