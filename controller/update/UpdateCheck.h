// The software update check of the controller: asks the update service
// whether a newer version exists, offers it, asks the service to prepare
// it and starts the updater TezUpdate.exe. It works on its host form's
// window messages, the host's HTTP client and two of its timers.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ExtCtrls.h"
#include "Forms.h"
#include "HttpClient.h"
#include "IniFiles2.h"
#include "UpdateDialogs.h"

class TUpdateCheck {
 public:
  // Takes over the client's document events and the timers' handlers, and
  // handles the update messages of the host's window.
  TUpdateCheck(TForm* host, THttpClient* client, TTimer* startUpDelay, TTimer* progress);
  ~TUpdateCheck();
  TUpdateCheck(const TUpdateCheck&) = delete;
  TUpdateCheck& operator=(const TUpdateCheck&) = delete;

  // Addresses with "%s" for the serial (and the version of the check).
  std::string CheckUrl;
  std::string PrepareUrl;
  std::string Serial;
  std::string ProductVersion;
  // Folder of TezUpdate.exe.
  std::string Folder;
  // ms to wait for a reply.
  int TimeOutDelay = 6000;
  // Receives [Update] autoUpdateActive after an offer; may be null.
  TIniFile* Settings = nullptr;
  std::function<void(const std::string&)> Trace;
  std::function<bool()> IsOnline;

  // 0 idle, 1 check request, 2 prepare request.
  int HttpState() const { return httpState_; }
  bool Busy() const { return busy_; }
  const std::string& Response() const { return response_; }
  // Why the last request failed; empty after one that succeeded.
  const std::string& LastFailure() const { return lastFailure_; }
  TfrmUserUpdate* UserUpdateDialog() const { return userUpdateDialog_; }

 private:
  void StartUpDelayTimer();
  void ProgressTimer();
  void OnUserCheckForUpdateMessage();
  void OnStartCheckForUpdateMessage();
  void OnEndCheckForUpdateMessage();
  void OnCancelCheckForUpdateMessage();
  void OnShowUpdateDialog();
  void OnProcessUpdateResponse();
  void OnUpdateDisconnectedMessage();
  void RequestDone(int error);
  bool StartRequest(const std::string& url);
  void StopRequest();
  void Failed(const std::string& reason);
  void EvaluateCheckReply();
  void EvaluatePrepareReply();
  // Asks with the offline notice until online or aborted; true when online.
  bool WaitUntilOnline();
  void StartUpdater();
  // Hides the progress window and frees it, or keeps it while its own
  // Cancel handling runs and frees it later.
  void FreeUserUpdateDialog();
  void FreeRetiredDialogs();
  void Post(UINT msg);
  void Log(const std::string& text);
  bool Online();

  TForm* host_;
  THttpClient* client_;
  TTimer* startUpDelay_;
  TTimer* progress_;
  int httpState_ = 0;
  bool busy_ = false;
  std::string response_;
  std::string lastFailure_;
  int countdown_ = 0;
  bool requestActive_ = false;
  bool docEnded_ = false;
  bool offerShowing_ = false;
  int disconnectShowing_ = 0;
  TfrmUserUpdate* userUpdateDialog_ = nullptr;
  std::vector<std::unique_ptr<TfrmUserUpdate>> retired_;
};
