// The tray icon's menu as a user meets it: opened by the right button on
// the icon, looked at on the screen, an item clicked.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ControlTags.h"
#include "ControllerSupport.h"
#include "TrayMenuSupport.h"

namespace {

const char kPeer[] = "HalvornPeer.log";
const std::vector<std::string> kNoRecorder = {"Pellomar.exe", "Caddrel.exe", "HalvornPeer.exe",
                                              "HalvornBasket.dll", "TezIniManager.dll"};

TEST(ControllerTray, MenuShowsTheItemsOfTheStateAndAClickCommandsTheRun) {
  ControllerFolder f("tray", kNoRecorder);
  f.Write("HalvornPeer.inx", "[Peer]\r\nnoSave=1\r\n");
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  HWND tray = TrayWindow();
  ASSERT_NE(tray, nullptr);
  SetCursorPos(300, 200);

  // A button released that was not pressed on the icon opens nothing.
  PostMessageA(tray, kTrayNotify, 0, WM_RBUTTONUP);
  EXPECT_FALSE(WaitForMenu(true, 1500));

  // "&Record Now" shows its picture.
  POINT record;
  ASSERT_TRUE(OpenMenuAt(tray, "HALVORN_BMP_TRAYICON_REC_BMP", &record));
  ScreenShot shot = MenuShot();
  // The banner runs from black at the top to navy at the bottom.
  COLORREF top = shot.At(4, 4), bottom = shot.At(4, shot.h - 5);
  EXPECT_LT(GetRValue(top) + GetGValue(top) + GetBValue(top), 40);
  EXPECT_GT(GetBValue(bottom), 90);
  EXPECT_LT(GetRValue(bottom), 20);
  // The stop items are hidden while idle.
  EXPECT_FALSE(shot.Find(PictureColour("HALVORN_BMP_TRAYICON_STOP_BMP"), nullptr));
  EXPECT_TRUE(shot.Find(PictureColour("HALVORN_BMP_TRAYICON_TEZBASKET_BMP"), nullptr));

  Click({record.x + 40, record.y + 2});
  EXPECT_TRUE(WaitForMenu(false, 20000));
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1276 1277 0", 30000));
  // While that start waits for the main program, another (from the
  // schedule or the main program) is not taken.
  f.Post(kStartSession, 100);
  Sleep(1500);
  EXPECT_EQ(f.CountLines(kPeer, "MSG 1276"), 1);

  // A double click clicks the default item, the basket.
  PostMessageA(tray, kTrayNotify, 0, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1124 1 1", 30000));
}

int CountWindows(const char* caption) {
  int n = 0;
  for (HWND w = FindWindowA(nullptr, caption); w; w = FindWindowExA(nullptr, w, nullptr, caption))
    ++n;
  return n;
}

void Answer(const char* button) {
  HWND box = FindWindowA(nullptr, "Brindale Software");
  HWND b = box ? FindWindowExA(box, nullptr, "Button", button) : nullptr;
  if (b) SendMessageA(b, BM_CLICK, 0, 0);
}

TEST(ControllerTray, CloseAsksFirstAndNoKeepsEverythingRunning) {
  ControllerFolder f("trayclose", kNoRecorder);
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "REGISTER", 30000));
  HWND tray = TrayWindow();
  ASSERT_NE(tray, nullptr);

  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_CLOSE_BMP"));
  ASSERT_TRUE(WaitForWindow("Brindale Software", true, 30000));
  // A second "Close" while the question is open asks nothing more.
  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_CLOSE_BMP"));
  Sleep(1000);
  EXPECT_EQ(CountWindows("Brindale Software"), 1);
  Answer("&No");
  ASSERT_TRUE(WaitForWindow("Brindale Software", false, 30000));
  Sleep(1000);
  EXPECT_NE(f.Controller(), nullptr);
  EXPECT_NE(FindWindowA(nullptr, "BrindaleCaddrel"), nullptr);
  EXPECT_LT(f.FindLine(kPeer, "CLOSE"), 0);

  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_CLOSE_BMP"));
  ASSERT_TRUE(WaitForWindow("Brindale Software", true, 30000));
  Answer("&Yes");
  EXPECT_TRUE(WaitForWindow("Brindale Control", false, 30000));
  EXPECT_TRUE(f.WaitForLine(kPeer, "CLOSE", 30000));
  EXPECT_TRUE(f.WaitForLine("Caddrel.log", "END", 30000));
}

}  // namespace

namespace {

TEST(ControllerTray, AutomaticRecordingItemSetsTheDailyTime) {
  ControllerFolder f("traysched", kNoRecorder);
  f.SetParam("AutoUpdate", "active", "0");
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  HWND tray = TrayWindow();
  ASSERT_NE(tray, nullptr);

  // Off: the item shows the picture of a schedule that is off.
  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_SCHEDOFF_BMP"));
  ASSERT_TRUE(WaitForWindow("Brindale Recording Time", true, 30000));
  HWND dialog = nullptr, check = nullptr, combo = nullptr, ok = nullptr;
  const DWORD shown = GetTickCount();
  do {
    dialog = FindWindowA(nullptr, "Brindale Recording Time");
    if (!dialog) continue;
    check = FindControlByName(dialog, "chkAutoRec");
    combo = FindControlByName(dialog, "cmbFullTime");
    ok = FindControlByName(dialog, "OKBtn");
  } while (!(check && combo && ok) && GetTickCount() - shown < 30000 && (Sleep(20), true));
  ASSERT_TRUE(check && combo && ok) << "the time dialog's check box, list and OK button";
  SendMessageA(check, BM_CLICK, 0, 0);
  SendMessageA(combo, CB_SETCURSEL, 57, 0);  // " 2:15 PM"
  SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  SendMessageA(ok, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitForWindow("Brindale Recording Time", false, 30000));

  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1227", 30000));  // the main program re-reads too
  EXPECT_EQ(f.Key("TezParam.inx", "AutoUpdate", "active"), "1");
  EXPECT_EQ(f.Key("TezParam.inx", "AutoUpdate", "hour"), "2");
  EXPECT_EQ(f.Key("TezParam.inx", "AutoUpdate", "min"), "15");
  EXPECT_EQ(f.Key("TezParam.inx", "AutoUpdate", "amPm"), "1");
  Sleep(1500);  // the controller takes the settings over

  POINT on;
  ASSERT_TRUE(OpenMenuAt(tray, "HALVORN_BMP_TRAYICON_SCHEDON_BMP", &on));
  EXPECT_FALSE(MenuShot().Find(PictureColour("HALVORN_BMP_TRAYICON_SCHEDOFF_BMP"), nullptr));
  CloseMenu(tray);
}

}  // namespace

namespace {

TEST(ControllerTray, ViewAndPlayItemsAndRecordNowAfterTheNotReadyNotice) {
  ControllerFolder f("traynotready", kNoRecorder);
  f.SetParam("FileDisk", "mdSetEnabled", "1");
  f.Write("Caddrel.inx", "[Device]\r\nneverReady=1\r\n");
  f.Write("HalvornPeer.inx", "[Peer]\r\nnoSave=1\r\n");
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "COMMAND 510 0", 30000));
  HWND tray = TrayWindow();
  ASSERT_NE(tray, nullptr);

  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_MAX_BMP"));  // "&Full View"
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1124 0 1", 30000));

  // "&Record Now" on a device that is not ready: the notice, no run.
  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_REC_BMP"));
  ASSERT_TRUE(WaitForWindow("MiniDisc is not ready for recording.", true, 30000));
  // Its title line stands centred above the text.
  HWND notice = FindWindowA(nullptr, "MiniDisc is not ready for recording.");
  POINT origin = {8, 10};
  ClientToScreen(notice, &origin);
  const RECT title = {origin.x, origin.y, origin.x + 297, origin.y + 16};
  int left = -1, right = -1;
  const DWORD shown = GetTickCount();
  while (left < 0 && GetTickCount() - shown < 10000) {
    ScreenShot band(title);
    for (int x = 0; x < band.w; ++x)
      for (int y = 0; y < band.h; ++y) {
        COLORREF c = band.At(x, y);
        if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) {
          if (left < 0) left = x;
          right = x;
        }
      }
    if (left < 0) Sleep(100);
  }
  ASSERT_GE(left, 0);
  EXPECT_GT(left, 20);  // not set against the left edge
  EXPECT_NEAR((left + right) / 2.0, 297 / 2.0, 4.0);
  PostMessageA(notice, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitForWindow("MiniDisc is not ready for recording.", false, 30000));
  EXPECT_LT(f.FindLine(kPeer, "MSG 1276"), 0);
  // The device reports ready: the next click on the same item starts the run.
  ASSERT_TRUE(f.Send(1164, 525)) << "the controller did not take the device's report";
  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_REC_BMP"));
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1276 1277 0", 30000));
}

TEST(ControllerTray, PlayNowAsksForAPlayRun) {
  ControllerFolder f("trayplay", kNoRecorder);
  f.Write("HalvornPeer.inx", "[Peer]\r\nnoSave=1\r\n");
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  HWND tray = TrayWindow();
  ASSERT_NE(tray, nullptr);
  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_PLAY_BMP"));
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1276 1277 100", 30000));
}

}  // namespace

namespace {

TEST(ControllerTray, StopRecordingEndsTheRunThatRecordNowBegan) {
  ControllerFolder f("traystop");
  f.SetParam("Recorder", "optionPlayOpening", "0");
  f.WriteItems({f.HttpItem("first.wav", 1000, 3), f.HttpItem("second.wav", 2000, 3),
                f.HttpItem("third.wav", 3000, 3)});
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "COMMAND 10 1", 30000));
  HWND tray = TrayWindow();
  ASSERT_NE(tray, nullptr);
  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_REC_BMP"));
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1238 3 0", 90000));
  ASSERT_TRUE(WaitForWindow("Recorder", true, 5000));
  // While the run records, the menu holds "&Stop Recording"; a click ends
  // the run before its items are through.
  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_STOP_BMP"));
  EXPECT_TRUE(WaitForWindow("Recorder", false, 60000));
  // The run that recorded ended well: the main program hears it at once,
  // and the menu offers "&Record Now" again without a schedule tick.
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1225", 30000));
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1247 10", 30000));
  const int recording = f.FindLine(kPeer, "MSG 1238 3 0");
  EXPECT_GT(f.FindLine(kPeer, "MSG 1238 4 0", recording), recording);
  EXPECT_LT(f.FindLine(kPeer, "MSG 1238 0 0", recording), 0);
  EXPECT_NE(f.Key("data\\news\\news.inx", "3", "recStatus"), "4");
  POINT record;
  EXPECT_TRUE(OpenMenuAt(tray, "HALVORN_BMP_TRAYICON_REC_BMP", &record));
  EXPECT_FALSE(MenuShot().Find(PictureColour("HALVORN_BMP_TRAYICON_STOP_BMP"), nullptr));
  CloseMenu(tray);
}

TEST(ControllerTray, StopPlayingEndsThePlayRunThatPlayNowBegan) {
  ControllerFolder f("trayplaystop");
  f.SetParam("MediaTypes", "virtualMediaType", "FileDisk");  // what a play run plays on
  f.WriteItems({f.HttpItem("first.wav", 1000, 6), f.HttpItem("second.wav", 2000, 6),
                f.HttpItem("third.wav", 3000, 6)});
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "COMMAND 10 1", 30000));
  HWND tray = TrayWindow();
  ASSERT_NE(tray, nullptr);
  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_PLAY_BMP"));
  ASSERT_TRUE(f.WaitForLine(kPeer, "MSG 1238 19 0", 90000));  // play all, playing
  ASSERT_TRUE(WaitForWindow("Recorder", true, 5000));
  // While the play run plays, the menu holds "Stop Pla&ying" and no
  // "&Play Now"; a click ends the run before its items are through.
  POINT stop;
  ASSERT_TRUE(OpenMenuAt(tray, "HALVORN_BMP_TRAYICON_STOP_BMP", &stop));
  EXPECT_FALSE(MenuShot().Find(PictureColour("HALVORN_BMP_TRAYICON_PLAY_BMP"), nullptr));
  Click({stop.x + 40, stop.y + 2});
  ASSERT_TRUE(WaitForMenu(false, 20000));
  EXPECT_TRUE(WaitForWindow("Recorder", false, 60000));
  // The play run ended well (play all, state 4), and "&Play Now" is back.
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1225", 30000));
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1247 10", 30000));
  EXPECT_GE(f.FindLine(kPeer, "MSG 1238 20 0"), 0);
  EXPECT_LT(f.FindLine(kPeer, "MSG 1238 16 0"), 0);
  POINT play;
  EXPECT_TRUE(OpenMenuAt(tray, "HALVORN_BMP_TRAYICON_PLAY_BMP", &play));
  EXPECT_FALSE(MenuShot().Find(PictureColour("HALVORN_BMP_TRAYICON_STOP_BMP"), nullptr));
  CloseMenu(tray);
}

}  // namespace

namespace {

// The field colour of one of the controller's tray icons, as its program
// file holds it.
COLORREF IconField(const char* name) {
  HMODULE exe = LoadLibraryExA("Pellomar.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HICON icon = exe ? static_cast<HICON>(LoadImageA(exe, name, IMAGE_ICON, 32, 32, 0)) : nullptr;
  COLORREF colour = CLR_INVALID;
  if (icon) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    colour = GetPixel(dc, 1, 1);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DestroyIcon(icon);
  }
  if (exe) FreeLibrary(exe);
  return colour;
}

// The notification area as the screen shows it.
ScreenShot TrayArea() {
  HWND area = FindWindowA(nullptr, "Wine System Tray");
  RECT r = {0, 0, 1, 1};
  if (area) {
    SetWindowPos(area, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Sleep(200);
    GetWindowRect(area, &r);
  }
  return ScreenShot(r);
}

// Waits until the notification area shows any of the colours.
bool TrayShows(std::initializer_list<COLORREF> colours, DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    ScreenShot area = TrayArea();
    for (COLORREF c : colours)
      if (area.Find(c, nullptr)) return true;
    Sleep(200);
  } while (GetTickCount() - start < ms);
  return false;
}

TEST(ControllerTray, IconOfEachStateShowsInTheNotificationArea) {
  ControllerFolder f("trayicons", kNoRecorder);
  f.SetParam("AutoUpdate", "active", "0");
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  ASSERT_TRUE(f.WaitForLine("Caddrel.log", "REGISTER", 30000));
  SetCursorPos(300, 200);
  struct Schedule {
    const char* active;
    const char* idle;
    const char* endedWell;
    const char* failed;
    const char* frames;  // the animation's frames: <frames>1 ... <frames>8
  };
  const Schedule schedules[] = {{"0", "IMAGE5", "IMAGE2", "IMAGE4", "IMGANIM1_"},
                                {"1", "IMAGE24", "IMAGE21", "IMAGE23", "IMGANIM2_"}};
  for (const Schedule& sched : schedules) {
    SCOPED_TRACE(sched.active);
    f.SetParam("AutoUpdate", "active", sched.active);
    f.Post(1227);  // settings changed
    std::vector<COLORREF> frames;
    for (int i = 1; i <= 8; ++i)
      frames.push_back(IconField((sched.frames + std::to_string(i)).c_str()));
    const COLORREF idle = IconField(sched.idle), endedWell = IconField(sched.endedWell),
                   failed = IconField(sched.failed);
    for (COLORREF c : {idle, endedWell, failed, frames[0]}) ASSERT_NE(c, CLR_INVALID);
    // Idle, ended well, failed, running (animated), idle again once the
    // schedule check finds no Recorder.
    EXPECT_TRUE(TrayShows({idle}, 30000));
    f.Post(1225);
    EXPECT_TRUE(TrayShows({endedWell}, 30000));
    EXPECT_FALSE(TrayArea().Find(idle, nullptr));
    f.Post(1236);
    EXPECT_TRUE(TrayShows({failed}, 30000));
    EXPECT_FALSE(TrayArea().Find(endedWell, nullptr));
    f.Post(1235);
    EXPECT_TRUE(TrayShows({frames[0], frames[1], frames[2], frames[3], frames[4], frames[5],
                           frames[6], frames[7]},
                          30000));
    EXPECT_FALSE(TrayArea().Find(failed, nullptr));
    EXPECT_TRUE(TrayShows({idle}, 30000));
  }
}

}  // namespace

namespace {

// A window captioned "Recorder" of this process: to the controller, a
// Recorder that is running.
struct StandInRecorder {
  StandInRecorder() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TrayTestRecorder";
    RegisterClassA(&wc);
    window = CreateWindowA("TrayTestRecorder", "Recorder", WS_POPUP, 0, 0, 1, 1, nullptr,
                           nullptr, wc.hInstance, nullptr);
  }
  ~StandInRecorder() { DestroyWindow(window); }
  HWND window;
};

TEST(ControllerTray, IgnoredStartLeavesItsItemForTheNextClick) {
  ControllerFolder f("trayignored", kNoRecorder);
  f.Write("HalvornPeer.inx", "[Peer]\r\nnoSave=1\r\n");
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  HWND tray = TrayWindow();
  ASSERT_NE(tray, nullptr);
  {
    // "&Record Now" while a Recorder runs: no run is asked for.
    StandInRecorder recorder;
    ASSERT_NE(recorder.window, nullptr);
    ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_REC_BMP"));
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000) {
      bool ignored = false;
      for (const std::string& line : f.Lines("pellomar.log"))
        ignored |= line.find("Start request ignored") != std::string::npos;
      if (ignored) break;
      Sleep(100);
    }
    EXPECT_LT(f.FindLine(kPeer, "MSG 1276"), 0);
  }
  // Once that Recorder is gone, the same item takes the next click.
  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_REC_BMP"));
  EXPECT_TRUE(f.WaitForLine(kPeer, "MSG 1276 1277 0", 30000));
}

TEST(ControllerTray, AboutShowsTheVersionAndHelpOpensTheHelpPage) {
  ControllerFolder f("trayhelp", kNoRecorder);
  // The help page is a program here, so that its opening can be seen.
  const std::string opened = f.File("help-opened.txt");
  f.Write("help.bat", "@echo opened> \"" + opened + "\"\r\n");
  f.SetParam("Links", "helpPage", f.File("help.bat"));
  ASSERT_TRUE(f.StartPeer());
  ASSERT_TRUE(f.StartController());
  HWND tray = TrayWindow();
  ASSERT_NE(tray, nullptr);

  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_ABOUT_BMP"));
  ASSERT_TRUE(WaitForWindow("Brindale Version Info", true, 30000));
  HWND box = FindWindowA(nullptr, "Brindale Version Info");
  char text[256] = {};
  for (HWND c = FindWindowExA(box, nullptr, "Static", nullptr); c;
       c = FindWindowExA(box, c, "Static", nullptr)) {
    GetWindowTextA(c, text, sizeof text);
    if (text[0]) break;
  }
  EXPECT_EQ(std::string(text).rfind("Brindale Media Manager, ", 0), 0u) << text;
  HWND ok = FindWindowExA(box, nullptr, "Button", "OK");
  ASSERT_NE(ok, nullptr);
  SendMessageA(ok, BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitForWindow("Brindale Version Info", false, 30000));

  ASSERT_TRUE(ClickMenuItem(tray, "HALVORN_BMP_TRAYICON_HELP_BMP"));
  const DWORD start = GetTickCount();
  while (GetFileAttributesA(opened.c_str()) == INVALID_FILE_ATTRIBUTES &&
         GetTickCount() - start < 30000)
    Sleep(100);
  EXPECT_NE(GetFileAttributesA(opened.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
