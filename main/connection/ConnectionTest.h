// The connection test of the options: dials when the connection needs it,
// fetches a small test file through the HTTP fetch plug-in, checks it,
// hangs up and reports. Both libraries report by mail to the queue
// "halvorn", which notifies the main window; the window hands the mail and
// the file check to the test.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ConnectionBindings.h"
#include "ExtCtrls.h"
#include "IniFiles2.h"
#include "MailMessage.h"
#include "MailSlotComp.h"

// The connection settings the test writes before it starts.
struct TConnectionKeys {
  int32_t useDialer = 0;  // 1 dial-up, 2 none, 3 online service, else direct
  std::string dialerName, user, pwd;
  bool useProxy = false;
  std::string httpHost, httpPort = "80", ftpHost, ftpPort = "21";
};

// The stored password is each character XOR 0x9E: a password holding a
// character that would become NUL, CR or LF cannot be stored.
bool PasswordStorable(const std::string& pwd);

class TConnectionTest {
 public:
  // Posted to the window: the test queue has mail, and the fetched file is
  // to be checked.
  static constexpr UINT MailArrivedMessage = 0x6BC, CheckHttpFileMessage = 0x522;

  // window: the main window, which the libraries and the queue report to;
  // param: TezParam.inx.
  TConnectionTest(HWND window, std::string paramFile);
  ~TConnectionTest();
  TConnectionTest(const TConnectionTest&) = delete;
  TConnectionTest& operator=(const TConnectionTest&) = delete;

  // Writes the keys the test works with, remembering what each was before
  // a test first wrote it; RestoreKeys puts those back (the options were
  // cancelled), KeepKeys forgets them (the options were saved).
  void WriteKeys(const TConnectionKeys& keys);
  void RestoreKeys();
  void KeepKeys();
  // Starts a test with the connection kind, fetching testUrl into
  // tempFolder; a running one is cancelled.
  void Start(int32_t kind, const std::string& tempFolder, const std::string& testUrl);
  void Cancel();
  bool Running() const { return running_; }

  // The window's handlers of the two messages above.
  void OnTezMailSlotMsg();
  void OnCheckHttpFile();
  // A block of the dialer's mailslot: records shorter than 184 bytes are
  // ignored.
  void mailslotDialerBinMessageAvail(const char* data, int len);
  // The window's dialer mailslot, closed when a test starts.
  TMailSlotComp* mailslotDialer = nullptr;

  // What the page shows: the status panel, the test button's caption,
  // the dial-up panel's state, message boxes, and the end of a test.
  std::function<void(const std::string&)> OnStatus, OnCaption, OnMessage, OnFinished;
  std::function<void(bool)> OnDialPanel;
  // A test that gets no answer ends after this long.
  DWORD timeoutMs = 60000;
  const std::string& TestFile() const { return testFile_; }
  // The mail queue the libraries report to.
  static const char* const QueueName;

  // Checks the fetched test file: [fileName] fileName ending in ".ini"
  // and [parameters] num1 + num2 = num3, each at least 1.
  static bool TestFileIsGood(const std::string& path);
  void MailArrived(const MailMessage& mail);

 private:
  void TimedOut();
  void ParseHttpMsg(const MailMessage& mail);
  void ParseRasMsg(const MailMessage& mail);
  void GetHttpTestFile();
  void RasAndHttpFree();
  void End(const std::string& status, const std::string& message);
  void Status(const std::string& text);
  void Caption(const std::string& text);
  void DialPanel(bool on);

  std::string paramFile_, tempFolder_, testUrl_, testFile_;
  int32_t kind_ = 0;
  HWND window_ = nullptr;
  TTimer timeout_{nullptr};
  std::unique_ptr<TTezMailSlot> queue_;
  std::unique_ptr<TRasControl1> dialer_;
  std::unique_ptr<TBrindaleHttpGetInterface> http_;
  bool running_ = false, started_ = false, cancelled_ = false;
  bool fetchRequested_ = false, downloadDone_ = false;
  std::vector<std::pair<std::string, std::string>> savedKeys_;  // "section/key", value
};
