// Channel operator: each Operate reports start, one status and stop by
// mail; the channel needs a dial-up connection when [TezChannelOp.dll]
// dialerRequired of its index file is 1.
#include "StandInLink.h"
#include "TezChannelOperatorApi.h"

static CStandInLink g_link(TEZ_MAIL_CHANNEL_OPERATOR);
static int g_dialerRequired = 0;

static int Start(HWND parent, const char* name, TezMailHook hook, int useMappedMail,
                 int useMailslot, const char* indexFile) {
  if (!g_link.Initialize(parent, name, hook, useMappedMail, useMailslot, indexFile)) return 0;
  const std::string index = g_link.IndexPath("TezChannelOperators.inx");
  g_dialerRequired =
      g_link.Settings()->GetInt(index.c_str(), "TezChannelOp.dll", "dialerRequired") == 1;
  return 1;
}

extern "C" {
int TEZAPI TezChannelOperator_Initialize(HWND parent, const char* name, TezMailHook hook) {
  return Start(parent, name, hook, 0, 1, nullptr);
}
int TEZAPI TezChannelOperator_Initialize2(HWND parent, const char* name, TezMailHook hook,
                                          int useMappedMail, int useMailslot) {
  return Start(parent, name, hook, useMappedMail, useMailslot, nullptr);
}
int TEZAPI TezChannelOperator_Initialize3(HWND parent, const char* name, TezMailHook hook,
                                          int useMappedMail, int useMailslot,
                                          const char* indexFile) {
  return Start(parent, name, hook, useMappedMail, useMailslot, indexFile);
}
int TEZAPI TezChannelOperator_Close() {
  g_link.Close();
  return 1;
}
int TEZAPI TezChannelOperator_Operate(void*) {
  if (!g_link.IsReady()) return 0;
  g_link.SendEvent(TEZ_EVENT_START);
  const int values[3] = {1, 100, 100};
  g_link.SendStatus(3, values, "Channel ready");
  g_link.SendEvent(TEZ_EVENT_STOP);
  return 1;
}
int TEZAPI TezChannelOperator_Stop() {
  if (!g_link.IsReady()) return 0;
  return 1;
}
int TEZAPI TezChannelOperator_Pause() { return 0; }
int TEZAPI TezChannelOperator_GetVersion() { return g_link.IsReady() ? 100 : 0; }
int TEZAPI TezChannelOperator_GetState() { return g_link.IsReady(); }
int TEZAPI TezChannelOperator_GetDialerRequired() { return g_link.IsReady() && g_dialerRequired; }
}
