// Wrapper of the log-operator library: an item operator that also keeps
// the item log and sends it.
#pragma once

#include "TezItemOperator.h"
#include "TezLogOperatorApi.h"

class CLogOperator : public CTezItemOperator {
 public:
  CLogOperator(const char* path, const CStringList* disabledIds, int load,
               const CTezDllInitParams* params);
  void ResolveExports() override;
  void ClearExports() override;

  // 1 when the entry was called.
  int LogItem(CDataItem* item, const char* text);
  int SendLog();

 private:
  TezLogOperator_LogItem_t m_logItem = nullptr;
  TezLogOperator_SendLog_t m_sendLog = nullptr;
};
