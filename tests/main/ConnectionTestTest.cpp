// The connection test against the local web server, through the real HTTP
// fetch plug-in and the dial-up library stand-in, each reporting by mail.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "../http/HttpTestSupport.h"
#include "ConnectionTest.h"
#include "Forms.h"
#include "SysUtils.h"
#include "Utils.h"

namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The main window's part: the test's mail and file check handed to it.
struct TestWindow {
  TForm form{nullptr};
  TConnectionTest test;
  explicit TestWindow(const std::string& param) : test(form.Handle(), param) {
    form.SetMessageMethod(TConnectionTest::MailArrivedMessage,
                          [this](TMessage&) { test.OnTezMailSlotMsg(); });
    form.SetMessageMethod(TConnectionTest::CheckHttpFileMessage,
                          [this](TMessage&) { test.OnCheckHttpFile(); });
  }
};

class Connection : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IniManagerLoad());
    ASSERT_GT(TestServerPort(), 0) << "run under with_server.sh";
    dir_ = GetCurrentDir();
    CreateDirectoryA("temp", nullptr);
    WriteText("TezParam.inx", "[Proxies]\r\nuseProxy=0\r\nhttpPort=8080\r\n");
    DeleteFileA("TezRasDialer.inx");
  }
  // Runs one test to its end; the message it ended with.
  std::string Run(int kind, const std::string& path, DWORD timeoutMs = 30000,
                  bool cancel = false) {
    TestWindow window(dir_ + "\\TezParam.inx");
    TConnectionTest& test = window.test;
    test.timeoutMs = timeoutMs;
    std::string finished = "<none>";
    statuses_.clear();
    test.OnStatus = [&](const std::string& s) { statuses_ += s + "|"; };
    test.OnMessage = [&](const std::string& m) { messages_.push_back(m); };
    test.OnFinished = [&](const std::string& m) { finished = m; };
    test.Start(kind, dir_ + "\\temp\\", TestUrl(path));
    if (!test.Running()) return messages_.empty() ? "<not started>" : messages_.back();
    if (cancel) {
      PumpUntil([&] { return statuses_.find("Starting Download") != std::string::npos; }, 10000);
      test.Cancel();
    }
    PumpUntil([&] { return finished != "<none>"; }, 60000);
    EXPECT_FALSE(test.Running());
    testFile_ = test.TestFile();
    return finished;
  }
  std::string dir_, statuses_, testFile_;
  std::vector<std::string> messages_;
};

}  // namespace

TEST(ConnectionFile, TestFileCheck) {
  struct Case {
    const char* text;
    bool good;
  } cases[] = {
      {"[fileName]\r\nfileName=test.ini\r\n[parameters]\r\nnum1=1\r\nnum2=2\r\nnum3=3\r\n", true},
      {"[fileName]\r\nfileName=test.INI\r\n[parameters]\r\nnum1=1\r\nnum2=2\r\nnum3=3\r\n", false},
      {"[fileName]\r\nfileName=test.ini\r\n[parameters]\r\nnum1=1\r\nnum2=2\r\nnum3=4\r\n", false},
      {"[fileName]\r\nfileName=test.ini\r\n[parameters]\r\nnum1=0\r\nnum2=3\r\nnum3=3\r\n", false},
      {"[fileName]\r\nfileName=ini\r\n[parameters]\r\nnum1=1\r\nnum2=2\r\nnum3=3\r\n", false},
      {"<html>not found</html>", false},
  };
  ASSERT_TRUE(IniManagerLoad());
  for (const Case& c : cases) {
    WriteText("check.tmp", c.text);
    EXPECT_EQ(TConnectionTest::TestFileIsGood(GetCurrentDir() + "\\check.tmp"), c.good) << c.text;
  }
  EXPECT_FALSE(TConnectionTest::TestFileIsGood(GetCurrentDir() + "\\missing.tmp"));
}

TEST_F(Connection, DirectTestEndsWithItsResult) {
  struct Case {
    const char* path;
    std::string ending;  // the start of the final message
  } cases[] = {
      {"/testinifile/good", "Test succeeded."},
      {"/testinifile/upper", "Test failed."},
      {"/testinifile/badsum", "Test failed."},
      {"/status/404", "Test Failed"},
  };
  for (const Case& c : cases) {
    messages_.clear();
    EXPECT_EQ(Run(0, c.path).substr(0, c.ending.size()), c.ending) << c.path << " " << statuses_;
    EXPECT_EQ(messages_.size(), 1u) << c.path;
    EXPECT_FALSE(testFile_.empty());
    EXPECT_FALSE(FileExists(testFile_)) << "the test file is not left behind";
  }
  EXPECT_NE(statuses_.find("Testing...|"), std::string::npos) << statuses_;
}

TEST_F(Connection, RecordsBeforeTheStartTimeOutsAndCancelEndTheTest) {
  // A link the plug-in refuses is answered before any start event: the
  // answer shows, is otherwise ignored, and the time-out ends the test.
  TestWindow refused(dir_ + "\\TezParam.inx");
  refused.test.timeoutMs = 3000;
  std::string finished = "<none>", statuses;
  refused.test.OnStatus = [&](const std::string& s) { statuses += s + "|"; };
  refused.test.OnFinished = [&](const std::string& m) { finished = m; };
  refused.test.Start(0, dir_ + "\\temp\\", "ftp://127.0.0.1/x");
  ASSERT_TRUE(PumpUntil([&] { return finished != "<none>"; }, 20000));
  EXPECT_EQ(finished, "Test Failed (Timed out)") << statuses;
  EXPECT_NE(statuses.find("Error"), std::string::npos) << statuses;

  // A server that never answers: the time-out ends it.
  EXPECT_EQ(Run(0, "/silent", 3000), "Test Failed (Timed out)");
  // Cancelled while the file comes slowly.
  std::string cancelled = Run(0, "/slow/200000?ms=100&k=500", 30000, true);
  EXPECT_TRUE(cancelled == "Test Cancelled" || cancelled == "Test cancelled.") << cancelled;
}

TEST_F(Connection, DialUpDialsFetchesAndHangsUp) {
  // The dialer library lies in the program's folder, the current directory.
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  CopyFileA((ExtractFilePath(exe) + "TezRasDialer.dll").c_str(), "TezRasDialer.dll", FALSE);
  WriteText("TezRasDialer.inx", "[Entries]\r\nnames=Office,Home\r\n");
  TRasControl1 dialer("TezRasDialer.dll");
  std::vector<std::string> names;
  ASSERT_TRUE(ListDialUpEntries(&dialer, names));
  EXPECT_EQ(names, (std::vector<std::string>{"Office", "Home"}));

  EXPECT_EQ(Run(1, "/testinifile/good"), "Test succeeded.");
  EXPECT_NE(statuses_.find("Dialer Connected"), std::string::npos) << statuses_;
  EXPECT_NE(statuses_.find("Disconnecting Dialer|File Received, Checking|"), std::string::npos)
      << statuses_;
  // A dialer library that is not there.
  WriteText("TezParam.inx", "[Dialer]\r\ndialerDll1=missing.dll\r\n");
  messages_.clear();
  EXPECT_EQ(Run(1, "/testinifile/good"), "Can't initialize Dial-Up Networking");
}

TEST_F(Connection, KeysWrittenForATestAreRestoredOnCancel) {
  WriteText("TezParam.inx", "[Proxies]\r\nuseProxy=0\r\nhttpHost=\r\nhttpPort=80\r\n"
                            "[Dialer]\r\nuseDialer=0\r\npwd=old\r\n");
  TestWindow window(dir_ + "\\TezParam.inx");
  TConnectionTest& test = window.test;
  TConnectionKeys keys;
  keys.useDialer = 1;
  keys.useProxy = true;
  keys.httpHost = "proxy.local";
  keys.httpPort = "3128";
  keys.dialerName = "Office";
  keys.user = "me";
  keys.pwd = "secret";
  test.WriteKeys(keys);
  TIniFile param(dir_ + "\\TezParam.inx");
  EXPECT_EQ(param.ReadString("Proxies", "httpHost", ""), "proxy.local");
  EXPECT_EQ(ScramblePassword(param.ReadString("Dialer", "pwd", "")), "secret");
  keys.pwd = std::string("a\x9e" "b");  // would be stored with a NUL in it
  EXPECT_FALSE(PasswordStorable(keys.pwd));
  test.WriteKeys(keys);
  EXPECT_EQ(ScramblePassword(param.ReadString("Dialer", "pwd", "")), "secret");
  test.RestoreKeys();
  EXPECT_EQ(param.ReadString("Proxies", "useProxy", ""), "0");
  EXPECT_EQ(param.ReadString("Proxies", "httpHost", "x"), "");
  EXPECT_EQ(param.ReadString("Proxies", "httpPort", ""), "80");
  EXPECT_EQ(param.ReadString("Dialer", "useDialer", ""), "0");
  EXPECT_EQ(param.ReadString("Dialer", "pwd", ""), "old");
  EXPECT_EQ(param.ReadString("Dialer", "dialerName", "x"), "");
}

TEST_F(Connection, KeysOfALaterTestAreRestoredAndOkKeepsWhatWasWritten) {
  WriteText("TezParam.inx", "[Proxies]\r\nuseProxy=0\r\nhttpPort=80\r\n"
                            "[Dialer]\r\nuseDialer=2\r\ndialerName=Home\r\nuser=old\r\n");
  TestWindow window(dir_ + "\\TezParam.inx");
  TConnectionTest& test = window.test;
  TIniFile param(dir_ + "\\TezParam.inx");
  // A direct test, then a dial-up one: the dialer keys are first written
  // by the second, and still go back.
  TConnectionKeys keys;
  keys.useDialer = 0;
  test.WriteKeys(keys);
  keys.useDialer = 1;
  keys.dialerName = "Office";
  keys.user = "me";
  keys.pwd = "secret";
  test.WriteKeys(keys);
  EXPECT_EQ(param.ReadString("Dialer", "dialerName", ""), "Office");
  test.RestoreKeys();
  EXPECT_EQ(param.ReadString("Dialer", "useDialer", ""), "2");
  EXPECT_EQ(param.ReadString("Dialer", "dialerName", ""), "Home");
  EXPECT_EQ(param.ReadString("Dialer", "user", ""), "old");
  // Saved with OK: a later Cancel leaves what was saved.
  test.WriteKeys(keys);
  test.KeepKeys();
  test.RestoreKeys();
  EXPECT_EQ(param.ReadString("Dialer", "useDialer", ""), "1");
  EXPECT_EQ(param.ReadString("Dialer", "dialerName", ""), "Office");
  // The next test's keys go back to what OK saved.
  keys.useDialer = 0;
  test.WriteKeys(keys);
  test.RestoreKeys();
  EXPECT_EQ(param.ReadString("Dialer", "useDialer", ""), "1");
}

TEST_F(Connection, ShortEarlyAndCancelledDisconnectionRecords) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  CopyFileA((ExtractFilePath(exe) + "TezRasDialer.dll").c_str(), "TezRasDialer.dll", FALSE);
  WriteText("TezRasDialer.inx", "[Entries]\r\nnames=Office\r\n");
  TestWindow window(dir_ + "\\TezParam.inx");
  TConnectionTest& test = window.test;
  std::string finished = "<none>", last;
  test.OnStatus = [&](const std::string& s) { last = s; };
  test.OnMessage = [&](const std::string& m) { messages_.push_back(m); };
  test.OnFinished = [&](const std::string& m) { finished = m; };
  test.Start(1, dir_ + "\\temp\\", TestUrl("/slow/200000?ms=100&k=500"));
  ASSERT_TRUE(test.Running());
  auto record = [](int32_t category, int32_t code, int32_t value, const char* text) {
    MailMessage m = {};
    m.category = category;
    m.Fill(code, 1, &value, text);
    return m;
  };
  // The fetch's error before its start event is ignored.
  test.MailArrived(record(TEZ_MAIL_ITEM_OPERATOR, TEZ_MSG_ERROR, 0, "early"));
  EXPECT_TRUE(test.Running());
  // A dialer error shorter than a record is ignored; a whole one ends it.
  MailMessage error = record(TEZ_MAIL_DIALER, TEZ_MSG_ERROR, 0, "");
  test.mailslotDialerBinMessageAvail(reinterpret_cast<const char*>(&error), kMailRecordSize - 1);
  EXPECT_TRUE(test.Running());
  // Cancelled, and the line goes down: the status says so, no message.
  test.Cancel();
  test.MailArrived(record(TEZ_MAIL_DIALER, TEZ_MSG_EVENT, 0, ""));
  EXPECT_FALSE(test.Running());
  EXPECT_EQ(last, "Test Cancelled");
  EXPECT_EQ(finished, "");
  PumpUntil([] { return false; }, 500);
  EXPECT_TRUE(messages_.empty());
}
