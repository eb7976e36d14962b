// Item factory: every type is the plain item record; operators and players
// get the wrapper kind their library needs.
#include "DataItem.h"
#include "TezItemsApi.h"
#include "WavPlayer.h"

extern "C" {
CDataItem* TEZAPI CreateNewItem(const char*) { return new CDataItem(); }
CTezItemOperator* TEZAPI CreateNewOperator(const char* path, const CStringList* disabledIds,
                                          int load, const CTezDllInitParams* params) {
  return MakeItemOperator(path, disabledIds, load, params);
}
CTezItemPlayer* TEZAPI CreateNewPlayer(const char* path, const CStringList* disabledIds, int load,
                                      const CTezDllInitParams* params) {
  return MakeItemPlayer(path, disabledIds, load, params);
}
}
