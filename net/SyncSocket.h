// Waiting helpers and the published socket component.
#pragma once

#include "LineSocket.h"

class TCustomSyncSocket : public TCustomLineSocket {
 public:
  static constexpr int kWaitTimedOut = 12001;

  explicit TCustomSyncSocket(TComponent* owner) : TCustomLineSocket(owner) {}

  // Handles messages until flag is set: 0 then, kWaitTimedOut when
  // timeoutMs (0 = none) runs out or the application terminates.
  int WaitUntilReady(const bool& flag, DWORD timeoutMs = 0);
};

class TAsyncSocket : public TCustomSyncSocket {
 public:
  explicit TAsyncSocket(TComponent* owner) : TCustomSyncSocket(owner) {}
};
