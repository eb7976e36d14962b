// The connection test of the options: dials when the connection needs it,
// fetches a small test file through the HTTP fetch plug-in, checks it,
// hangs up and reports. Both libraries report by mail to a queue of the
// test's own, so the run's queue is never touched.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ConnectionBindings.h"
#include "IniFiles2.h"
#include "MailMessage.h"

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
  // param: TezParam.inx; tempFolder: where the test file is fetched to.
  TConnectionTest(std::string paramFile, std::string tempFolder, std::string testUrl);
  ~TConnectionTest();
  TConnectionTest(const TConnectionTest&) = delete;
  TConnectionTest& operator=(const TConnectionTest&) = delete;

  // Writes the keys the test works with, remembering what each was before
  // a test first wrote it; RestoreKeys puts those back (the options were
  // cancelled), KeepKeys forgets them (the options were saved).
  void WriteKeys(const TConnectionKeys& keys);
  void RestoreKeys();
  void KeepKeys();
  // Starts a test with the connection kind; a running one is cancelled.
  void Start(int32_t kind);
  void Cancel();
  bool Running() const { return running_; }

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
  // The status text of one record, as both parsers begin it.
  void MailArrived(const MailMessage& mail);

 private:
  static LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  void OnTezMailSlotMsg();
  void ParseHttpMsg(const MailMessage& mail);
  void ParseRasMsg(const MailMessage& mail);
  void OnCheckHttpFile();
  void GetHttpTestFile();
  void RasAndHttpFree();
  void End(const std::string& status, const std::string& message);
  void Status(const std::string& text);
  void Caption(const std::string& text);
  void DialPanel(bool on);

  std::string paramFile_, tempFolder_, testUrl_, testFile_;
  int32_t kind_ = 0;
  HWND window_ = nullptr;
  std::unique_ptr<TTezMailSlot> queue_;
  std::unique_ptr<TRasControl1> dialer_;
  std::unique_ptr<TBrindaleHttpGetInterface> http_;
  bool running_ = false, started_ = false, cancelled_ = false;
  bool fetchRequested_ = false, downloadDone_ = false;
  std::vector<std::pair<std::string, std::string>> savedKeys_;  // "section/key", value
};
