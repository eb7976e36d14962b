// Recording runs of the real Recorder.exe beside the test controller, with
// the real stand-in libraries and real files.
#include <gtest/gtest.h>

#include <algorithm>

#include "RecorderRunSupport.h"

namespace {

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

TEST(RecorderRun, SkipEndsThePlayingItemAndTheRunGoesOn) {
  RunFolder run("skip");
  run.WriteWave("items\\long.wav", 2000, 4.0);
  run.WriteWave("items\\c.wav", 3000, 0.2);
  run.WriteItems({LocalItem("long.wav"), LocalItem("c.wav")});
  RunReports reports = run.Run("skip-on-play=1");

  EXPECT_TRUE(reports.Has("W 7 4"));
  EXPECT_TRUE(reports.Has(ItemReport(4, 2)));
  EXPECT_EQ(run.Key("data\\news\\news.inx", "2", "recStatus"), "4");
  // The skipped item is cut short (to nothing when the skip came first);
  // the next item and the closing follow whole.
  const SampleRuns recorded = ReadRuns(run.Recording());
  ASSERT_GE(recorded.size(), 4u);
  for (const auto& part : recorded) {
    if (part.first == 2000) {
      EXPECT_LT(part.second, Frames(4.0));
    }
  }
  const size_t n = recorded.size();
  EXPECT_EQ(recorded[n - 2], std::make_pair(3000, Frames(0.2)));
  EXPECT_EQ(recorded[n - 1], std::make_pair(300, Frames(0.2)));
}

TEST(RecorderRun, KillDuringARunStopsItAndEndsTheProgram) {
  RunFolder run("kill");
  run.WriteWave("items\\long.wav", 2000, 4.0);
  run.WriteWave("items\\c.wav", 3000, 0.2);
  run.WriteItems({LocalItem("long.wav"), LocalItem("c.wav")});
  RunReports reports = run.Run("kill-on-play=1");

  EXPECT_TRUE(reports.Has("W 7 3"));
  EXPECT_GT(reports.Find("W 1 1"), reports.Find("W 7 3"));
  EXPECT_EQ(reports.lines.back(), "EXIT 0");
  EXPECT_EQ(run.Key("data\\news\\news.inx", "1", "recStatus"), "7");
  EXPECT_EQ(run.Key("data\\news\\news.inx", "2", "recStatus"), "1");
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

TEST(RecorderRun, AMediaCallThatIsRefusedEndsTheRunWithAnError) {
  RunFolder run("refused");
  run.SetParam("FileDisk", "dllName", "RecPeerMedia.dll");  // takes no recording
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.WriteItems({LocalItem("a.wav")});
  RunReports reports = run.Run();

  EXPECT_TRUE(reports.Has("W 6 0"));
  EXPECT_FALSE(reports.Has("W 1 3"));
  EXPECT_EQ(reports.lines.back(), "EXIT 0");
  EXPECT_NE(run.Read("Recorder.log").find("InitializeMedia() : the media library refused the call"),
            std::string::npos);
  EXPECT_EQ(run.Key("TezParam.inx", "Recorder", "recorderState"), "1");
}

// Lines of the Recorder's log that hold text.
int LogCount(const RunFolder& run, const std::string& text) {
  const std::string log = run.Read("Recorder.log");
  int n = 0;
  for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
  return n;
}

TEST(RecorderRun, TheItemLogGoesOnceWhenTheLineIsHungUp) {
  RunFolder run("hangup");
  run.SetParam("Recorder", "sendActivityLog", "1");
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.WriteWave("source\\c.wav", 3000, 0.2);
  run.WriteWave("items\\d.wav", 4000, 0.2);
  // Only the fetched item needs the line: it comes up for its fetch.
  run.WriteItems({LocalItem("a.wav"), LinkItem("c.wav"), LocalItem("d.wav")});
  RunReports reports = run.Run();

  EXPECT_EQ(reports.lines.back(), "EXIT 0");
  EXPECT_EQ(run.Key("data\\news\\news.inx", "3", "recStatus"), "4");
  EXPECT_EQ(LogCount(run, "State == Connected."), 1);
  EXPECT_EQ(LogCount(run, "State == Pre disconnect."), 1);
  EXPECT_EQ(LogCount(run, "PreDisconnect()"), 1);
  EXPECT_EQ(LogCount(run, "SendLogFinished()"), 1);
  EXPECT_EQ(LogCount(run, "State == Disconnected."), 1);
  EXPECT_EQ(LogCount(run, "RecordLoopFinished()"), 1);
}

TEST(RecorderRun, StartFailsWhenThePlaybackDeviceCannotBeSwitched) {
  RunFolder run("trap");
  run.SetParam("Recorder", "audioTrap", "1");  // this machine has no Brindale Wave Device
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.WriteItems({LocalItem("a.wav")});
  RunReports reports = run.Run();

  EXPECT_TRUE(reports.Has("W 6 0"));
  EXPECT_FALSE(reports.Has("W 1 2"));
  EXPECT_EQ(run.Key("TezParam.inx", "Recorder", "errorHint"), "Internal error.");
  EXPECT_EQ(run.Key("data\\news\\news.inx", "1", "recStatus"), "1");
  EXPECT_NE(run.Read("Recorder.log").find("Failed switching to Brindale wave device !!!"),
            std::string::npos);
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
  EXPECT_EQ(reports.Count("W 7 1"), 2);  // the second start came by mail
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
  HWND window = nullptr;
  HANDLE first = StartRecorder(run.Path(), &window);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(RunProcess(recorder, run.Path(), 20000, &code));  // a second one ends at once
  EXPECT_EQ(FindWindowA(nullptr, "Recorder"), window);
  PostMessageA(window, 5806, 0, 0);
  EXPECT_EQ(WaitForSingleObject(first, 20000), WAIT_OBJECT_0);
  CloseHandle(first);
  EXPECT_EQ(run.Key("TezParam.inx", "Recorder", "recorderState"), "1");
}

// Waits until the Recorder's log holds text.
bool LogShows(const RunFolder& run, const std::string& text) {
  for (int i = 0; i < 400; ++i) {
    if (run.Read("Recorder.log").find(text) != std::string::npos) return true;
    Sleep(50);
  }
  return false;
}

TEST(RecorderStart, AUserDisconnectBetweenRunsSendsTheLogAndHangsUp) {
  RunFolder run("user-hangup");
  run.Write("openrecorder", "");
  run.SetParam("Recorder", "sendActivityLog", "1");
  HWND window = nullptr;
  HANDLE process = StartRecorder(run.Path(), &window);
  ASSERT_NE(process, nullptr);
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_COMMAND, 1014, 0);  // Connect
  EXPECT_TRUE(LogShows(run, "State == Connected."));
  PostMessageA(window, WM_COMMAND, 1015, 0);  // Disconnect
  EXPECT_TRUE(LogShows(run, "State == Disconnected."));
  PostMessageA(window, 5806, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
  CloseHandle(process);

  const std::string log = run.Read("Recorder.log");
  const size_t pre = log.find("State == Pre disconnect.");
  const size_t sent = log.find("SendLogFinished()");
  ASSERT_NE(pre, std::string::npos);
  ASSERT_NE(sent, std::string::npos);
  EXPECT_LT(pre, sent);
  EXPECT_LT(sent, log.find("State == Disconnected."));
}

TEST(RecorderStart, ARunStartedByHandShowsTheChannelOperatorsStatusWithItsValue) {
  RunFolder run("by-hand");
  run.Write("openrecorder", "");
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.WriteItems({LocalItem("a.wav")});
  HWND window = nullptr;
  HANDLE process = StartRecorder(run.Path(), &window);
  ASSERT_NE(process, nullptr);
  ASSERT_NE(window, nullptr);
  PostMessageA(window, 5572, 0, 0);  // Start
  EXPECT_TRUE(LogShows(run, "RecordLoopFinished()"));
  char shown[64] = "";
  GetDlgItemTextA(window, 1035, shown, sizeof shown);
  EXPECT_STREQ(shown, "Channel ready, 100");
  PostMessageA(window, 5806, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
  CloseHandle(process);
  EXPECT_EQ(run.Key("data\\news\\news.inx", "1", "recStatus"), "4");
}

TEST(RecorderStart, EveryUnusablePlugInIsLoggedAtStart) {
  RunFolder run("unusable");
  run.Write("openrecorder", "");
  run.Write("TezPlayers.inx", "[Entry List]\r\nnumberEntries=0\r\n");
  run.Write("TezItemOperators.inx",
            "[Entry List]\r\nnumberEntries=1\r\nentry1=RecPeerFetch.dll\r\n"
            "[RecPeerFetch.dll]\r\nid=fetch\r\nidentifiers=peer\r\n");
  HWND window = nullptr;
  HANDLE process = StartRecorder(run.Path(), &window);
  ASSERT_NE(process, nullptr);
  ASSERT_NE(window, nullptr);
  PostMessageA(window, 5806, 0, 0);
  EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
  CloseHandle(process);

  // The log operator is looked at although the wav player failed; the
  // medium is not.
  const std::string log = run.Read("Recorder.log");
  EXPECT_NE(log.find("Error loading WavPlayer DLL (format=wav, file=TezPlayers.inx): "
                     "m_pWavPlayer == NULL"),
            std::string::npos);
  EXPECT_NE(log.find("Error loading Log Operator DLL: "), std::string::npos);
  EXPECT_EQ(log.find("Error loading Media DLL"), std::string::npos);
}

TEST(RecorderStart, LogFileSettingsAndDebugMessages) {
  struct Case {
    size_t oldSize;
    bool kept;
  };
  for (const Case& c : {Case{100000, true}, Case{100001, false}}) {
    RunFolder run("debug");
    run.Write("openrecorder", "");
    run.SetParam("FileDisk", "disabledFormats", "MP3, ,wav");
    std::string old(c.oldSize, 'x');
    old.replace(0, 4, "OLD\n");
    run.Write("Recorder.log", old);

    HWND window = nullptr;
    HANDLE process = StartRecorder(run.Path(), &window);
    ASSERT_NE(process, nullptr);
    ASSERT_NE(window, nullptr);
    PostMessageA(window, 5577, 105, 0);
    PostMessageA(window, 5577, 205, 0);
    EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
    CloseHandle(process);

    const std::string log = run.Read("Recorder.log");
    EXPECT_EQ(log.rfind("OLD\n", 0) == 0, c.kept) << c.oldSize;
    EXPECT_NE(log.find("*********  Log Started  **************"), std::string::npos);
    EXPECT_NE(log.find("MP3, ,wav [total=2]"), std::string::npos);
    EXPECT_NE(log.find("state == eStateMachineState_Idle"), std::string::npos);
    EXPECT_NE(log.find("Force termiante"), std::string::npos);
    EXPECT_EQ(run.Key("TezParam.inx", "Recorder", "recorderState"), "1");
  }
}

namespace {

// Where text first shows in the Recorder's log, or npos.
size_t LogAt(const RunFolder& run, const std::string& text) {
  return run.Read("Recorder.log").find(text);
}

}  // namespace

TEST(RecorderRun, StopWhileTheMediumOpensStopsTheMediumAndEndsTheRun) {
  RunFolder run("stopopening");
  run.SetParam("FileDisk", "dllName", "RecPeerMedia.dll");
  run.Write("RecPeerMedia.stop", "the medium answers only a stop");
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.WriteItems({LocalItem("a.wav")});
  // The stop goes out once the medium has taken the recording call, which
  // it never answers.
  RunReports reports = run.Run("stop-on-media-status");

  EXPECT_TRUE(reports.Has("W 7 2"));
  EXPECT_TRUE(reports.Has("W 1 1"));
  EXPECT_FALSE(reports.Has("W 1 3"));
  EXPECT_FALSE(reports.Has("W 6 0"));
  EXPECT_EQ(reports.lines.back(), "EXIT 0");
  // The opening step goes on under the stop, straight to the medium's
  // stop, whose answer ends the run.
  std::vector<size_t> order;
  for (const char* line : {"InitializeMedia()", "OnStop: state == 1",
                           "EditionHeader_MediaResume(): stop recording ",
                           "FinishRecordLoop_Media()", "RecordLoopFinished()"})
    order.push_back(LogAt(run, line));
  for (size_t i = 0; i < order.size(); ++i) {
    ASSERT_NE(order[i], std::string::npos) << i;
    if (i) {
      EXPECT_GT(order[i], order[i - 1]) << i;
    }
  }
  EXPECT_EQ(LogAt(run, "EditionHeader_PlayMusic()"), std::string::npos);
  EXPECT_EQ(run.Key("data\\news\\news.inx", "1", "recStatus"), "1");
  EXPECT_EQ(run.Key("TezParam.inx", "Recorder", "recorderState"), "1");
}

TEST(RecorderRun, TheMediumsLateErrorAfterARefusedCallIsNotReportedTwice) {
  RunFolder run("lateerror");
  run.SetParam("FileDisk", "dllName", "RecPeerMedia.dll");
  run.Write("RecPeerMedia.late", "the medium refuses, then sends its error");
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.WriteItems({LocalItem("a.wav")});
  RunReports reports = run.Run("kill-on-error-text");

  EXPECT_EQ(reports.lines.back(), "EXIT 0");
  // The refused call halts the run with one error; the medium's own error
  // comes after it with its text, and halts nothing more.
  EXPECT_EQ(reports.Count("W 6 0"), 1);
  int texts = 0;
  for (const std::string& line : reports.lines)
    texts += line.rfind("M 6 0 ", 0) == 0 && line.find("The medium failed late") != std::string::npos;
  EXPECT_EQ(texts, 1);
  EXPECT_EQ(run.Key("TezParam.inx", "Recorder", "errorHint"), "The medium failed late");
}

TEST(RecorderRun, StepsPostedOutOfTurnAreIgnoredAndTheRunGoesOn) {
  RunFolder run("stray");
  run.WriteWave("items\\a.wav", 1000, 0.2);
  run.WriteWave("items\\b.wav", 2000, 0.2);
  run.WriteItems({LocalItem("a.wav"), LocalItem("b.wav")});
  RunReports reports = run.Run("stray-steps");

  EXPECT_EQ(reports.lines.back(), "EXIT 0");
  EXPECT_EQ(LogCount(run, "out of turn ignored"), 6);
  EXPECT_EQ(reports.Count(ItemReport(3, 1)), 1);
  EXPECT_EQ(reports.Count(ItemReport(3, 2)), 1);
  EXPECT_EQ(run.Key("data\\news\\news.inx", "2", "recStatus"), "4");
  EXPECT_EQ(ReadRuns(run.Recording()),
            Runs({{100, 0.2}, {200, 0.2}, {1000, 0.2}, {2000, 0.2}, {300, 0.2}}));
}

TEST(RecorderRun, ASecondPreDisconnectDoesNotLoseTheRunsNextStep) {
  RunFolder run("predisconnect");
  run.SetParam("Recorder", "sendActivityLog", "1");
  run.Write("TezRasDialer.inx", "[Line]\r\npreDisconnectTwice=1\r\n");
  run.WriteWave("source\\c.wav", 3000, 0.2);
  run.WriteItems({LinkItem("c.wav")});
  RunReports reports = run.Run();

  EXPECT_EQ(reports.lines.back(), "EXIT 0");
  EXPECT_TRUE(reports.Has("W 1 1"));
  EXPECT_EQ(LogCount(run, "State == Pre disconnect (external)."), 1);
  EXPECT_EQ(LogCount(run, "a hang-up is under way, ignored"), 1);
  EXPECT_EQ(LogCount(run, "SendLogFinished()"), 1);
  EXPECT_EQ(LogCount(run, "RecordLoopFinished()"), 1);
  EXPECT_EQ(run.Key("data\\news\\news.inx", "1", "recStatus"), "4");
}
