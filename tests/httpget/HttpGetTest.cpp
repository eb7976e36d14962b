// TezHttpGet.dll loaded by a small host: mail through the deliver hook,
// items in real item files, fetches from the local test server.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "../http/HttpTestSupport.h"
#include "DataItem.h"
#include "IniManager.h"
#include "MailMessage.h"
#include "MailSlot.h"
#include "MappedMail.h"
#include "TezItemOperatorApi.h"

namespace {

struct Mail {
  MailMessage m;
  DWORD tick;
};
std::vector<Mail> g_mail;

void TEZAPI Hook(const MailMessage* m) { g_mail.push_back({*m, GetTickCount()}); }

int CountEvents(int32_t event) {
  int n = 0;
  for (const Mail& x : g_mail) n += x.m.message == TEZ_MSG_EVENT && x.m.lParam[0] == event;
  return n;
}

std::vector<std::string> Errors() {
  std::vector<std::string> out;
  for (const Mail& x : g_mail)
    if (x.m.message == TEZ_MSG_ERROR) out.push_back(x.m.text);
  return out;
}

std::vector<Mail> Statuses() {
  std::vector<Mail> out;
  for (const Mail& x : g_mail)
    if (x.m.message == TEZ_MSG_STATUS) out.push_back(x);
  return out;
}

void WriteFile(const std::string& path, const std::string& text) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  ::WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
  CloseHandle(f);
}

// Files in the item's temp folder.
std::vector<std::string> TempFiles() {
  std::vector<std::string> out;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA("tmp\\*", &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(fd.cFileName);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return out;
}

void ClearTempFolder() {
  for (const std::string& f : TempFiles()) DeleteFileA(("tmp\\" + f).c_str());
}

// The caption of the plug-in's status dialog.
const char kDialogCaption[] = "Brindale Http Get";

struct Plugin {
  HMODULE module = LoadLibraryA("TezHttpGet.dll");
  template <typename T>
  T Entry(const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  TezItemOperator_Initialize3_t init3 = Entry<TezItemOperator_Initialize3_t>("TezItemOperator_Initialize3");
  TezItemOperator_Close_t close = Entry<TezItemOperator_Close_t>("TezItemOperator_Close");
  TezItemOperator_Operate_t operate = Entry<TezItemOperator_Operate_t>("TezItemOperator_Operate");
  TezItemOperator_Stop_t stop = Entry<TezItemOperator_Stop_t>("TezItemOperator_Stop");
  TezItemOperator_GetVersion_t version = Entry<TezItemOperator_GetVersion_t>("TezItemOperator_GetVersion");
  TezItemOperator_GetState_t state = Entry<TezItemOperator_GetState_t>("TezItemOperator_GetState");
  TezItemOperator_GetOutputType_t outputType = Entry<TezItemOperator_GetOutputType_t>("TezItemOperator_GetOutputType");
  TezItemOperator_GetLink_t getLink = Entry<TezItemOperator_GetLink_t>("TezItemOperator_GetLink");
};

Plugin& ThePlugin() {
  static Plugin p;
  return p;
}

CIniManager& Ini() {
  static CIniManager ini("TezIniManager.dll", 1);
  return ini;
}

class HttpGet : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(0, TestServerPort()) << "run under with_server.sh";
    ASSERT_TRUE(Ini().GetDllLoadState());
    ASSERT_NE(nullptr, p.module);
    CreateDirectoryA("tmp", nullptr);
    ClearTempFolder();
    g_mail.clear();
    host = CreateWindowExA(0, "STATIC", "HttpGet test host", 0, 0, 0, 0, 0, nullptr, nullptr,
                           nullptr, nullptr);
    ASSERT_TRUE(host);
  }
  void TearDown() override {
    p.close();
    DestroyWindow(host);
    PumpFor(50);
  }
  void Init() { ASSERT_EQ(1, p.init3(host, "\\\\.\\mailslot\\unused", Hook, 0, 0, nullptr)); }

  // A fresh item whose link is given.
  void MakeItem(CDataItem& item, const std::string& link) {
    WriteFile("Items.inx", "[1]\r\nlink=" + link + "\r\nrecStatus=0\r\n");
    Ini().ReloadFile("Items.inx");
    item.Init(1, 1, "News", "Items.inx", "TezParam.inx", "tmp\\", 0, nullptr, nullptr, nullptr,
              "mp3", 1, nullptr);
    ASSERT_EQ(1, item.Load());
  }
  std::string Key(const char* key) { return Ini().GetString("Items.inx", "1", key); }
  bool WaitStop(DWORD guard = 20000) {
    return PumpUntil([] { return CountEvents(TEZ_EVENT_STOP) > 0; }, guard);
  }

  Plugin& p = ThePlugin();
  HWND host = nullptr;
};

TEST_F(HttpGet, ExportsAnswerOnlyWhenInitialisedAndShowDialogIsRead) {
  EXPECT_EQ(0, p.version());
  EXPECT_EQ(0, p.stop());
  EXPECT_EQ(nullptr, p.outputType("wav"));
  EXPECT_EQ(0, p.init3(nullptr, "x", Hook, 0, 0, nullptr));
  EXPECT_EQ(0, p.state());

  struct Case { const char* index; const char* value; bool shown; } cases[] = {
      {nullptr, nullptr, false}, {"Other.inx", "1", true}, {"Other.inx", "2", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index ? c.index : "(default)");
    WriteFile("Other.inx", c.value ? std::string("[TezHttpGet.dll]\r\nshowDialog=") + c.value + "\r\n" : "");
    Ini().ReloadFile((InCurrentDirectory("Other.inx")).c_str());
    ASSERT_EQ(1, p.init3(host, "\\\\.\\mailslot\\unused", Hook, 0, 0, c.index));
    HWND dialog = OwnDialog(kDialogCaption);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(c.shown, IsWindowVisible(dialog) != FALSE);
    EXPECT_EQ(280498, p.version());
    EXPECT_EQ(1, p.state());
    const char* wav = "wav";
    EXPECT_EQ(wav, p.outputType(wav));
    p.close();
    EXPECT_EQ(0, p.state());
    EXPECT_FALSE(OwnDialog(kDialogCaption));
  }
}

// The shown dialog lives in the host's plain message loop: Enter and
// Escape typed in it end it, as its OK and Cancel do.
TEST_F(HttpGet, EnterAndEscapeInTheShownDialogEndIt) {
  WriteFile("Other.inx", "[TezHttpGet.dll]\r\nshowDialog=1\r\n");
  Ini().ReloadFile((InCurrentDirectory("Other.inx")).c_str());
  for (WORD key : {VK_RETURN, VK_ESCAPE}) {
    SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Escape");
    ASSERT_EQ(1, p.init3(host, "\\\\.\\mailslot\\unused", Hook, 0, 0, "Other.inx"));
    HWND dialog = OwnDialog(kDialogCaption);
    ASSERT_TRUE(dialog && IsWindowVisible(dialog));
    HWND edit = GetDlgItem(dialog, 1002);
    ASSERT_TRUE(PumpUntil([&] {
      if (GetForegroundWindow() != dialog) SetForegroundWindow(dialog);
      if (GetFocus() != edit) SetFocus(edit);
      return GetForegroundWindow() == dialog && GetFocus() == edit;
    }, 3000));
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = key;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([] { return !OwnDialog(kDialogCaption); }, 5000));
    p.close();
  }
}

TEST_F(HttpGet, FetchesAnItemIntoAPlayableTempFileWithThrottledProgress) {
  Init();
  CDataItem item;
  MakeItem(item, "URL:" + TestUrl("/slow/30000?ms=100&k=1500"));
  p.operate(&item);
  ASSERT_TRUE(WaitStop());
  EXPECT_TRUE(Errors().empty());
  ASSERT_EQ(1, CountEvents(TEZ_EVENT_START));
  EXPECT_EQ(TEZ_EVENT_START, g_mail.front().m.lParam[0]);
  EXPECT_EQ(TEZ_EVENT_STOP, g_mail.back().m.lParam[0]);

  std::vector<Mail> progress = Statuses();
  ASSERT_GE(progress.size(), 2u);
  for (size_t i = 0; i < progress.size(); ++i) {
    EXPECT_STREQ("Downloading", progress[i].m.text);
    EXPECT_EQ(1, progress[i].m.lParam[0]);
    EXPECT_EQ(30000, progress[i].m.lParam[2]);
    if (i) {
      EXPECT_GE(progress[i].tick - progress[i - 1].tick, 450u);
      EXPECT_GE(progress[i].m.lParam[1], progress[i - 1].m.lParam[1]);
    }
  }

  std::vector<std::string> files = TempFiles();
  ASSERT_EQ(1u, files.size());
  EXPECT_EQ(0u, files[0].find("tez"));
  EXPECT_EQ(".tzx", files[0].substr(files[0].size() - 4));
  EXPECT_EQ(ServerBody(30000), ReadFileText("tmp\\" + files[0]));
  EXPECT_EQ("1", Key("numberTempFiles"));
  EXPECT_EQ("1", Key("numberPlayableTempFiles"));
  EXPECT_EQ("30000", Key("lengthBytes"));
  EXPECT_NE("6", Key("recStatus"));
  std::string first;
  ASSERT_EQ(1, item.GetFirstFile(first, 0));  // the chain goes on with the file
  EXPECT_NE(std::string::npos, first.find(files[0]));

  PumpFor(3500);
  EXPECT_EQ(1, CountEvents(TEZ_EVENT_STOP));
}

TEST_F(HttpGet, EveryFailureMarksTheItemMailsItsOwnErrorAndStopsOnce) {
  Init();
  std::string port = std::to_string(TestServerPort());
  struct Case { std::string link; std::string error; bool accepted; } cases[] = {
      {TestUrl("/status/404"), "Http error [404]: Link not found", true},
      {TestUrl("/status/403"), "Http error [403]: Forbidden request", true},
      {TestUrl("/status/500"), "Http error [500]: Internal web server error", true},
      {TestUrl("/status/402"), "Http Get error [402]: Client error", true},
      {TestUrl("/status/503"), "Http Get error [503]: Server error", true},
      {TestUrl("/status/303"), "Http Get error [303]: Unexpected reply", true},
      {TestUrl("/status/304"), "Http error [304]: Not modified", true},
      {TestUrl("/status/301"), "Http error [301]: Redirection without a location", true},
      {TestUrl("/reset/50000"), "Failed to download item.", true},
      {"http://127.0.0.1:1/x.mp3", "Failed to download item.", true},
      {TestUrl("/loop/a"), "Http error [302]: Too many redirections", true},
      {TestUrl("/self"), "Http error [302]: Redirection to the same URL", true},
      {TestUrl("/redirect/302?to=ftp://127.0.0.1/x.mp3"),
       "Http error [302]: Redirection to a non-HTTP link", true},
      {"http://127.0.0.1:70000/x.mp3", "Bad URL: bad port", true},
      {"ftp://127.0.0.1/x.mp3", "Non http URL", false},
      {"", "Bad URL", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    g_mail.clear();
    CDataItem item;
    MakeItem(item, c.link);
    p.operate(&item);
    ASSERT_TRUE(WaitStop());
    PumpFor(100);
    EXPECT_EQ(1, CountEvents(TEZ_EVENT_STOP));
    EXPECT_EQ(c.accepted ? 1 : 0, CountEvents(TEZ_EVENT_START));
    ASSERT_EQ(1u, Errors().size());
    EXPECT_EQ(c.error, Errors()[0]);
    EXPECT_EQ("6", Key("recStatus"));
    EXPECT_EQ(c.error, Key("errorHint"));
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_TRUE(Key("numberTempFiles") == "" || Key("numberTempFiles") == "0");
  }
}

TEST_F(HttpGet, FollowsRelativeAndAbsoluteRedirectsIntoTheSameFile) {
  Init();
  std::string port = std::to_string(TestServerPort());
  for (std::string path : {std::string("/redirect/302?to=/ok/700"),
                           "/redirect/301?to=http://localhost:" + port + "/redirect/302?to=../ok/700"}) {
    SCOPED_TRACE(path);
    g_mail.clear();
    ClearTempFolder();
    CDataItem item;
    MakeItem(item, TestUrl(path));
    p.operate(&item);
    ASSERT_TRUE(WaitStop());
    EXPECT_TRUE(Errors().empty()) << Errors()[0];
    std::vector<std::string> files = TempFiles();
    ASSERT_EQ(1u, files.size());
    EXPECT_EQ(ServerBody(700), ReadFileText("tmp\\" + files[0]));
  }
}

TEST_F(HttpGet, StopMidTransferLeavesNoFileAndStopAfterCompletionKeepsIt) {
  Init();
  CDataItem item;
  MakeItem(item, TestUrl("/slow/200000?ms=100&k=1000"));
  p.operate(&item);
  ASSERT_TRUE(PumpUntil([] { return !Statuses().empty(); }));
  EXPECT_EQ(1, p.stop());
  ASSERT_TRUE(WaitStop());
  PumpFor(300);
  EXPECT_EQ(1, CountEvents(TEZ_EVENT_STOP));
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ("7", Key("recStatus"));
  EXPECT_TRUE(TempFiles().empty());

  // Completed, waiting for its end: a stop keeps the file and stops once.
  g_mail.clear();
  CDataItem done;
  MakeItem(done, TestUrl("/ok/5000"));
  p.operate(&done);
  ASSERT_TRUE(PumpUntil([&] { return Key("lengthBytes") == "5000"; }));
  p.stop();
  ASSERT_TRUE(WaitStop());
  PumpFor(3500);
  EXPECT_EQ(1, CountEvents(TEZ_EVENT_STOP));
  ASSERT_EQ(1u, TempFiles().size());
  EXPECT_EQ("1", Key("numberPlayableTempFiles"));
  EXPECT_NE("7", Key("recStatus"));
}

TEST_F(HttpGet, SendsHostAndTheSitesOwnCookiesThroughTheProxy) {
  ASSERT_TRUE(InternetSetCookieA("http://127.0.0.1/", "c", "1"));
  Init();
  std::string port = std::to_string(TestServerPort());
  struct Case { std::string path; std::string want; } cases[] = {
      {"/cookie", "c=1"},
      {"/redirect/302?to=http://localhost:" + port + "/cookie", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    g_mail.clear();
    p.getLink(TestUrl(c.path).c_str(), "got.txt");
    ASSERT_TRUE(WaitStop());
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(c.want, ReadFileText("got.txt"));
  }
  p.close();

  WriteFile("TezParam.inx", "[Proxies]\r\nuseProxy=1\r\nhttpHost=127.0.0.1\r\nhttpPort=" + port + "\r\n");
  Ini().ReloadFile(InCurrentDirectory("TezParam.inx").c_str());
  Init();
  g_mail.clear();
  p.getLink("http://far.example:8080/echo", "got.txt");
  ASSERT_TRUE(WaitStop());
  std::string echo = ReadFileText("got.txt");
  EXPECT_EQ(0u, echo.find("GET http://far.example:8080/echo HTTP/1.0\n")) << echo;
  EXPECT_NE(std::string::npos, echo.find("HOST: far.example:8080\n")) << echo;
  DeleteFileA("TezParam.inx");
  Ini().ReloadFile(InCurrentDirectory("TezParam.inx").c_str());
}

TEST_F(HttpGet, GetLinkRefusesBadLinksAndRemovesAFailedFile) {
  Init();
  struct Case { const char* url; const char* error; } cases[] = {
      {"", "Bad or empty link"}, {"ftp://127.0.0.1/x", "Non http link"}};
  for (const Case& c : cases) {
    g_mail.clear();
    p.getLink(c.url, "got.txt");
    ASSERT_TRUE(WaitStop());
    ASSERT_EQ(1u, Errors().size());
    EXPECT_EQ(c.error, Errors()[0]);
    EXPECT_EQ(0, CountEvents(TEZ_EVENT_START));
  }
  g_mail.clear();
  WriteFile("got.txt", "old");
  p.getLink(TestUrl("/status/404").c_str(), "got.txt");
  ASSERT_TRUE(WaitStop());
  ASSERT_EQ(1u, Errors().size());
  EXPECT_EQ("Http error [404]: Link not found", Errors()[0]);
  EXPECT_FALSE(PathExists("got.txt"));
}

TEST_F(HttpGet, MailsReachTheHostsMailslotAndASwitchedParentsHook) {
  const char* name = "\\\\.\\mailslot\\brindale_httpget_test";
  CMailSlot server;
  ASSERT_EQ(1, server.Initialize(name, TEZ_MAIL_RECORDER, 0, host));
  ASSERT_EQ(1, p.init3(host, name, nullptr, 0, 1, nullptr));
  p.getLink(TestUrl("/ok/10").c_str(), "got.txt");
  std::vector<MailMessage> got;
  auto stopped = [&] {
    MailMessage m;
    while (server.GetMail(&m)) got.push_back(m);
    return !got.empty() && got.back().message == TEZ_MSG_EVENT &&
           got.back().lParam[0] == TEZ_EVENT_STOP;
  };
  ASSERT_TRUE(PumpUntil(stopped));
  ASSERT_GE(got.size(), 2u);  // START, perhaps progress, STOP
  EXPECT_EQ(TEZ_MAIL_ITEM_OPERATOR, got[0].category);
  EXPECT_EQ(TEZ_EVENT_START, got[0].lParam[0]);

  // A new host-link record: the old one comes back, mail goes the new way.
  auto switchParent = reinterpret_cast<TezItemPlayer_SwitchParent_t>(
      reinterpret_cast<void*>(GetProcAddress(p.module, "TezItemPlayer_SwitchParent")));
  CTezDllInitParams next(host, name, Hook, 0, 0, "TezItemOperators.inx"), old;
  ASSERT_EQ(1, switchParent(&next, &old));
  EXPECT_EQ(1, old.m_useMailslot);
  EXPECT_EQ(nullptr, old.m_hook);
  p.getLink(TestUrl("/ok/10").c_str(), "got.txt");
  ASSERT_TRUE(WaitStop());
  EXPECT_EQ(1, CountEvents(TEZ_EVENT_START));
}

TEST_F(HttpGet, ASecondInitializeSendsMailTheNewWay) {
  // First nowhere (no mailslot, no hook), then to the hook: the dialog stays.
  ASSERT_EQ(1, p.init3(host, "\\\\.\\mailslot\\unused", nullptr, 0, 0, nullptr));
  HWND dialog = FindWindowA(nullptr, kDialogCaption);
  Init();
  EXPECT_EQ(dialog, FindWindowA(nullptr, kDialogCaption));
  p.getLink(TestUrl("/ok/10").c_str(), "again.txt");
  ASSERT_TRUE(WaitStop());
  EXPECT_EQ(1, CountEvents(TEZ_EVENT_START));
}

TEST_F(HttpGet, ConnectionTestMailGoesOnlyToTheMappedQueue) {
  const char* name = "halvorn";
  CMappedMail queue("");
  ASSERT_EQ(1, queue.GetDllLoadState());
  MailMessage mail;
  int scratch = 0;
  while (queue.GetMail(name, &mail, &scratch)) {  // left by an earlier run
  }
  ASSERT_EQ(1, queue.CreateNewMail(name, host, 1724));
  auto init2 = reinterpret_cast<TezItemOperator_Initialize2_t>(
      reinterpret_cast<void*>(GetProcAddress(p.module, "TezItemOperator_Initialize2")));
  ASSERT_EQ(1, init2(host, name, nullptr, 1, 0));
  p.getLink(TestUrl("/ok/10").c_str(), "conn.txt");
  std::vector<MailMessage> got;
  ASSERT_TRUE(PumpUntil([&] {
    while (queue.GetMail(name, &mail, &scratch)) got.push_back(mail);
    return !got.empty() && got.back().message == TEZ_MSG_EVENT &&
           got.back().lParam[0] == TEZ_EVENT_STOP;
  }));
  EXPECT_EQ(TEZ_EVENT_START, got.front().lParam[0]);
  EXPECT_EQ(TEZ_MAIL_ITEM_OPERATOR, got.front().category);
  EXPECT_EQ(ServerBody(10), ReadFileText("conn.txt"));
  EXPECT_TRUE(g_mail.empty());
  queue.CloseMail(name);
}

}  // namespace
