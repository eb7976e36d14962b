#include "ConnectionTest.h"

#include <cstring>

#include "Application.h"
#include "SysUtils.h"
#include "Utils.h"

bool PasswordStorable(const std::string& pwd) {
  for (unsigned char c : pwd) {
    unsigned char stored = c ^ 0x9E;
    if (stored == 0 || stored == '\r' || stored == '\n') return false;
  }
  return true;
}

const char* const TConnectionTest::QueueName = "halvorn";

TConnectionTest::TConnectionTest(HWND window, std::string paramFile)
    : paramFile_(std::move(paramFile)), window_(window) {
  timeout_.SetEnabled(false);
  timeout_.SetOnTimer([this](TObject*) { TimedOut(); });
}

TConnectionTest::~TConnectionTest() {
  timeout_.SetEnabled(false);
  RasAndHttpFree();
  if (queue_) queue_->CloseMail();
}

void TConnectionTest::TimedOut() {
  timeout_.SetEnabled(false);
  if (!running_) return;
  if (http_) http_->Stop();
  if (dialer_) dialer_->Connect(0);
  // A cancel that no library answered ends as cancelled.
  const char* text = cancelled_ ? "Test Cancelled" : "Test Failed (Timed out)";
  End(text, text);
}

void TConnectionTest::Status(const std::string& text) {
  if (OnStatus) OnStatus(text);
}
void TConnectionTest::Caption(const std::string& text) {
  if (OnCaption) OnCaption(text);
}
void TConnectionTest::DialPanel(bool on) {
  if (OnDialPanel) OnDialPanel(on);
}

void TConnectionTest::End(const std::string& status, const std::string& message) {
  Status(status);
  Caption("&Test");
  DialPanel(kind_ == 1);
  bool wasRunning = running_;
  running_ = started_ = cancelled_ = false;
  timeout_.SetEnabled(false);
  if (!wasRunning) return;
  if (!message.empty() && OnMessage) OnMessage(message);
  if (OnFinished) OnFinished(message);
}

void TConnectionTest::WriteKeys(const TConnectionKeys& keys) {
  TIniFile param(paramFile_);
  std::vector<std::pair<std::string, std::string>> values = {
      {"Proxies/useProxy", keys.useProxy ? "1" : "0"},
      {"Proxies/httpHost", keys.httpHost},
      {"Proxies/httpPort", keys.httpPort},
      {"Proxies/ftpHost", keys.ftpHost},
      {"Proxies/ftpPort", keys.ftpPort},
      {"Dialer/useDialer", IntToStr(keys.useDialer)}};
  if (keys.useDialer == 1) {
    values.push_back({"Dialer/dialerName", keys.dialerName});
    values.push_back({"Dialer/user", keys.user});
    if (PasswordStorable(keys.pwd)) values.push_back({"Dialer/pwd", ScramblePassword(keys.pwd)});
  }
  const std::string absent = "\x01";
  for (const auto& v : values) {
    size_t slash = v.first.find('/');
    std::string section = v.first.substr(0, slash), key = v.first.substr(slash + 1);
    // Each key keeps the value it had before the first test that wrote it.
    bool known = false;
    for (const auto& s : savedKeys_) known = known || s.first == v.first;
    if (!known) savedKeys_.push_back({v.first, param.ReadString(section, key, absent)});
    param.WriteString(section, key, v.second);
  }
}

void TConnectionTest::KeepKeys() { savedKeys_.clear(); }

void TConnectionTest::RestoreKeys() {
  TIniFile param(paramFile_);
  for (const auto& s : savedKeys_) {
    size_t slash = s.first.find('/');
    std::string value = s.second;
    // A key that was not there gets the value its readers take by default:
    // the store cannot delete one.
    if (value == "\x01")
      value = s.first == "Proxies/httpPort" ? "80"
              : s.first == "Proxies/ftpPort" ? "21"
              : s.first == "Proxies/useProxy" || s.first == "Dialer/useDialer" ? "0"
                                                                               : "";
    param.WriteString(s.first.substr(0, slash), s.first.substr(slash + 1), value);
  }
  savedKeys_.clear();
}

void TConnectionTest::RasAndHttpFree() {
  if (queue_) {
    MailMessage mail;
    int32_t len = 0;
    while (queue_->GetMailCount() >= 1 && queue_->GetMail(&mail, len)) {
    }
  }
  http_.reset();
  if (dialer_) dialer_->Connect(0);
  dialer_.reset();
  if (!testFile_.empty() && FileExists(testFile_)) DeleteFileA(testFile_.c_str());
}

void TConnectionTest::Start(int32_t kind, const std::string& tempFolder,
                            const std::string& testUrl) {
  if (running_) {
    Cancel();
    return;
  }
  kind_ = kind;
  tempFolder_ = tempFolder;
  testUrl_ = testUrl;
  if (mailslotDialer) mailslotDialer->SetActive(false);
  if (queue_) queue_->CloseMail();
  queue_ = std::make_unique<TTezMailSlot>(QueueName);
  queue_->CreateNewMail(window_, MailArrivedMessage);
  RasAndHttpFree();
  started_ = cancelled_ = fetchRequested_ = downloadDone_ = false;
  http_ = std::make_unique<TBrindaleHttpGetInterface>();
  if (!http_->Loaded()) {
    http_.reset();
    if (OnMessage) OnMessage("Can't initialize Test Module");
    return;
  }
  if (!http_->Initialize2(window_, QueueName, nullptr, 1, 0)) {
    if (OnMessage) OnMessage("Can't initialize Test");
    return;
  }
  running_ = true;
  timeout_.SetInterval(timeoutMs);
  timeout_.SetEnabled(true);
  if (kind != 1 && kind != 3) {
    Caption("&Cancel");
    Status("Testing...");
    GetHttpTestFile();
    return;
  }
  TIniFile param(paramFile_);
  std::string library = param.ReadString("Dialer", Format("dialerDll%d", kind), "TezRasDialer.dll");
  dialer_ = std::make_unique<TRasControl1>(library);
  if (!dialer_->Loaded()) {
    End("", "Can't initialize Dial-Up Networking");
    return;
  }
  if (!dialer_->Initialize2(window_, QueueName, nullptr, 1, 0)) {
    End("", "Error Loading Dialer");
    return;
  }
  if (kind == 1) {
    std::vector<std::string> names;
    if (!ListDialUpEntries(dialer_.get(), names)) {
      End("", "Error Initializing Dialer");
      return;
    }
  }
  dialer_->SetPostStatusStrings(1);
  DialPanel(false);
  Caption("&Cancel");
  Status("Testing...");
  if (dialer_->Connect(1) == -1) End("Can't Start Dialing", "Can't Start Dialing");
}

void TConnectionTest::Cancel() {
  if (!running_) return;
  Status("Cancelling");
  cancelled_ = true;
  if (http_) http_->Stop();
  if (dialer_) dialer_->Connect(0);
  // Nothing fetched yet and no dialer to answer: the test ends here.
  if (!fetchRequested_ && !dialer_) End("Test Cancelled", "Test Cancelled");
}

void TConnectionTest::GetHttpTestFile() {
  if (fetchRequested_ || !http_) return;  // one fetch per test
  fetchRequested_ = true;
  char name[MAX_PATH] = {};
  if (!tempFolder_.empty() && tempFolder_.size() < MAX_PATH - 14 &&
      GetTempFileNameA(tempFolder_.c_str(), "", 0, name))
    testFile_ = name;
  else
    testFile_ = tempFolder_ + "TempFile.tmp";
  http_->GetLink(testUrl_, testFile_);
}

void TConnectionTest::OnTezMailSlotMsg() {
  MailMessage mail;
  int32_t len = 0;
  while (queue_ && queue_->GetMailCount() >= 1 && queue_->GetMail(&mail, len)) {
    mailslotDialerBinMessageAvail(reinterpret_cast<const char*>(&mail), kMailRecordSize);
    Application->ProcessMessages();
  }
}

void TConnectionTest::mailslotDialerBinMessageAvail(const char* data, int len) {
  if (!data || len < kMailRecordSize) return;
  MailMessage mail;
  memcpy(&mail, data, kMailRecordSize);
  MailArrived(mail);
}

void TConnectionTest::MailArrived(const MailMessage& mail) {
  if (mail.category == TEZ_MAIL_ITEM_OPERATOR)
    ParseHttpMsg(mail);
  else
    ParseRasMsg(mail);
}

void TConnectionTest::ParseHttpMsg(const MailMessage& mail) {
  if (!running_) return;
  Status(TestStatusText(mail));
  bool event = mail.message == TEZ_MSG_EVENT, error = mail.message == TEZ_MSG_ERROR;
  int32_t value = mail.lParam[0];
  bool startEvent = event && value == TEZ_EVENT_START, stopEvent = event && value == TEZ_EVENT_STOP;
  if (!started_ && !startEvent) return;
  started_ = true;
  bool done = error;
  if (startEvent) Status("Starting Download Test File");
  if (stopEvent) {
    started_ = false;
    downloadDone_ = true;
    if (!cancelled_) {
      done = true;
      Status("Finished Downloading Test File");
    }
  }
  if (done) {
    cancelled_ = false;
    DialPanel(kind_ == 1);
    Caption("&Test");
    if (dialer_) dialer_->Connect(0);
    Status("Disconnecting Dialer");
  }
  if (stopEvent) {
    if (cancelled_) {
      End("Test Cancelled", "Test Cancelled");
    } else {
      Status("File Received, Checking");
      PostMessageA(window_, CheckHttpFileMessage, 0, 0);
    }
  } else if (error) {
    std::string text = mail.Text();
    std::string failed = text.empty() ? "Test Failed" : "Test Failed (" + text + ")";
    End(failed, failed);
  }
}

void TConnectionTest::ParseRasMsg(const MailMessage& mail) {
  if (!running_) return;
  Status(TestStatusText(mail));
  OutputDebugStringA(("RasMsg mess=" + IntToStr(mail.message) + " lp[0]=" +
                      IntToStr(mail.lParam[0]))
                         .c_str());
  std::string text = mail.Text();
  int32_t value = mail.lParam[0];
  switch (mail.message) {
    case TEZ_MSG_EVENT:
      Status(text.empty() ? "" : text + " ");
      // The hang-up after the download is expected: the check still ends
      // the test. A cancelled disconnection says so in the status only.
      if (value == 0 && !downloadDone_) {
        End(cancelled_ ? "Test Cancelled" : "Disconnected", "");
      } else if (value == 4 || value == 10) {
        Status("Dialer Connected");
        GetHttpTestFile();
      }
      break;
    case TEZ_MSG_STATUS:
      if (value == 0) Status(text);
      if (value == 2)
        Status(text.empty() ? "(" + IntToStr(mail.lParam[1]) + ")"
                            : text + " (" + IntToStr(mail.lParam[1]) + ")");
      break;
    case TEZ_MSG_ERROR:
      DialPanel(true);
      End("Test failed (Dialer could not connect)", "Test failed (Dialer could not connect)");
      break;
    default:
      break;
  }
}

bool TConnectionTest::TestFileIsGood(const std::string& path) {
  TIniFile file(path);
  std::string name = file.ReadString("fileName", "fileName", "");
  int64_t n1 = file.ReadInteger("parameters", "num1", 0);
  int64_t n2 = file.ReadInteger("parameters", "num2", 0);
  int64_t n3 = file.ReadInteger("parameters", "num3", 0);
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  return ext == ".ini" && n1 >= 1 && n2 >= 1 && n3 >= 1 && n1 + n2 == n3;
}

void TConnectionTest::OnCheckHttpFile() {
  bool good = !testFile_.empty() && FileExists(testFile_) && TestFileIsGood(testFile_);
  if (!testFile_.empty()) DeleteFileA(testFile_.c_str());
  if (cancelled_)
    End("Test cancelled.", "Test cancelled.");
  else if (!good)
    End("Test failed.", "Test failed.");
  else
    End("Test succeeded.", "Test succeeded.");
}
