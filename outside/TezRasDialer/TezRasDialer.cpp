// Dial-up library over a permanent connection: Connect (1) reports
// "connecting" and "connected" (or "connected (continued)" when up),
// Connect (0) "disconnected" (or "disconnected (continued)" when down).
#include "StandInLink.h"
#include "TezDialerApi.h"

namespace {
enum : int {
  kDisconnected = 0,
  kDisconnectedContinued = 1,
  kConnecting = 3,
  kConnected = 4,
  kConnectedContinued = 5,
};
CStandInLink g_link(TEZ_MAIL_DIALER);
int g_connected = 0;

int Start(HWND parent, const char* name, TezMailHook hook, int useMappedMail, int useMailslot,
          const char* indexFile) {
  g_connected = 0;
  return g_link.Initialize(parent, name, hook, useMappedMail, useMailslot, indexFile);
}
}  // namespace

extern "C" {
int TEZAPI TezDialer_Initialize(HWND parent, const char* name, TezMailHook hook) {
  return Start(parent, name, hook, 0, 1, nullptr);
}
int TEZAPI TezDialer_Initialize2(HWND parent, const char* name, TezMailHook hook,
                                 int useMappedMail, int useMailslot) {
  return Start(parent, name, hook, useMappedMail, useMailslot, nullptr);
}
int TEZAPI TezDialer_Initialize3(HWND parent, const char* name, TezMailHook hook,
                                 int useMappedMail, int useMailslot, const char* indexFile) {
  return Start(parent, name, hook, useMappedMail, useMailslot, indexFile);
}
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
  } else {
    g_link.SendEvent(g_connected ? kDisconnected : kDisconnectedContinued);
    g_connected = 0;
  }
  return 1;
}
void TEZAPI TezDialer_SetPostStatusStrings(int) {}
void TEZAPI TezDialer_SetPreDisconnectMessage(int) {}
int TEZAPI TezDialer_GetConnectionState() { return g_connected ? kConnected : kDisconnected; }
}
