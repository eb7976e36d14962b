// Dial-up library over a permanent connection: Connect (1) reports
// "connecting" and "connected" (or "connected (continued)" when up),
// Connect (0) "disconnected" (or "disconnected (continued)" when down).
// With the pre-disconnect message on, a Connect (0) first reports only
// "pre disconnect", so that the host can send what it must before the line
// goes; the host's next Connect (0) then hangs up.
#include "StandInLink.h"
#include "TezDialerApi.h"

namespace {
enum : int {
  kDisconnected = 0,
  kDisconnectedContinued = 1,
  kConnecting = 3,
  kConnected = 4,
  kConnectedContinued = 5,
  kPreDisconnect = 6,
};
CStandInLink g_link(TEZ_MAIL_DIALER);
int g_connected = 0;
int g_preDisconnectMessage = 0;
int g_preDisconnectSent = 0;

int Start(HWND parent, const char* name, TezMailHook hook, int useMappedMail, int useMailslot,
          const char* indexFile) {
  g_connected = 0;
  g_preDisconnectMessage = g_preDisconnectSent = 0;
  return g_link.Initialize(parent, name, hook, useMappedMail, useMailslot, indexFile);
}
}  // namespace

extern "C" {
TEZ_STAND_IN_INITIALIZE(TezDialer_Initialize, TezDialer_Initialize2, TezDialer_Initialize3, Start)
int TEZAPI TezDialer_Close() {
  g_link.Close();
  return 1;
}
int TEZAPI TezDialer_GetState() { return g_link.IsReady(); }
int TEZAPI TezDialer_Connect(int connect) {
  if (!g_link.IsReady()) return -1;
  if (connect) {
    if (g_connected) {
      g_link.SendEvent(kConnectedContinued);
    } else {
      g_link.SendEvent(kConnecting);
      g_connected = 1;
      g_link.SendEvent(kConnected);
    }
  } else if (g_preDisconnectMessage && !g_preDisconnectSent) {
    g_preDisconnectSent = 1;
    g_link.SendEvent(kPreDisconnect);
    return 1;
  } else {
    g_preDisconnectSent = 0;
    g_link.SendEvent(g_connected ? kDisconnected : kDisconnectedContinued);
    g_connected = 0;
  }
  return 1;
}
void TEZAPI TezDialer_SetPostStatusStrings(int) {}
void TEZAPI TezDialer_SetPreDisconnectMessage(int on) { g_preDisconnectMessage = on; }
int TEZAPI TezDialer_GetConnectionState() { return g_connected ? kConnected : kDisconnected; }
}
