// The status dialog of TezFtpGet: drives the FTP control for one item at a
// time and reports to the host by mail.
#pragma once

#include <string>

#include "FetchDlg.h"
#include "FtpControl.h"

enum {
  IDC_FTP_GET = 1000,
  IDC_FTP_CONTROL = 1001,
  IDC_FTP_LINK = 1002,
  IDC_FTP_STATUS = 1003,
  IDC_FTP_STOP = 1004,
  IDC_FTP_OUTPUT = 1005,
};

class CFtpGetDlg : public CFetchDlg, private IFtpControlEvents {
 public:
  CFtpGetDlg(CItemOperatorFrame& frame, HWND parent);
  ~CFtpGetDlg() override;

  void Operate(CDataItem* item) override;

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
  void OnDocOutput(CFtpDocOutput& doc) override;

  // Refuses the item at once: marks it, mails the error and the stop.
  void Refuse(CDataItem* item, const char* hint, const char* status);
  void Start() override;
  void Stop() override;
  // Ends the operation in error: marks the item, drops its file, mails.
  void Fail(const std::string& hint);
  void DropOutput();
  void Finish() override;

  CFtpControl m_control;
  std::string m_errorText;
  std::string m_currentDir;
  int m_transferDone = 0;  // the file is in; the end timer hands it over
};
