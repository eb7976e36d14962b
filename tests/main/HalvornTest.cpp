// Halvorn.exe on the test display: its start-up gates and what it needs,
// its two views, view changes by message, the basket's dragging and menu,
// and what it shows of its bitmap libraries.
#include <gtest/gtest.h>

#include <memory>

#include "HalvornRun.h"

namespace {

constexpr UINT kChangeView = 0x464;
constexpr UINT kMainStarted = 0x4E0;

int CaptionHeightExtra() {
  int extra = GetSystemMetrics(SM_CYCAPTION) - 19;
  return extra > 0 ? extra : 0;
}

// The picture of a basket menu item: its key colour.
COLORREF MenuIcon(const char* name) {
  return PictureColour("HalvornBasket.dll",
                       (std::string("HALVORN_BMP_TRAYICON_") + name + "_BMP").c_str(), 1, 1);
}

bool IsMenuShown() {
  HWND menu = FindWindowA("#32768", nullptr);
  return menu && IsWindowVisible(menu);
}

std::vector<COLORREF> MenuPixels() {
  PumpUntil([] { return false; }, 400);
  return ScreenPixels(WindowRect(FindWindowA("#32768", nullptr)));
}

void PressEscape() {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = VK_ESCAPE;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// Waits for the program to end and tells whether it showed a window of
// its own while it ran.
DWORD WaitExitUnseen(HANDLE process, bool& shown) {
  const DWORD id = GetProcessId(process);
  shown = false;
  std::pair<DWORD, bool*> seen(id, &shown);
  auto look = [&] {
    EnumWindows(
        [](HWND w, LPARAM data) -> BOOL CALLBACK {
          auto* seen = reinterpret_cast<std::pair<DWORD, bool*>*>(data);
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner == seen->first && IsWindowVisible(w)) *seen->second = true;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
  };
  DWORD code = 0xDEAD;
  PumpUntil(
      [&] {
        look();
        return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
      },
      30000);
  if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  return code;
}

// Closes the main window and waits for the program to end.
DWORD CloseHalvorn(HWND main, HANDLE process) {
  PostMessageA(main, WM_CLOSE, 0, 0);
  return WaitExit(process);
}

}  // namespace

TEST(HalvornStart, GateNeedsControllerMarkerOrDebugArgument) {
  struct Case {
    const char* args;
    bool marker, peer, starts;
  } cases[] = {{"", false, false, false},
               {"/debug", false, false, true},
               {"/elsewhere", true, false, true},
               {"", false, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("args '") + c.args + "' marker " + std::to_string(c.marker));
    Install in(AllFiles());
    WriteSettings(in);
    if (c.marker) WriteText(in.Path("openhalvorn"), "");
    std::string settings = ReadText(in.Path("Halvorn.inx"));
    std::unique_ptr<ControlPeer> peer(c.peer ? new ControlPeer : nullptr);
    ProcessGuard p(StartHalvorn(in, c.args));
    ASSERT_NE(p.process, nullptr);
    if (!c.starts) {
      bool shown = true;
      EXPECT_EQ(WaitExitUnseen(p.process, shown), 0u);
      EXPECT_FALSE(shown);
      EXPECT_EQ(ReadText(in.Path("Halvorn.inx")), settings);  // nothing saved
      continue;
    }
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    if (c.peer) {
      EXPECT_TRUE(PumpUntil([] { return ControlPeer::Got(kMainStarted); }));
    }
    EXPECT_EQ(CloseHalvorn(main, p.process), 0u);
  }
}

TEST(HalvornStart, MissingPiecesEndTheProgramAndSaveNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> files;
    bool dataFile;
    const char* message;  // shown before the end, or none
    bool basketFirst;     // the basket shows before the message
    bool wrongBasket;     // a library without the basket's pictures in its place
    DWORD exitCode;
  } cases[] = {
      {"no basket library", Without("HalvornBasket.dll", "HalvornBasket4.dll"), true,
       "No Basket Bitmaps Found", false, false, 0},
      {"no main library", Without("Halvorn.dll", "Halvorn4.dll"), true, "No Bitmaps Found", true,
       false, 0},
      {"no data file", AllFiles(), false, nullptr, false, false, 0},
      {"no settings store", Without("TezIniManager.dll"), true, nullptr, false, false, 0},
      {"basket library without its pictures", Without("HalvornBasket.dll"), true,
       "Resource HALVORN_BMP_BASKET_BACK_BMP not found", false, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Install in(c.files);
    WriteSettings(in);
    if (!c.dataFile) DeleteFileA(in.Path("data\\TezData.inx").c_str());
    if (c.wrongBasket)
      CopyFileA((BinDir() + "ChannelButtons.dll").c_str(), in.Path("HalvornBasket.dll").c_str(),
                FALSE);
    std::string settings = ReadText(in.Path("Halvorn.inx"));
    ProcessGuard p(StartHalvorn(in, "/DEBUG"));
    ASSERT_NE(p.process, nullptr);
    if (c.basketFirst) {
      EXPECT_NE(WaitForMainWindow(), nullptr);
    }
    // Until the message shows, no main window may have been shown.
    bool mainShown = false;
    if (c.message) {
      std::string text;
      HWND box = nullptr;
      PumpUntil([&] {
        HWND main = FindWindowA("TForm1", nullptr);
        if (main && IsWindowVisible(main)) mainShown = true;
        box = FindWindowA("#32770", "Brindale");
        return box && IsWindowVisible(box);
      }, 20000);
      box = WaitForMessageBox(text);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(text, c.message);
      // One box, however long it waits for its answer (the picture loader
      // would try again every 3 s).
      auto boxes = [] {
        int n = 0;
        for (HWND b = nullptr; (b = FindWindowExA(nullptr, b, "#32770", "Brindale")) != nullptr;)
          if (IsWindowVisible(b)) ++n;
        return n;
      };
      EXPECT_FALSE(PumpUntil([&] { return boxes() > 1; }, 4000)) << boxes() << " boxes";
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      EXPECT_EQ(WaitExit(p.process), c.exitCode);
    } else {
      EXPECT_EQ(WaitExitUnseen(p.process, mainShown), c.exitCode);
    }
    if (!c.basketFirst) {
      EXPECT_FALSE(mainShown);
      EXPECT_EQ(ReadText(in.Path("Halvorn.inx")), settings);
    }
  }
}

TEST(HalvornStart, AMissingButtonPictureOfTheMainLibraryIsReported) {
  Install in(AllFiles());
  WriteSettings(in);
  CopyFileA((BinDir() + "HalvornGap.dll").c_str(), in.Path("Halvorn.dll").c_str(), FALSE);
  ProcessGuard p(StartHalvorn(in, "/DEBUG"));
  HWND main = WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageA(main, kChangeView, 0, 1);  // the full window needs the main pictures
  std::string text;
  HWND box = WaitForMessageBox(text);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(text, "Resource HALVORN_BMP_HELP2HI_BMP not found");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(CloseHalvorn(main, p.process), 0u);
}

TEST(HalvornBasketMenu, AutomaticRecordingOffShowsTheScheduleOffPicture) {
  Install in(AllFiles());
  WriteSettings(in);
  WriteText(in.Path("TezParam.inx"),
            ReadText(in.Path("TezParam.inx")) + "[AutoUpdate]\r\nactive=0\r\n");
  ProcessGuard p(StartHalvorn(in, "/DEBUG"));
  HWND main = WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForRect(main, 300, 200, 87, 81));
  HWND picture = FindControlByName(main, "pnlBackgroundImg");
  PostMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  ASSERT_TRUE(PumpUntil(IsMenuShown, 3000));
  std::vector<COLORREF> menu = MenuPixels();
  EXPECT_TRUE(Shows(menu, MenuIcon("SCHEDOFF")));
  EXPECT_FALSE(Shows(menu, MenuIcon("SCHEDON")));
  PressEscape();
  EXPECT_TRUE(PumpUntil([] { return !IsMenuShown(); }, 3000));
  EXPECT_EQ(CloseHalvorn(main, p.process), 0u);
}

TEST(HalvornBasketMenu, AutomaticRecordingSetFromTheMenuIsWrittenAndTheControllerTold) {
  // With the controller running it is told; without it nothing asks to
  // start it, and the time is written all the same.
  for (bool controller : {true, false}) {
    SCOPED_TRACE(controller ? "controller running" : "no controller");
    Install in(AllFiles());
    WriteSettings(in);
    WriteText(in.Path("TezParam.inx"),
              ReadText(in.Path("TezParam.inx")) + "[AutoUpdate]\r\nactive=0\r\n");
    std::unique_ptr<ControlPeer> peer(controller ? new ControlPeer : nullptr);
    ProcessGuard p(StartHalvorn(in, "/DEBUG"));
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForRect(main, 300, 200, 87, 81));
    HWND picture = FindControlByName(main, "pnlBackgroundImg");
    PostMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    ASSERT_TRUE(PumpUntil(IsMenuShown, 3000));
    INPUT key[2] = {};
    key[0].type = key[1].type = INPUT_KEYBOARD;
    key[0].ki.wVk = key[1].ki.wVk = 'A';  // &Automatic Recording
    key[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, key, sizeof(INPUT));
    HWND dialog = nullptr;
    ASSERT_TRUE(PumpUntil([&] {
      dialog = FindWindowA(nullptr, "Brindale Recording Time");
      return dialog && IsWindowVisible(dialog);
    }, 5000));
    HWND box = FindControlByName(dialog, "chkAutoRec");
    ASSERT_NE(box, nullptr);
    SendMessageA(box, BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; },
                          3000));
    HWND time = FindControlByName(dialog, "cmbFullTime");
    SendMessageA(time, CB_SETCURSEL, 61, 0);  // 3:15 PM
    SendMessageA(GetParent(time), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(time), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(time));
    SendMessageA(FindControlByName(dialog, "OKBtn"), BM_CLICK, 0, 0);
    std::string param = in.Path("TezParam.inx");
    EXPECT_TRUE(PumpUntil([&] {
      char v[16] = {};
      GetPrivateProfileStringA("AutoUpdate", "amPm", "", v, sizeof v, param.c_str());
      return v[0] != 0;  // written last
    }, 5000));
    char active[16] = {}, hour[16] = {}, minutes[16] = {}, pm[16] = {};
    GetPrivateProfileStringA("AutoUpdate", "active", "", active, sizeof active, param.c_str());
    GetPrivateProfileStringA("AutoUpdate", "hour", "", hour, sizeof hour, param.c_str());
    GetPrivateProfileStringA("AutoUpdate", "min", "", minutes, sizeof minutes, param.c_str());
    GetPrivateProfileStringA("AutoUpdate", "amPm", "", pm, sizeof pm, param.c_str());
    EXPECT_STREQ(active, "1");
    EXPECT_STREQ(hour, "3");
    EXPECT_STREQ(minutes, "15");
    EXPECT_STREQ(pm, "1");
    if (controller) {
      EXPECT_TRUE(PumpUntil([] { return ControlPeer::Got(0x4CB); }, 5000));
    } else {
      EXPECT_FALSE(PumpUntil([] { return FindWindowA("#32770", "Brindale") != nullptr; }, 2000));
    }
    EXPECT_EQ(CloseHalvorn(main, p.process), 0u);
  }
}

class HalvornViews : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSettings(in_);
    WriteText(in_.Path("data\\TezData.inx"),
              "[Data Types]\r\nnumberTypes=2\r\ntype1=News\r\ntype2=Music\r\n"
              "foreign=kept\r\n[News]\r\nname=News\r\n[Music]\r\nname=Music\r\n");
    process_ = StartHalvorn(in_);
    ASSERT_NE(process_, nullptr);
    main_ = WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(WaitForRect(main_, 300, 200, 87, 81));
  }
  void TearDown() override {
    if (process_) {
      ProcessGuard guard(process_);
      if (main_) CloseHalvorn(main_, process_);
    }
  }
  HWND Control(const char* name) { return FindControlByName(main_, name); }
  // The window's control shows the library's picture at these points
  // (tiles from the inner corner, offset by the panel's bevel).
  void ExpectPicture(const char* control, const std::string& library, const char* picture,
                     std::initializer_list<POINT> points, int offset = 0, int pw = 1 << 20,
                     int ph = 1 << 20) {
    HWND c = Control(control);
    ASSERT_NE(c, nullptr) << control;
    for (POINT at : points) {
      POINT s = ScreenPoint(c, at.x, at.y);
      COLORREF wanted = PictureColour(library, picture, (at.x - offset) % pw, (at.y - offset) % ph);
      // On a loaded machine the panel may still be painting.
      PumpUntil([&] { return ScreenPixel(s.x, s.y) == wanted; }, 5000);
      EXPECT_EQ(ScreenPixel(s.x, s.y), wanted) << control << " at " << at.x << "," << at.y;
    }
  }
  void ExpectBasketShown() {
    // The background tiles from the panel's corner: 96 x 84 pictures.
    ExpectPicture("pnlBackgroundImg", "HalvornBasket.dll", "HALVORN_BMP_BASKET_BACK_BMP",
                  {{2, 2}, {3, 70}, {80, 3}, {4, 74}}, 0, 96, 84);
    ExpectBasketDoorsShown();
  }
  void ExpectBasketDoorsShown() {
    HWND door = Control("imgLeftDoor");
    ASSERT_NE(door, nullptr);
    for (const char* name : {"imgLeftDoor", "imgRightDoor"}) {
      HWND d = Control(name);
      const char* picture =
          d == door ? "HALVORN_BMP_BASKET_L_BMP" : "HALVORN_BMP_BASKET_R_BMP";
      for (POINT at : {POINT{8, 20}, POINT{1, 1}, POINT{20, 21}}) {
        POINT s = ScreenPoint(d, at.x, at.y);
        EXPECT_EQ(ScreenPixel(s.x, s.y), PictureColour("HalvornBasket.dll", picture, at.x, at.y))
            << name << " at " << at.x << "," << at.y;
      }
    }
  }

  Install in_{AllFiles()};
  ControlPeer peer_;
  HANDLE process_ = nullptr;
  HWND main_ = nullptr;
};

TEST_F(HalvornViews, BasketIsBorderlessOnTopAndShowsItsPictures) {
  EXPECT_FALSE(GetWindowLongA(main_, GWL_STYLE) & WS_CAPTION);
  EXPECT_TRUE(PumpUntil([&] { return (GetWindowLongA(main_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
  EXPECT_TRUE(PumpUntil([] { return ControlPeer::Got(kMainStarted); }));
  PumpUntil([] { return false; }, 300);
  ExpectBasketShown();
}

TEST_F(HalvornViews, FullWindowShowsItsTilesAndButtons) {
  PostMessageA(main_, kChangeView, 0, 1);
  ASSERT_TRUE(WaitForRect(main_, 120, 100, 560, 420 + CaptionHeightExtra()));
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  // Above the windows of tests running beside this one.
  SetWindowPos(main_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetForegroundWindow(main_);
  PumpUntil([] { return false; }, 500);
  ExpectPicture("pnlMenu", "Halvorn.dll", "HALVORN_BMP_STRIP_BMP", {{2, 2}, {400, 60}}, 0, 16,
                48);
  // Panels with the default raised bevel tile from 2 pixels in.
  // (Points beside the channel button, the run display and the item buttons.)
  ExpectPicture("pnlChannels", "Halvorn.dll", "HALVORN_BMP_GRAY_BMP", {{40, 150}, {40, 200}}, 2,
                32, 32);
  ExpectPicture("btnPanel", "Halvorn.dll", "HALVORN_BMP_SMALLBACKBMP_BMP", {{300, 80}, {300, 150}},
                2, 32, 32);
  struct Button {
    const char* name;
    const char* picture;
  } buttons[] = {{"speedView", "HALVORN_BMP_VIEW1_BMP"},
                 {"speedRecordNow", "HALVORN_BMP_RECBUT1_BMP"},
                 // (The stop buttons show only while a run works.)
                 {"speedHelp", "HALVORN_BMP_HELP1_BMP"},
                 {"speedDeleted", "HALVORN_BMP_TRASH1_BMP"},
                 {"speedCustomize", "HALVORN_BMP_CUSTOM1_BMP"}};
  for (const Button& b : buttons)
    ExpectPicture(b.name, "Halvorn.dll", b.picture, {{3, 3}, {20, 15}});
  // Each animation shows its first frame, whose key is colour 0 of its
  // file's table. The animators stand right of the remarks button, 28
  // pixels apart.
  RECT remark = WindowRect(Control("speedSendRemark"));
  const char* files[] = {"record_anim.gif", "play_anim.gif", "download_anim.gif",
                         "connect_anim.gif"};
  for (int i = 0; i < 4; ++i) {
    std::string gif = ReadText(in_.Path(files[i]));
    ASSERT_GT(gif.size(), 16u);
    COLORREF first = RGB(static_cast<uint8_t>(gif[13]), static_cast<uint8_t>(gif[14]),
                         static_cast<uint8_t>(gif[15]));
    EXPECT_EQ(ScreenPixel(remark.left + 46 + 28 * i + 1, remark.top - 1 + 1), first) << files[i];
  }
  // A view button clicked stays down and shows its pushed picture.
  HWND view = Control("speedView");
  PostMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  COLORREF pushed = PictureColour("Halvorn.dll", "HALVORN_BMP_VIEW2_BMP", 3, 3);
  POINT at = ScreenPoint(view, 3, 3);
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(at.x, at.y) == pushed; }, 5000))
      << ScreenPixel(at.x, at.y);
}

TEST_F(HalvornViews, ViewChangesByMessageSaveTheViewLeft) {
  int extra = CaptionHeightExtra();
  PostMessageA(main_, kChangeView, 0, 1);  // full window at once
  ASSERT_TRUE(WaitForRect(main_, 120, 100, 560, 420 + extra));
  EXPECT_TRUE(GetWindowLongA(main_, GWL_STYLE) & WS_CAPTION);
  EXPECT_FALSE(GetWindowLongA(main_, GWL_EXSTYLE) & WS_EX_TOPMOST);

  // The shown view laid out again goes back to its stored place, unsaved.
  SetWindowPos(main_, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  PostMessageA(main_, kChangeView, 0, 1);
  EXPECT_TRUE(WaitForRect(main_, 120, 100, 560, 420 + extra));
  SetWindowPos(main_, nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  PostMessageA(main_, kChangeView, 2, 0);  // the same, never changing the view
  EXPECT_TRUE(WaitForRect(main_, 120, 100, 560, 420 + extra));
  EXPECT_EQ(ReadText(in_.Path("Halvorn.inx")).find("Left=150"), std::string::npos);

  SetWindowPos(main_, nullptr, 140, 110, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  PostMessageA(main_, kChangeView, 1, 0);  // basket, sliding
  ASSERT_TRUE(WaitForRect(main_, 300, 200, 87, 81));
  std::string settings = ReadText(in_.Path("Halvorn.inx"));
  EXPECT_NE(settings.find("[ViewerSize]\r\nLeft=140\r\nTop=110"), std::string::npos) << settings;

  // Minimising the full window gives the basket, never a minimised window.
  PostMessageA(main_, kChangeView, 0, 1);
  ASSERT_TRUE(WaitForRect(main_, 140, 110, 560, 420 + extra));
  PostMessageA(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitForRect(main_, 300, 200, 87, 81)) << RectText(main_);
  EXPECT_FALSE(IsIconic(main_));
  // Minimising the basket changes nothing.
  PostMessageA(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpUntil([] { return false; }, 500);
  EXPECT_TRUE(WaitForRect(main_, 300, 200, 87, 81));
  EXPECT_FALSE(IsIconic(main_));
  ExpectBasketShown();
}

TEST_F(HalvornViews, BasketDragsByMouseAndClickOpensItsMenu) {
  HWND picture = Control("pnlBackgroundImg");
  ASSERT_NE(picture, nullptr);
  // A move under 20 pixels leaves the basket; a longer one drags it.
  PostMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageA(picture, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(25, 22));
  PumpUntil([] { return false; }, 300);
  EXPECT_TRUE(WaitForRect(main_, 300, 200, 87, 81, 100));
  PostMessageA(picture, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 35));
  ASSERT_TRUE(WaitForRect(main_, 330, 225, 87, 81));
  PostMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  PumpUntil([] { return false; }, 600);
  EXPECT_FALSE(IsMenuShown());  // a drag is no click

  // The border drags at once, without a threshold.
  HWND border = Control("pnlTheBasket");
  PostMessageA(border, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  PostMessageA(border, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 4));
  PostMessageA(border, WM_LBUTTONUP, 0, MAKELPARAM(6, 4));
  ASSERT_TRUE(WaitForRect(main_, 335, 228, 87, 81));

  // A click opens the menu after a moment.
  PostMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_TRUE(PumpUntil(IsMenuShown, 3000));
  // Each item shows the picture its tag names; automatic recording is on;
  // the stop items show only while a run works.
  std::vector<COLORREF> menu = MenuPixels();
  for (const char* shown : {"CLOSE", "MAX", "PLAY", "REC", "BASKETPASTE", "SCHEDON"})
    EXPECT_TRUE(Shows(menu, MenuIcon(shown))) << shown;
  for (const char* hidden : {"SCHEDOFF", "HELP", "ABOUT", "STOP"})
    EXPECT_FALSE(Shows(menu, MenuIcon(hidden))) << hidden;
  PressEscape();
  EXPECT_TRUE(PumpUntil([] { return !IsMenuShown(); }, 3000));

  // A double click switches to the full window.
  PostMessageA(picture, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_TRUE(WaitForRect(main_, 120, 100, 560, 420 + CaptionHeightExtra()));
}

TEST_F(HalvornViews, ShutdownSavesTheViewAndTheChannels) {
  PostMessageA(main_, kChangeView, 0, 1);
  ASSERT_TRUE(WaitForRect(main_, 120, 100, 560, 420 + CaptionHeightExtra()));
  // Music moved before News: only the shutdown writes the new order.
  auto click = [this](const char* name) {
    HWND b = Control(name);
    ASSERT_NE(b, nullptr) << name;
    PostMessageA(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  };
  PumpUntil([] { return false; }, 500);  // past the busy time of the switch
  click("chanBut2");
  PumpUntil([] { return false; }, 300);
  click("speedMoveChanUp");
  EXPECT_TRUE(PumpUntil([this] {
    char text[16] = {};
    GetWindowTextA(Control("chanBut1"), text, sizeof text);
    return std::string(text) == "Music";
  }));
  std::string before = ReadText(in_.Path("data\\TezData.inx"));
  EXPECT_NE(before.find("type1=News"), std::string::npos) << before;
  EXPECT_EQ(CloseHalvorn(main_, process_), 0u);
  main_ = nullptr;
  std::string settings = ReadText(in_.Path("Halvorn.inx"));
  EXPECT_NE(settings.find("windowState=0"), std::string::npos) << settings;
  std::string data = ReadText(in_.Path("data\\TezData.inx"));
  EXPECT_NE(data.find("type1=Music\r\n"), std::string::npos) << data;
  EXPECT_NE(data.find("type2=News\r\n"), std::string::npos) << data;
  EXPECT_NE(data.find("foreign=kept"), std::string::npos) << data;  // other keys stay
  EXPECT_NE(ReadText(in_.Path("data\\News\\News.inx")).find("numberEntries=0"),
            std::string::npos);
  EXPECT_NE(ReadText(in_.Path("TezParam.inx")).find("[Disk]\r\nmediaLength=45"),
            std::string::npos);
}

namespace {

// A help viewer's window, as the system's help finds it: notes the help
// commands it is sent and from which window.
struct HelpViewer {
  static std::vector<std::pair<HWND, WORD>>& Commands() {
    static std::vector<std::pair<HWND, WORD>> commands;
    return commands;
  }
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COPYDATA) {
      auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
      WORD command = 0xFFFF;
      if (data->lpData && data->cbData >= 4)
        memcpy(&command, static_cast<const char*>(data->lpData) + 2, 2);
      Commands().emplace_back(reinterpret_cast<HWND>(wp), command);
      return TRUE;
    }
    return DefWindowProcA(w, msg, wp, lp);
  }
  HelpViewer() {
    Commands().clear();
    window = OwnWindow("MS_WINHELP", "Help", Proc);
  }
  ~HelpViewer() { DestroyWindow(window); }
  HWND window;
};

}  // namespace

TEST_F(HalvornViews, ExitClosesTheHelpWindow) {
  HelpViewer help;
  ASSERT_NE(help.window, nullptr);
  WriteText(in_.Path("tezhelp.hlp"), "help");
  PumpUntil([] { return false; }, 300);
  EXPECT_TRUE(HelpViewer::Commands().empty());
  EXPECT_EQ(CloseHalvorn(main_, process_), 0u);
  ASSERT_EQ(HelpViewer::Commands().size(), 1u);
  EXPECT_EQ(HelpViewer::Commands()[0].first, main_);
  EXPECT_EQ(HelpViewer::Commands()[0].second, HELP_QUIT);
  main_ = nullptr;
}
