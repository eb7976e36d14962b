// Entries a log-operator library adds to the item-operator ones.
#pragma once

#include "TezItemOperatorApi.h"

extern "C" {
typedef void(TEZAPI* TezLogOperator_LogItem_t)(CDataItem* item, const char* text);
typedef void(TEZAPI* TezLogOperator_SendLog_t)();
}
