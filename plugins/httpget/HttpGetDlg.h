// The status dialog of TezHttpGet: drives the HTTP control for one item
// (or one link and file) at a time and reports to the host by mail.
#pragma once

#include <string>
#include <vector>

#include "FetchDlg.h"
#include "HttpControl.h"

enum {
  IDC_HTTP_GET = 1000,
  IDC_HTTP_LINK = 1002,
  IDC_HTTP_STATUS = 1003,
  IDC_HTTP_CONTROL = 1004,
  IDC_HTTP_OUTPUT = 1005,
  IDC_HTTP_STOP = 1006,
};

class CHttpGetDlg : public CFetchDlg, private IHttpControlEvents {
 public:
  CHttpGetDlg(CItemOperatorFrame& frame, HWND parent);
  ~CHttpGetDlg() override;

  void Operate(CDataItem* item) override;
  void GetLink(const char* url, const char* outputFile);

 private:
  const TezMessageEntry* GetMessageMap() const override;
  void InitLibrary() override;
  void OnCleanup() override;
  LRESULT OnGetButton(WPARAM, LPARAM);

  // Control events.
  void OnError(short number, std::string& description, long scode, const std::string& source,
               const std::string& helpFile, long helpContext, BOOL* cancelDisplay) override;
  void OnStateChanged(short state) override;
  void OnProtocolStateChanged(short state) override;
  void OnDocOutput(CHttpDocOutput& doc) override;

  void Accept();
  void Refuse(const char* hint, const char* mail, const char* status);
  void Start() override;
  void Stop() override;
  void CheckReply(const CHttpDocOutput& doc);
  // Ends the operation in error: marks the item, mails the text, cancels.
  void FailRequest(const std::string& text);
  void DropOutput();
  void Finish() override;

  CHttpControl m_control;
  long m_replyCode = 0;
  std::string m_redirect;
  int m_redirects = 0;
  std::vector<std::string> m_deleteList;
  std::string m_currentDir;
  int m_failed = 0;   // the reply was refused and its error mailed
};
