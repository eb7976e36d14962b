#include "SyncSocket.h"

#include "Application.h"

int TCustomSyncSocket::WaitUntilReady(const bool& flag, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!flag) {
    if (Application->Terminated()) return kWaitTimedOut;
    if (timeoutMs && GetTickCount() - start >= timeoutMs) return kWaitTimedOut;
    ProcessMessages();
    if (flag) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return 0;
}
