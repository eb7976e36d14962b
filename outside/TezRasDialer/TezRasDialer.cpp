// Dial-up library over a permanent connection: Connect (1) reports
// "connecting" and "connected" (or "connected (continued)" when up),
// Connect (0) "disconnected" (or "disconnected (continued)" when down).
// With the pre-disconnect message on, a Connect (0) while the line is up
// first reports only "pre disconnect", so that the host can send what it
// must before the line goes; the host's next Connect (0) then hangs up.
#include <cstring>
#include <string>
#include <vector>

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
  kPreDisconnectExternal = 11,
};
CStandInLink g_link(TEZ_MAIL_DIALER);
int g_connected = 0;
int g_preDisconnectMessage = 0;
int g_preDisconnectSent = 0;
int g_preDisconnectTwice = 0;

int Start(HWND parent, const char* name, TezMailHook hook, int useMappedMail, int useMailslot,
          const char* indexFile) {
  g_connected = 0;
  g_preDisconnectMessage = g_preDisconnectSent = 0;
  char dir[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, dir);
  g_preDisconnectTwice = static_cast<int>(GetPrivateProfileIntA(
      "Line", "preDisconnectTwice", 0, (std::string(dir) + "\\TezRasDialer.inx").c_str()));
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
    g_preDisconnectSent = 0;
    if (g_connected) {
      g_link.SendEvent(kConnectedContinued);
    } else {
      g_link.SendEvent(kConnecting);
      g_connected = 1;
      g_link.SendEvent(kConnected);
    }
  } else if (g_connected && g_preDisconnectMessage && !g_preDisconnectSent) {
    g_preDisconnectSent = 1;
    g_link.SendEvent(kPreDisconnect);
    if (g_preDisconnectTwice == 1) g_link.SendEvent(kPreDisconnectExternal);
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
// The dial-up entries: [Entries] names (a comma list) of TezRasDialer.inx in
// the current directory; records of 264 bytes, each a size and a name.
int32_t TEZAPI TezDialer_RasEnumEntries(void*, const char*, void* entries, DWORD* size,
                                        DWORD* count) {
  const DWORD kEntrySize = 264, kBufferTooSmall = 603, kInvalidSize = 632;
  if (!size || !count) return 87;  // ERROR_INVALID_PARAMETER
  char dir[MAX_PATH] = {}, names[1024] = {};
  GetCurrentDirectoryA(MAX_PATH, dir);
  GetPrivateProfileStringA("Entries", "names", "", names, sizeof names,
                           (std::string(dir) + "\\TezRasDialer.inx").c_str());
  std::vector<std::string> list;
  std::string all = names;
  for (size_t start = 0; start < all.size();) {
    size_t comma = all.find(',', start);
    if (comma == std::string::npos) comma = all.size();
    if (comma > start) list.push_back(all.substr(start, comma - start).substr(0, 256));
    start = comma + 1;
  }
  DWORD first = 0;
  if (entries) memcpy(&first, entries, 4);
  if (!entries || first != kEntrySize) return kInvalidSize;
  DWORD needed = static_cast<DWORD>(list.size()) * kEntrySize;
  if (*size < needed) {
    *size = needed;
    return kBufferTooSmall;
  }
  auto* out = static_cast<char*>(entries);
  memset(out, 0, needed);
  for (size_t i = 0; i < list.size(); ++i) {
    memcpy(out + i * kEntrySize, &kEntrySize, 4);
    memcpy(out + i * kEntrySize + 4, list[i].c_str(), list[i].size());
  }
  *size = needed;
  *count = static_cast<DWORD>(list.size());
  return 0;
}

int TEZAPI TezDialer_GetConnectionState() { return g_connected ? kConnected : kDisconnected; }
}
