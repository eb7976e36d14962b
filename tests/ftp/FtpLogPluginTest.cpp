// TezFtpGet.dll and TezLog.dll loaded by a small host: mail through the
// deliver hook, items in real item files, the local FTP and web servers.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "DataItem.h"
#include "FtpTestSupport.h"
#include "IniManager.h"
#include "MailMessage.h"
#include "MailSlot.h"
#include "TezLogOperatorApi.h"

namespace {

std::vector<MailMessage> g_mail;

void TEZAPI Hook(const MailMessage* m) { g_mail.push_back(*m); }

int CountEvents(int32_t event) {
  int n = 0;
  for (const MailMessage& m : g_mail) n += m.message == TEZ_MSG_EVENT && m.lParam[0] == event;
  return n;
}

std::vector<std::string> Errors() {
  std::vector<std::string> out;
  for (const MailMessage& m : g_mail)
    if (m.message == TEZ_MSG_ERROR) out.push_back(m.Text());
  return out;
}

bool WaitStops(int n, DWORD guard = 30000) {
  return PumpUntil([n] { return CountEvents(TEZ_EVENT_STOP) >= n; }, guard);
}

CIniManager& Ini() {
  static CIniManager ini("TezIniManager.dll", 1);
  return ini;
}

void WriteIni(const std::string& file, const std::string& text) {
  WriteBytes(file, text);
  Ini().ReloadFile(InCurrentDirectory(file.c_str()).c_str());
}

int CountFiles(const std::string& pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do ++n;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return n;
}

void ClearTempFolder() {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("tmp\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do DeleteFileA(("tmp\\" + std::string(found.cFileName)).c_str());
  while (FindNextFileA(search, &found));
  FindClose(search);
}

// The text of the status pane of this process's dialog with this caption.
std::string PaneText(const char* caption, int pane) {
  HWND dialog = OwnDialog(caption);
  if (!dialog) return "";
  std::string text(65536, '\0');
  text.resize(GetDlgItemTextA(dialog, pane, &text[0], int(text.size())));
  return text;
}

struct Plugin {
  explicit Plugin(const char* file) : module(LoadLibraryA(file)) {}
  template <typename T>
  T Entry(const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
  HMODULE module;
  TezItemOperator_Initialize3_t init3 = Entry<TezItemOperator_Initialize3_t>("TezItemOperator_Initialize3");
  TezItemOperator_Close_t close = Entry<TezItemOperator_Close_t>("TezItemOperator_Close");
  TezItemOperator_Operate_t operate = Entry<TezItemOperator_Operate_t>("TezItemOperator_Operate");
  TezItemOperator_Stop_t stop = Entry<TezItemOperator_Stop_t>("TezItemOperator_Stop");
  TezItemOperator_GetVersion_t version = Entry<TezItemOperator_GetVersion_t>("TezItemOperator_GetVersion");
  TezItemOperator_GetOutputType_t outputType = Entry<TezItemOperator_GetOutputType_t>("TezItemOperator_GetOutputType");
  TezLogOperator_LogItem_t logItem = Entry<TezLogOperator_LogItem_t>("TezLogOperator_LogItem");
  TezLogOperator_SendLog_t sendLog = Entry<TezLogOperator_SendLog_t>("TezLogOperator_SendLog");
};

class PluginHost : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(0, FtpServerPort()) << "run under with_ftp_server.sh";
    ASSERT_NE(0, TestServerPort()) << "run under with_server.sh";
    ASSERT_TRUE(Ini().GetDllLoadState());
    CreateDirectoryA("tmp", nullptr);
    ClearTempFolder();
    g_mail.clear();
    host = CreateWindowExA(0, "STATIC", "plug-in test host", 0, 0, 0, 0, 0, nullptr, nullptr,
                           nullptr, nullptr);
    ASSERT_TRUE(host);
  }
  void TearDown() override {
    ftp.close();
    log.close();
    DestroyWindow(host);
    PumpFor(50);
  }
  // A fresh item whose link is given.
  void MakeItem(CDataItem& item, const std::string& link) {
    WriteIni("Items.inx", "[1]\r\nlink=" + link + "\r\nrecStatus=0\r\n");
    item.Init(1, 1, "News", "Items.inx", "TezParam.inx", "tmp\\", 0, nullptr, nullptr, nullptr,
              "wav", 1, nullptr);
    ASSERT_EQ(1, item.Load());
  }
  std::string Key(const char* key) { return Ini().GetString("Items.inx", "1", key); }

  static Plugin ftp, log;
  HWND host = nullptr;
};
Plugin PluginHost::ftp("TezFtpGet.dll");
Plugin PluginHost::log("TezLog.dll");

using FtpGet = PluginHost;
using LogPlugin = PluginHost;

TEST_F(FtpGet, FetchesAnItemIntoAPlayableTempFile) {
  EXPECT_EQ(0, ftp.version());
  ASSERT_EQ(1, ftp.init3(host, "\\\\.\\mailslot\\unused", Hook, 0, 0, nullptr));
  EXPECT_EQ(280498, ftp.version());
  const char* type = "wav";
  EXPECT_EQ(type, ftp.outputType(type));

  const std::string bytes = FtpFixture(300000);
  WriteBytes("item.bin", bytes);
  CDataItem item;
  MakeItem(item, "FTP://127.0.0.1:" + std::to_string(FtpServerPort()) + "/item.bin");
  ftp.operate(&item);
  ASSERT_TRUE(WaitStops(1));
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(TEZ_EVENT_START, g_mail.front().lParam[0]);
  EXPECT_EQ(TEZ_EVENT_STOP, g_mail.back().lParam[0]);
  EXPECT_EQ("1", Key("numberPlayableTempFiles"));
  EXPECT_EQ("300000", Key("lengthBytes"));
  std::string file;
  ASSERT_EQ(1, item.GetFirstFile(file, 0));
  EXPECT_EQ(bytes, ReadFileText(file));
  PumpFor(3500);
  EXPECT_EQ(1, CountEvents(TEZ_EVENT_STOP));
}

TEST_F(FtpGet, TheShownDialogsGetButtonMailsProgressAndItsStop) {
  WriteIni("FtpIndex.inx", "[TezFtpGet.dll]\r\nshowDialog=1\r\n");
  ASSERT_EQ(1, ftp.init3(host, "\\\\.\\mailslot\\unused", Hook, 0, 0, "FtpIndex.inx"));
  HWND dialog = OwnDialog("Brindale Ftp Get");
  ASSERT_TRUE(dialog);
  EXPECT_TRUE(IsWindowVisible(dialog));
  const std::string bytes = FtpFixture(20000);
  WriteBytes("button.bin", bytes);
  DeleteFileA("button-out.bin");
  SetDlgItemTextA(dialog, 1002, FtpUrlOf("/button.bin").c_str());
  SetDlgItemTextA(dialog, 1005, "button-out.bin");
  SendDlgItemMessageA(dialog, 1000, BM_CLICK, 0, 0);
  EXPECT_TRUE(PumpUntil([] { return ReadFileText("button-out.bin").size() == 20000; }));
  PumpFor(3500);
  EXPECT_EQ(bytes, ReadFileText("button-out.bin"));
  EXPECT_NE(std::string::npos, PaneText("Brindale Ftp Get", 1003).find("Received 20000 out of 20000 bytes."));
  // A complete file of the dialog's own goes to no item: progress at most.
  for (const MailMessage& m : g_mail) EXPECT_EQ(TEZ_MSG_STATUS, m.message);

  // A stalled fetch of the button mails its progress, and the stop button
  // its end.
  g_mail.clear();
  WriteBytes("stall-button.bin", FtpFixture(200000));
  SetDlgItemTextA(dialog, 1002, FtpUrlOf("/stall-button.bin").c_str());
  SendDlgItemMessageA(dialog, 1000, BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([] { return !g_mail.empty(); }));
  EXPECT_EQ(TEZ_MSG_STATUS, g_mail[0].message);
  EXPECT_EQ("Downloading", g_mail[0].Text());
  EXPECT_EQ(1, g_mail[0].lParam[0]);
  EXPECT_GT(g_mail[0].lParam[1], 0);
  EXPECT_EQ(200000, g_mail[0].lParam[2]);
  SendDlgItemMessageA(dialog, 1004, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitStops(1));
  PumpFor(300);
  EXPECT_EQ(1, CountEvents(TEZ_EVENT_STOP));
  EXPECT_EQ(0, CountEvents(TEZ_EVENT_START));
  EXPECT_TRUE(Errors().empty());
}

TEST_F(FtpGet, RefusedLinksMarkTheItemAndStopAtOnce) {
  ASSERT_EQ(1, ftp.init3(host, "\\\\.\\mailslot\\unused", Hook, 0, 0, nullptr));
  const struct {
    std::string link;
    const char* hint;
    const char* pane;
    int accepted;  // a fetch that cannot start is accepted first
  } cases[] = {
      {"http://127.0.0.1/x.wav", "Non ftp URL", "Non FTP link. Request Ignored", 0},
      {"ftps://127.0.0.1/x.wav", "Non ftp URL", "Non FTP link. Request Ignored", 0},
      {"", "Bad URL", "Bad link. Request Ignored", 0},
      {"ftp://127.0.0.1:99999/x.wav", "Bad URL: bad port", "Error: Bad URL: bad port", 1},
  };
  for (const auto& c : cases) {
    g_mail.clear();
    CDataItem item;
    MakeItem(item, c.link);
    ftp.operate(&item);
    PumpFor(100);
    EXPECT_EQ(c.accepted, CountEvents(TEZ_EVENT_START)) << c.link;
    EXPECT_EQ(1, CountEvents(TEZ_EVENT_STOP)) << c.link;
    ASSERT_EQ(1u, Errors().size()) << c.link;
    EXPECT_EQ("", Errors()[0]) << c.link;
    EXPECT_EQ("6", Key("recStatus")) << c.link;
    EXPECT_EQ(c.hint, Key("errorHint")) << c.link;
    EXPECT_EQ(0, CountFiles("tmp\\*.tzx")) << c.link;
    EXPECT_NE(std::string::npos, PaneText("Brindale Ftp Get", 1003).find(c.pane)) << c.link;
  }
}

TEST_F(FtpGet, AStopAtAnyMomentEndsWithOneStopMail) {
  ASSERT_EQ(1, ftp.init3(host, "\\\\.\\mailslot\\unused", Hook, 0, 0, nullptr));
  WriteBytes("stall-item.bin", FtpFixture(200000));
  WriteBytes("item.bin", FtpFixture(1000));
  const std::string port = std::to_string(FtpServerPort());
  const struct {
    const char* what;
    const char* file;
    std::function<bool()> moment;  // pumps until the moment of the stop
    bool kept;
  } cases[] = {
      {"before the start", "/stall-item.bin", [] { return true; }, false},
      {"during a stalled transfer", "/stall-item.bin",
       [] {
         return PumpUntil([] {
           for (const MailMessage& m : g_mail)
             if (m.message == TEZ_MSG_STATUS) return true;
           return false;
         });
       },
       false},
      {"while the end waits", "/item.bin",
       [] {
         PumpFor(1500);
         return CountEvents(TEZ_EVENT_STOP) == 0;
       },
       true},
  };
  for (const auto& c : cases) {
    g_mail.clear();
    ClearTempFolder();
    CDataItem item;
    MakeItem(item, "ftp://127.0.0.1:" + port + c.file);
    ftp.operate(&item);
    ASSERT_TRUE(c.moment()) << c.what;
    EXPECT_EQ(1, ftp.stop());
    ASSERT_TRUE(WaitStops(1)) << c.what;
    PumpFor(3500);
    EXPECT_EQ(1, CountEvents(TEZ_EVENT_STOP)) << c.what;
    EXPECT_TRUE(Errors().empty()) << c.what;
    EXPECT_EQ(c.kept ? 1 : 0, CountFiles("tmp\\*.tzx")) << c.what;
    EXPECT_EQ(c.kept ? "0" : "1", Key("recStatus")) << c.what;
    item.ClearTempFiles(1);
  }
}

TEST_F(LogPlugin, LinesAreSentThenArchivedWithTheirLineEnds) {
  const std::string url = "http://127.0.0.1:" + std::to_string(TestServerPort()) + "/log/200";
  WriteIni("TezParam.inx", "[Recorder]\r\nlogUrl=" + url + "\r\n[DragDrop]\r\ntezID=lis7\r\n");
  WriteIni("TezItemOperators.inx", "[TezLog.dll]\r\nlogFile=1\r\n");
  DeleteFileA("TezP1.inx");
  DeleteFileA("TezP2.inx");
  DeleteFileA("log-received.txt");
  std::string big(100001, 'x');
  WriteBytes("TezLog.log", big);
  ASSERT_EQ(1, log.init3(host, nullptr, Hook, 0, 0, nullptr));
  EXPECT_EQ(20798, log.version());
  EXPECT_LT(ReadFileText("TezLog.log").size(), 100000u) << "the oversized copy was deleted";
  EXPECT_NE(std::string::npos, PaneText("Brindale Log", 1001).find("Timeout value : 10000"));

  log.sendLog();  // nothing logged yet
  ASSERT_TRUE(WaitStops(1));
  EXPECT_EQ(1, CountEvents(TEZ_EVENT_START));
  EXPECT_NE(std::string::npos, PaneText("Brindale Log", 1001).find("Empty log file"));

  CDataItem a, b;
  MakeItem(a, "ftp://host/a.wav");
  log.logItem(&a, "FileDisk");
  ASSERT_TRUE(WaitStops(2));
  MakeItem(b, "ftp://host/b.wav");
  log.logItem(&b, "FileDisk");
  ASSERT_TRUE(WaitStops(3));
  const std::string document = ReadFileText("TezP1.inx");
  EXPECT_EQ(0u, document.find("lis7,0,"));
  EXPECT_NE(std::string::npos, document.find(",ftp://host/b.wav,"));

  log.sendLog();
  ASSERT_TRUE(WaitStops(4));
  PumpFor(200);
  EXPECT_EQ(4, CountEvents(TEZ_EVENT_START));
  EXPECT_EQ(4, CountEvents(TEZ_EVENT_STOP));
  EXPECT_TRUE(Errors().empty());
  EXPECT_FALSE(PathExists("TezP1.inx"));
  EXPECT_EQ(document, ReadFileText("log-received.txt"));
  const std::string archive = ReadFileText("TezP2.inx");
  EXPECT_EQ(archive.size() - document.size(), archive.find(document)) << archive;
  EXPECT_EQ(0u, archive.find("\r\n\r\n "));
  EXPECT_NE(std::string::npos, archive.find(" : The following log was sent to server\r\nlis7,"));
  const std::string paneCopy = ReadFileText("TezLog.log");
  EXPECT_NE(std::string::npos, paneCopy.find(" : Finished sending log")) << paneCopy;
  // The clean-up's fetch of an address that never resolves leaves the
  // control idle.
  log.close();
  EXPECT_NE(std::string::npos, ReadFileText("TezLog.log").find(
                                   "Host not found: brindale-cleanup.invalid"));
}

TEST_F(LogPlugin, LinesLoggedDuringASendWaitForTheNextOne) {
  const std::string url =
      "http://127.0.0.1:" + std::to_string(TestServerPort()) + "/log/200?ms=1500";
  WriteIni("TezParam.inx", "[Recorder]\r\nlogUrl=" + url + "\r\n[DragDrop]\r\ntezID=lis7\r\n");
  DeleteFileA("TezP1.inx");
  DeleteFileA("TezP2.inx");
  DeleteFileA("log-received.txt");
  ASSERT_EQ(1, log.init3(host, nullptr, Hook, 0, 0, nullptr));
  CDataItem a, b, c;
  MakeItem(a, "ftp://host/a.wav");
  log.logItem(&a, "FileDisk");
  ASSERT_TRUE(WaitStops(1));
  const std::string first = ReadFileText("TezP1.inx");
  // The receiver answers late: the next line is written while it holds on.
  log.sendLog();
  MakeItem(b, "ftp://host/b.wav");
  log.logItem(&b, "FileDisk");
  ASSERT_TRUE(WaitStops(3));
  PumpFor(200);
  // The later line stays, alone.
  const std::string later = ReadFileText("TezP1.inx");
  ASSERT_NE(std::string::npos, later.find(",ftp://host/b.wav,"));
  EXPECT_EQ(std::string::npos, later.find(",ftp://host/a.wav,"));
  EXPECT_EQ(first, ReadFileText("log-received.txt"));
  std::string archive = ReadFileText("TezP2.inx");
  EXPECT_NE(std::string::npos, archive.find(first));
  EXPECT_EQ(std::string::npos, archive.find(",ftp://host/b.wav,"));

  MakeItem(c, "ftp://host/c.wav");
  log.logItem(&c, "FileDisk");
  ASSERT_TRUE(WaitStops(4));
  const std::string next = ReadFileText("TezP1.inx");
  log.sendLog();
  ASSERT_TRUE(WaitStops(5));
  PumpFor(200);
  EXPECT_TRUE(Errors().empty());
  EXPECT_EQ(first + next, ReadFileText("log-received.txt")) << "each line sent once";
  EXPECT_FALSE(PathExists("TezP1.inx"));
  archive = ReadFileText("TezP2.inx");
  EXPECT_EQ(archive.find(first), archive.rfind(first));
  EXPECT_EQ(archive.find(later), archive.rfind(later));
  EXPECT_EQ(archive.size() - next.size(), archive.rfind(next));
}

TEST_F(LogPlugin, AStopOrAFailureAtAnyMomentEndsTheSendWithOneStopMail) {
  const std::string port = std::to_string(TestServerPort());
  WriteIni("TezItemOperators.inx", "");
  const struct {
    const char* what;
    const char* path;
    int stopAfterMs;  // -1: no stop
    bool error;
  } cases[] = {
      {"stop before the send starts", "/log/silent", 0, false},
      {"stop while the receiver is silent", "/log/silent", 300, false},
      {"receiver silent past the time-out", "/log/silent", -1, true},
      {"receiver error", "/log/500", -1, true},
      {"no receiver address", "", -1, true},
  };
  for (const auto& c : cases) {
    const std::string url = *c.path ? "http://127.0.0.1:" + port + c.path : "";
    WriteIni("TezParam.inx", "[Recorder]\r\nlogUrl=" + url + "\r\n[DragDrop]\r\ntimeout=500\r\n");
    WriteBytes("TezP1.inx", "a line\r\n");
    DeleteFileA("TezP2.inx");
    ASSERT_EQ(1, log.init3(host, nullptr, Hook, 0, 0, nullptr)) << c.what;
    g_mail.clear();
    log.sendLog();
    if (c.stopAfterMs > 0) PumpFor(DWORD(c.stopAfterMs));
    if (c.stopAfterMs >= 0) {
      EXPECT_EQ(1, log.stop());
    }
    ASSERT_TRUE(WaitStops(1)) << c.what;
    PumpFor(1500);
    EXPECT_EQ(1, CountEvents(TEZ_EVENT_STOP)) << c.what;
    EXPECT_EQ(c.error ? 1u : 0u, Errors().size()) << c.what;
    if (c.error) {
      EXPECT_EQ("Error sending log file", Errors()[0]) << c.what;
    }
    EXPECT_EQ("a line\r\n", ReadFileText("TezP1.inx")) << c.what << ": the log is kept";
    EXPECT_FALSE(PathExists("TezP2.inx")) << c.what;
    log.close();
  }
  // A stop with no send in work mails nothing.
  ASSERT_EQ(1, log.init3(host, nullptr, Hook, 0, 0, nullptr));
  g_mail.clear();
  EXPECT_EQ(1, log.stop());
  PumpFor(300);
  EXPECT_TRUE(g_mail.empty());
}

}  // namespace

namespace {

TEST_F(LogPlugin, WithoutAMailslotNameTheMailGoesToTheRecorders) {
  CMailSlot recorder;
  ASSERT_EQ(1, recorder.Initialize("\\\\.\\mailslot\\Brindale_Recorder_Mailslot",
                                   TEZ_MAIL_ITEM_OPERATOR, 0, host));
  WriteIni("TezItemOperators.inx", "");
  DeleteFileA("TezP1.inx");
  ASSERT_EQ(1, log.init3(host, "", nullptr, 0, 1, nullptr));
  log.sendLog();  // nothing to send: a start and a stop
  std::vector<int32_t> events;
  PumpUntil([&] {
    MailMessage m;
    while (recorder.GetMail(&m))
      if (m.message == TEZ_MSG_EVENT) events.push_back(m.lParam[0]);
    return events.size() >= 2;
  });
  EXPECT_EQ((std::vector<int32_t>{TEZ_EVENT_START, TEZ_EVENT_STOP}), events);
}

}  // namespace

namespace {

TEST_F(LogPlugin, AFileErrorIsShownAndMailedAndTheLogItemStillEnds) {
  WriteIni("TezItemOperators.inx", "");
  DeleteFileA("TezP1.inx");
  ASSERT_TRUE(CreateDirectoryA("TezP1.inx", nullptr));  // the document cannot be opened
  ASSERT_EQ(1, log.init3(host, nullptr, Hook, 0, 0, nullptr));
  CDataItem item;
  MakeItem(item, "ftp://host/a.wav");
  log.logItem(&item, "FileDisk");
  ASSERT_TRUE(WaitStops(1));
  RemoveDirectoryA("TezP1.inx");
  PumpFor(100);
  EXPECT_EQ(1, CountEvents(TEZ_EVENT_STOP));
  ASSERT_EQ(1u, Errors().size());
  EXPECT_EQ(0u, Errors()[0].find("Error opening log file : ")) << Errors()[0];
}

}  // namespace
