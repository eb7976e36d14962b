// Recording runs of the real Recorder with TezFtpGet fetching items from
// the local FTP server and TezLog posting the item log to the local web
// server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "../recorder/RecorderRunSupport.h"

namespace {

const char kOperators[] =
    "[Entry List]\r\nnumberEntries=2\r\nentry1=TezFtpGet.dll\r\nentry2=TezLog.dll\r\n"
    "[TezFtpGet.dll]\r\nid=ftp\r\nidentifiers=ftp\r\n"
    "[TezLog.dll]\r\nid=log\r\nidentifiers=actLog\r\n";

std::string Port(const char* variable) {
  const char* p = std::getenv(variable);
  return p ? p : "";
}

std::string FtpItem(const std::string& login, const std::string& path) {
  return "link=ftp://" + (login.empty() ? "" : login + "@") + "127.0.0.1:" +
         Port("BRINDALE_FTP_PORT") + path + "\r\nrecStatus=1\r\nitemStatus=1\r\n";
}

SampleRuns Runs(std::initializer_list<std::pair<int, double>> parts) {
  SampleRuns runs;
  for (const auto& part : parts) runs.emplace_back(part.first, Frames(part.second));
  return runs;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The lines of text (each ending in "\r\n") that begin with prefix.
int LinesStartingWith(const std::string& text, const std::string& prefix) {
  int n = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) break;
    n += text.compare(at, prefix.size(), prefix) == 0;
    at = end + 2;
  }
  return n;
}

// A run that logs through TezLog to the receiver at path, as user "lis7".
void SetLogging(RunFolder& run, const std::string& path) {
  run.Write("TezItemOperators.inx", kOperators);
  run.SetParam("Recorder", "sendActivityLog", "1");
  run.SetParam("Recorder", "logUrl",
               path.empty() ? "" : "http://127.0.0.1:" + Port("BRINDALE_HTTP_PORT") + path);
  run.SetParam("DragDrop", "tezID", "lis7");
  run.SetParam("DragDrop", "timeout", "1000");
  DeleteFileA("log-received.txt");
}

class RecorderFtpLog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Port("BRINDALE_FTP_PORT").empty()) << "run under with_ftp_server.sh";
    ASSERT_FALSE(Port("BRINDALE_HTTP_PORT").empty()) << "run under with_server.sh";
  }
};

TEST_F(RecorderFtpLog, FetchedItemsPlayRefusedAndBrokenOnesAreSkippedWithTheirErrors) {
  RunFolder run("ftp");
  SetLogging(run, "/log/200");
  run.WriteWave("source\\a.wav", 1000, 0.2);
  run.WriteWave("source\\reset-b.wav", 2000, 0.5);
  run.WriteWave("source\\stall-c.wav", 2500, 0.5);
  run.WriteWave("source\\d.wav", 3000, 0.2);
  run.WriteItems({FtpItem("", "/ftp/source/a.wav"), FtpItem("", "/ftp/source/none.wav"),
                  FtpItem("user:wrong", "/ftp/source/a.wav"),
                  FtpItem("", "/ftp/source/reset-b.wav"),
                  FtpItem("", "/ftp/source/stall-c.wav"),
                  FtpItem("user:secret", "/ftp/source/d.wav")});
  run.Run();

  const std::string items = "data\\news\\news.inx";
  const struct {
    const char* section;
    const char* recStatus;
    const char* hint;  // the start of the error hint
  } expected[] = {
      {"1", "4", ""},
      {"2", "6", "FTP error: 550 "},
      {"3", "6", "FTP error: 530 "},
      {"4", "6", "FTP error: "},
      {"5", "6", "FTP error: The server did not answer in time"},
      {"6", "4", ""},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(e.recStatus, run.Key(items, e.section, "recStatus")) << e.section;
    const std::string hint = run.Key(items, e.section, "errorHint");
    EXPECT_EQ(0u, hint.find(e.hint)) << e.section << ": " << hint;
    EXPECT_EQ(*e.hint == 0, hint.empty()) << e.section << ": " << hint;
  }
  EXPECT_EQ(std::to_string(run.Read("source\\a.wav").size()),
            run.Key(items, "1", "lengthBytes"));
  EXPECT_EQ(ReadRuns(run.Recording()),
            Runs({{100, 0.2}, {200, 0.2}, {1000, 0.2}, {3000, 0.2}, {300, 0.2}}));
  // Only the fetched items' files are left: none of a failed fetch.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(run.File("temp\\*.tzx").c_str(), &found);
  int left = 0;
  if (search != INVALID_HANDLE_VALUE) {
    do ++left;
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  EXPECT_EQ(2, left);
  // The log goes when the line is hung up, after the last item's fetch and
  // before its play: the lines of the items before it went to the receiver;
  // the last one waits in the log for the next run.
  EXPECT_EQ(5, LinesStartingWith(ReadText("log-received.txt"), "lis7,"));
  EXPECT_EQ(1, LinesStartingWith(run.Read("TezP1.inx"), "lis7,"));
}

TEST_F(RecorderFtpLog, TheLogIsArchivedOnlyWhenTheReceiverTookIt) {
  const struct {
    const char* what;
    const char* path;
    bool taken;
  } cases[] = {
      {"taken", "/log/200", true},
      {"server error", "/log/500", false},
      {"no answer", "/log/silent", false},
      {"no receiver", "", false},
  };
  for (const auto& c : cases) {
    RunFolder run("log");
    SetLogging(run, c.path);
    // Two local items, then a fetched one: the line comes up for the fetch
    // and its hang-up sends the log of the two before.
    run.WriteWave("items\\a.wav", 1000, 0.2);
    run.WriteWave("items\\b.wav", 2000, 0.2);
    run.WriteWave("source\\c.wav", 3000, 0.2);
    // (The server's root is the test's folder: the run folder is "log".)
    run.WriteItems({LocalItem("a.wav"), LocalItem("b.wav"), FtpItem("", "/log/source/c.wav")});
    run.Run();

    const std::string items = "data\\news\\news.inx";
    for (const char* section : {"1", "2", "3"})
      EXPECT_EQ("4", run.Key(items, section, "recStatus")) << c.what << " " << section;
    EXPECT_EQ(ReadRuns(run.Recording()),
              Runs({{100, 0.2}, {200, 0.2}, {1000, 0.2}, {2000, 0.2}, {3000, 0.2}, {300, 0.2}}))
        << c.what;
    const std::string document = run.Read("TezP1.inx");
    const std::string archive = run.Read("TezP2.inx");
    if (c.taken) {
      EXPECT_EQ(1, LinesStartingWith(document, "lis7,")) << "the fetched item's, for later";
      EXPECT_EQ(2, LinesStartingWith(archive, "lis7,")) << archive;
      EXPECT_LE(1, LinesStartingWith(archive, " ")) << "a header before each sent log";
      EXPECT_NE(std::string::npos, archive.find(" : The following log was sent to server\r\n"));
      EXPECT_EQ(2, LinesStartingWith(ReadText("log-received.txt"), "lis7,"));
    } else {
      EXPECT_EQ(3, LinesStartingWith(document, "lis7,")) << c.what << ": " << document;
      EXPECT_EQ("", archive) << c.what;
    }
  }
}

}  // namespace
