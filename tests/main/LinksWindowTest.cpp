// Halvorn.exe on the test display taking links and files: dragged onto
// the basket from this program by the system's drag-and-drop loop or
// pasted through the basket menu, checked by Ostrevar.exe and filed.
#include <gtest/gtest.h>

#include "DragSource.h"
#include "HalvornRun.h"

namespace {

// A value of a settings file, read from its text as it is now.
std::string Key(const std::string& file, const std::string& section, const std::string& key) {
  std::istringstream in(ReadText(file));
  std::string line, current;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      current = line.substr(1, line.find(']') - 1);
    } else if (current == section && line.compare(0, key.size() + 1, key + "=") == 0) {
      return line.substr(key.size() + 1);
    }
  }
  return "<none>";
}

void PressKey(WORD key) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = key;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

class LinksWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSettings(in_);
    CopyFileA((BinDir() + "Ostrevar.exe").c_str(), in_.Path("Ostrevar.exe").c_str(), FALSE);
    WriteText(in_.Path("TezParam.inx"),
              "[Folders]\r\ndataFolder=data\\\r\nwavFolder=wavs\\\r\n"
              "[MediaTypes]\r\ncount=1\r\nrecor001=Disk\r\nselectedMediaType=Disk\r\n"
              "[Extensions]\r\nmp3=Music\r\nhtml=News,page\r\ndefaultExtension=mmm\r\n"
              "[DragDrop]\r\npendingDelay=1\r\ntezID=test-id\r\n");
    WriteText(in_.Path("data\\TezData.inx"),
              "[Data Types]\r\nnumberTypes=2\r\ntype1=News\r\ntype2=Music\r\n"
              "[News]\r\nname=News\r\n[Music]\r\nname=Music\r\n");
    process_ = StartHalvorn(in_);
    ASSERT_NE(process_, nullptr);
    main_ = WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    ASSERT_TRUE(WaitForRect(main_, 300, 200, 87, 81));
    PumpUntil([] { return false; }, 500);
  }
  void TearDown() override {
    if (process_) {
      ProcessGuard guard(process_);
      PostMessageA(main_, WM_CLOSE, 0, 0);
      EXPECT_EQ(WaitExit(process_), 0u) << "the program ends cleanly";
    }
  }
  std::string ListFile(const char* list) {
    return in_.Path(std::string("data\\") + list + "\\" + list + ".inx");
  }
  int Count(const char* list) {
    std::string n = Key(ListFile(list), "Entry List", "numberEntries");
    return n == "<none>" ? 0 : std::stoi(n);
  }
  std::string Item(const char* list, int n, const char* key) {
    return Key(ListFile(list), std::to_string(n), key);
  }
  bool WaitCount(const char* list, int n, int ms = 30000) {
    return PumpUntil([&] { return Count(list) == n; }, ms);
  }
  DWORD DropOnBasket(TestDataObject& data) { return DragTo(&data, POINT{340, 240}); }
  TestDataObject LinkData(const std::string& link) {
    TestDataObject data;
    data.Add(RegisterClipboardFormatA("UniformResourceLocator"), link + '\0');
    return data;
  }

  Install in_{AllFiles()};
  ControlPeer peer_;
  HANDLE process_ = nullptr;
  HWND main_ = nullptr;
};

}  // namespace

TEST_F(LinksWindow, DroppedLinksAreCheckedAndFiled) {
  // Accepted: into the channel its type names.
  TestDataObject song = LinkData("http://127.0.0.1/a/song.mp3");
  EXPECT_EQ(DropOnBasket(song), static_cast<DWORD>(DROPEFFECT_LINK));
  ASSERT_TRUE(WaitCount("Music", 1));
  EXPECT_EQ(Item("Music", 1, "link"), "http://127.0.0.1/a/song.mp3");
  EXPECT_EQ(Item("Music", 1, "description"), "http://127.0.0.1/a/song.mp3");
  EXPECT_EQ(Item("Music", 1, "extension"), "mp3");
  EXPECT_TRUE(WaitCount("Pending", 0));
  EXPECT_EQ(Key(in_.Path("CheckAuth.inx"), "Params", "tezID"), "test-id");
  EXPECT_EQ(Key(in_.Path("CheckAuth.inx"), "Params", "link"), "http://127.0.0.1/a/song.mp3");

  // Refused: into Rejected with the reply's link.
  WriteText(in_.Path("Ostrevar.inx"), "[Mode]\r\nmode=refuse\r\nlink=http://127.0.0.1/no\r\n");
  TestDataObject page = LinkData("http://127.0.0.1/b/page.html");
  DropOnBasket(page);
  ASSERT_TRUE(WaitCount("Rejected", 1));
  EXPECT_EQ(Item("Rejected", 1, "link"), "http://127.0.0.1/no");
  EXPECT_EQ(Count("News"), 0);

  // Slow: two links dropped while the program still works on the first
  // wait their turn and are checked one by one.
  WriteText(in_.Path("Ostrevar.inx"), "[Mode]\r\nmode=slow\r\ndelayMs=3000\r\n");
  TestDataObject first = LinkData("http://127.0.0.1/c/one.html");
  TestDataObject second = LinkData("http://127.0.0.1/c/two.html");
  DropOnBasket(first);
  ASSERT_TRUE(PumpUntil([] { return FindWindowA(nullptr, "Authorize") != nullptr; }, 20000));
  DropOnBasket(second);
  EXPECT_EQ(Count("News"), 0);
  ASSERT_TRUE(WaitCount("News", 2, 60000));
  EXPECT_EQ(Item("News", 1, "link"), "http://127.0.0.1/c/one.html");
  EXPECT_EQ(Item("News", 2, "link"), "http://127.0.0.1/c/two.html");
  EXPECT_TRUE(WaitCount("Pending", 0)) << ReadText(ListFile("Pending"));
}

TEST_F(LinksWindow, UnclearTypeIsAskedOnTheScreen) {
  WriteText(in_.Path("Ostrevar.inx"),
            "[Mode]\r\nextension=mmm\r\nextensionForChannel=none\r\n");
  TestDataObject stream = LinkData("http://127.0.0.1/f/stream");
  DropOnBasket(stream);
  HWND dialog = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] { return (dialog = FindWindowA("TfrmAskFileType", nullptr)) && IsWindowVisible(dialog); },
      30000));
  // The drop target is off while the question is shown.
  EXPECT_EQ(GetPropA(main_, "OleDropTargetInterface"), nullptr);
  // A reload asked for meanwhile waits: the list being filed into stays.
  PostMessageA(main_, 0x4DF, 10, 0);  // the refresh that makes the list again
  PumpUntil([] { return false; }, 1000);
  SendMessageA(FindControlByName(dialog, "chkTypeMusic"), BM_CLICK, 0, 0);
  SendMessageA(FindControlByName(dialog, "btnOk"), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitCount("Music", 1));
  EXPECT_EQ(Item("Music", 1, "extension"), "mmm");
  EXPECT_TRUE(PumpUntil([&] { return GetPropA(main_, "OleDropTargetInterface") != nullptr; }));
  EXPECT_EQ(WaitForSingleObject(process_, 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(LinksWindow, DroppedFilesAndShortcutsAndPastedLinks) {
  // A file goes straight into its channel; one of no channel's type is not taken.
  std::string page = in_.Path("dropped page.html");
  WriteText(page, "<html></html>");
  std::string other = in_.Path("clip.avi");
  WriteText(other, "x");
  TestDataObject files;
  files.Add(CF_HDROP, DropFilesBlock({page, other}, true));
  HWND left = FindControlByName(main_, "imgLeftDoor");
  HWND right = FindControlByName(main_, "imgRightDoor");
  ASSERT_TRUE(left && right);
  auto doorLeft = [](HWND door) {
    return WindowRect(door).left - ScreenPoint(GetParent(door), 0, 0).x;
  };
  const int step = (WindowRect(left).right - WindowRect(left).left) / 3;
  ASSERT_GT(step, 0);
  ASSERT_EQ(doorLeft(left), 6);
  EXPECT_EQ(DropOnBasket(files), static_cast<DWORD>(DROPEFFECT_COPY));
  // The doors take their first step as the drop is taken (the animation's
  // timer may have taken more since); they open, close and stand again.
  EXPECT_LE(doorLeft(left), 6 - step);
  EXPECT_GE(doorLeft(right), 38 + step);
  EXPECT_TRUE(PumpUntil([&] { return doorLeft(left) == 6 && doorLeft(right) == 38; }, 10000));
  ASSERT_TRUE(WaitCount("News", 1));
  EXPECT_EQ(Item("News", 1, "localFileName"), page);
  EXPECT_EQ(Item("News", 1, "extension"), "html");
  EXPECT_EQ(Count("Music"), 0);

  // A shortcut dragged with CR/LF line ends yields its link.
  TestDataObject shortcut;
  shortcut.Add(RegisterClipboardFormatA("FileContents"),
               "[InternetShortcut]\r\nURL=http://127.0.0.1/d/short.mp3\r\n");
  EXPECT_EQ(DropOnBasket(shortcut), static_cast<DWORD>(DROPEFFECT_LINK));
  ASSERT_TRUE(WaitCount("Music", 1));
  EXPECT_EQ(Item("Music", 1, "link"), "http://127.0.0.1/d/short.mp3");

  // A link pasted through the basket menu; text that is no link is not taken.
  for (const char* text : {"see http://127.0.0.1/x.mp3", "http://127.0.0.1/e/pasted.mp3"}) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(h), text, strlen(text) + 1);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
    HWND picture = FindControlByName(main_, "pnlBackgroundImg");
    ASSERT_NE(picture, nullptr);
    PostMessageA(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(picture, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    ASSERT_TRUE(PumpUntil(
        [] {
          HWND menu = FindWindowA("#32768", nullptr);
          return menu && IsWindowVisible(menu);
        },
        5000));
    PressKey('L');
    PumpUntil([] { return false; }, 3000);
  }
  ASSERT_TRUE(WaitCount("Music", 2));
  EXPECT_EQ(Item("Music", 2, "link"), "http://127.0.0.1/e/pasted.mp3");
  EXPECT_EQ(Count("Rejected"), 0);
}
