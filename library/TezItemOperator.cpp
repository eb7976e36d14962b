#include "TezItemOperator.h"

CTezItemOperator::CTezItemOperator(const char* path, const CStringList* disabledIds, int load,
                                   const CTezDllInitParams* params)
    : CDllWrapper(path, "Recorder") {
  ClearExports();
  ReadIndexAndLoad(params, "TezItemOperators.inx", disabledIds, load);
  if (m_loaded && params) Initialize(params);
}

CTezItemOperator::~CTezItemOperator() {
  if (m_loaded && m_close) m_close();
}

void CTezItemOperator::ClearExports() {
  m_pause = nullptr;
  m_initialize = nullptr;
  m_initialize2 = nullptr;
  m_initialize3 = nullptr;
  m_close = nullptr;
  m_stop = nullptr;
  m_operate = nullptr;
  m_switchParent = nullptr;
  m_getVersion = nullptr;
  m_getState = nullptr;
  m_getLinkEnabled = nullptr;
  m_getLink = nullptr;
  m_getLinkEnabled2 = nullptr;
  m_getOutputType = nullptr;
}

void CTezItemOperator::ResolveExports() {
  Bind(m_pause, "TezItemOperator_Pause");
  Bind(m_initialize, "TezItemOperator_Initialize");
  Bind(m_initialize2, "TezItemOperator_Initialize2");
  Bind(m_initialize3, "TezItemOperator_Initialize3");
  Bind(m_close, "TezItemOperator_Close");
  Bind(m_stop, "TezItemOperator_Stop");
  Bind(m_operate, "TezItemOperator_Operate");
  Bind(m_switchParent, "TezItemPlayer_SwitchParent");
  Bind(m_getVersion, "TezItemOperator_GetVersion");
  Bind(m_getState, "TezItemOperator_GetState");
  Bind(m_getLinkEnabled, "TezItemOperator_GetLinkEnabled");
  Bind(m_getLink, "TezItemOperator_GetLink");
  Bind(m_getLinkEnabled2, "TezItemOperator_GetLinkEnabled2");
  Bind(m_getOutputType, "TezItemOperator_GetOutputType");
}

int CTezItemOperator::Initialize(const CTezDllInitParams* params) {
  if (!Ready()) return 0;
  return m_initResult = InitializeLibrary(params, m_initialize3, m_initialize2, m_initialize);
}

void CTezItemOperator::Close() {
  if (Ready() && m_close) m_close();
}

int CTezItemOperator::Operate(CDataItem* item) {
  if (!Ready() || !m_operate) return 0;
  m_operate(item);
  return 1;
}

void CTezItemOperator::Pause() {
  if (Ready() && m_pause) m_pause();
}

int CTezItemOperator::Stop() { return Ready() && m_stop ? m_stop() : 0; }

int CTezItemOperator::GetVersion() { return Ready() && m_getVersion ? m_getVersion() : 0; }

int CTezItemOperator::GetState() { return Ready() && m_getState ? m_getState() : 0; }

int CTezItemOperator::GetLink(const char* url, const char* outputFile) {
  if (!Ready() || !m_getLink) return 0;
  m_getLink(url, outputFile);
  return 1;
}

const char* CTezItemOperator::GetOutputType(const char* type) {
  return Ready() && m_getOutputType ? m_getOutputType(type) : nullptr;
}

int CTezItemOperator::GetLinkEnabled(int value) {
  if (!Ready()) return 0;
  if (value && m_getLinkEnabled2) return m_getLinkEnabled2(value);
  return m_getLinkEnabled ? m_getLinkEnabled() : 0;
}

int CTezItemOperator::SwitchParent(const CTezDllInitParams* newParams,
                                   CTezDllInitParams* oldParams) {
  return m_switchParent ? m_switchParent(newParams, oldParams) : 0;
}
