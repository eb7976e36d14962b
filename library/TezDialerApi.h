// Entries of a dial-up library (TezDialer_*).
#pragma once

#include <windows.h>

#include "TezApi.h"
#include "TezDllInitParams.h"

extern "C" {
typedef TezInitialize_t TezDialer_Initialize_t;
typedef TezInitialize2_t TezDialer_Initialize2_t;
typedef TezInitialize3_t TezDialer_Initialize3_t;
typedef int(TEZAPI* TezDialer_Close_t)();
typedef int(TEZAPI* TezDialer_GetState_t)();
// 1 dials, 0 hangs up; -1 = dialing did not start.
typedef int(TEZAPI* TezDialer_Connect_t)(int connect);
typedef void(TEZAPI* TezDialer_SetPostStatusStrings_t)(int post);
typedef void(TEZAPI* TezDialer_SetPreDisconnectMessage_t)(int send);
typedef int(TEZAPI* TezDialer_GetConnectionState_t)();
}
