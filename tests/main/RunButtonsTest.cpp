// The run buttons of Halvorn's window clicked as a user clicks them, beside
// a window of this test captioned "Brindale Control" (and, where a run is
// to be stopped, one captioned "Recorder"): one click starts a run, a run's
// button stays down while it works, and a stop reaches the controller once.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "MainWindowFixture.h"

namespace {

constexpr UINT kRecorderState = 0x4D6;
constexpr UINT kStartSession = 0x4CC;
constexpr UINT kStopSession = 0x4D5;

long Count(UINT msg) {
  return static_cast<long>(std::count_if(Peer::Got().begin(), Peer::Got().end(),
                                         [msg](const auto& m) { return m.first == msg; }));
}

// The controller's report of a run state, handled when this returns.
bool Report(BYTE state) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(MainWindow(), kRecorderState, state, 0, SMTO_NORMAL, 10000,
                             &result) != 0;
}

// A window of this test that stands for the Recorder of a run.
struct RecorderWindow {
  HWND window = OwnWindow("MainTestRecorder", "Recorder", DefWindowProcA);
  ~RecorderWindow() { Close(); }
  void Close() {
    if (window) DestroyWindow(window);
    window = nullptr;
  }
};

}  // namespace

TEST(MainRunButtons, OneClickOnPlaySelectedItemPlaysTheSelectedRow) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  ClickAt(grid, GridCell(6, 2).x, GridCell(6, 2).y);
  ASSERT_TRUE(WaitUntil([&] { return RowSelected(grid, 2); }, 3000));

  ASSERT_TRUE(Click("btnPlayItem"));
  EXPECT_TRUE(WaitUntil([] { return Peer::Has(kStartSession, 150); }, 5000));
  EXPECT_EQ(Count(kStartSession), 1);
  // The chosen row is what plays: the shown channel alone is to be played.
  EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "selectedItem"), "1");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "1", "selectedItem"), "0");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "3", "selectedItem"), "0");
  EXPECT_EQ(h.Key("data\\TezData.inx", "Entry List", "numberEntries"), "1");
  EXPECT_EQ(h.Key("data\\TezData.inx", "Entry List", "entry1"), "1");

  // While it is to play only the stop shows; without a Recorder the stop
  // resets the run here and asks nothing of the controller.
  ASSERT_TRUE(WaitUntil([] { return Shown("btnStopPlay") && !Shown("btnPlayItem"); }, 5000));
  ASSERT_TRUE(Click("btnStopPlay"));
  EXPECT_TRUE(WaitUntil([] { return Shown("btnPlayItem") && !Shown("btnStopPlay"); }, 5000));
  EXPECT_FALSE(Peer::Has(kStopSession, 0));
}

TEST(MainRunButtons, RunButtonStaysDownWhileItsRunWorksAndAStopIsSentOnce) {
  const struct Case {
    const char* start;
    const char* stop;
    WPARAM mode;
    BYTE working;  // the run's state byte as the controller reports it
  } cases[] = {{"speedRecordNow", "speedRecordStop", 0, 0x03},
               {"speedPlayNow", "speedPlayStop", 100, 0x13}};
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    Peer::Got().clear();
    RecorderWindow recorder;
    ASSERT_TRUE(Click(c.start));
    ASSERT_TRUE(WaitUntil([&] { return Peer::Has(kStartSession, c.mode); }, 5000));
    ASSERT_TRUE(Report(c.working));
    ASSERT_TRUE(WaitUntil([&] { return Shown(c.stop) && !Shown(c.start); }, 5000));

    ASSERT_TRUE(Click(c.stop));
    EXPECT_TRUE(WaitUntil([] { return Count(kStopSession) == 1; }, 5000));
    // Shown down now: a second click is not a second stop.
    ASSERT_TRUE(Click(c.stop));
    EXPECT_FALSE(WaitUntil([] { return Count(kStopSession) > 1; }, 2000));
    EXPECT_TRUE(Shown(c.stop));

    // The Recorder is gone while the window still shows the run: the stop
    // resets the state here without asking the controller.
    recorder.Close();
    if (c.mode != 0) {
      // A play stop held down does nothing; the run's next report
      // releases it.
      ASSERT_TRUE(Report(c.working));
    }
    ASSERT_TRUE(Click(c.stop));
    EXPECT_TRUE(WaitUntil([&] { return Shown(c.start) && !Shown(c.stop); }, 5000));
    EXPECT_EQ(Count(kStopSession), 1);
  }
}

TEST(MainRunButtons, AControllerNotRunningIsAskedForAndStartedFromTheProgramsFolder) {
  // No controller and no other Halvorn about.
  ASSERT_TRUE(WaitUntil([] { return !MainWindow() && !FindWindowA(nullptr, "Brindale Control"); },
                        20000));
  // A folder with a blank in its name, and beside it a program that an
  // unquoted command line would start instead.
  Install in(AllFiles(), "run dir");
  WriteSettings(in, 0);
  CopyFileA((BinDir() + "StandInControl.exe").c_str(), in.Path("Pellomar.exe").c_str(), FALSE);
  const std::string impostor = GetCurrentDir() + "\\run.exe";
  CopyFileA((BinDir() + "StandInControl.exe").c_str(), impostor.c_str(), FALSE);
  WriteText(in.Path("data\\TezData.inx"),
            "[Data Types]\r\nnumberTypes=1\r\ntype1=1\r\n"
            "[1]\r\nname=News\r\nactive=1\r\nworkingDir=news\\\r\niniFile=news.inx\r\n");
  CreateDirectoryA(in.Path("data\\news").c_str(), nullptr);
  WriteText(in.Path("data\\news\\news.inx"), kItems);
  ProcessGuard p(StartHalvorn(in, "/DEBUG"));
  ASSERT_TRUE(WaitUntil([] { return MainWindow() && Shown("speedRecordNow") && Shown("chanBut1"); },
                        30000));

  // Clicked again should the first click come before the window takes it.
  std::string text;
  HWND box = nullptr;
  for (int attempt = 0; attempt < 3 && !box; ++attempt) {
    ASSERT_TRUE(Click("speedRecordNow"));
    box = WaitForMessageBox(text, 5000);
  }
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(text, "Brindale Control isn't running!\rWould you like to run it now?");
  Click(FindWindowExA(box, nullptr, "Button", "&Yes"));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(in.Path("started.txt")); }, 10000));
  WaitUntil([&] { return !ReadText(in.Path("started.txt")).empty(); }, 3000);
  EXPECT_EQ(ReadText(in.Path("started.txt")), in.Path("Pellomar.exe"));
  // The run is asked of the controller started: its stop takes Record
  // Now's place.
  EXPECT_TRUE(WaitUntil([] { return Shown("speedRecordStop"); }, 5000));
  if (HWND stand = FindWindowA("StandInControl", nullptr)) PostMessageA(stand, WM_CLOSE, 0, 0);
  PostMessageA(MainWindow(), WM_CLOSE, 0, 0);
  WaitUntil([&] { return WaitForSingleObject(p.process, 0) == WAIT_OBJECT_0; }, 20000);
}

TEST(MainRunButtons, RecorderStateStoredByARunningRecorderIsTakenAtStart) {
  // The Recorder's own states: 1 ready (no run), 2 run started, 3 recording;
  // taken (2 as 1, "run started") only while a Recorder window exists.
  const struct Case {
    const char* stored;
    bool recorder;
    bool working;
  } cases[] = {{"1", true, false}, {"2", true, true}, {"3", true, true}, {"3", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("stored ") + c.stored + (c.recorder ? "" : " without a Recorder"));
    Peer peer;
    std::unique_ptr<RecorderWindow> recorder(c.recorder ? new RecorderWindow : nullptr);
    Halvorn h(kItems, std::string("[Recorder]\r\nrecorderState=") + c.stored + "\r\n");
    ASSERT_TRUE(WaitUntil([] { return MainWindow() && Shown("chanBut1"); }, 30000));
    EXPECT_TRUE(WaitUntil([&] { return Shown("speedRecordStop") == c.working; }, 5000));
    EXPECT_EQ(Shown("speedRecordNow"), !c.working);
    EXPECT_EQ(Shown("pnlRecPlayDisplay"), c.working);
    // Items cannot be deleted while a run works.
    EXPECT_EQ(IsWindowEnabled(Control("btnDel")) != 0, !c.working);
  }
}
