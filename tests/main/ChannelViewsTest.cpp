// Halvorn's channel buttons on its pages, the refresh of the channel list
// and the end of a run as the channels of the run see it.
#include <gtest/gtest.h>

#include "MainWindowFixture.h"

namespace {

constexpr UINT kRecorderState = 0x4D6;
constexpr UINT kSaveChannels = 0x4FC;
constexpr UINT kChannelsSaved = 0x4FD;

HWND ParentOf(const char* name) { return GetParent(Control(name)); }

// The top of a control within its parent.
int TopOf(const char* name) {
  RECT r = WindowRect(Control(name));
  POINT p = {r.left, r.top};
  ScreenToClient(GetParent(Control(name)), &p);
  return p.y;
}

// A channel button without pictures is drawn as a plain button: sunken
// (its corner in the shadow colour) while it is down.
bool DrawnDown(const char* name) {
  return PixelAt(Control(name), 0, 0) == GetSysColor(COLOR_BTNSHADOW);
}

// The player page of the file medium, with its player library.
const char kPlayerKeys[] = "playerAvailable=1\r\nplayerDll=TezDiskPlayer.dll\r\n";

}  // namespace

TEST(MainChannelViews, OptionsPageShowsTheChannelButtonsForDisplayOnly) {
  Peer peer;
  Halvorn h(kItems, kPlayerKeys);
  ASSERT_TRUE(h.Ready());
  // The n-th button of the column stands at 7 + 29 x n.
  EXPECT_EQ(TopOf("chanBut1"), 36);
  EXPECT_EQ(TopOf("chanBut2"), 65);
  ASSERT_TRUE(Click("chanBut2"));  // Weather
  // The player page and the options page show them the same way, the
  // channel shown drawn down.
  const struct Page {
    const char* button;
    const char* panel;
  } pages[] = {{"speedPlayer", "pnlPlayerChannels"}, {"speedOptions", "pnlOptionsChannels"}};
  for (const Page& page : pages) {
    SCOPED_TRACE(page.panel);
    ASSERT_TRUE(Click(page.button));
    ASSERT_TRUE(WaitUntil([&] { return Shown(page.panel); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return ParentOf("chanBut1") == Control(page.panel); }, 5000));
    EXPECT_TRUE(Shown("chanBut2"));
    EXPECT_FALSE(IsWindowEnabled(Control("chanBut1")));
    EXPECT_FALSE(IsWindowEnabled(Control("chanBut2")));
    EXPECT_EQ(TopOf("chanBut1"), 36);
    EXPECT_TRUE(WaitUntil([] { return DrawnDown("chanBut2"); }, 3000));
    EXPECT_FALSE(DrawnDown("chanBut1"));
    if (page.panel == std::string("pnlPlayerChannels")) {
      ASSERT_TRUE(Click("speedView"));
      ASSERT_TRUE(WaitUntil([] { return Shown("pnlChannels"); }, 5000));
      ASSERT_TRUE(WaitUntil([] { return ParentOf("chanBut1") == Control("pnlChannels"); }, 5000));
    }
  }
  // Back in the channels view the buttons are there to click again, and
  // the channel shown before stays shown.
  SendMessageA(Control("btnOptionsCancel"), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([] { return Shown("pnlChannels"); }, 5000));
  EXPECT_TRUE(WaitUntil([] { return ParentOf("chanBut1") == Control("pnlChannels"); }, 5000));
  EXPECT_TRUE(IsWindowEnabled(Control("chanBut1")));
  HWND grid = Control("gridItems");
  EXPECT_EQ(HintAt(grid, GridCell(6, 1).x, GridCell(6, 1).y), "http://example.invalid/w.wav");
}

TEST(MainChannelViews, RefreshReadsTheChannelFilesAgain) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  std::string file = h.in.Path("data\\news\\news.inx");
  WritePrivateProfileStringA("Entry List", "numberEntries", "4", file.c_str());
  WritePrivateProfileStringA("4", "description", "Fourth", file.c_str());
  ASSERT_TRUE(Click("tezmmRefreshChannels"));
  EXPECT_EQ(HintAt(grid, GridCell(6, 4).x, GridCell(6, 4).y), "Fourth");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "Entry List", "numberEntries"), "4");
}

TEST(MainChannelViews, ARunsEndMarksItemsLeftWorkingInEveryChannelOfTheRun) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND main = MainWindow();
  PostMessageA(main, kSaveChannels, kChannelsSaved, 0);  // the run's channels: 1 and 3
  ASSERT_TRUE(WaitUntil([] { return Peer::Has(kChannelsSaved, 0); }, 5000));
  PostMessageA(main, kRecorderState, 0x02, 0);  // running
  ASSERT_TRUE(WaitUntil([] { return Shown("pnlRecPlayDisplay"); }, 5000));
  // The Recorder was at work on an item of each channel when it ended.
  WritePrivateProfileStringA("2", "recStatus", "2", h.in.Path("data\\news\\news.inx").c_str());
  WritePrivateProfileStringA("1", "recStatus", "3", h.in.Path("data\\weather\\w.inx").c_str());
  PostMessageA(main, kRecorderState, 0x00, 0);
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\weather\\w.inx", "1", "recStatus") == "6"; },
                        5000));
  EXPECT_EQ(h.Key("data\\weather\\w.inx", "1", "errorHint"), "General Error");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "recStatus"), "6");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "errorHint"), "General Error");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "1", "recStatus"), "4");  // done before: kept
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  EXPECT_EQ(HintAt(grid, GridCell(4, 2).x, GridCell(4, 2).y), "General Error");
}

TEST(MainChannelViews, SaveRequestWhileTheOptionsAreShownIsAnsweredAndTheFilesReadAfter) {
  struct Case {
    LPARAM mode;
    bool entryListWritten;
  } cases[] = {{0, true}, {100, true}, {150, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode));
    Peer peer;
    Halvorn h;
    ASSERT_TRUE(h.Ready());
    HWND grid = Control("gridItems");
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
    ASSERT_TRUE(Click("speedOptions"));
    ASSERT_TRUE(WaitUntil([] { return Shown("pnlOptionsChannels"); }, 5000));
    std::string data = h.in.Path("data\\TezData.inx");
    WritePrivateProfileStringA("Entry List", "numberEntries", "9", data.c_str());
    PostMessageA(MainWindow(), kSaveChannels, kChannelsSaved, c.mode);
    EXPECT_TRUE(WaitUntil([&] { return Peer::Has(kChannelsSaved, c.mode); }, 5000));
    EXPECT_EQ(h.Key("data\\TezData.inx", "Entry List", "numberEntries"),
              c.entryListWritten ? "2" : "9");
    // The Recorder works on the files while the options stay shown.
    std::string news = h.in.Path("data\\news\\news.inx");
    WritePrivateProfileStringA("2", "description", "Recorded", news.c_str());
    WritePrivateProfileStringA("Entry List", "numberEntries", "4", news.c_str());
    WritePrivateProfileStringA("4", "description", "Fourth", news.c_str());
    WaitUntil([] { return false; }, 600);
    EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "description"), "Recorded");
    // Back in the channels view the list is read from the files again.
    SendMessageA(Control("btnOptionsCancel"), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return Shown("pnlChannels"); }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
    EXPECT_EQ(HintAt(grid, GridCell(6, 2).x, GridCell(6, 2).y), "Recorded");
    EXPECT_EQ(HintAt(grid, GridCell(6, 4).x, GridCell(6, 4).y), "Fourth");
    EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "description"), "Recorded");
  }
}

TEST(MainChannelViews, ExitFromTheOptionsAfterADeferredSaveRequestKeepsWhatTheRecorderWrote) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  ASSERT_TRUE(Click("speedOptions"));
  ASSERT_TRUE(WaitUntil([] { return Shown("pnlOptionsChannels"); }, 5000));
  PostMessageA(MainWindow(), kSaveChannels, kChannelsSaved, 0);
  ASSERT_TRUE(WaitUntil([] { return Peer::Has(kChannelsSaved, 0); }, 5000));
  // The run records item 2 while the options stay shown.
  std::string news = h.in.Path("data\\news\\news.inx");
  WritePrivateProfileStringA("2", "recStatus", "4", news.c_str());
  WritePrivateProfileStringA("2", "localFile", "second.wav", news.c_str());
  // The user closes the program from the options page.
  PostMessageA(MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return WaitForSingleObject(h.process, 0) == WAIT_OBJECT_0; },
                        20000));
  EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "recStatus"), "4");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "localFile"), "second.wav");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "3", "description"), "Third");
}

TEST(MainChannelViews, ARunEndingWhileTheOptionsShowMarksItsItemsOnceTheyClose) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  ASSERT_TRUE(Click("speedOptions"));
  ASSERT_TRUE(WaitUntil([] { return Shown("pnlOptionsChannels"); }, 5000));
  // A scheduled run starts and ends while the options are shown; the
  // Recorder leaves item 2 of News in the middle of its work.
  HWND main = MainWindow();
  PostMessageA(main, kSaveChannels, kChannelsSaved, 0);
  ASSERT_TRUE(WaitUntil([] { return Peer::Has(kChannelsSaved, 0); }, 5000));
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutA(main, kRecorderState, 0x02, 0, SMTO_NORMAL, 10000, &result));
  WritePrivateProfileStringA("2", "recStatus", "3", h.in.Path("data\\news\\news.inx").c_str());
  ASSERT_TRUE(SendMessageTimeoutA(main, kRecorderState, 0x00, 0, SMTO_NORMAL, 10000, &result));
  EXPECT_TRUE(Shown("pnlOptionsChannels"));
  EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "recStatus"), "3");  // the page still holds them
  SendMessageA(Control("btnOptionsCancel"), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([] { return Shown("pnlChannels"); }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "2", "recStatus") == "6"; },
                        5000));
  EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "errorHint"), "General Error");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "1", "recStatus"), "4");
}
