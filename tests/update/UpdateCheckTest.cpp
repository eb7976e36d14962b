// The update check against the local update service: up to date, an
// upgrade offered and accepted (the updater runs) or declined, and each
// way a request fails. The dialogs are the real ones, answered with clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>

#include "Application.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "HttpClient.h"
#include "IniFiles2.h"
#include "UpdateCheck.h"
#include "UpdateMessages.h"
#include "UpdateTestSupport.h"

namespace {

class THostForm : public TForm {
 public:
  THostForm() : TForm(nullptr, "TUpdateHost") {
    SetCaption("Update check host");
    FormCreated();
  }
};

// The colour that the gauge shows at x, half-way down, read back from the
// screen.
COLORREF GaugeColour(HWND gauge, int x) {
  RECT r;
  GetClientRect(gauge, &r);
  POINT p = {x, r.bottom / 2};
  ClientToScreen(gauge, &p);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return c;
}

std::string ServiceUrl(const std::string& request) {
  return ServerHostPort() + "/isapi/TezBGUpdate.dll?" + request;
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IniManagerLoad());
    DeleteFileA("TezUpdate.ran");
    DeleteFileA("TezUpdate.hold");
    DeleteFileA("TezParam.inx");
    host_ = std::make_unique<THostForm>();
    client_ = new THttpClient(host_.get());
    startUp_ = new TTimer(host_.get());
    startUp_->SetEnabled(false);
    progress_ = new TTimer(host_.get());
    progress_->SetEnabled(false);
    settings_ = std::make_unique<TIniFile>("TezParam.inx");
    check_ = std::make_unique<TUpdateCheck>(host_.get(), client_, startUp_, progress_);
    check_->CheckUrl = ServiceUrl("Check&SN=%s&Ver=%s");
    check_->PrepareUrl = ServiceUrl("Prepare&SN=%s");
    check_->ProductVersion = "2.4.0";
    check_->Folder = ProgramFolder();
    check_->TimeOutDelay = 8000;
    check_->Settings = settings_.get();
    check_->Trace = [this](const std::string& s) { trace_.push_back(s); };
    check_->IsOnline = [this] { return online_.load(); };
  }
  void TearDown() override {
    check_.reset();
    host_.reset();
    DeleteFileA("TezUpdate.hold");
    IniManagerUnload();
  }

  void Post(UINT msg) { PostMessageA(host_->Handle(), msg, 0, 0); }
  bool Traced(const std::string& text) const {
    return std::any_of(trace_.begin(), trace_.end(),
                       [&](const std::string& s) { return s.find(text) != std::string::npos; });
  }
  // The check is over: idle, nobody busy, no progress window.
  bool Ended() const {
    return check_->HttpState() == 0 && !check_->Busy() && !check_->UserUpdateDialog() &&
           !progress_->Enabled();
  }
  // The user asks (the main program sends the message); the progress
  // window is up at once.
  void UserCheck() {
    SendMessageA(host_->Handle(), WM_TEZ_USER_UPDATE_CHECK, 0, 0);
    ASSERT_TRUE(check_->UserUpdateDialog());
    EXPECT_TRUE(check_->Busy());
    EXPECT_TRUE(FindOwnWindow("TfrmUserUpdate", "Brindale Update"));
  }
  // The user's click on the progress window's button, again while the
  // check goes on (a click can miss a window that is not active).
  bool PressOk(HWND dialog) {
    for (int attempt = 0; attempt < 10 && !Ended(); ++attempt) {
      SetForegroundWindow(dialog);
      ClickButton(dialog, "Ok");
      PumpUntil([&] { return Ended(); }, 1000);
    }
    return Ended();
  }
  // What the service saw last, fetched with the same client.
  std::string LastServiceQuery() {
    EXPECT_EQ(client_->state(), httpReady);
    auto done = client_->OnRequestDone;
    bool finished = false;
    client_->OnRequestDone = [&](TObject*, THttpRequest, int) { finished = true; };
    client_->URL = "http://" + ServerHostPort() + "/isapi/last";
    client_->GetASync();
    PumpUntil([&] { return finished; });
    client_->OnRequestDone = done;
    return client_->rcvdDocument();
  }

  std::unique_ptr<THostForm> host_;
  THttpClient* client_ = nullptr;
  TTimer* startUp_ = nullptr;
  TTimer* progress_ = nullptr;
  std::unique_ptr<TIniFile> settings_;
  std::unique_ptr<TUpdateCheck> check_;
  std::vector<std::string> trace_;
  std::atomic<bool> online_{true};
};

}  // namespace

TEST_F(UpdateCheckTest, UserCheckUpToDate) {
  // "UPGRADE" with "NONE", and no "UPGRADE" at all.
  for (const char* serial : {"uptodate", "noupgrade"}) {
    SCOPED_TRACE(serial);
    check_->Serial = serial;
    UserCheck();
    TfrmUserUpdate* dialog = check_->UserUpdateDialog();
    ASSERT_TRUE(PumpUntil([&] { return dialog->Label1->Caption() == "Your software is up to date."; }));
    EXPECT_EQ(dialog->btnCancel->Caption(), "Ok");
    EXPECT_EQ(dialog->Gauge->Progress(), dialog->Gauge->MaxValue());
    // The full gauge shows blue from end to end.
    HWND gauge = dialog->Gauge->Handle();
    UpdateWindow(gauge);
    PumpFor(100);
    EXPECT_EQ(GaugeColour(gauge, 1), RGB(0, 0, 255));
    EXPECT_EQ(GaugeColour(gauge, dialog->Gauge->ClientWidth() - 2), RGB(0, 0, 255));
    EXPECT_TRUE(check_->Busy());
    EXPECT_FALSE(FindOwnWindow("TfrmUpgradeAvailable"));
    // The user's "Ok" ends the check.
    ASSERT_TRUE(PressOk(dialog->Handle()));
    EXPECT_FALSE(FindOwnWindow("TfrmUserUpdate"));
    EXPECT_FALSE(PathExists("TezUpdate.ran"));
  }
}

TEST_F(UpdateCheckTest, AutomaticCheckUpToDateShowsNothing) {
  check_->Serial = "uptodate";
  startUp_->SetInterval(10);
  startUp_->SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return Traced("OnProcessUpdateResponse") && Ended(); }));
  EXPECT_FALSE(startUp_->Enabled());
  EXPECT_EQ(check_->Response(), "RESULT=OK<BR>UPGRADE=NONE<BR>");
  EXPECT_FALSE(FindOwnWindow("TfrmUserUpdate"));
  EXPECT_FALSE(FindOwnWindow("TfrmUpgradeAvailable"));
  // Serial and version reached the service escaped as values.
  EXPECT_EQ(LastServiceQuery(), "Check&SN=uptodate&Ver=2.4.0");
}

TEST_F(UpdateCheckTest, SerialAndVersionAreEscapedAndTheAddressIsNoFormat) {
  check_->Serial = "A B&Ver=9%s";
  check_->ProductVersion = "2.4 beta";
  check_->CheckUrl = ServiceUrl("Check&SN=%s&Ver=%s&x=%d%n%x");
  Post(WM_TEZ_UPDATE_START);
  ASSERT_TRUE(PumpUntil([&] { return Traced("Wrong Server Response") && Ended(); }));
  EXPECT_EQ(LastServiceQuery(), "Check&SN=A%20B%26Ver%3D9%25s&Ver=2.4%20beta&x=%d%n%x");
}

TEST_F(UpdateCheckTest, UpgradeOfferedAndAcceptedStartsTheUpdater) {
  check_->Serial = "upgrade";
  // The updater is slow to become idle: the controller does not wait for it.
  { std::ofstream("TezUpdate.hold") << "hold"; }
  std::string shown;
  DialogAnswer answer("TfrmUpgradeAvailable", "  Brindale Update", [&](HWND w) {
    shown = WindowText(FindChild(w, "Edit"));
    PressToClose(w, "Update");
  });
  UserCheck();
  ASSERT_TRUE(PumpUntil([&] { return Ended() && PathExists("TezUpdate.ran"); }));
  EXPECT_TRUE(answer.Answered());
  // The reply came in two pieces; the offer shows all of it.
  EXPECT_EQ(shown,
            "Name: Brindale Media Manager\r\nUpgrade to 2.5.1 version\r\nFile size: 2048KB\r\n"
            "Description: Faster recording");
  EXPECT_TRUE(Traced("Launch TezUpdate.exe"));
  EXPECT_NE(ReadFileText("TezUpdate.ran").find("TezUpdate.exe"), std::string::npos);
  // The check ended while the updater has not yet opened its window.
  EXPECT_EQ(ReadFileText("TezUpdate.ran").find("window"), std::string::npos);
  EXPECT_EQ(settings_->ReadInteger("Update", "autoUpdateActive", -1), 1);
  EXPECT_EQ(LastServiceQuery(), "Prepare&SN=upgrade");
  DeleteFileA("TezUpdate.hold");
  EXPECT_TRUE(PumpUntil(
      [&] { return ReadFileText("TezUpdate.ran").find("window") != std::string::npos; }));
}

TEST_F(UpdateCheckTest, UpgradeDeclinedOrNotPrepared) {
  struct Case {
    const char* serial;
    const char* button;
    bool keepChecking;
    const char* lastQuery;
  } cases[] = {
      {"upgrade", "Skip", false, "Check&SN=upgrade&Ver=2.4.0"},
      {"upgrade-noprep", "Update", true, "Prepare&SN=upgrade-noprep"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.serial);
    check_->Serial = c.serial;
    DialogAnswer answer("TfrmUpgradeAvailable", "  Brindale Update", [&](HWND w) {
      ClickCheckTo(w, "Periodically check for updates", c.keepChecking);
      PressToClose(w, c.button);
    });
    // The automatic check offers the upgrade as well.
    Post(WM_TEZ_UPDATE_START);
    ASSERT_TRUE(PumpUntil([&] { return answer.Answered() && Ended(); }));
    PumpFor(300);
    EXPECT_TRUE(Ended());
    EXPECT_FALSE(PathExists("TezUpdate.ran"));
    EXPECT_EQ(settings_->ReadInteger("Update", "autoUpdateActive", -1), c.keepChecking ? 1 : 0);
    EXPECT_EQ(LastServiceQuery(), c.lastQuery);
  }
}

TEST_F(UpdateCheckTest, FailedRequestsEndTheCheckWithAReason) {
  struct Case {
    std::string url;
    const char* serial;
    const char* reason;  // "" for a reply that arrived but says no
  } cases[] = {
      {"nosuchhost.invalid/isapi/TezBGUpdate.dll?Check&SN=%s", "x", "resolve"},
      {"127.0.0.1:1/isapi/TezBGUpdate.dll?Check&SN=%s", "x", "Error #"},
      {ServerHostPort() + "/status/404?%s", "x", "status 404"},
      {ServerHostPort() + "/status/500?%s", "x", "status 500"},
      {ServerHostPort() + "/longheader?%s", "x", "HTTP line too long"},
      {ServerHostPort() + "/ok/0?%s", "x", "empty reply"},
      {ServerHostPort() + "/silent?%s", "x", "no reply within 1500 ms"},
      {ServiceUrl("Check&SN=%s"), "partial", "incomplete reply"},
      {ServiceUrl("Check&SN=%s"), "broken", ""},
  };
  check_->TimeOutDelay = 1500;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url + " " + c.serial);
    trace_.clear();
    check_->CheckUrl = c.url;
    check_->Serial = c.serial;
    // The user is told that the server could not be reached.
    DialogAnswer answer("#32770", "Brindale Update", [](HWND w) { PressToClose(w, "OK"); });
    Post(WM_TEZ_USER_UPDATE_CHECK);
    ASSERT_TRUE(PumpUntil([&] { return answer.Answered() && Ended(); }));
    EXPECT_NE(check_->LastFailure().find(c.reason), std::string::npos) << check_->LastFailure();
    if (!*c.reason) {
      EXPECT_EQ(check_->LastFailure(), "");
    }
    EXPECT_TRUE(Traced("Wrong Server Response.Next Attempt..."));
    EXPECT_FALSE(FindOwnWindow("TfrmUpgradeAvailable"));
  }
  // The client is free again: a following automatic check goes through.
  check_->CheckUrl = ServiceUrl("Check&SN=%s");
  check_->Serial = "uptodate";
  trace_.clear();
  Post(WM_TEZ_UPDATE_START);
  ASSERT_TRUE(PumpUntil([&] { return Traced("OnProcessUpdateResponse") && Ended(); }));
  EXPECT_EQ(check_->Response(), "RESULT=OK<BR>UPGRADE=NONE<BR>");
}

TEST_F(UpdateCheckTest, AutomaticCheckTimesOut) {
  check_->TimeOutDelay = 1000;
  check_->CheckUrl = ServerHostPort() + "/silent?%s";
  Post(WM_TEZ_UPDATE_START);
  ASSERT_TRUE(PumpUntil([&] { return Traced("Update request failed") && Ended(); }));
  EXPECT_EQ(check_->LastFailure(), "no reply within 1000 ms");
  EXPECT_EQ(client_->state(), httpReady);
}

TEST_F(UpdateCheckTest, CancelEndsTheCheckAndItsTimer) {
  check_->TimeOutDelay = 3000;  // the progress timer ticks every 100 ms
  check_->CheckUrl = ServerHostPort() + "/silent?%s";
  UserCheck();
  ASSERT_TRUE(PumpUntil([&] { return client_->state() == httpWaitingHeader; }));
  // A run starts.
  Post(WM_TEZ_UPDATE_CANCEL);
  ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
  EXPECT_TRUE(Traced("OnCancelCheckForUpdateMessage"));
  EXPECT_EQ(client_->state(), httpReady);
  // Past the time-out nothing more happens, and the user can check again.
  PumpFor(3500);
  EXPECT_TRUE(Ended());
  EXPECT_FALSE(Traced("Wrong Server Response"));
  check_->CheckUrl = ServiceUrl("Check&SN=%s");
  check_->Serial = "uptodate";
  UserCheck();
  TfrmUserUpdate* dialog = check_->UserUpdateDialog();
  ASSERT_TRUE(PumpUntil([&] { return dialog->btnCancel->Caption() == "Ok"; }));
  // Closing the window ends the check as its button does.
  PostMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
}

TEST_F(UpdateCheckTest, OfflineNotice) {
  // Retry once the computer is online again starts the user's check;
  // Abort leaves it.
  for (bool retry : {true, false}) {
    SCOPED_TRACE(retry ? "retry" : "abort");
    online_ = false;
    check_->Serial = "uptodate";
    DialogAnswer answer("TfrmDisconnect", "  Brindale Update", [&](HWND w) {
      if (retry) online_ = true;
      PressToClose(w, retry ? "Retry" : "Abort");
    });
    Post(WM_TEZ_UPDATE_OFFLINE);
    ASSERT_TRUE(PumpUntil([&] { return answer.Answered(); }));
    if (retry) {
      ASSERT_TRUE(PumpUntil([&] { return check_->UserUpdateDialog() != nullptr; }));
      TfrmUserUpdate* dialog = check_->UserUpdateDialog();
      ASSERT_TRUE(PumpUntil([&] { return dialog->btnCancel->Caption() == "Ok"; }));
      EXPECT_TRUE(PressOk(dialog->Handle()));
    }
    ASSERT_TRUE(PumpUntil([&] { return Ended() && !FindOwnWindow("TfrmDisconnect"); }));
    PumpFor(200);
    EXPECT_FALSE(check_->UserUpdateDialog());
  }
}
