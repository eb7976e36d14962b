// Entries of the item factory library TezItems.dll: item records and the
// wrappers of item operators and item players.
#pragma once

#include "TezApi.h"
#include "TextUtil.h"

class CDataItem;
class CTezDllInitParams;
class CTezItemOperator;
class CTezItemPlayer;

extern "C" {
typedef CDataItem*(TEZAPI* CreateNewItem_t)(const char* type);
typedef CTezItemOperator*(TEZAPI* CreateNewOperator_t)(const char* path,
                                                      const CStringList* disabledIds, int load,
                                                      const CTezDllInitParams* params);
typedef CTezItemPlayer*(TEZAPI* CreateNewPlayer_t)(const char* path,
                                                  const CStringList* disabledIds, int load,
                                                  const CTezDllInitParams* params);
}
