// The HTTP client control against the real local server.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "HttpControl.h"
#include "HttpTestSupport.h"

namespace {

// Records every event as a short text and can act inside the handlers.
class Recorder : public IHttpControlEvents {
 public:
  std::vector<std::string> events;
  std::vector<short> errors;
  std::string lastErrorText;
  int closed = 0;
  long replyCode = 0;
  std::string location;
  int32_t received = 0, total = 0;
  std::function<void(const CHttpDocOutput&)> onData;
  std::function<void()> onBase;
  std::function<void(short, BOOL*)> onTimeout;
  CHttpControl* ctl = nullptr;

  void OnError(short number, std::string& description, long, const std::string&,
               const std::string&, long, BOOL*) override {
    errors.push_back(number);
    lastErrorText = description;
    events.push_back("error");
  }
  void OnTimeout(short event, BOOL* keepWaiting) override {
    events.push_back("timeout " + std::to_string(event));
    if (onTimeout) onTimeout(event, keepWaiting);
  }
  void OnStateChanged(short state) override {
    if (state == HTTPCTL_STATE_CLOSED) ++closed;
    events.push_back("state " + std::to_string(state));
  }
  void OnProtocolStateChanged(short state) override {
    events.push_back("protocol " + std::to_string(state));
    if (state == HTTPCTL_PROTOCOL_BASE && onBase) onBase();
  }
  void OnDocOutput(CHttpDocOutput& doc) override {
    if (events.empty() || events.back() != "doc " + std::to_string(doc.Stage()))
      events.push_back("doc " + std::to_string(doc.Stage()));
    if (doc.Stage() == HTTPCTL_DOC_HEADERS) {
      replyCode = ctl->ReplyCode();
      for (long i = 1; i <= doc.Headers().Count(); ++i) {
        const CHttpHeader* h = doc.Headers().Item(i);
        if (_stricmp(h->Name().c_str(), "location") == 0) location = h->Value();
      }
      EXPECT_EQ(nullptr, doc.Headers().Item(0));
      EXPECT_EQ(nullptr, doc.Headers().Item(doc.Headers().Count() + 1));
    }
    if (doc.Stage() == HTTPCTL_DOC_DATA) {
      received = doc.BytesTransferred();
      total = doc.BytesTotal();
      if (onData) onData(doc);
    }
  }
  int Count(const std::string& e) const {
    int n = 0;
    for (const auto& x : events) n += x == e;
    return n;
  }
  size_t Index(const std::string& e) const {
    for (size_t i = 0; i < events.size(); ++i)
      if (events[i] == e) return i;
    return events.size();
  }
};

struct Fixture : ::testing::Test {
  Recorder rec;
  CHttpControl ctl{&rec};
  void SetUp() override {
    ASSERT_NE(0, TestServerPort()) << "run under with_server.sh";
    rec.ctl = &ctl;
  }
  bool Fetch(const std::string& path, const char* out = "out.bin") {
    if (!ctl.GetDoc(TestUrl(path).c_str(), nullptr, out)) return false;
    return PumpUntil([&] { return rec.closed > 0; });
  }
};

TEST_F(Fixture, FetchesEveryBodyFormIntoTheFileInEventOrder) {
  struct Case { const char* path; size_t size; } cases[] = {
      {"/ok/100000", 100000}, {"/ok/0", 0}, {"/noclen/5000", 5000},
      {"/chunked/12345", 12345}, {"/slow/3000?ms=20&k=500", 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    rec = Recorder();
    rec.ctl = &ctl;
    // At the base state the output file must already be closed.
    bool fileClosed = false;
    rec.onBase = [&] {
      HANDLE h = CreateFileA("out.bin", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      fileClosed = h != INVALID_HANDLE_VALUE;
      if (fileClosed) CloseHandle(h);
    };
    ASSERT_TRUE(Fetch(c.path));
    EXPECT_TRUE(rec.errors.empty()) << rec.lastErrorText;
    EXPECT_EQ(200, rec.replyCode);
    EXPECT_EQ(ServerBody(c.size), ReadFileText("out.bin"));
    EXPECT_EQ(static_cast<int32_t>(c.size), rec.received);
    EXPECT_EQ(static_cast<int32_t>(c.size), rec.total);
    EXPECT_TRUE(fileClosed);
    EXPECT_EQ(1, rec.closed);
    EXPECT_EQ(0u, rec.Index("state 1"));
    EXPECT_LT(rec.Index("state 4"), rec.Index("protocol 1"));
    EXPECT_LT(rec.Index("protocol 1"), rec.Index("doc 2"));
    EXPECT_LT(rec.Index("doc 2"), rec.Index("doc 3"));
    EXPECT_LT(rec.Index("doc 3"), rec.Index("doc 4"));
    EXPECT_LT(rec.Index("doc 4"), rec.Index("protocol 0"));
    EXPECT_EQ("state 6", rec.events.back());
    EXPECT_EQ("Connection closed", ctl.StateString());
    EXPECT_EQ("Base", ctl.ProtocolStateString());
  }
}

TEST_F(Fixture, ReportsReplyCodesAndHeadersOfErrorAndRedirectReplies) {
  ASSERT_TRUE(Fetch("/redirect/302?to=/ok/7"));
  EXPECT_EQ(302, rec.replyCode);
  EXPECT_EQ("/ok/7", rec.location);
  EXPECT_TRUE(rec.errors.empty());
  rec = Recorder();
  rec.ctl = &ctl;
  ASSERT_TRUE(Fetch("/status/503"));
  EXPECT_EQ(503, ctl.ReplyCode());
  EXPECT_EQ("status body 503\n", ReadFileText("out.bin"));
}

TEST_F(Fixture, BrokenRepliesEndWithOneErrorThenBaseThenClosed) {
  struct Case { std::string url; short error; } cases[] = {
      {TestUrl("/reset/50000"), HTTPCTL_ERR_CONNECTION_LOST},
      {TestUrl("/garbage"), HTTPCTL_ERR_BAD_REPLY},
      {TestUrl("/longheader"), HTTPCTL_ERR_BAD_REPLY},
      {TestUrl("/badchunk"), HTTPCTL_ERR_BAD_REPLY},
      {"http://127.0.0.1:1/", HTTPCTL_ERR_CONNECT},
      // A reserved name is never looked up.
      {"http://cleanup.INVALID./index.html", HTTPCTL_ERR_HOST_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    rec = Recorder();
    rec.ctl = &ctl;
    ASSERT_TRUE(ctl.GetDoc(c.url.c_str(), nullptr, "out.bin"));
    ASSERT_TRUE(PumpUntil([&] { return rec.closed > 0; }));
    ASSERT_EQ(1u, rec.errors.size());
    EXPECT_EQ(c.error, rec.errors[0]);
    EXPECT_FALSE(rec.lastErrorText.empty());
    EXPECT_LT(rec.Index("error"), rec.Index("protocol 0"));
    EXPECT_EQ("state 6", rec.events.back());
    EXPECT_EQ(1, rec.closed);
  }
}

TEST_F(Fixture, SendsOnlyTheGivenHeadersAndForgetsThemAfterTheRequest) {
  ctl.DocInput().Headers().Add("HOST", "example.org:80");
  ctl.DocInput().Headers().Add("COOKIE", "a=1");
  ASSERT_TRUE(Fetch("/echo"));
  std::string echo = ReadFileText("out.bin");
  EXPECT_EQ(0u, echo.find("GET /echo HTTP/1.0\n")) << echo;
  EXPECT_NE(std::string::npos, echo.find("HOST: example.org:80\n")) << echo;
  EXPECT_NE(std::string::npos, echo.find("COOKIE: a=1\n")) << echo;

  rec = Recorder();
  rec.ctl = &ctl;
  ASSERT_TRUE(Fetch("/echo"));
  echo = ReadFileText("out.bin");
  EXPECT_EQ(std::string::npos, echo.find("ost:")) << echo;
  EXPECT_EQ(std::string::npos, echo.find("OST:")) << echo;
  EXPECT_EQ(std::string::npos, echo.find("COOKIE")) << echo;

  // A header value that would split the request is refused.
  ctl.DocInput().Headers().Add("COOKIE", "a=1\r\nX-Evil: 1");
  EXPECT_FALSE(ctl.GetDoc(TestUrl("/echo").c_str(), nullptr, "out.bin"));
  EXPECT_FALSE(ctl.Busy());
}

TEST_F(Fixture, ProxyGetsTheAbsoluteAddressAndTheGivenAuthorization) {
  ctl.Proxy().SetUse(TRUE);
  ctl.Proxy().SetHost("127.0.0.1");
  ctl.Proxy().SetPort(TestServerPort());
  ASSERT_TRUE(ctl.GetDoc("http://far.example:8080/echo?x=1", nullptr, "out.bin"));
  ASSERT_TRUE(PumpUntil([&] { return rec.closed > 0; }));
  EXPECT_EQ(407, rec.replyCode);

  rec = Recorder();
  rec.ctl = &ctl;
  ctl.DocInput().Headers().Add("Proxy-Authorization", "Basic dGVzdDp0ZXN0");
  ASSERT_TRUE(ctl.GetDoc("http://far.example:8080/echo?x=1", nullptr, "out.bin"));
  ASSERT_TRUE(PumpUntil([&] { return rec.closed > 0; }));
  EXPECT_EQ(200, rec.replyCode);
  std::string echo = ReadFileText("out.bin");
  EXPECT_EQ(0u, echo.find("GET http://far.example:8080/echo?x=1 HTTP/1.0\n")) << echo;

  // A proxy setting without a host is not used.
  ctl.Proxy().SetHost("");
  rec = Recorder();
  rec.ctl = &ctl;
  ASSERT_TRUE(Fetch("/echo"));
  EXPECT_EQ(0u, ReadFileText("out.bin").find("GET /echo HTTP/1.0\n"));
}

TEST_F(Fixture, CancelInsideADataEventEndsAtOnceAndTheControlIsReusable) {
  rec.onData = [&](const CHttpDocOutput&) { ctl.Cancel(); };
  ASSERT_TRUE(ctl.GetDoc(TestUrl("/slow/100000?ms=30&k=1000").c_str(), nullptr, "out.bin"));
  ASSERT_TRUE(PumpUntil([&] { return rec.closed > 0; }));
  size_t n = rec.events.size();
  PumpFor(300);
  EXPECT_EQ(n, rec.events.size());  // nothing after the end
  EXPECT_TRUE(rec.errors.empty());
  EXPECT_EQ(1, rec.Count("doc 3"));
  EXPECT_EQ(0, rec.Count("doc 4"));
  EXPECT_EQ("state 6", rec.events.back());
  EXPECT_FALSE(ctl.Busy());

  // Cancel on an idle control raises nothing.
  rec.events.clear();
  ctl.Cancel();
  EXPECT_TRUE(rec.events.empty());

  rec = Recorder();
  rec.ctl = &ctl;
  ASSERT_TRUE(Fetch("/ok/10"));
  EXPECT_EQ(ServerBody(10), ReadFileText("out.bin"));
}

TEST_F(Fixture, RefusesBadAddressesAndASecondRequestWithoutEvents) {
  for (const char* url : {"ftp://127.0.0.1/x", "http://127.0.0.1:70000/", "http://127.0.0.1:0/",
                          "http:///x", "http://a b/", "", "http://127.0.0.1:80x/"}) {
    SCOPED_TRACE(url);
    EXPECT_FALSE(ctl.GetDoc(url, nullptr, "out.bin"));
    EXPECT_FALSE(ctl.LastError().empty());
  }
  EXPECT_TRUE(rec.events.empty());
  ASSERT_TRUE(ctl.GetDoc(TestUrl("/slow/2000?ms=20&k=100").c_str(), nullptr, "out.bin"));
  EXPECT_FALSE(ctl.GetDoc(TestUrl("/ok/1").c_str(), nullptr, "other.bin"));
  ASSERT_TRUE(PumpUntil([&] { return rec.closed > 0; }));
  EXPECT_EQ(ServerBody(2000), ReadFileText("out.bin"));
}

TEST_F(Fixture, ReceiveTimeoutIsReportedAndCanEndTheRequest) {
  ctl.SetTimeout(HTTPCTL_TIMEOUT_RECEIVE, 150);
  rec.onTimeout = [](short, BOOL* keep) { *keep = FALSE; };
  ASSERT_TRUE(ctl.GetDoc(TestUrl("/slow/10?ms=2000&k=5").c_str(), nullptr, "out.bin"));
  ASSERT_TRUE(PumpUntil([&] { return rec.closed > 0; }));
  EXPECT_EQ(1, rec.Count("timeout 2"));
  ASSERT_EQ(1u, rec.errors.size());
  EXPECT_EQ(HTTPCTL_ERR_TIMEOUT, rec.errors[0]);

  // Switched off, the same slow reply completes.
  rec = Recorder();
  rec.ctl = &ctl;
  ctl.EnableTimer(HTTPCTL_TIMEOUT_RECEIVE, 0);
  ASSERT_TRUE(Fetch("/slow/10?ms=300&k=5"));
  EXPECT_EQ(0, rec.Count("timeout 2"));
  EXPECT_TRUE(rec.errors.empty());
}

TEST_F(Fixture, PostsAFileAndResolvesHostNames) {
  std::string doc = ServerBody(70000);
  { std::ofstream("doc.txt", std::ios::binary) << doc; }
  ASSERT_TRUE(ctl.SendDoc(TestUrl("/post").c_str(), nullptr, nullptr, "doc.txt", nullptr));
  ASSERT_TRUE(PumpUntil([&] { return rec.closed > 0; }));
  EXPECT_TRUE(rec.errors.empty());
  EXPECT_EQ(200, rec.replyCode);
  rec = Recorder();
  rec.ctl = &ctl;
  std::string url = "http://localhost:" + std::to_string(TestServerPort()) + "/posted";
  ASSERT_TRUE(ctl.GetDoc(url.c_str(), nullptr, "out.bin"));
  ASSERT_TRUE(PumpUntil([&] { return rec.closed > 0; }));
  EXPECT_EQ(doc, ReadFileText("out.bin"));
}

}  // namespace
