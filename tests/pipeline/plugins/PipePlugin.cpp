// One source for the test libraries; the kind and its entries are chosen by
// PIPE_* definitions so that each library exports only what its .def lists.
#include <cstring>

#include "PipeTestRecord.h"
#include "TezChannelOperatorApi.h"
#include "TezDialerApi.h"
#include "TezItemPlayerApi.h"
#include "TezLogOperatorApi.h"

static PipeTestRecord g_record;
static int g_initialized = 0;

static void CopyTo(char* out, size_t size, const char* text) {
  strncpy(out, text ? text : "(null)", size - 1);
  out[size - 1] = '\0';
}

static int Remember(int variant, HWND parent, const char* name, TezMailHook hook,
                    int useMappedMail, int useMailslot, const char* indexFile) {
  g_record.initVariant = variant;
  ++g_record.initCalls;
  g_record.parent = parent;
  CopyTo(g_record.mailslotName, sizeof g_record.mailslotName, name);
  g_record.hook = hook;
  g_record.useMappedMail = useMappedMail;
  g_record.useMailslot = useMailslot;
  CopyTo(g_record.indexFile, sizeof g_record.indexFile, indexFile);
  g_initialized = 1;
  return PIPE_INIT_RESULT;
}

extern "C" {
PipeTestRecord* TEZAPI PipeTest_Record() { return &g_record; }

#define PIPE_INIT_ENTRIES(Kind)                                                              \
  int TEZAPI Kind##_Initialize(HWND p, const char* n, TezMailHook h) {                       \
    return Remember(1, p, n, h, -1, -1, nullptr);                                            \
  }                                                                                          \
  int TEZAPI Kind##_Initialize2(HWND p, const char* n, TezMailHook h, int m, int s) {        \
    return Remember(2, p, n, h, m, s, nullptr);                                              \
  }                                                                                          \
  int TEZAPI Kind##_Initialize3(HWND p, const char* n, TezMailHook h, int m, int s,          \
                                const char* i) {                                             \
    return Remember(3, p, n, h, m, s, i);                                                    \
  }                                                                                          \
  int TEZAPI Kind##_Close() {                                                                \
    ++g_record.closeCalls;                                                                   \
    return 1;                                                                                \
  }

#ifdef PIPE_OPERATOR
PIPE_INIT_ENTRIES(TezItemOperator)
void TEZAPI TezItemOperator_Operate(CDataItem* item) { g_record.lastItem = item; }
int TEZAPI TezItemOperator_Stop() { return g_initialized; }
void TEZAPI TezItemOperator_Pause() { ++g_record.lastValue; }
int TEZAPI TezItemOperator_GetVersion() { return g_initialized ? 280498 : 0; }
int TEZAPI TezItemOperator_GetState() { return g_initialized; }
int TEZAPI TezItemOperator_GetLinkEnabled() { return PIPE_LINK_ENABLED; }
int TEZAPI TezItemOperator_GetLinkEnabled2(int value) { return 100 + value; }
void TEZAPI TezItemOperator_GetLink(const char* url, const char*) {
  CopyTo(g_record.lastText, sizeof g_record.lastText, url);
}
const char* TEZAPI TezItemOperator_GetOutputType(const char* type) {
#ifdef PIPE_CONVERT_TO
  (void)type;
  return PIPE_CONVERT_TO;
#else
  return type;
#endif
}
int TEZAPI TezItemPlayer_SwitchParent(const CTezDllInitParams* next, CTezDllInitParams* old) {
  if (old) old->m_mailslotName = g_record.mailslotName;
  CopyTo(g_record.mailslotName, sizeof g_record.mailslotName, next->m_mailslotName.c_str());
  return 1;
}
void TEZAPI TezLogOperator_LogItem(CDataItem* item, const char* text) {
  g_record.lastItem = item;
  CopyTo(g_record.lastText, sizeof g_record.lastText, text);
}
void TEZAPI TezLogOperator_SendLog() { ++g_record.lastValue; }
#endif

#ifdef PIPE_PLAYER
PIPE_INIT_ENTRIES(TezItemPlayer)
int TEZAPI TezItemPlayer_Play(CDataItem* item) {
  g_record.lastItem = item;
  return 1;
}
int TEZAPI TezItemPlayer_Stop() { return 1; }
int TEZAPI TezItemPlayer_Pause() { return 1; }
int TEZAPI TezItemPlayer_GetVersion() { return 6101; }
int TEZAPI TezItemPlayer_GetState() { return g_initialized; }
int TEZAPI TezItemPlayer_GetLinkEnabled() { return 0; }
int TEZAPI TezItemPlayer_GetLinkEnabled2(const char* type) {
  return type && strcmp(type, "mms") == 0;
}
int TEZAPI TezItemPlayer_GetPlayPosition() { return 7; }
int TEZAPI TezItemPlayer_GetTotalPlayTime() { return 70; }
int TEZAPI TezItemPlayer_GetReportInterval() { return g_record.lastValue; }
int TEZAPI TezItemPlayer_SetReportInterval(int interval) {
  g_record.lastValue = interval;
  return 1;
}
#endif

#ifdef PIPE_CHANNEL_DIALER
PIPE_INIT_ENTRIES(TezChannelOperator)
int TEZAPI TezChannelOperator_Operate(void* channel) {
  g_record.lastItem = channel;
  return 1;
}
int TEZAPI TezChannelOperator_GetDialerRequired() { return 1; }
int TEZAPI TezDialer_Initialize(HWND p, const char* n, TezMailHook h) {
  return Remember(1, p, n, h, -1, -1, nullptr);
}
int TEZAPI TezDialer_Connect(int connect) { return connect ? 1 : -1; }
int TEZAPI TezDialer_GetState() { return g_initialized; }
void TEZAPI TezDialer_SetPreDisconnectMessage(int send) { g_record.lastValue = send; }
#endif
}
