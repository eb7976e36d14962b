// Wrapper of the dial-up library. It reads no index file.
#pragma once

#include "DllWrapper.h"
#include "TezDialerApi.h"
#include "TezDllInitParams.h"

class CDialer : public CDllWrapper {
 public:
  // disabledIds is not read: the dialer has no identifiers.
  CDialer(const char* path, const CStringList* disabledIds, int load,
          const CTezDllInitParams* params);
  ~CDialer() override;
  void ResolveExports() override;

  int Initialize(const CTezDllInitParams* params);
  int GetState();
  // 1 dials, 0 hangs up; -1 from the library: dialing did not start.
  int Connect(int connect);
  int SetPostStatusStrings(int post);
  int SetPreDisconnectMessage(int send);
  int GetConnectionState();

 private:
  TezDialer_Initialize_t m_initialize = nullptr;
  TezDialer_Initialize2_t m_initialize2 = nullptr;
  TezDialer_Initialize3_t m_initialize3 = nullptr;
  TezDialer_Close_t m_close = nullptr;
  TezDialer_GetState_t m_getState = nullptr;
  TezDialer_Connect_t m_connect = nullptr;
  TezDialer_SetPostStatusStrings_t m_setPostStatusStrings = nullptr;
  TezDialer_SetPreDisconnectMessage_t m_setPreDisconnectMessage = nullptr;
  TezDialer_GetConnectionState_t m_getConnectionState = nullptr;
};
