#include "Dialer.h"

CDialer::CDialer(const char* path, const CStringList* disabledIds, int load,
                 const CTezDllInitParams* params)
    : CDllWrapper(path, "Recorder") {
  ReadIndexAndLoad(params, nullptr, disabledIds, load);
  if (m_loaded && params) Initialize(params);
}

CDialer::~CDialer() {
  if (m_close) m_close();
}

void CDialer::ResolveExports() {
  Bind(m_initialize, "TezDialer_Initialize");
  Bind(m_initialize2, "TezDialer_Initialize2");
  Bind(m_initialize3, "TezDialer_Initialize3");
  Bind(m_close, "TezDialer_Close");
  Bind(m_getState, "TezDialer_GetState");
  Bind(m_connect, "TezDialer_Connect");
  Bind(m_setPostStatusStrings, "TezDialer_SetPostStatusStrings");
  Bind(m_setPreDisconnectMessage, "TezDialer_SetPreDisconnectMessage");
  Bind(m_getConnectionState, "TezDialer_GetConnectionState");
}

int CDialer::Initialize(const CTezDllInitParams* params) {
  if (!Ready()) return 0;
  return m_initResult = InitializeLibrary(params, m_initialize3, m_initialize2, m_initialize);
}

int CDialer::GetState() { return Ready() && m_getState ? m_getState() : 0; }

int CDialer::Connect(int connect) { return Ready() && m_connect ? m_connect(connect) : 0; }

int CDialer::SetPostStatusStrings(int post) {
  if (!Ready() || !m_setPostStatusStrings) return 0;
  m_setPostStatusStrings(post);
  return 1;
}

int CDialer::SetPreDisconnectMessage(int send) {
  if (!Ready() || !m_setPreDisconnectMessage) return 0;
  m_setPreDisconnectMessage(send);
  return 1;
}

int CDialer::GetConnectionState() {
  return Ready() && m_getConnectionState ? m_getConnectionState() : 0;
}
