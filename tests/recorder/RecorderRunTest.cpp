// Recording runs of the real Recorder.exe beside the test controller, with
// the real stand-in libraries and real files.
#include <gtest/gtest.h>

#include <algorithm>

#include "RecorderRunSupport.h"

namespace {

std::string ItemReport(int status, int number) {
  return "W 5 " + std::to_string((status << 16) | number);
}

std::string LocalItem(const std::string& file) {
  return "localFileName=items\\" + file + "\r\nrecStatus=1\r\nitemStatus=1\r\ntype=basic\r\n";
}

std::string LinkItem(const std::string& name) {
  return "link=peer://local/" + name + "\r\nrecStatus=1\r\nitemStatus=1\r\n";
}

SampleRuns Runs(std::initializer_list<std::pair<int, double>> parts) {
  SampleRuns runs;
  for (const auto& part : parts) runs.emplace_back(part.first, Frames(part.second));
  return runs;
}

}  // namespace

TEST(RecorderRun, FullRunRecordsOpeningItemsAndClosingInOrder) {
  RunFolder run("full");
  run.WriteWave("items\\a.wav", 1000, 0.3);
  run.WriteWave("items\\b.wav", 2000, 0.2, 22050, 1);  // converted on the way
  run.WriteWave("source\\c.wav", 3000, 0.25);
  run.WriteItems({LocalItem("a.wav") + "originalChannel=Pending\r\n", LocalItem("b.wav"),
                  LinkItem("c.wav")});
  RunReports reports = run.Run();

  // Registered, started, recording, every item worked, played and done, then ready.
  std::vector<std::string> order = {"W 7 0", "W 7 1", "W 1 2", "W 1 3"};
  for (int item = 1; item <= 3; ++item)
    for (int status : {2, 3, 4}) order.push_back(ItemReport(status, item));
  order.push_back("W 1 1");
  int last = -1;
  for (const std::string& line : order) {
    const int at = reports.Find(line);
    ASSERT_GT(at, last) << line;
    last = at;
  }
  EXPECT_TRUE(reports.Has("M 4 1 4 0 0 0 0 |News"));  // channel done
  EXPECT_EQ(reports.lines.back(), "EXIT 0");

  for (const char* section : {"1", "2", "3"}) {
    EXPECT_EQ(run.Key("data\\news\\news.inx", section, "recStatus"), "4") << section;
    EXPECT_NE(run.Key("data\\news\\news.inx", section, "finishPlay"), "-1") << section;
  }
  EXPECT_EQ(run.Key("data\\news\\news.inx", "1", "originalChannel"), "Pending");
  EXPECT_EQ(run.Key("data\\TezData.inx", "1", "recordState"), "4");
  EXPECT_EQ(run.Key("TezParam.inx", "Recorder", "recorderState"), "1");

  const std::string recording = run.Recording();
  ASSERT_FALSE(recording.empty());
  EXPECT_EQ(ReadRuns(recording),
            Runs({{100, 0.2}, {200, 0.2}, {1000, 0.3}, {2000, 0.2}, {3000, 0.25}, {300, 0.2}}));
  // The log operator saw every item.
  const std::string log = run.Read("RecPeerLog.txt");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);
}

TEST(RecorderRun, StopDuringAnItemEndsTheRunWithWhatWasRecorded) {
  RunFolder run("stop");
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.WriteWave("items\\long.wav", 2000, 4.0);
  run.WriteWave("items\\c.wav", 3000, 0.2);
  run.WriteItems({LocalItem("a.wav"), LocalItem("long.wav"), LocalItem("c.wav")});
  RunReports reports = run.Run("stop-on-play=2");

  EXPECT_TRUE(reports.Has("W 7 2"));
  EXPECT_TRUE(reports.Has(ItemReport(7, 2)));
  EXPECT_FALSE(reports.Has(ItemReport(2, 3)));
  EXPECT_GT(reports.Find("W 1 1"), reports.Find(ItemReport(7, 2)));
  EXPECT_EQ(reports.lines.back(), "EXIT 0");
  EXPECT_EQ(run.Key("data\\news\\news.inx", "1", "recStatus"), "4");
  EXPECT_EQ(run.Key("data\\news\\news.inx", "2", "recStatus"), "7");
  EXPECT_EQ(run.Key("data\\news\\news.inx", "3", "recStatus"), "1");
  // The medium holds what was recorded up to its last pause; no closing.
  EXPECT_EQ(ReadRuns(run.Recording()), Runs({{100, 0.2}, {200, 0.2}, {1000, 0.2}}));
  // No step ran twice after the stop.
  const std::string log = run.Read("Recorder.log");
  size_t count = 0;
  for (size_t at = log.find("FinishRecordLoop_Media()"); at != std::string::npos;
       at = log.find("FinishRecordLoop_Media()", at + 1))
    ++count;
  EXPECT_EQ(count, 1u);
}

TEST(RecorderRun, ItemInErrorIsSkippedAndTheNextOnePlays) {
  RunFolder run("error");
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.WriteWave("source\\c.wav", 3000, 0.2);
  run.WriteItems({LocalItem("a.wav"), LinkItem("missing.wav"), LinkItem("c.wav")});
  RunReports reports = run.Run();

  EXPECT_TRUE(reports.Has(ItemReport(6, 2)));
  EXPECT_FALSE(reports.Has(ItemReport(3, 2)));
  EXPECT_TRUE(reports.Has(ItemReport(4, 3)));
  EXPECT_EQ(run.Key("data\\news\\news.inx", "2", "recStatus"), "6");
  EXPECT_EQ(run.Key("data\\news\\news.inx", "2", "errorHint"), "File not found on the server.");
  EXPECT_EQ(run.Key("data\\news\\news.inx", "3", "recStatus"), "4");
  EXPECT_EQ(ReadRuns(run.Recording()),
            Runs({{100, 0.2}, {200, 0.2}, {1000, 0.2}, {3000, 0.2}, {300, 0.2}}));
}

TEST(RecorderRun, MediaErrorHaltsTheRun) {
  RunFolder run("media");
  run.Write("blocker", "a file where the medium wants a folder");
  run.SetParam("FileDisk", "outputFolder", "blocker\\out");
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.WriteItems({LocalItem("a.wav")});
  RunReports reports = run.Run();

  EXPECT_TRUE(reports.Has("W 6 0"));
  bool textReport = false;
  for (const std::string& line : reports.lines)
    textReport |= line.rfind("M 6 0 ", 0) == 0 && line.find("Cannot create") != std::string::npos;
  EXPECT_TRUE(textReport);
  EXPECT_FALSE(reports.Has("W 1 3"));
  EXPECT_NE(run.Key("TezParam.inx", "Recorder", "errorHint").find("Cannot create"),
            std::string::npos);
  EXPECT_EQ(run.Key("data\\news\\news.inx", "1", "recStatus"), "1");
  EXPECT_EQ(reports.lines.back(), "EXIT 0");
}

TEST(RecorderRun, SecondStartDuringARunIsRefusedAndForeignPointersAreIgnored) {
  RunFolder run("twice");
  run.WriteWave("items\\a.wav", 1000, 0.5);
  run.WriteItems({LocalItem("a.wav")});
  RunReports reports = run.Run("start-twice bad-pointer");

  EXPECT_EQ(reports.Count("W 1 2"), 1);
  EXPECT_EQ(reports.Count("W 1 3"), 1);
  EXPECT_EQ(reports.Count(ItemReport(3, 1)), 1);
  EXPECT_EQ(reports.lines.back(), "EXIT 0");
  const std::string log = run.Read("Recorder.log");
  EXPECT_NE(log.find("start refused"), std::string::npos);
  EXPECT_NE(log.find("Record by window message 6269 ignored"), std::string::npos);
  EXPECT_EQ(ReadRuns(run.Recording()), Runs({{100, 0.2}, {200, 0.2}, {1000, 0.5}, {300, 0.2}}));
}

TEST(RecorderStart, RunsOnlyBesideTheControllerAndOnce) {
  RunFolder run("gate");
  const std::string recorder = "\"" + BinFolder() + "Recorder.exe\"";
  DWORD code = 1;
  ASSERT_TRUE(RunProcess(recorder, run.Path(), 20000, &code));  // ends by itself
  EXPECT_EQ(FindWindowA(nullptr, "Recorder"), nullptr);

  run.Write("openrecorder", "");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION first = {};
  std::string line = recorder;
  ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                             run.Path().c_str(), &startup, &first));
  HWND window = nullptr;
  for (int i = 0; i < 200 && !window; ++i) {
    Sleep(50);
    window = FindWindowA(nullptr, "Recorder");
  }
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(RunProcess(recorder, run.Path(), 20000, &code));  // a second one ends at once
  EXPECT_EQ(FindWindowA(nullptr, "Recorder"), window);
  PostMessageA(window, 5806, 0, 0);
  EXPECT_EQ(WaitForSingleObject(first.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(first.hThread);
  CloseHandle(first.hProcess);
  EXPECT_EQ(run.Key("TezParam.inx", "Recorder", "recorderState"), "1");
}
