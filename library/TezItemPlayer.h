// Wrapper of an item-player library (plays an item, or takes a link
// itself for the schemes it handles).
#pragma once

#include "DllWrapper.h"
#include "TezDllInitParams.h"
#include "TezItemPlayerApi.h"

class CTezItemPlayer : public CDllWrapper {
 public:
  // Reads the identifiers from the record's index file (else
  // TezPlayers.inx), loads when asked and initialises once loaded.
  CTezItemPlayer(const char* path, const CStringList* disabledIds, int load,
                 const CTezDllInitParams* params);
  ~CTezItemPlayer() override;
  void ResolveExports() override;

  // Each call answers 0 when the library is not loaded or the entry is
  // not bound.
  int Initialize(const CTezDllInitParams* params);
  void Close();
  int Play(CDataItem* item);
  int Stop();
  int Pause();
  int GetVersion();
  int GetState();
  // _GetLinkEnabled2 (type) for a given type when bound, else
  // _GetLinkEnabled ().
  int GetLinkEnabled(const char* type);
  int GetPlayPosition();
  int GetTotalPlayTime();
  int GetReportInterval();
  int SetReportInterval(int interval);
  int SwitchParent(const CTezDllInitParams* newParams, CTezDllInitParams* oldParams);

 protected:
  TezItemPlayer_Initialize_t m_initialize = nullptr;
  TezItemPlayer_Initialize2_t m_initialize2 = nullptr;
  TezItemPlayer_Initialize3_t m_initialize3 = nullptr;
  TezItemPlayer_Close_t m_close = nullptr;
  TezItemPlayer_Play_t m_play = nullptr;
  TezItemPlayer_Stop_t m_stop = nullptr;
  TezItemPlayer_Pause_t m_pause = nullptr;
  TezItemPlayer_SwitchParent_t m_switchParent = nullptr;
  TezItemPlayer_GetVersion_t m_getVersion = nullptr;
  TezItemPlayer_GetState_t m_getState = nullptr;
  TezItemPlayer_GetLinkEnabled_t m_getLinkEnabled = nullptr;
  TezItemPlayer_GetLinkEnabled2_t m_getLinkEnabled2 = nullptr;
  TezItemPlayer_GetPlayPosition_t m_getPlayPosition = nullptr;
  TezItemPlayer_GetTotalPlayTime_t m_getTotalPlayTime = nullptr;
  TezItemPlayer_GetReportInterval_t m_getReportInterval = nullptr;
  TezItemPlayer_SetReportInterval_t m_setReportInterval = nullptr;
};
