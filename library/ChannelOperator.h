// Wrapper of a channel-operator library (works on a whole channel before
// its items).
#pragma once

#include "DllWrapper.h"
#include "TezChannelOperatorApi.h"
#include "TezDllInitParams.h"

class CChannelOperator : public CDllWrapper {
 public:
  // Reads the identifiers from the record's index file (else
  // TezChannelOperators.inx), loads when asked and initialises once loaded.
  CChannelOperator(const char* path, const CStringList* disabledIds, int load,
                   const CTezDllInitParams* params);
  ~CChannelOperator() override;
  void ResolveExports() override;

  // The library's answer; the wrapper's initialisation result stays 0.
  int Initialize(const CTezDllInitParams* params);
  int Operate(void* channel);
  int Stop();
  int Pause();
  int GetVersion();
  int GetState();
  int GetDialerRequired();

 private:
  TezChannelOperator_Initialize_t m_initialize = nullptr;
  TezChannelOperator_Initialize2_t m_initialize2 = nullptr;
  TezChannelOperator_Initialize3_t m_initialize3 = nullptr;
  TezChannelOperator_Close_t m_close = nullptr;
  TezChannelOperator_Operate_t m_operate = nullptr;
  TezChannelOperator_Stop_t m_stop = nullptr;
  TezChannelOperator_Pause_t m_pause = nullptr;
  TezChannelOperator_GetVersion_t m_getVersion = nullptr;
  TezChannelOperator_GetState_t m_getState = nullptr;
  TezChannelOperator_GetDialerRequired_t m_getDialerRequired = nullptr;
};
