// Halvorn.exe's options pages on the test display: every page opened and
// changed through its controls, saved with OK, read back from the files
// and shown again.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <winver.h>

#include <cstring>
#include <utility>
#include <vector>

#include "HalvornRun.h"

namespace {

std::string Key(const std::string& file, const char* section, const char* key) {
  char buf[512] = {};
  GetPrivateProfileStringA(section, key, "<none>", buf, sizeof buf, file.c_str());
  return buf;
}

// What an installer records of a fresh installation: the installed
// program's product version, in the registry.
std::string RecordInstalledVersion(const std::string& program) {
  DWORD ignored = 0, size = GetFileVersionInfoSizeA(program.c_str(), &ignored);
  std::vector<char> block(size);
  char* value = nullptr;
  UINT length = 0;
  if (size == 0 || !GetFileVersionInfoA(program.c_str(), 0, size, block.data()) ||
      !VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\ProductVersion",
                      reinterpret_cast<void**>(&value), &length) || !value)
    return "";
  std::string version(value, strnlen(value, length));
  HKEY key;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Brindale", &key) != ERROR_SUCCESS) return "";
  RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                 static_cast<DWORD>(version.size() + 1));
  RegCloseKey(key);
  return version;
}

void ClickAt(HWND w, int x, int y) { ClickControlAt(w, x, y); }

class OptionsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSettings(in_, 0);
    for (const char* f : {"TezDiskConfig.dll", "TezDiskPlayer.dll", "TezTTS.dll"})
      CopyFileA((BinDir() + f).c_str(), in_.Path(f).c_str(), FALSE);
    WriteText(in_.Path("TezParam.inx"),
              "[Folders]\r\ndataFolder=data\\\r\nwavFolder=wavs\\\r\n"
              "[MediaTypes]\r\ncount=2\r\nrecor001=Disk\r\nrecor002=Dev\r\n"
              "selectedMediaType=Disk\r\n"
              "[Disk]\r\nmediaLength=45\r\nconfigDll=TezDiskConfig.dll\r\noutputFolder=c:\\out\r\n"
              "playerDll=TezDiskPlayer.dll\r\nplayerAvailable=1\r\n"
              "[Dev]\r\nmediaLength=20\r\nnote=A device\r\n"
              "[Dialer]\r\nuseDialer=0\r\n");
    Prepare();
    process_ = StartHalvorn(in_);
    ASSERT_NE(process_, nullptr);
    main_ = WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    PumpUntil([] { return false; }, 500);
  }
  void TearDown() override {
    if (process_) {
      ProcessGuard guard(process_);
      PostMessageA(main_, WM_CLOSE, 0, 0);
      EXPECT_EQ(WaitExit(process_), 0u) << "the program ends cleanly";
    }
  }
  // Settings of a test of its own, written before the program starts.
  virtual void Prepare() {}
  HWND C(const char* name) { return FindControlByName(main_, name); }
  bool Shown(const char* name) {
    HWND w = C(name);
    return w && IsWindowVisible(w);
  }
  void OpenOptions() {
    HWND menu = C("pnlMenu");
    ASSERT_NE(menu, nullptr);
    ClickAt(menu, 8 + 60 + 13, 24 + 11);  // the third tool button
    ASSERT_TRUE(PumpUntil([&] { return Shown("ViewOptions"); }, 10000));
  }
  void Tab(int i) {
    ASSERT_TRUE(SelectOptionsPage(main_, i))
        << i << " shows " << SendMessageA(C("OptionspageControl"), TCM_GETCURSEL, 0, 0)
        << " focus " << GetForegroundWindow() << " main " << main_;
  }
  void Select(const char* list, int index, bool listBox) {
    HWND w = C(list);
    SendMessageA(w, listBox ? LB_SETCURSEL : CB_SETCURSEL, index, 0);
    SendMessageA(GetParent(w), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(w), listBox ? LBN_SELCHANGE : CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(w));
  }
  // Messages, not the window title: these are another program's controls.
  std::string Text(const char* name) {
    char t[256] = {};
    SendMessageA(C(name), WM_GETTEXT, sizeof t, reinterpret_cast<LPARAM>(t));
    return t;
  }
  void SetText(const char* name, const char* text) {
    SendMessageA(C(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  }
  bool Checked(const char* name) { return SendMessageA(C(name), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  int BarPos(const char* name) { return static_cast<int>(SendMessageA(C(name), TBM_GETPOS, 0, 0)); }
  std::pair<int, int> BarRange(const char* name) {
    return {static_cast<int>(SendMessageA(C(name), TBM_GETRANGEMIN, 0, 0)),
            static_cast<int>(SendMessageA(C(name), TBM_GETRANGEMAX, 0, 0))};
  }
  // A key pressed and released on the track bar, as the user moves it.
  void BarKey(const char* name, WPARAM key) {
    HWND w = C(name);
    SendMessageA(w, WM_KEYDOWN, key, 1);
    SendMessageA(w, WM_KEYUP, key, 0xC0000001);
  }

  Install in_{AllFiles()};
  ControlPeer peer_;
  HANDLE process_ = nullptr;
  HWND main_ = nullptr;
};

}  // namespace

TEST_F(OptionsWindow, PlayerPageShowsTheMediaTypesPlayerLibrary) {
  HWND menu = C("pnlMenu");
  ASSERT_NE(menu, nullptr);
  ClickAt(menu, 8 + 30 + 13, 24 + 11);  // the second tool button
  ASSERT_TRUE(PumpUntil([&] { return Shown("ViewPlayer"); }, 10000));
  HWND view = FindWindowExA(C("pnlViewPlayer"), nullptr, "Static", nullptr);
  ASSERT_NE(view, nullptr);
  char text[64] = {};
  SendMessageA(view, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Disk: c:\\out");
}

TEST_F(OptionsWindow, EveryPageChangedSavedAndReadBack) {
  OpenOptions();
  // Recording and updates.
  EXPECT_TRUE(Checked("chkAutoRecord"));
  SendMessageA(C("chkAutoRecord"), BM_CLICK, 0, 0);
  Select("cmbFullTime", 50, false);  // 12:30 PM
  SetText("cmbLiveStream", "15");
  SendMessageA(C("chkAutoUpdate"), BM_CLICK, 0, 0);
  // Media: the type's own settings come from its configuration library.
  Tab(1);
  EXPECT_EQ(Text("cmbMediaLength"), "45");
  HWND panel = C("pnlMediaParamsOptions");
  HWND edit = FindWindowExA(panel, nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  char folder[64] = {};
  SendMessageA(edit, WM_GETTEXT, sizeof folder, reinterpret_cast<LPARAM>(folder));
  EXPECT_STREQ(folder, "c:\\out");
  Select("ListMediaTypes", 1, true);
  EXPECT_EQ(Text("cmbMediaLength"), "20");
  EXPECT_EQ(Text("lblNote"), "A device");
  SetText("cmbMediaLength", "Unlimited");
  // Connection: no connection leaves no test.
  Tab(2);
  EXPECT_TRUE(Checked("radioDirectConnection"));
  SendMessageA(C("radioNoConnection"), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowEnabled(C("btnTestConnection")));
  // Sounds.
  Tab(3);
  SendMessageA(C("chkOptRecordTrap"), BM_CLICK, 0, 0);
  Select("cmbSlideHops", 4, false);
  // The volume bar shows 10 minus the stored 0.5; moved to 3, it saves 0.7.
  EXPECT_EQ(BarRange("trbVolume"), std::make_pair(0, 10));
  EXPECT_EQ(BarPos("trbVolume"), 5);
  SendMessageA(C("trbVolume"), TBM_SETPOS, TRUE, 3);
  // Notices: only digits are taken.
  Tab(4);
  EXPECT_FALSE(IsWindowEnabled(C("MinDiskSpaceEdit")));
  SendMessageA(C("ShouldNotifyDiskSpace"), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(C("MinDiskSpaceEdit")));
  SetText("MinDiskSpaceEdit", "");
  for (char c : std::string("250")) SendMessageA(C("MinDiskSpaceEdit"), WM_CHAR, c, 0);
  SendMessageA(C("MinDiskSpaceEdit"), WM_CHAR, 'x', 0);
  // At most four characters.
  SendMessageA(C("MaxSizeEdit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  for (char c : std::string("123456")) SendMessageA(C("MaxSizeEdit"), WM_CHAR, c, 0);
  EXPECT_EQ(Text("MaxSizeEdit"), "1234");
  EXPECT_EQ(SendMessageA(C("MinDiskSpaceEdit"), CB_GETCOUNT, 0, 0), 5) << "10 to 200";
  EXPECT_EQ(Text("MinDiskSpaceEdit"), "250");
  // Speech: a system voice added to the program's voices.
  Tab(5);
  ASSERT_TRUE(PumpUntil([&] { return SendMessageA(C("listboxSystemNames"), LB_GETCOUNT, 0, 0) == 2; }));
  EXPECT_EQ(SendMessageA(C("listboxTezNames"), LB_GETCOUNT, 0, 0), 1);
  // Detail level 2 of 5 levels shows at 3 on a 0..4 bar; one step left is level 3.
  EXPECT_EQ(BarRange("trbDetaiLevel"), std::make_pair(0, 4));
  EXPECT_EQ(BarPos("trbDetaiLevel"), 3);
  BarKey("trbDetaiLevel", VK_LEFT);
  EXPECT_EQ(BarPos("trbDetaiLevel"), 2);
  EXPECT_FALSE(IsWindowEnabled(C("trackPitch"))) << "no voice chosen yet";
  for (const char* label : {"lblMinSpeed", "lblMaxSpeed", "txtCurSpeed", "lblSpeed"})
    EXPECT_FALSE(IsWindowEnabled(C(label))) << label << " greyed with its group";
  // The voice without pitch control: its pitch bar is off at -1, no range shown.
  Select("listboxSystemNames", 1, true);
  SendMessageA(C("btnAddVoice"), BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(C("listboxTezNames"), LB_GETCOUNT, 0, 0), 2);
  EXPECT_FALSE(IsWindowEnabled(C("trackPitch")));
  EXPECT_EQ(BarRange("trackPitch"), std::make_pair(-1, 0));
  EXPECT_EQ(BarPos("trackPitch"), -1);
  EXPECT_EQ(Text("lblMinPitch") + Text("lblMaxPitch") + Text("txtCurPitch"), "");
  EXPECT_TRUE(IsWindowEnabled(C("trackSpeed")));
  EXPECT_TRUE(IsWindowEnabled(C("lblMinSpeed")));
  EXPECT_EQ(BarRange("trackSpeed"), std::make_pair(100, 200));
  EXPECT_EQ(Text("lblMinSpeed") + " " + Text("lblMaxSpeed"), "100 200");
  EXPECT_EQ(BarPos("trackSpeed"), 150);
  BarKey("trackSpeed", VK_NEXT);   // a page: a fifth of the range
  BarKey("trackSpeed", VK_RIGHT);  // a line
  EXPECT_EQ(BarPos("trackSpeed"), 171);
  EXPECT_EQ(Text("txtCurSpeed"), "171");
  // The first voice: pitch set by message, heard with the test sentence.
  Select("listboxTezNames", 0, true);
  EXPECT_TRUE(IsWindowEnabled(C("trackPitch")));
  EXPECT_EQ(BarRange("trackPitch"), std::make_pair(0, 100));
  EXPECT_EQ(BarPos("trackPitch"), 50);
  SendMessageA(C("trackPitch"), TBM_SETPOS, TRUE, 30);
  EXPECT_EQ(Text("txtCurPitch"), "30");
  SendMessageA(C("btnTestSpeech"), BM_CLICK, 0, 0);
  EXPECT_EQ(Key(in_.Path("TezTTS.inx"), "Spoken", "values"), "30,190");
  // The defaults come back and go again; the second voice kept its speed.
  SendMessageA(C("btnTtsDefaults"), BM_CLICK, 0, 0);
  EXPECT_EQ(BarPos("trackPitch"), 50);
  SendMessageA(C("trackPitch"), TBM_SETPOS, TRUE, 30);
  Select("listboxTezNames", 1, true);
  EXPECT_EQ(BarPos("trackSpeed"), 171);
  // About: the version the installation recorded, none before it did.
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Brindale");
  Tab(6);
  EXPECT_EQ(Text("lblAbout"), "Brindale Media Manager, ");
  std::string version = RecordInstalledVersion(in_.Path("Halvorn.exe"));
  ASSERT_FALSE(version.empty());
  Tab(5);
  Tab(6);
  EXPECT_EQ(Text("lblAbout"), "Brindale Media Manager, " + version);

  SendMessageA(C("btnOkOptions"), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Shown("ViewChannels"); }));
  std::string param = in_.Path("TezParam.inx"), halvorn = in_.Path("Halvorn.inx");
  EXPECT_EQ(Key(param, "AutoUpdate", "active"), "0");
  EXPECT_EQ(Key(param, "AutoUpdate", "hour") + Key(param, "AutoUpdate", "min") +
                Key(param, "AutoUpdate", "amPm"),
            "0301");
  EXPECT_EQ(Key(param, "Recorder", "maxItemLength"), "900");
  EXPECT_EQ(Key(param, "Update", "autoUpdateActive"), "0");
  EXPECT_EQ(Key(param, "MediaTypes", "selectedMediaType"), "Dev");
  EXPECT_EQ(Key(param, "Dev", "mediaLength"), "0");
  EXPECT_EQ(Key(param, "Dialer", "useDialer"), "2");
  EXPECT_EQ(Key(param, "Dialer", "dialerName"), "<none>");
  EXPECT_EQ(Key(param, "Recorder", "audioTrap"), "1");
  EXPECT_EQ(Key(halvorn, "Params", "slideNumJumps"), "4");
  EXPECT_EQ(Key(param, "Notifications", "shouldNotifyMinSpace"), "1");
  EXPECT_EQ(Key(param, "Notifications", "MinSpace"), "250");
  EXPECT_EQ(Key(in_.Path("TezTTS.inx"), "Voices", "count"), "2");
  EXPECT_EQ(Key(in_.Path("TezTTS.inx"), "Voices", "voice1").substr(0, 21),
            "Brindale Voice,30,190");
  EXPECT_EQ(Key(in_.Path("TezTTS.inx"), "Voices", "voice2").substr(0, 19),
            "Steady Voice,-1,171");
  EXPECT_EQ(Key(param, "Recorder", "masterVolume"), "0.7");
  EXPECT_EQ(Key(param, "Recorder", "wavOutVolume"), "0.7");
  EXPECT_EQ(Key(in_.Path("TezItemOperators.inx"), "TezHtmlConvert.dll", "detailLevel"), "3");

  // Shown again as saved; Cancel keeps the files.
  OpenOptions();
  EXPECT_FALSE(Checked("chkAutoRecord"));
  EXPECT_EQ(Text("cmbLiveStream"), "15");
  EXPECT_TRUE(Checked("ShouldNotifyDiskSpace"));
  EXPECT_EQ(Text("MinDiskSpaceEdit"), "250");
  EXPECT_TRUE(Checked("radioNoConnection"));
  EXPECT_TRUE(Checked("chkOptRecordTrap"));
  EXPECT_EQ(BarPos("trbVolume"), 3);
  EXPECT_EQ(BarPos("trbDetaiLevel"), 2);
  Tab(1);
  EXPECT_EQ(Text("cmbMediaLength"), "Unlimited");
  SendMessageA(C("chkOptRecordTrap"), BM_CLICK, 0, 0);
  SendMessageA(C("btnOptionsCancel"), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Shown("ViewChannels"); }));
  EXPECT_EQ(Key(param, "Recorder", "audioTrap"), "1");
}

TEST_F(OptionsWindow, ProxyHelpAndDialUpWithoutAnEntryKeepingThePageAndSayingWhy) {
  // The system lists no dial-up entry here; the dialer library does.
  CopyFileA((BinDir() + "TezRasDialer.dll").c_str(), in_.Path("TezRasDialer.dll").c_str(), FALSE);
  WriteText(in_.Path("TezRasDialer.inx"), "[Entries]\r\nnames=Office,Home\r\n");
  OpenOptions();
  Tab(2);
  // The page's proxy help.
  PostMessageA(C("btnHelpProxy"), BM_CLICK, 0, 0);
  HWND help = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    return (help = FindWindowA("TfrmProxyHelp", "Proxy Settings Help")) && IsWindowVisible(help);
  }));
  char line[128] = {};
  SendMessageA(FindControlByName(help, "lblLine1"), WM_GETTEXT, sizeof line,
               reinterpret_cast<LPARAM>(line));
  EXPECT_STREQ(line, "1) Usually used in LAN environments");
  SendMessageA(FindControlByName(help, "btnOk"), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(help); }));
  ASSERT_TRUE(IsWindowEnabled(C("radioDialUp")));
  SendMessageA(C("radioDialUp"), BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(C("cmbConnectionToUse"), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(C("cmbConnectionToUse"), CB_GETCURSEL, 0, 0), -1);
  // Another page refused: the reason shows and the page stays.
  EXPECT_FALSE(SelectOptionsPage(main_, 3));
  HWND box = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    return (box = FindWindowA("#32770", "Select Dial-Up COnnection")) && IsWindowVisible(box);
  }));
  bool saysWhy = false;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char t[128] = {};
    GetWindowTextA(c, t, sizeof t);
    saysWhy = saysWhy || std::string(t) == "Please select a connection to use";
  }
  EXPECT_TRUE(saysWhy);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }));
  EXPECT_EQ(SendMessageA(C("OptionspageControl"), TCM_GETCURSEL, 0, 0), 2);
  EXPECT_TRUE(Shown("TabConnection"));
  // With an entry, a user and a password the other pages are reached.
  Select("cmbConnectionToUse", 0, false);
  SetText("editOptionsUserName", "me");
  SetText("editOptionsPassword", "pw");
  SetText("editOptionsPassword2", "pw");
  Tab(3);
  SendMessageA(C("btnOkOptions"), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Shown("ViewChannels"); }));
  std::string param = in_.Path("TezParam.inx");
  EXPECT_EQ(Key(param, "Dialer", "useDialer"), "1");
  EXPECT_EQ(Key(param, "Dialer", "dialerName"), "Office");
  EXPECT_EQ(Key(param, "Dialer", "user"), "me");
}

namespace {

class OptionsWindowHeld : public OptionsWindow {
 protected:
  int Selected(const char* combo) {
    return static_cast<int>(SendMessageA(C(combo), CB_GETCURSEL, 0, 0));
  }
  // The view laid out again, as the controller asks for it.
  bool ViewShowsAgain(int slideHops, int fullTime) {
    PostMessageA(main_, 0x464, 2, 0);
    return PumpUntil(
        [&] { return Selected("cmbSlideHops") == slideHops && Selected("cmbFullTime") == fullTime; },
        5000);
  }
};

}  // namespace

// The controller's reports that are only traced (0x4C9, 0x4CA, 0x4CE,
// 0x4D3, 0x4D4) are not checked here: their handlers do nothing but call
// the trace routine, which writes nothing in this program, so no check
// could tell them from no handler at all.
TEST_F(OptionsWindowHeld, ViewChangeShowsTheOptionsHeldUntilASettingsChangeReadsThem) {
  OpenOptions();
  // As stored at start: no slide hops, and 6:30 AM (entry 26) by default.
  EXPECT_EQ(Selected("cmbSlideHops"), 0);
  EXPECT_EQ(Selected("cmbFullTime"), 26);
  // Picked on the pages, not yet saved: the options hold them, and a view
  // change keeps them shown.
  Select("cmbFullTime", 50, false);
  Tab(3);
  Select("cmbSlideHops", 4, false);
  EXPECT_TRUE(ViewShowsAgain(4, 50)) << Selected("cmbSlideHops") << " " << Selected("cmbFullTime");
  EXPECT_EQ(Text("cmbSlideHops"), "4");

  // Changed in the files behind the program's back (3:15 PM is entry 61):
  // a view change alone does not read them.
  WritePrivateProfileStringA("Params", "slideNumJumps", "3", in_.Path("Halvorn.inx").c_str());
  for (const char* key : {"hour=3", "min=15", "amPm=1"}) {
    std::string k(key);
    WritePrivateProfileStringA("AutoUpdate", k.substr(0, k.find('=')).c_str(),
                               k.substr(k.find('=') + 1).c_str(), in_.Path("TezParam.inx").c_str());
  }
  EXPECT_TRUE(ViewShowsAgain(4, 50)) << Selected("cmbSlideHops") << " " << Selected("cmbFullTime");
  // A settings change reads them, and the next view change shows them.
  DWORD_PTR done = 0;
  ASSERT_TRUE(SendMessageTimeoutA(main_, 0x4CB, 0, 0, SMTO_NORMAL, 10000, &done));
  EXPECT_EQ(Selected("cmbSlideHops"), 4);
  EXPECT_TRUE(ViewShowsAgain(3, 61)) << Selected("cmbSlideHops") << " " << Selected("cmbFullTime");
  EXPECT_TRUE(Shown("ViewOptions"));
}

TEST_F(OptionsWindow, EachTabClickedShowsItsPage) {
  OpenOptions();
  const char* pages[] = {"TabAutoUpdate", "TabMedia", "TabConnection", "TabGeneral",
                         "TabNotifications", "OptionsTabTTs", "tabAbout"};
  // A control of each page that shows only with its page.
  const char* controls[] = {"chkAutoRecord", "cmbMediaLength", "btnTestConnection",
                            "cmbSlideHops", "Button1", "editTestText", nullptr};
  // Every page in turn, and Connection to Sounds a few times over.
  const int order[] = {0, 1, 2, 3, 4, 5, 6, 2, 3, 2, 3, 0};
  for (int i : order) {
    SCOPED_TRACE(pages[i]);
    Tab(i);
    EXPECT_TRUE(PumpUntil([&] { return Shown(pages[i]); }, 5000));
    for (int other = 0; other < 7; ++other) {
      if (other != i) {
        EXPECT_FALSE(Shown(pages[other])) << pages[other];
      }
    }
    if (controls[i]) {
      EXPECT_TRUE(Shown(controls[i])) << controls[i];
    }
    if (i == 1) {
      // The disk type has no picture: its place shows the page.
      RECT r = WindowRect(C("imgMediaType"));
      COLORREF page = ScreenPixel(r.left - 4, r.top + 4);
      for (COLORREF p : ScreenPixels(r)) ASSERT_EQ(p, page);
    }
  }
}

TEST_F(OptionsWindow, RefusedSaveIsSaidAndThePagesStayAndDefaultSavesAsOkDoes) {
  OpenOptions();
  SendMessageA(C("chkOptRecordTrap"), BM_CLICK, 0, 0);
  // A folder in the place of a settings file: its write is refused.
  std::string operators = in_.Path("TezItemOperators.inx");
  ASSERT_TRUE(CreateDirectoryA(operators.c_str(), nullptr));
  PostMessageA(C("btnOkOptions"), BM_CLICK, 0, 0);
  std::string text;
  HWND box = WaitForMessageBox(text);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(text, "Unable to write to " + operators);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindow(box); }));
  PumpUntil([] { return false; }, 300);
  EXPECT_TRUE(Shown("ViewOptions"));
  EXPECT_FALSE(ControlPeer::Got(0x4CB)) << "no settings change announced";
  // Writable again: the default button saves and leaves as OK does.
  ASSERT_TRUE(RemoveDirectoryA(operators.c_str()));
  ASSERT_TRUE(IsWindowVisible(C("btnOptionsDefault")));
  SendMessageA(C("btnOptionsDefault"), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Shown("ViewChannels"); }));
  EXPECT_TRUE(PumpUntil([] { return ControlPeer::Got(0x4CB); }, 5000));
  EXPECT_EQ(Key(in_.Path("TezParam.inx"), "Recorder", "audioTrap"), "1");
  EXPECT_EQ(Key(operators, "TezHtmlConvert.dll", "detailLevel"), "2");
}

TEST_F(OptionsWindow, TestLabelBouncesThreeTimesAndRestsAtTheRight) {
  OpenOptions();
  Tab(2);
  HWND label = C("lblTestConnectivity");
  HWND panel = GetParent(label);
  RECT client, own = WindowRect(label);
  GetClientRect(panel, &client);
  const int room = client.right - (own.right - own.left);
  auto left = [&] {
    RECT r = WindowRect(label);
    POINT p = {r.left, r.top};
    ScreenToClient(panel, &p);
    return static_cast<int>(p.x);
  };
  EXPECT_EQ(left(), 2) << "at rest once the options are shown";
  // Choosing a connection that can be tested starts it.
  SendMessageA(C("radioNoConnection"), BM_CLICK, 0, 0);
  SendMessageA(C("radioDirectConnection"), BM_CLICK, 0, 0);
  int last = left(), turns = 0, lowest = room;
  bool rising = true;
  DWORD restingSince = 0;
  EXPECT_TRUE(PumpUntil(
      [&] {
        int now = left();
        if (now < last && rising) ++turns;
        if (now != last) rising = now > last;
        if (turns > 0 && now < lowest) lowest = now;
        last = now;
        if (now != room) restingSince = 0;
        else if (!restingSince) restingSince = GetTickCount();
        return restingSince && GetTickCount() - restingSince > 1500;
      },
      40000))
      << "at " << last << " of " << room;
  // Turned back from the right edge twice; the third time it stays there,
  // and it never went back further than the middle.
  EXPECT_EQ(turns, 2);
  EXPECT_GE(lowest, room / 2 - 10);
  EXPECT_EQ(left(), room);
}

namespace {

// A second media type that cannot record.
class OptionsWindowPlayOnlyType : public OptionsWindow {
 protected:
  void Prepare() override {
    WritePrivateProfileStringA("Dev", "recButAvailable", "0", in_.Path("TezParam.inx").c_str());
  }
};

}  // namespace

TEST_F(OptionsWindowPlayOnlyType, AMediaTypeTakenWithOkSetsTheRunButtonsAtOnce) {
  ASSERT_TRUE(PumpUntil([&] { return Shown("speedRecordNow"); }, 10000));
  const LONG playTop = WindowRect(C("speedPlayNow")).top;
  OpenOptions();
  Tab(1);
  Select("ListMediaTypes", 1, true);
  SendMessageA(C("btnOkOptions"), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return Shown("ViewChannels"); }));
  // Record Now goes, and Play Now takes its place.
  EXPECT_TRUE(PumpUntil([&] { return !Shown("speedRecordNow"); }, 5000));
  EXPECT_TRUE(Shown("speedPlayNow"));
  EXPECT_EQ(WindowRect(C("speedPlayNow")).top, playTop + 37);
}

TEST_F(OptionsWindow, ExitSaveHasTheMediaLibrarySaveItsSettings) {
  OpenOptions();
  Tab(1);
  HWND edit = FindWindowExA(C("pnlMediaParamsOptions"), nullptr, "Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("d:\\kept"));
  // The program ends with its options saved, the media library's with them.
  ProcessGuard guard(process_);
  PostMessageA(main_, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitExit(process_), 0u);
  process_ = nullptr;
  EXPECT_EQ(Key(in_.Path("TezParam.inx"), "Disk", "outputFolder"), "d:\\kept");
}
