// Entries of a channel-operator library (TezChannelOperator_*). Operate
// takes the host's channel object, whose layout is the host's own.
#pragma once

#include <windows.h>

#include "TezApi.h"
#include "TezDllInitParams.h"

extern "C" {
typedef TezInitialize_t TezChannelOperator_Initialize_t;
typedef TezInitialize2_t TezChannelOperator_Initialize2_t;
typedef TezInitialize3_t TezChannelOperator_Initialize3_t;
typedef int(TEZAPI* TezChannelOperator_Close_t)();
typedef int(TEZAPI* TezChannelOperator_Operate_t)(void* channel);
typedef int(TEZAPI* TezChannelOperator_Stop_t)();
typedef int(TEZAPI* TezChannelOperator_Pause_t)();
typedef int(TEZAPI* TezChannelOperator_GetVersion_t)();
typedef int(TEZAPI* TezChannelOperator_GetState_t)();
typedef int(TEZAPI* TezChannelOperator_GetDialerRequired_t)();
}
