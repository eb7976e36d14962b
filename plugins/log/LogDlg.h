// The status dialog of TezLog: appends items' log lines to the log
// document and posts the document to the log receiver through the HTTP
// control; a document that went out is moved into the archive.
#pragma once

#include <string>

#include "HttpControl.h"
#include "ItemOperatorDlg.h"

enum {
  IDC_LOG_CONTROL = 1000,
  IDC_LOG_STATUS = 1001,
};

class CLogDlg : public CItemOperatorDlg, private IHttpControlEvents {
 public:
  CLogDlg(CItemOperatorFrame& frame, HWND parent);
  ~CLogDlg() override;

  void LogItem(CDataItem* item, const char* text);
  void SendLog();

 private:
  const TezMessageEntry* GetMessageMap() const override;
  void InitLibrary() override;
  void OnCleanup() override;
  void OnTimer(UINT_PTR id) override;
  void OnStatusLine(const std::string& text) override;
  LRESULT OnLogItemMessage(WPARAM, LPARAM);
  LRESULT OnSendLogMessage(WPARAM, LPARAM);
  LRESULT OnSentMessage(WPARAM, LPARAM);
  LRESULT OnFailMessage(WPARAM, LPARAM);
  LRESULT OnStopMessage(WPARAM, LPARAM);

  // Control events.
  void OnError(short number, std::string& description, long scode, const std::string& source,
               const std::string& helpFile, long helpContext, BOOL* cancelDisplay) override;
  void OnTimeout(short event, BOOL* keepWaiting) override;
  void OnStateChanged(short state) override;
  void OnProtocolStateChanged(short state) override;
  void OnDocOutput(CHttpDocOutput& doc) override;

  void SetError();
  void DisarmTimeouts();
  void KillSendTimer();
  void SendFailed();
  // Ends the send in work with its one stop mail.
  void FinishSend();

  CHttpControl m_control;
  std::string m_currentDir;
  std::string m_document;
  std::string m_logUrl;
  std::string m_userId;
  int m_timeout = 0;
  CDataItem* m_logItem = nullptr;
  std::string m_logText;
  UINT_PTR m_sendTimer = 0;
  int m_paneToFile = 0;
  int m_timeoutsArmed = 0;
  int m_sending = 0;    // between the START and the STOP mail of a send
  int m_delivered = 0;  // the receiver took the document
  long m_sentBytes = 0;  // how much of the document the send took
};
