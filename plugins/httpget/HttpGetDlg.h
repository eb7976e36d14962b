// The status dialog of TezHttpGet: drives the HTTP control for one item
// (or one link and file) at a time and reports to the host by mail.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "HttpControl.h"
#include "ItemOperatorDlg.h"

enum {
  IDC_HTTP_GET = 1000,
  IDC_HTTP_LINK = 1002,
  IDC_HTTP_STATUS = 1003,
  IDC_HTTP_CONTROL = 1004,
  IDC_HTTP_OUTPUT = 1005,
  IDC_HTTP_STOP = 1006,
};

constexpr UINT_PTR kEndTimerId = 6171;
constexpr UINT kEndTimerMs = 3000;
constexpr clock_t kProgressEvery = 500;

class CHttpGetDlg : public CItemOperatorDlg, private IHttpControlEvents {
 public:
  CHttpGetDlg(CItemOperatorFrame& frame, HWND parent);
  ~CHttpGetDlg() override;

  void Operate(CDataItem* item) override;
  void GetLink(const char* url, const char* outputFile);

 private:
  const TezMessageEntry* GetMessageMap() const override;
  void InitLibrary() override;
  void OnCleanup() override;
  void OnTimer(UINT_PTR id) override;
  LRESULT OnStartMessage(WPARAM, LPARAM);
  LRESULT OnStopMessage(WPARAM, LPARAM);
  LRESULT OnGetButton(WPARAM, LPARAM);
  LRESULT OnStopButton(WPARAM, LPARAM);
  void ExchangeFields(bool save) override;

  // Control events.
  void OnError(short number, std::string& description, long scode, const std::string& source,
               const std::string& helpFile, long helpContext, BOOL* cancelDisplay) override;
  void OnStateChanged(short state) override;
  void OnProtocolStateChanged(short state) override;
  void OnDocOutput(CHttpDocOutput& doc) override;

  void Accept();
  void Refuse(const char* hint, const char* mail, const char* status);
  void Start();
  void Stop();
  void CheckReply(const CHttpDocOutput& doc);
  // Ends the operation in error: marks the item, mails the text, cancels.
  void FailRequest(const std::string& text);
  void DropOutput();
  void Succeed();
  void Finish();

  CHttpControl m_control;
  std::string m_link;
  std::string m_outputFile;
  long m_replyCode = 0;
  std::string m_redirect;
  int m_redirects = 0;
  std::vector<std::string> m_deleteList;
  int32_t m_start = 0;
  int32_t m_finish = 0;
  clock_t m_lastProgress = 0;
  int m_progress[3] = {1, 0, 0};
  std::string m_currentDir;
  int m_working = 0;  // between the START and the STOP mail of an operation
  int m_failed = 0;   // the reply was refused and its error mailed
};
