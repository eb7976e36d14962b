#include "TezItemPlayer.h"

CTezItemPlayer::CTezItemPlayer(const char* path, const CStringList* disabledIds, int load,
                               const CTezDllInitParams* params)
    : CDllWrapper(path, "Recorder") {
  ReadIndexAndLoad(params, "TezPlayers.inx", disabledIds, load);
  if (m_loaded && params) Initialize(params);
}

CTezItemPlayer::~CTezItemPlayer() {
  if (m_close) m_close();
}

void CTezItemPlayer::ResolveExports() {
  Bind(m_initialize, "TezItemPlayer_Initialize");
  Bind(m_initialize2, "TezItemPlayer_Initialize2");
  Bind(m_initialize3, "TezItemPlayer_Initialize3");
  Bind(m_close, "TezItemPlayer_Close");
  Bind(m_play, "TezItemPlayer_Play");
  Bind(m_stop, "TezItemPlayer_Stop");
  Bind(m_pause, "TezItemPlayer_Pause");
  Bind(m_switchParent, "TezItemPlayer_SwitchParent");
  Bind(m_getVersion, "TezItemPlayer_GetVersion");
  Bind(m_getState, "TezItemPlayer_GetState");
  Bind(m_getLinkEnabled, "TezItemPlayer_GetLinkEnabled");
  Bind(m_getLinkEnabled2, "TezItemPlayer_GetLinkEnabled2");
  Bind(m_getPlayPosition, "TezItemPlayer_GetPlayPosition");
  Bind(m_getTotalPlayTime, "TezItemPlayer_GetTotalPlayTime");
  Bind(m_getReportInterval, "TezItemPlayer_GetReportInterval");
  Bind(m_setReportInterval, "TezItemPlayer_SetReportInterval");
}

int CTezItemPlayer::Initialize(const CTezDllInitParams* params) {
  if (!Ready()) return 0;
  return m_initResult = InitializeLibrary(params, m_initialize3, m_initialize2, m_initialize);
}

void CTezItemPlayer::Close() {
  if (Ready() && m_close) m_close();
}

int CTezItemPlayer::Play(CDataItem* item) { return Ready() && m_play ? m_play(item) : 0; }

int CTezItemPlayer::Stop() { return Ready() && m_stop ? m_stop() : 0; }

int CTezItemPlayer::Pause() { return Ready() && m_pause ? m_pause() : 0; }

int CTezItemPlayer::GetVersion() { return Ready() && m_getVersion ? m_getVersion() : 0; }

int CTezItemPlayer::GetState() { return Ready() && m_getState ? m_getState() : 0; }

int CTezItemPlayer::GetLinkEnabled(const char* type) {
  if (!Ready()) return 0;
  if (type && *type && m_getLinkEnabled2) return m_getLinkEnabled2(type);
  return m_getLinkEnabled ? m_getLinkEnabled() : 0;
}

int CTezItemPlayer::GetPlayPosition() {
  return Ready() && m_getPlayPosition ? m_getPlayPosition() : 0;
}

int CTezItemPlayer::GetTotalPlayTime() {
  return Ready() && m_getTotalPlayTime ? m_getTotalPlayTime() : 0;
}

int CTezItemPlayer::GetReportInterval() {
  return Ready() && m_getReportInterval ? m_getReportInterval() : 0;
}

int CTezItemPlayer::SetReportInterval(int interval) {
  return Ready() && m_setReportInterval ? m_setReportInterval(interval) : 0;
}

int CTezItemPlayer::SwitchParent(const CTezDllInitParams* newParams,
                                 CTezDllInitParams* oldParams) {
  return m_switchParent ? m_switchParent(newParams, oldParams) : 0;
}
