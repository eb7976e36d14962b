#include "LogOperator.h"

CLogOperator::CLogOperator(const char* path, const CStringList* disabledIds, int load,
                           const CTezDllInitParams* params)
    : CTezItemOperator(path, disabledIds, load, params) {
  if (m_module) ResolveExports();
}

void CLogOperator::ClearExports() {
  CTezItemOperator::ClearExports();
  m_logItem = nullptr;
  m_sendLog = nullptr;
}

void CLogOperator::ResolveExports() {
  CTezItemOperator::ResolveExports();
  Bind(m_logItem, "TezLogOperator_LogItem");
  Bind(m_sendLog, "TezLogOperator_SendLog");
}

int CLogOperator::LogItem(CDataItem* item, const char* text) {
  if (!Ready() || !m_logItem) return 0;
  m_logItem(item, text);
  return 1;
}

int CLogOperator::SendLog() {
  if (!Ready() || !m_sendLog) return 0;
  m_sendLog();
  return 1;
}
