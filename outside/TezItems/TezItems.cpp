// Item factory: every type is the plain item record; operators and players
// get the wrapper kind their library needs. The wrappers read their index
// files through this library's own settings wrapper.
#include "DataItem.h"
#include "IniManager.h"
#include "TezItemsApi.h"
#include "WavPlayer.h"

static void NeedSettings() {
  static CIniManager settings("TezIniManager.dll", 1);
}

extern "C" {
CDataItem* TEZAPI CreateNewItem(const char*) { return new CDataItem(); }
CTezItemOperator* TEZAPI CreateNewOperator(const char* path, const CStringList* disabledIds,
                                          int load, const CTezDllInitParams* params) {
  NeedSettings();
  return MakeItemOperator(path, disabledIds, load, params);
}
CTezItemPlayer* TEZAPI CreateNewPlayer(const char* path, const CStringList* disabledIds, int load,
                                      const CTezDllInitParams* params) {
  NeedSettings();
  return MakeItemPlayer(path, disabledIds, load, params);
}
}
