#include "ConnectionTest.h"

#include "SysUtils.h"
#include "Utils.h"

namespace {
constexpr UINT kMailArrived = 0x6BC;
constexpr UINT kCheckHttpFile = 0x522;
constexpr UINT_PTR kTimeoutTimer = 1;
const char* const kWindowClass = "TezConnectionTestWindow";
}  // namespace

bool PasswordStorable(const std::string& pwd) {
  for (unsigned char c : pwd) {
    unsigned char stored = c ^ 0x9E;
    if (stored == 0 || stored == '\r' || stored == '\n') return false;
  }
  return true;
}

const char* const TConnectionTest::QueueName = "halvorn connection test";

TConnectionTest::TConnectionTest(std::string paramFile, std::string tempFolder,
                                 std::string testUrl)
    : paramFile_(std::move(paramFile)),
      tempFolder_(std::move(tempFolder)),
      testUrl_(std::move(testUrl)) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kWindowClass;
  RegisterClassA(&wc);
  window_ = CreateWindowA(kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                          nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TConnectionTest::~TConnectionTest() {
  KillTimer(window_, kTimeoutTimer);
  RasAndHttpFree();
  if (queue_) queue_->CloseMail();
  DestroyWindow(window_);
}

LRESULT CALLBACK TConnectionTest::WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TConnectionTest*>(GetWindowLongPtrA(w, GWLP_USERDATA));
  if (self) {
    if (msg == kMailArrived) {
      self->OnTezMailSlotMsg();
      return 0;
    }
    if (msg == kCheckHttpFile) {
      self->OnCheckHttpFile();
      return 0;
    }
    if (msg == WM_TIMER && wp == kTimeoutTimer) {
      KillTimer(w, kTimeoutTimer);
      if (self->running_) {
        if (self->http_) self->http_->Stop();
        if (self->dialer_) self->dialer_->Connect(0);
        self->End("Test Failed (Timed out)", "Test Failed (Timed out)");
      }
      return 0;
    }
  }
  return DefWindowProcA(w, msg, wp, lp);
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
  KillTimer(window_, kTimeoutTimer);
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

void TConnectionTest::Start(int32_t kind) {
  if (running_) {
    Cancel();
    return;
  }
  kind_ = kind;
  if (queue_) queue_->CloseMail();
  queue_ = std::make_unique<TTezMailSlot>(QueueName);
  queue_->CreateNewMail(window_, kMailArrived);
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
  SetTimer(window_, kTimeoutTimer, timeoutMs, nullptr);
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
  if (!queue_) return;
  MailMessage mail;
  int32_t len = 0;
  while (queue_ && queue_->GetMailCount() >= 1 && queue_->GetMail(&mail, len)) {
    if (len >= kMailRecordSize) MailArrived(mail);
  }
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
  std::string text = mail.Text();
  if (!started_) {
    // A fetch that fails before it starts ends the test as well.
    if (error || (event && value == TEZ_EVENT_STOP)) {
      if (dialer_) dialer_->Connect(0);
      End(text.empty() ? "Test Failed" : "Test Failed (" + text + ")",
          text.empty() ? "Test Failed" : "Test Failed (" + text + ")");
      return;
    }
    if (!(event && value == TEZ_EVENT_START)) return;
  }
  started_ = true;
  if (event && value == TEZ_EVENT_START) {
    Status("Starting Download Test File");
    return;
  }
  if (event && value == TEZ_EVENT_STOP) {
    started_ = false;
    downloadDone_ = true;
    DialPanel(kind_ == 1);
    Caption("&Test");
    if (dialer_) dialer_->Connect(0);
    if (cancelled_) {
      End("Test Cancelled", "Test Cancelled");
    } else {
      Status("File Received, Checking");
      PostMessageA(window_, kCheckHttpFile, 0, 0);
    }
    return;
  }
  if (error) {
    if (dialer_) dialer_->Connect(0);
    End(text.empty() ? "Test Failed" : "Test Failed (" + text + ")",
        text.empty() ? "Test Failed" : "Test Failed (" + text + ")");
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
      if (value == 0 && !downloadDone_) {
        End(cancelled_ ? "Test Cancelled" : "Disconnected", cancelled_ ? "Test Cancelled" : "");
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
