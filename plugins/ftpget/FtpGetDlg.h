// The status dialog of TezFtpGet: drives the FTP control for one item at a
// time and reports to the host by mail.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "FtpControl.h"
#include "ItemOperatorDlg.h"

enum {
  IDC_FTP_GET = 1000,
  IDC_FTP_CONTROL = 1001,
  IDC_FTP_LINK = 1002,
  IDC_FTP_STATUS = 1003,
  IDC_FTP_STOP = 1004,
  IDC_FTP_OUTPUT = 1005,
};

class CFtpGetDlg : public CItemOperatorDlg, private IFtpControlEvents {
 public:
  CFtpGetDlg(CItemOperatorFrame& frame, HWND parent);
  ~CFtpGetDlg() override;

  void Operate(CDataItem* item);

 private:
  const TezMessageEntry* GetMessageMap() const override;
  void InitLibrary() override;
  void OnCleanup() override;
  void OnTimer(UINT_PTR id) override;
  void ExchangeFields(bool save) override;
  LRESULT OnStartMessage(WPARAM, LPARAM);
  LRESULT OnStopMessage(WPARAM, LPARAM);
  LRESULT OnGetButton(WPARAM, LPARAM);
  LRESULT OnStopButton(WPARAM, LPARAM);

  // Control events.
  void OnError(short number, std::string& description, long scode, const std::string& source,
               const std::string& helpFile, long helpContext, BOOL* cancelDisplay) override;
  void OnStateChanged(short state) override;
  void OnProtocolStateChanged(short state) override;
  void OnDocOutput(CFtpDocOutput& doc) override;

  // Refuses the item at once: marks it, mails the error and the stop.
  void Refuse(CDataItem* item, const char* hint, const char* status);
  void Start();
  void Stop();
  // Ends the operation in error: marks the item, drops its file, mails.
  void Fail(const std::string& hint);
  void DropOutput();
  void Succeed();
  void Finish();

  CFtpControl m_control;
  std::string m_link;
  std::string m_outputFile;
  std::string m_errorText;
  int32_t m_start = 0;
  int32_t m_finish = 0;
  clock_t m_lastProgress = 0;
  int m_progress[3] = {1, 0, 0};
  std::string m_currentDir;
  int m_working = 0;   // between the start and the end of a fetch
  int m_fromHost = 0;  // the fetch is the host's (Operate), not the dialog's own
};
