// Wrapper of an item-operator library (fetches or converts an item).
#pragma once

#include "DllWrapper.h"
#include "TezDllInitParams.h"
#include "TezItemOperatorApi.h"

class CTezItemOperator : public CDllWrapper {
 public:
  // Reads the library's identifiers from the record's index file (else
  // TezItemOperators.inx), loads it when asked and, once loaded with a
  // record, initialises it.
  CTezItemOperator(const char* path, const CStringList* disabledIds, int load,
                   const CTezDllInitParams* params);
  ~CTezItemOperator() override;
  void ResolveExports() override;
  virtual void ClearExports();

  // Each call answers 0 (or null) when the library is not loaded or the
  // entry is not bound.
  int Initialize(const CTezDllInitParams* params);
  void Close();
  int Operate(CDataItem* item);
  void Pause();
  int Stop();
  int GetVersion();
  int GetState();
  int GetLink(const char* url, const char* outputFile);
  const char* GetOutputType(const char* type);
  // _GetLinkEnabled2 (value) for a non-zero value when bound, else
  // _GetLinkEnabled ().
  int GetLinkEnabled(int value);
  int SwitchParent(const CTezDllInitParams* newParams, CTezDllInitParams* oldParams);

 protected:
  TezItemOperator_Pause_t m_pause = nullptr;
  TezItemOperator_Initialize_t m_initialize = nullptr;
  TezItemOperator_Initialize2_t m_initialize2 = nullptr;
  TezItemOperator_Initialize3_t m_initialize3 = nullptr;
  TezItemOperator_Close_t m_close = nullptr;
  TezItemOperator_Stop_t m_stop = nullptr;
  TezItemOperator_Operate_t m_operate = nullptr;
  TezItemPlayer_SwitchParent_t m_switchParent = nullptr;
  TezItemOperator_GetVersion_t m_getVersion = nullptr;
  TezItemOperator_GetState_t m_getState = nullptr;
  TezItemOperator_GetLinkEnabled_t m_getLinkEnabled = nullptr;
  TezItemOperator_GetLink_t m_getLink = nullptr;
  TezItemOperator_GetLinkEnabled2_t m_getLinkEnabled2 = nullptr;
  TezItemOperator_GetOutputType_t m_getOutputType = nullptr;
};
