// The FTP client control against the real local FTP server.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FtpControl.h"
#include "FtpTestSupport.h"

namespace {

// Records every event as a short text and can act inside the handlers.
class Events : public IFtpControlEvents {
 public:
  std::vector<std::string> events;
  std::vector<short> errors;
  std::string lastErrorText;
  int closed = 0;
  int32_t received = 0, total = 0;
  std::function<void()> onData;

  void OnError(short number, std::string& description, long, const std::string&,
               const std::string&, long, BOOL*) override {
    errors.push_back(number);
    lastErrorText = description;
    events.push_back("error");
  }
  void OnStateChanged(short state) override {
    if (state == FTPCTL_STATE_CLOSED) ++closed;
    events.push_back("state " + std::to_string(state));
  }
  void OnProtocolStateChanged(short state) override {
    events.push_back("protocol " + std::to_string(state));
  }
  void OnBusy(BOOL busy) override { events.push_back(busy ? "busy" : "idle"); }
  void OnDocOutput(CFtpDocOutput& doc) override {
    if (events.empty() || events.back() != "doc " + std::to_string(doc.Stage()))
      events.push_back("doc " + std::to_string(doc.Stage()));
    received = doc.BytesTransferred();
    total = doc.BytesTotal();
    if (doc.Stage() == FTPCTL_DOC_DATA && onData) onData();
  }
  int Count(const std::string& e) const {
    int n = 0;
    for (const auto& x : events) n += x == e;
    return n;
  }
  std::string Joined() const {
    std::string s;
    for (const auto& e : events) s += (s.empty() ? "" : ", ") + e;
    return s;
  }
};

struct FtpControl : ::testing::Test {
  Events ev;
  CFtpControl ctl{&ev};
  void SetUp() override { ASSERT_NE(0, FtpServerPort()) << "run under with_ftp_server.sh"; }
  bool Fetch(const std::string& url, const char* out = "out.bin") {
    ev = Events();
    DeleteFileA(out);
    if (!ctl.GetFile(url.c_str(), nullptr, out)) return false;
    EXPECT_TRUE(PumpUntil([&] { return ev.closed > 0; }, 60000)) << url << ": " << ev.Joined();
    return true;
  }
};

TEST_F(FtpControl, FetchesAFileWithItsEventsInOrder) {
  const std::string bytes = FtpFixture(700000);
  WriteBytes("whole.bin", bytes);
  const struct {
    const char* what;
    std::string url;
  } cases[] = {
      {"anonymous", FtpUrlOf("/whole.bin")},
      {"named user", FtpUrlOf("/whole.bin", "user:secret")},
      {"passive reply with blanks", FtpUrlOf("/whole.bin", "spaced:secret")},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Fetch(c.url)) << c.what << ": " << ctl.LastError();
    EXPECT_EQ(bytes, ReadFileText("out.bin")) << c.what;
    EXPECT_EQ(700000, ev.received) << c.what;
    EXPECT_EQ(700000, ev.total) << c.what;
    EXPECT_TRUE(ev.errors.empty()) << c.what << ": " << ev.lastErrorText;
    EXPECT_EQ("busy, state 1, state 2, state 3, state 4, protocol 1, protocol 2, doc 1, doc 3, "
              "doc 4, protocol 0, state 5, state 6, idle",
              ev.Joined())
        << c.what;
    EXPECT_FALSE(ctl.Busy());
  }
}

TEST_F(FtpControl, EveryRefusalAndBrokenTransferRaisesTheErrorOnce) {
  const std::string bytes = FtpFixture(200000);
  for (const char* name : {"refuse425-a.bin", "refuse426-a.bin", "short-a.bin", "reset-a.bin",
                           "stall-a.bin", "long-a.bin"})
    WriteBytes(name, bytes);
  ctl.SetIdleTimeout(2000);
  const struct {
    const char* what;
    std::string url;
    short error;
    const char* text;  // the start of the description
    short orError;     // a reset may surface as the end of a short transfer
  } cases[] = {
      {"missing file", FtpUrlOf("/none.bin"), FTPCTL_ERR_REFUSED, "550 ", 0},
      {"login refused", FtpUrlOf("/whole.bin", "user:wrong"), FTPCTL_ERR_REFUSED, "530 ", 0},
      {"no data connection", FtpUrlOf("/refuse425-a.bin"), FTPCTL_ERR_REFUSED, "425 ", 0},
      {"transfer aborted", FtpUrlOf("/refuse426-a.bin"), FTPCTL_ERR_REFUSED, "426 ", 0},
      {"shorter than its size", FtpUrlOf("/short-a.bin"), FTPCTL_ERR_SHORT,
       "Transfer ended short: 100000 of 200000 bytes", 0},
      {"longer than its size", FtpUrlOf("/long-a.bin"), FTPCTL_ERR_LONG,
       "Transfer longer than its size: ", 0},
      {"reset mid-file", FtpUrlOf("/reset-a.bin"), FTPCTL_ERR_CONNECTION_LOST, "",
       FTPCTL_ERR_SHORT},
      {"stalled", FtpUrlOf("/stall-a.bin"), FTPCTL_ERR_TIMEOUT, "", 0},
      {"nobody listening", "ftp://127.0.0.1:1/a.bin", FTPCTL_ERR_CONNECT, "", 0},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Fetch(c.url)) << c.what << ": " << ctl.LastError();
    ASSERT_EQ(1u, ev.errors.size()) << c.what << ": " << ev.Joined();
    EXPECT_TRUE(c.error == ev.errors[0] || (c.orError && c.orError == ev.errors[0]))
        << c.what << ": " << ev.errors[0] << " " << ev.lastErrorText;
    EXPECT_EQ(0u, ev.lastErrorText.find(c.text)) << c.what << ": " << ev.lastErrorText;
    // The error comes before the end of the fetch, which is reported once.
    const size_t n = ev.events.size();
    ASSERT_GE(n, 4u) << c.what;
    EXPECT_EQ("protocol 0", ev.events[n - 3 - (ev.events[n - 3] == "state 5")]) << ev.Joined();
    EXPECT_EQ("state 6", ev.events[n - 2]) << c.what;
    EXPECT_EQ(1, ev.Count("state 6")) << c.what;
    EXPECT_EQ(0, ev.Count("doc 4")) << c.what;
    EXPECT_FALSE(ctl.Busy()) << c.what;
  }
}

TEST_F(FtpControl, CancelEndsAStalledFetchAtOnceWithoutError) {
  WriteBytes("stall-b.bin", FtpFixture(100000));
  ev = Events();
  ev.onData = [&] { ctl.Cancel(); };
  ASSERT_TRUE(ctl.GetFile(FtpUrlOf("/stall-b.bin").c_str(), nullptr, "out.bin"));
  ASSERT_TRUE(PumpUntil([&] { return ev.closed > 0; }, 30000)) << ev.Joined();
  EXPECT_TRUE(ev.errors.empty());
  EXPECT_EQ("idle", ev.events.back());
  ctl.Cancel();  // idle: nothing more
  PumpFor(300);
  EXPECT_EQ(1, ev.closed);
}

TEST_F(FtpControl, AProxyLogsInWithTheHostInTheUserName) {
  CreateDirectoryA("proxy", nullptr);
  const std::string bytes = FtpFixture(5000);
  WriteBytes("proxy\\far.bin", bytes);
  ctl.Proxy().SetUse(FTPCTL_PROXY_USER_AT_HOST);
  ctl.Proxy().SetHost("127.0.0.1");
  ctl.Proxy().SetPort(FtpServerPort());
  ASSERT_TRUE(Fetch("ftp://far.example/far.bin")) << ctl.LastError();
  EXPECT_TRUE(ev.errors.empty()) << ev.lastErrorText;
  EXPECT_EQ(bytes, ReadFileText("out.bin"));
}

TEST_F(FtpControl, AFetchThatCannotStartRaisesNoEvent) {
  WriteBytes("whole.bin", "x");
  for (const char* url : {"http://127.0.0.1/whole.bin", "ftp://127.0.0.1/", ""}) {
    EXPECT_FALSE(Fetch(url)) << url;
    EXPECT_FALSE(ctl.LastError().empty()) << url;
  }
  EXPECT_FALSE(Fetch(FtpUrlOf("/whole.bin"), ""));
  PumpFor(200);
  EXPECT_TRUE(ev.events.empty()) << ev.Joined();

  ASSERT_TRUE(ctl.GetFile(FtpUrlOf("/whole.bin").c_str(), nullptr, "out.bin"));
  EXPECT_FALSE(ctl.GetFile(FtpUrlOf("/whole.bin").c_str(), nullptr, "out2.bin"));
  EXPECT_EQ("The control is busy", ctl.LastError());
  ctl.Cancel();
  EXPECT_EQ(1, ev.closed);
}

}  // namespace
