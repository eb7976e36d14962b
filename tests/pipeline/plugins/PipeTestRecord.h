// What a test library remembers of the calls its host made; the test reads
// it through PipeTest_Record.
#pragma once

#include <windows.h>

#include "TezApi.h"
#include "TezDllInitParams.h"

struct PipeTestRecord {
  int initVariant;  // 1, 2 or 3: which Initialize entry was called; 0 none
  int initCalls;
  HWND parent;
  char mailslotName[128];
  TezMailHook hook;
  int useMappedMail;
  int useMailslot;
  char indexFile[128];
  int closeCalls;
  void* lastItem;  // item or channel handed to Operate / Play / LogItem
  char lastText[128];
  int lastValue;
};

extern "C" typedef PipeTestRecord*(TEZAPI* PipeTest_Record_t)();
