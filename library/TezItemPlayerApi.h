// Entries of an item-player library (TezItemPlayer_*), as its host calls
// them. TezItemPlayer_SwitchParent_t is shared with the item operators.
#pragma once

#include <windows.h>

#include "TezItemOperatorApi.h"

extern "C" {
typedef TezInitialize_t TezItemPlayer_Initialize_t;
typedef TezInitialize2_t TezItemPlayer_Initialize2_t;
typedef TezInitialize3_t TezItemPlayer_Initialize3_t;
typedef int(TEZAPI* TezItemPlayer_Close_t)();
typedef int(TEZAPI* TezItemPlayer_Play_t)(CDataItem* item);
typedef int(TEZAPI* TezItemPlayer_Stop_t)();
typedef int(TEZAPI* TezItemPlayer_Pause_t)();
typedef int(TEZAPI* TezItemPlayer_GetVersion_t)();
typedef int(TEZAPI* TezItemPlayer_GetState_t)();
typedef int(TEZAPI* TezItemPlayer_GetLinkEnabled_t)();
typedef int(TEZAPI* TezItemPlayer_GetLinkEnabled2_t)(const char* type);
typedef int(TEZAPI* TezItemPlayer_GetPlayPosition_t)();
typedef int(TEZAPI* TezItemPlayer_GetTotalPlayTime_t)();
typedef int(TEZAPI* TezItemPlayer_GetReportInterval_t)();
typedef int(TEZAPI* TezItemPlayer_SetReportInterval_t)(int interval);
}
