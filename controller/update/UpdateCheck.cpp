#include "UpdateCheck.h"

#include <algorithm>

#include "SysUtils.h"
#include "UpdateMessages.h"
#include "UpdateText.h"
#include "Utils.h"
#include "WinExc32.h"

namespace {

const char kNoConnection[] =
    "Connection to Brindale server, which is required to complete the update\r\nprocess, could "
    "not be established.\n\rPlease make sure that you are connected to the Internet and try "
    "again.";

}  // namespace

TUpdateCheck::TUpdateCheck(TForm* host, THttpClient* client, TTimer* startUpDelay,
                           TTimer* progress)
    : host_(host), client_(client), startUpDelay_(startUpDelay), progress_(progress) {
  startUpDelay_->SetOnTimer([this](TObject*) { StartUpDelayTimer(); });
  progress_->SetOnTimer([this](TObject*) { ProgressTimer(); });
  client_->OnDocEnd = [this](TObject*) {
    progress_->SetEnabled(false);
    docEnded_ = true;
    Log("HttpClient1DocEnd");
  };
  client_->OnRequestDone = [this](TObject*, THttpRequest, int error) { RequestDone(error); };
  host_->SetMessageMethod(WM_TEZ_UPDATE_START,
                          [this](TMessage&) { OnStartCheckForUpdateMessage(); });
  host_->SetMessageMethod(WM_TEZ_UPDATE_END, [this](TMessage&) { OnEndCheckForUpdateMessage(); });
  host_->SetMessageMethod(WM_TEZ_UPDATE_CANCEL,
                          [this](TMessage&) { OnCancelCheckForUpdateMessage(); });
  host_->SetMessageMethod(WM_TEZ_UPDATE_SHOW, [this](TMessage&) { OnShowUpdateDialog(); });
  host_->SetMessageMethod(WM_TEZ_UPDATE_RESPONSE, [this](TMessage&) { OnProcessUpdateResponse(); });
  host_->SetMessageMethod(WM_TEZ_USER_UPDATE_CHECK,
                          [this](TMessage&) { OnUserCheckForUpdateMessage(); });
  host_->SetMessageMethod(WM_TEZ_UPDATE_OFFLINE,
                          [this](TMessage&) { OnUpdateDisconnectedMessage(); });
}

TUpdateCheck::~TUpdateCheck() {
  for (UINT msg : {WM_TEZ_UPDATE_START, WM_TEZ_UPDATE_END, WM_TEZ_UPDATE_CANCEL,
                   WM_TEZ_UPDATE_SHOW, WM_TEZ_UPDATE_RESPONSE, WM_TEZ_USER_UPDATE_CHECK,
                   WM_TEZ_UPDATE_OFFLINE})
    host_->SetMessageMethod(msg, [](TMessage&) {});
  client_->OnDocEnd = nullptr;
  client_->OnRequestDone = nullptr;
  startUpDelay_->SetOnTimer(nullptr);
  progress_->SetOnTimer(nullptr);
  delete userUpdateDialog_;
}

void TUpdateCheck::Log(const std::string& text) {
  if (Trace) Trace(text);
}

bool TUpdateCheck::Online() { return IsOnline ? IsOnline() : IsInternetConnected(); }

void TUpdateCheck::Post(UINT msg) { PostMessageA(host_->Handle(), msg, 0, 0); }

void TUpdateCheck::StartUpDelayTimer() {
  httpState_ = 1;
  if (Online() && !busy_) Post(WM_TEZ_UPDATE_START);
  startUpDelay_->SetEnabled(false);
}

void TUpdateCheck::OnUserCheckForUpdateMessage() {
  if (busy_) return;
  busy_ = true;
  if (!userUpdateDialog_) {
    userUpdateDialog_ = new TfrmUserUpdate(nullptr, WM_TEZ_UPDATE_END);
    userUpdateDialog_->Label1->SetCaption("Checking for updates...");
    userUpdateDialog_->Gauge->SetProgress(0);
    userUpdateDialog_->btnCancel->SetCaption("Cancel");
    userUpdateDialog_->NotifyWindow = host_->Handle();
    userUpdateDialog_->ShowOnTop();
  }
  httpState_ = 1;
  // The countdown runs from here, also while the computer is offline.
  countdown_ = TimeOutDelay;
  progress_->SetInterval(static_cast<UINT>(std::max(1, TimeOutDelay / 30)));
  progress_->SetEnabled(true);
  OnStartCheckForUpdateMessage();
}

void TUpdateCheck::OnStartCheckForUpdateMessage() {
  Log("OnStartCheckForUpdateMessage");
  response_.clear();
  if (!Online()) {
    Log("Internet Connection: OFFLINE");
    return;
  }
  Log("Internet Connection: ONLINE");
  httpState_ = 1;
  if (StartRequest(FillUpdateUrl(CheckUrl, {Serial, ProductVersion})))
    Log("Update request posted ");
}

bool TUpdateCheck::StartRequest(const std::string& url) {
  // A request of an earlier check that never ended gives way.
  if (requestActive_ || client_->state() != httpReady) StopRequest();
  docEnded_ = false;
  lastFailure_.clear();
  try {
    client_->URL = url;
    client_->GetASync();
  } catch (const std::exception& e) {
    Log("Http Client Internal Error");
    Failed(e.what());
    return false;
  }
  requestActive_ = true;
  // Every request has its time-out, the automatic check's too.
  countdown_ = TimeOutDelay;
  progress_->SetInterval(static_cast<UINT>(std::max(1, TimeOutDelay / 30)));
  progress_->SetEnabled(true);
  return true;
}

void TUpdateCheck::StopRequest() {
  // Its end is not reported: the abort's done message is ignored.
  requestActive_ = false;
  try {
    client_->Abort();
  } catch (const std::exception&) {
    Log("Http Client Internal Error");
  }
}

void TUpdateCheck::RequestDone(int error) {
  // A done message of a request that was stopped, or overtaken by a new one.
  if (!requestActive_ || client_->state() != httpReady) return;
  requestActive_ = false;
  progress_->SetEnabled(false);
  int status = client_->statusCode();
  std::string reason;
  if (error != 0) {
    reason = client_->reasonPhrase().empty() ? Format("error %d", error) : client_->reasonPhrase();
  } else if (status < 200 || status > 299) {
    reason = Format("status %d %s", status, client_->reasonPhrase().c_str());
  } else if (!docEnded_ || client_->rcvdDocument().empty()) {
    reason = "empty reply";
  } else if (client_->contentLength() >= 0 && client_->rcvdCount() < client_->contentLength()) {
    reason = Format("incomplete reply (%lld of %lld bytes)",
                    static_cast<long long>(client_->rcvdCount()),
                    static_cast<long long>(client_->contentLength()));
  }
  if (!reason.empty()) {
    Failed(reason);
    return;
  }
  response_ = client_->rcvdDocument();
  Post(WM_TEZ_UPDATE_RESPONSE);
}

void TUpdateCheck::Failed(const std::string& reason) {
  lastFailure_ = reason;
  Log("Update request failed: " + reason);
  response_.clear();
  progress_->SetEnabled(false);
  if (httpState_ == 1) {
    EvaluateCheckReply();
  } else if (httpState_ == 2) {
    busy_ = false;
    httpState_ = 0;
  }
}

void TUpdateCheck::ProgressTimer() {
  countdown_ -= static_cast<int>(progress_->Interval());
  if (countdown_ < 0) {
    progress_->SetEnabled(false);
    response_.clear();
    if (requestActive_) StopRequest();
    Failed(Format("no reply within %d ms", TimeOutDelay));
    return;
  }
  if (httpState_ == 1 && userUpdateDialog_ && userUpdateDialog_->Visible())
    userUpdateDialog_->Gauge->AddProgress(1);
}

void TUpdateCheck::OnProcessUpdateResponse() {
  Log("OnProcessUpdateResponse");
  if (httpState_ == 1)
    EvaluateCheckReply();
  else if (httpState_ == 2)
    EvaluatePrepareReply();
}

void TUpdateCheck::EvaluateCheckReply() {
  progress_->SetEnabled(false);
  if (!response_.empty() && UpdateReplyOk(response_)) {
    if (UpgradeOffered(response_)) {
      Post(WM_TEZ_UPDATE_SHOW);
      return;
    }
    if (userUpdateDialog_ && userUpdateDialog_->Visible()) {
      TGauge* gauge = userUpdateDialog_->Gauge;
      gauge->SetProgress(gauge->MaxValue());
      userUpdateDialog_->Label1->SetCaption("Your software is up to date.");
      userUpdateDialog_->btnCancel->SetCaption("Ok");
    } else {
      // Nobody is asked: the check is over.
      httpState_ = 0;
    }
    return;
  }
  if (userUpdateDialog_ && userUpdateDialog_->Visible())
    MessageBoxA(userUpdateDialog_->Handle(), kNoConnection, "Brindale Update",
                MB_OK | MB_ICONWARNING);
  FreeUserUpdateDialog();
  Log("Wrong Server Response.Next Attempt...");
  busy_ = false;
  httpState_ = 0;
}

void TUpdateCheck::OnShowUpdateDialog() {
  Log("OnShowUpdateDialog");
  if (offerShowing_) return;
  offerShowing_ = true;
  FreeUserUpdateDialog();
  progress_->SetEnabled(false);
  auto upgradeDialog = std::make_unique<TfrmUpgradeAvailable>(nullptr);
  TStringList* info = upgradeDialog->memInfo->Lines();
  info->BeginUpdate();
  info->Clear();
  for (const std::string& line : UpgradeInfoLines(response_)) info->Add(line);
  info->EndUpdate();
  upgradeDialog->chbUpgradeActive->SetChecked(true);
  if (upgradeDialog->ShowModal() == mrOk) {
    if (WaitUntilOnline()) {
      httpState_ = 2;
      StartRequest(FillUpdateUrl(PrepareUrl, {Serial}));
    } else {
      // Aborted while offline: nothing is requested and the check is over.
      busy_ = false;
      httpState_ = 0;
    }
  } else {
    busy_ = false;
    httpState_ = 0;
  }
  if (Settings) {
    try {
      Settings->WriteInteger("Update", "autoUpdateActive",
                             upgradeDialog->chbUpgradeActive->Checked() ? 1 : 0);
    } catch (const std::exception& e) {
      Log(e.what());
    }
  }
  offerShowing_ = false;
}

bool TUpdateCheck::WaitUntilOnline() {
  bool online = Online();
  if (online) return true;
  auto disconnectDialog = std::make_unique<TfrmDisconnect>(nullptr);
  int answer = mrRetry;
  ++disconnectShowing_;
  while (answer == mrRetry && !online) {
    answer = disconnectDialog->ShowFront();
    online = Online();
  }
  --disconnectShowing_;
  return answer == mrRetry;
}

void TUpdateCheck::EvaluatePrepareReply() {
  if (PrepareSucceeded(response_)) {
    Log("Launch TezUpdate.exe ");
    StartUpdater();
  } else {
    Log("Update not prepared");
  }
  busy_ = false;
  httpState_ = 0;
}

void TUpdateCheck::StartUpdater() {
  // Started without waiting for it to become idle: the controller goes on
  // at once, however the updater starts.
  HANDLE process = nullptr;
  std::string commandLine = "\"" + Folder + "\\TezUpdate.exe\"";
  DWORD result = WinExecAndWaitIdle(commandLine, SW_SHOW, 0, process);
  if (!process) {
    Log(Format("TezUpdate.exe not started (error %u)", static_cast<unsigned>(result)));
    return;
  }
  CloseHandle(process);
}

void TUpdateCheck::OnCancelCheckForUpdateMessage() {
  Log("OnCancelCheckForUpdateMessage");
  progress_->SetEnabled(false);
  StopRequest();
  FreeUserUpdateDialog();
  // The check ends here, unless the offer is open: its answer ends it.
  if (!offerShowing_) {
    busy_ = false;
    httpState_ = 0;
  }
}

void TUpdateCheck::OnEndCheckForUpdateMessage() {
  progress_->SetEnabled(false);
  StopRequest();
  FreeUserUpdateDialog();
  busy_ = false;
  httpState_ = 0;
  response_.clear();
}

void TUpdateCheck::OnUpdateDisconnectedMessage() {
  if (busy_ || disconnectShowing_ > 0) return;
  busy_ = true;
  bool online = WaitUntilOnline();
  busy_ = false;
  if (online) Post(WM_TEZ_USER_UPDATE_CHECK);
}

void TUpdateCheck::FreeUserUpdateDialog() {
  if (!userUpdateDialog_) return;
  userUpdateDialog_->NotifyWindow = nullptr;
  if (userUpdateDialog_->Visible()) userUpdateDialog_->Hide();
  retired_.emplace_back(userUpdateDialog_);
  userUpdateDialog_ = nullptr;
  FreeRetiredDialogs();
}

void TUpdateCheck::FreeRetiredDialogs() {
  retired_.erase(std::remove_if(retired_.begin(), retired_.end(),
                                [](const std::unique_ptr<TfrmUserUpdate>& d) {
                                  return !d->Ending();
                                }),
                 retired_.end());
}
