// Recording runs started and stopped from Halvorn's window by mouse clicks,
// carried out by the real controller, Recorder and HTTP fetch plug-in with
// the local web server, and followed on the window and the screen.
#include <gtest/gtest.h>

#include <set>

#include "ControllerSupport.h"
#include "MailBurst.h"
#include "RunSupport.h"

namespace {

const std::vector<std::string> kPrograms = {
    "Pellomar.exe",        "Recorder.exe",       "Caddrel.exe",       "Halvorn.exe",
    "Halvorn.dll",         "Halvorn4.dll",       "HalvornBasket.dll", "HalvornBasket4.dll",
    "TezIniManager.dll",   "TezItems.dll",       "TezWavPlayer.dll",  "Sonavel.dll",
    "TezFileMedia.dll",    "TezChannelOp.dll",   "TezRasDialer.dll",  "TezHttpGet.dll",
    "RecPeerLog.dll",      "record_anim.gif",    "play_anim.gif",     "download_anim.gif",
    "connect_anim.gif",    "record_anim4.gif",   "play_anim4.gif",    "download_anim4.gif",
    "connect_anim4.gif"};

// The installed system with one active channel "News" (section 1), whose
// items are written by the test, and Halvorn opened by the controller.
struct System {
  ControllerFolder f;
  explicit System(const std::string& name) : f(name, kPrograms) {
    f.SetParam("Recorder", "optionPlayOpening", "0");
    f.SetParam("DragDrop", "autoOpenBasketOnStart", "1");
    f.Write("data\\TezData.inx",
            "[Data Types]\r\nnumberTypes=1\r\ntype1=1\r\ndefaultChannel=1\r\n"
            "[Entry List]\r\nnumberEntries=1\r\nentry1=1\r\n"
            "[1]\r\nname=News\r\nactive=1\r\nworkingDir=news\\\r\niniFile=news.inx\r\n"
            "dllName=TezChannelOp.dll\r\nbutBitmap=NEWS\r\nbutBitmapDll=ChannelButtons.dll\r\n");
    CopyFileA((BinFolder() + "ChannelButtons.dll").c_str(),
              f.File("data\\news\\ChannelButtons.dll").c_str(), FALSE);
    f.Write("Halvorn.inx",
            "[Params]\r\naudioEffects=0\r\nslideNumJumps=0\r\nstartWithWindows=0\r\n"
            "[DragDropSize]\r\nLeft=600\r\nTop=40\r\nWidth=87\r\nHeight=81\r\n"
            "[ViewerSize]\r\nLeft=20\r\nTop=20\r\nWidth=560\r\nHeight=420\r\n");
  }
  // Starts the controller, which opens Halvorn; then the full window.
  bool Open() {
    if (!f.StartController()) return false;
    if (!f.WaitForLine("Caddrel.log", "COMMAND 10 1", 15000)) return false;
    if (!WaitUntil([] { return MainWindow() != nullptr; }, 30000)) return false;
    PostMessageA(MainWindow(), 0x464, 0, 1);
    return WaitUntil([] { return Shown("speedRecordNow") && Shown("gridItems"); }, 20000);
  }
  std::string Item(int n, const char* key) const {
    return f.Key("data\\news\\news.inx", std::to_string(n).c_str(), key);
  }
};

// What the window showed while a run worked.
struct Seen {
  std::set<std::string> channels, items, progress;
  std::set<COLORREF> recordFrames;
  bool display = false;
  void Look() {
    channels.insert(TextOf("lblChannelName"));
    items.insert(TextOf("lblItemStatus"));
    progress.insert(TextOf("lblGlobalProgress"));
    if (Shown("pnlRecPlayDisplay")) display = true;
    // The record animation is painted on the tool bar right of the buttons,
    // at (356, 23).
    HWND bar = Control("pnlMenu");
    if (bar && Shown("pnlRecPlayDisplay")) recordFrames.insert(PixelAt(bar, 356 + 12, 23 + 12));
  }
  bool ItemShown(const std::string& prefix) const {
    for (const std::string& s : items)
      if (s.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  }
};

bool Idle() { return Shown("speedRecordNow") && !Shown("pnlRecPlayDisplay"); }

}  // namespace

TEST(MainRun, RecordNowClickedRecordsTheChannelAndShowsIt) {
  System s("record");
  s.f.WriteItems({s.f.HttpItem("first.wav", 1000, 1.5), s.f.HttpItem("second.wav", 2000, 1.5),
                  s.f.MissingHttpItem("missing.wav")});
  ASSERT_TRUE(s.Open());
  ASSERT_TRUE(Click("speedRecordNow"));

  Seen seen;
  bool started = WaitUntil(
      [&] {
        seen.Look();
        return FindWindowA(nullptr, "Recorder") != nullptr;
      },
      30000);
  ASSERT_TRUE(started) << "no Recorder started";
  bool saved = false;
  WaitUntil(
      [&] {
        seen.Look();
        if (!saved && TextOf("lblItemStatus").rfind("Item #2", 0) == 0) {
          SaveScreen("during.bmp");  // kept beside the test for a look
          saved = true;
        }
        return !FindWindowA(nullptr, "Recorder") && Idle();
      },
      120000);
  ASSERT_TRUE(Idle()) << "the window still shows a run";

  // During the run: the channel and the item, progress, the animation.
  EXPECT_TRUE(seen.display);
  EXPECT_TRUE(seen.channels.count("News"));
  EXPECT_TRUE(seen.ItemShown("Item #1")) << "no item label";
  EXPECT_TRUE(seen.ItemShown("Item #2"));
  EXPECT_GE(seen.progress.size(), 3u) << "the run time did not move";
  EXPECT_GE(seen.recordFrames.size(), 2u) << "the record animation did not run";

  // The recording and the items' states as the Recorder left them.
  EXPECT_FALSE(s.f.Recording().empty());
  EXPECT_EQ(s.Item(1, "recStatus"), "4");
  EXPECT_EQ(s.Item(2, "recStatus"), "4");
  EXPECT_EQ(s.Item(3, "recStatus"), "6");

  // The grid shows each item's status picture, and its hint.
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  Sleep(500);
  const std::string lib = s.f.File("Halvorn.dll");
  COLORREF recorded = LibraryPictureColour(lib, "HALVORN_BMP_ITEMPLAYEDICON_BMP");
  COLORREF error = LibraryPictureColour(lib, "HALVORN_BMP_ITEMERRORICON_BMP");
  ASSERT_NE(recorded, error);
  // A selected row draws its picture transparent, so each row is looked at
  // while another one is selected.
  auto picture = [&](int row) {
    POINT p = GridCell(4, row);  // the picture's key point, (1, 1) of the 16 x 16 picture
    return PixelAt(grid, p.x - 7, p.y - 7);
  };
  ClickAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
  ASSERT_TRUE(WaitUntil([&] { return RowSelected(grid, 1) && !RowSelected(grid, 3); }, 3000));
  EXPECT_EQ(picture(2), recorded);
  EXPECT_EQ(picture(3), error);
  ClickAt(grid, GridCell(6, 3).x, GridCell(6, 3).y);
  ASSERT_TRUE(WaitUntil([&] { return RowSelected(grid, 3) && !RowSelected(grid, 1); }, 3000));
  EXPECT_EQ(picture(1), recorded);
  POINT c = GridCell(4, 3);
  SaveScreen("after.bmp");
  EXPECT_EQ(HintAt(grid, GridCell(4, 1).x, GridCell(4, 1).y), "Recorded");
  std::string hint = HintAt(grid, c.x, c.y);
  EXPECT_FALSE(hint.empty());
  EXPECT_EQ(hint, s.Item(3, "errorHint"));
}

TEST(MainRun, StopClickedEndsTheRunThroughTheController) {
  System s("stop");
  s.f.WriteItems({s.f.HttpItem("long1.wav", 1000, 6.0), s.f.HttpItem("long2.wav", 2000, 6.0),
                  s.f.HttpItem("long3.wav", 3000, 6.0)});
  ASSERT_TRUE(s.Open());
  ASSERT_TRUE(Click("speedRecordNow"));
  ASSERT_TRUE(WaitUntil([] { return TextOf("lblItemStatus").rfind("Item #1", 0) == 0; }, 60000));
  ASSERT_TRUE(WaitUntil([] { return Shown("speedRecordStop"); }, 5000));
  ASSERT_TRUE(Click("speedRecordStop"));

  ASSERT_TRUE(WaitUntil([] { return !FindWindowA(nullptr, "Recorder"); }, 60000));
  EXPECT_TRUE(WaitUntil(Idle, 30000)) << "the window did not return to idle";
  EXPECT_NE(s.f.Read("Recorder.log").find("Recorder <- Controller : Stop."), std::string::npos);
  // The last item was never reached; none is left marked as working.
  EXPECT_NE(s.Item(3, "recStatus"), "4");
  for (int n = 1; n <= 3; ++n) {
    std::string status = s.Item(n, "recStatus");
    EXPECT_TRUE(status != "2" && status != "3") << "item " << n << " status " << status;
  }
}

TEST(MainRun, BurstOfMalformedMailIntoTheMainProgramLeavesTheRunReportingAndRecording) {
  System s("burst");
  s.f.WriteItems({s.f.HttpItem("first.wav", 1000, 3.0), s.f.HttpItem("second.wav", 2000, 3.0),
                  s.f.HttpItem("third.wav", 3000, 3.0)});
  ASSERT_TRUE(s.Open());
  ASSERT_TRUE(Click("speedRecordNow"));
  // The main program's slot is open while the run works: a few thousand
  // malformed blocks go into it, and every one is taken.
  ASSERT_TRUE(WaitUntil([] { return TextOf("lblItemStatus").rfind("Item #1", 0) == 0; }, 60000));
  ASSERT_TRUE(SendMalformedBurst("\\\\.\\mailslot\\halvorn", 2000, 43, 240000));
  // The run's reports still reach the window, and the run records to its end.
  Seen seen;
  WaitUntil(
      [&] {
        seen.Look();
        return !FindWindowA(nullptr, "Recorder") && Idle();
      },
      120000);
  ASSERT_TRUE(Idle()) << "the window still shows a run";
  EXPECT_TRUE(seen.ItemShown("Item #3")) << "reports after the burst did not show";
  EXPECT_FALSE(s.f.Recording().empty());
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(s.Item(n, "recStatus"), "4") << "item " << n;
}
