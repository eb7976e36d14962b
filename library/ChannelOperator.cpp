#include "ChannelOperator.h"

CChannelOperator::CChannelOperator(const char* path, const CStringList* disabledIds, int load,
                                   const CTezDllInitParams* params)
    : CDllWrapper(path, "Recorder") {
  ReadIndexAndLoad(params, "TezChannelOperators.inx", disabledIds, load);
  if (m_loaded && params) Initialize(params);
}

CChannelOperator::~CChannelOperator() {
  if (m_close) m_close();
}

void CChannelOperator::ResolveExports() {
  Bind(m_initialize, "TezChannelOperator_Initialize");
  Bind(m_initialize2, "TezChannelOperator_Initialize2");
  Bind(m_initialize3, "TezChannelOperator_Initialize3");
  Bind(m_close, "TezChannelOperator_Close");
  Bind(m_operate, "TezChannelOperator_Operate");
  Bind(m_stop, "TezChannelOperator_Stop");
  Bind(m_pause, "TezChannelOperator_Pause");
  Bind(m_getVersion, "TezChannelOperator_GetVersion");
  Bind(m_getState, "TezChannelOperator_GetState");
  Bind(m_getDialerRequired, "TezChannelOperator_GetDialerRequired");
}

int CChannelOperator::Initialize(const CTezDllInitParams* params) {
  if (!Ready()) return 0;
  return InitializeLibrary(params, m_initialize3, m_initialize2, m_initialize);
}

int CChannelOperator::Operate(void* channel) {
  return Ready() && m_operate ? m_operate(channel) : 0;
}

int CChannelOperator::Stop() { return Ready() && m_stop ? m_stop() : 0; }

int CChannelOperator::Pause() { return Ready() && m_pause ? m_pause() : 0; }

int CChannelOperator::GetVersion() { return Ready() && m_getVersion ? m_getVersion() : 0; }

int CChannelOperator::GetState() { return Ready() && m_getState ? m_getState() : 0; }

int CChannelOperator::GetDialerRequired() {
  return Ready() && m_getDialerRequired ? m_getDialerRequired() : 0;
}
