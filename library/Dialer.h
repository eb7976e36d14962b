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
  TezDialer_Initialize_t m_initialize;
  TezDialer_Initialize2_t m_initialize2;
  TezDialer_Initialize3_t m_initialize3;
  TezDialer_Close_t m_close;
  TezDialer_GetState_t m_getState;
  TezDialer_Connect_t m_connect;
  TezDialer_SetPostStatusStrings_t m_setPostStatusStrings;
  TezDialer_SetPreDisconnectMessage_t m_setPreDisconnectMessage;
  TezDialer_GetConnectionState_t m_getConnectionState;
};
