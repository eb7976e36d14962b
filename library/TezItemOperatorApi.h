// Entries of an item-operator library (TezItemOperator_*), as its host
// calls them. Plug-ins define them with these types; the wrapper binds them.
#pragma once

#include <windows.h>

#include "TezApi.h"
#include "TezDllInitParams.h"

class CDataItem;

extern "C" {
typedef TezInitialize_t TezItemOperator_Initialize_t;
typedef int(TEZAPI* TezItemOperator_Initialize1_t)(HWND parent,
                                                   const char* mailslotName);
typedef TezInitialize2_t TezItemOperator_Initialize2_t;
typedef TezInitialize3_t TezItemOperator_Initialize3_t;
typedef int(TEZAPI* TezItemOperator_Close_t)();
typedef void(TEZAPI* TezItemOperator_Operate_t)(CDataItem* item);
typedef int(TEZAPI* TezItemOperator_Stop_t)();
typedef void(TEZAPI* TezItemOperator_Pause_t)();
typedef int(TEZAPI* TezItemOperator_GetVersion_t)();
typedef int(TEZAPI* TezItemOperator_GetState_t)();
typedef int(TEZAPI* TezItemOperator_GetLinkEnabled_t)();
typedef int(TEZAPI* TezItemOperator_GetLinkEnabled2_t)(int value);
typedef void(TEZAPI* TezItemOperator_GetLink_t)(const char* url, const char* outputFile);
typedef const char*(TEZAPI* TezItemOperator_GetOutputType_t)(const char* type);
// Shared with the item players: takes a new host-link record, hands back
// the old one when asked.
typedef int(TEZAPI* TezItemPlayer_SwitchParent_t)(const CTezDllInitParams* newParams,
                                                  CTezDllInitParams* oldParams);
}
