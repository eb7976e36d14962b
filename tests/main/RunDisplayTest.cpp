// Halvorn.exe beside a window of this test captioned "Brindale Control":
// the run state and mail records it is sent, the answers it gives, and
// what its channel buttons and items grid do to the files when clicked,
// and what Ctrl+C in the grid puts on the clipboard.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "MailMessage.h"
#include "MainWindowFixture.h"

namespace {

constexpr UINT kRecorderState = 0x4D6;
constexpr UINT kSaveChannels = 0x4FC;
constexpr UINT kChannelsSaved = 0x4FD;
constexpr UINT kStartSession = 0x4CC;

bool SendMail(const MailMessage& m, DWORD size = sizeof(MailMessage)) {
  HANDLE slot = CreateFileA("\\\\.\\mailslot\\halvorn", GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (slot == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(slot, &m, size, &written, nullptr) && written == size;
  CloseHandle(slot);
  return ok;
}

bool SlotOpen() {
  HANDLE slot = CreateFileA("\\\\.\\mailslot\\halvorn", GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (slot == INVALID_HANDLE_VALUE) return false;
  CloseHandle(slot);
  return true;
}

MailMessage Record(int code, std::vector<int32_t> values, const char* text = nullptr) {
  MailMessage m = {};
  m.category = 1;
  m.Fill(code, int(values.size()), values.data(), text);
  return m;
}

}  // namespace

TEST(MainRunDisplay, StateOpensTheMailAndRecordsFillTheLabels) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND main = MainWindow();
  EXPECT_FALSE(SlotOpen());
  PostMessageA(main, kRecorderState, 0x03, 0);  // recording
  ASSERT_TRUE(WaitUntil(SlotOpen, 5000));
  ASSERT_TRUE(WaitUntil([] { return Shown("pnlRecPlayDisplay"); }, 5000));
  EXPECT_EQ(TextOf("lblGlobalTimeLabel"), "Global Rec Time:");

  MailMessage unbounded = Record(6, {0});
  memset(unbounded.text, 'A', sizeof unbounded.text);
  unbounded.textLength = 5000;
  const struct {
    MailMessage record;
    const char* label;
    const char* text;
  } cases[] = {
      {Record(4, {1, 2}, "News"), "lblChannelName", "News"},
      {Record(8, {1, 2, 2, 1, 12000, 40000}, "Downloading"), "lblItemStatus",
       "Item #2 Downloading  12/40 KB "},
      {Record(8, {1, 2, 2, 1, 12000, 999}, "Downloading"), "lblItemStatus",
       "Item #2 Downloading  12 KB "},
      {Record(11, {3, 0, 3, 2, 5}, "Fetching"), "lblItemStatus", "Fetching 2/5"},
      {Record(11, {3, 0, 3, 2, 5}, "Fetching"), "lblChannelName", "Weather"},
      {Record(6, {0}), "lblGlobalStatus", "Error "},
      {Record(10, {3, 3725000, 59999}), "lblGlobalStatus", "Working (62:05)"},
      {Record(10, {3, 3725000, 59999}), "lblGlobalProgress", "00:59"},
      {Record(2, {3}), "lblGlobalStatus", "Dialer"},
      {Record(9, {3, 3, 2, 5}, "Writing"), "lblItemStatus", "Media Writing 2/5"},
      {unbounded, "lblGlobalStatus", nullptr},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SendMail(c.record));
    std::string want = c.text ? c.text : "Error (" + std::string(127, 'A') + ")";
    EXPECT_TRUE(WaitUntil([&] { return TextOf(c.label) == want; }, 5000))
        << c.label << " shows \"" << TextOf(c.label) << "\", not \"" << want << "\"";
  }
  // A block shorter than a record changes nothing.
  MailMessage part = Record(4, {3}, "Weather");
  part.message = 4;
  ASSERT_TRUE(SendMail(Record(4, {1}, "News")));
  ASSERT_TRUE(WaitUntil([] { return TextOf("lblChannelName") == "News"; }, 5000));
  ASSERT_TRUE(SendMail(part, 100));
  Sleep(1000);
  EXPECT_EQ(TextOf("lblChannelName"), "News");

  // The run ends: the reports sent just after still arrive, then the slot closes.
  PostMessageA(main, kRecorderState, 0x04, 0);
  ASSERT_TRUE(WaitUntil([] { return !Shown("pnlRecPlayDisplay"); }, 5000));
  ASSERT_TRUE(SendMail(Record(10, {1, 1000, 61000})));
  EXPECT_TRUE(WaitUntil([] { return TextOf("lblGlobalProgress") == "01:01"; }, 5000));
  EXPECT_TRUE(WaitUntil([] { return !SlotOpen(); }, 10000));
}

TEST(MainRunDisplay, SaveRequestAndAStartThatTheControllerIgnores) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND main = MainWindow();
  // The channels to record: the active ones in list order.
  PostMessageA(main, kSaveChannels, kChannelsSaved, 0);
  ASSERT_TRUE(WaitUntil([] { return Peer::Has(kChannelsSaved, 0); }, 5000));
  EXPECT_EQ(h.Key("data\\TezData.inx", "Entry List", "numberEntries"), "2");
  EXPECT_EQ(h.Key("data\\TezData.inx", "Entry List", "entry1"), "1");
  EXPECT_EQ(h.Key("data\\TezData.inx", "Entry List", "entry2"), "3");

  // Record Now asks the controller; a controller that never answers does
  // not leave the window starting for ever.
  EXPECT_FALSE(Shown("lblStatusLine"));  // no empty box on the panel
  ASSERT_TRUE(Click("speedRecordNow"));
  ASSERT_TRUE(WaitUntil([] { return Peer::Has(kStartSession, 0); }, 5000));
  EXPECT_TRUE(WaitUntil([] { return Shown("pnlRecPlayDisplay"); }, 5000));
  EXPECT_TRUE(WaitUntil([] { return Shown("speedRecordNow") && !Shown("pnlRecPlayDisplay"); },
                        45000));
  EXPECT_EQ(TextOf("lblStatusLine"), "Brindale Control did not start the run");
  EXPECT_TRUE(Shown("lblStatusLine"));
}

TEST(MainRunDisplay, ChannelButtonsAndGridCommandsChangeTheFiles) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  EXPECT_EQ(Control("chanBut3"), nullptr);  // two active channels

  // Hold on item 2, then delete it: it moves to Deleted with its origin.
  ClickAt(grid, GridCell(6, 2).x, GridCell(6, 2).y);
  ASSERT_TRUE(Click("btnHold"));
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "2", "itemStatus") == "3"; },
                        5000));
  ASSERT_TRUE(Click("btnHold"));  // pressed again: back to normal
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "2", "itemStatus") == "1"; },
                        5000));
  ASSERT_TRUE(Click("btnDel"));
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "Entry List",
                                           "numberEntries") == "2"; }, 5000));
  EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "description"), "Third");
  EXPECT_EQ(h.Key("data\\deleted\\deleted.inx", "1", "description"), "Second");
  EXPECT_EQ(h.Key("data\\deleted\\deleted.inx", "1", "originalChannel"), "1");

  // Restored from Deleted: back at the end of its channel.
  ASSERT_TRUE(Click("speedDeleted"));
  ASSERT_TRUE(WaitUntil([] { return Shown("btnUndelete"); }, 5000));
  ClickAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
  ASSERT_TRUE(Click("btnUndelete"));
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "3", "description") ==
                                     "Second"; }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\deleted\\deleted.inx", "Entry List",
                                           "numberEntries") == "0"; }, 5000));

  // A row dragged onto the trash is deleted.
  ASSERT_TRUE(Click("chanBut1"));
  ASSERT_TRUE(WaitUntil([] { return Shown("btnHold"); }, 5000));
  POINT from = GridCell(6, 1);
  POINT start = {from.x, from.y};
  ClientToScreen(grid, &start);
  RECT trash;
  GetWindowRect(Control("ShapeDragDropTrash"), &trash);
  SetCursorPos(start.x, start.y);
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &in, sizeof in);
  Sleep(100);
  for (int i = 1; i <= 10; ++i) {
    MoveMouseTo(start.x + (trash.left + 10 - start.x) * i / 10,
                start.y + (trash.top + 10 - start.y) * i / 10);
    Sleep(40);
  }
  in.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof in);
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "Entry List",
                                           "numberEntries") == "2"; }, 5000));
  EXPECT_EQ(h.Key("data\\news\\news.inx", "1", "description"), "Third");

  // Channel moves: Weather up before News; the first button up does nothing.
  ASSERT_TRUE(Click("chanBut2"));
  ASSERT_TRUE(Click("speedMoveChanUp"));
  EXPECT_TRUE(WaitUntil([] { return TextOf("chanBut1") == "3"; }, 5000));
  EXPECT_EQ(TextOf("chanBut2"), "1");
  ASSERT_TRUE(Click("speedMoveChanUp"));
  Sleep(500);
  EXPECT_EQ(TextOf("chanBut1"), "3");

  // Customize: Sports activated becomes the last active channel; News
  // deactivated becomes the last inactive one.
  ASSERT_TRUE(Click("speedCustomize"));
  ASSERT_TRUE(WaitUntil([] { return Shown("inactBut1"); }, 5000));
  ASSERT_TRUE(Click("inactBut1"));
  // Sports' configuration library shows its page; a run asked for now
  // (the controller's save request) leaves the page and its library alone.
  HWND panel = Control("Panel3");
  auto pageShown = [panel] {
    for (HWND c = GetWindow(panel, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (TextOf(c).find("Settings of 2") != std::string::npos) return true;
    return false;
  };
  ASSERT_TRUE(WaitUntil(pageShown, 5000));
  PostMessageA(MainWindow(), kSaveChannels, kChannelsSaved, 0);
  ASSERT_TRUE(WaitUntil([] { return Peer::Has(kChannelsSaved, 0); }, 5000));
  InvalidateRect(panel, nullptr, TRUE);
  Sleep(500);
  EXPECT_TRUE(pageShown());
  EXPECT_EQ(WaitForSingleObject(h.process, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(Click("speedAddChannel"));
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\TezData.inx", "2", "active") == "1"; }, 5000));
  EXPECT_EQ(TextOf("custBut3"), "2");
  ASSERT_TRUE(Click("custBut2"));  // News
  ASSERT_TRUE(Click("speedRemoveChannel"));
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\TezData.inx", "1", "active") == "0"; }, 5000));
  ASSERT_TRUE(Click("speedCustOk"));
  ASSERT_TRUE(WaitUntil([] { return Shown("chanBut2") && !Control("chanBut3"); }, 5000));
  PostMessageA(MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return WaitForSingleObject(h.process, 0) == WAIT_OBJECT_0; },
                        20000));
  EXPECT_EQ(h.Key("data\\TezData.inx", "Data Types", "type1"), "3");
  EXPECT_EQ(h.Key("data\\TezData.inx", "Data Types", "type2"), "2");
  EXPECT_EQ(h.Key("data\\TezData.inx", "Data Types", "type3"), "1");
}

namespace {
std::string ClipboardText() {
  std::string text = "<none>";
  if (!OpenClipboard(nullptr)) return "<busy>";
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) text = p;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

void PutOnClipboard(const std::string& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
}

void PressCtrlC() {
  INPUT in[4] = {};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = VK_CONTROL;
  in[1].ki.wVk = 'C';
  in[2].ki.wVk = 'C';
  in[2].ki.dwFlags = KEYEVENTF_KEYUP;
  in[3].ki.wVk = VK_CONTROL;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  for (INPUT& i : in) {
    SendInput(1, &i, sizeof(INPUT));
    Sleep(40);
  }
}
}  // namespace

TEST(MainRunDisplay, CtrlCCopiesTheLinkElseTheLocalFileWhenShortEnough) {
  const std::string longLink = "http://example.invalid/" + std::string(277, 'x') + ".wav";
  const std::string longFile = "c:\\" + std::string(300, 'f') + ".wav";
  ASSERT_EQ(longLink.size(), 304u);
  Peer peer;
  Halvorn h("[Entry List]\r\nnumberEntries=3\r\nmaxIndex=3\r\n"
            "[1]\r\nlink=http://example.invalid/short.wav\r\nlocalFileName=c:\\one.wav\r\n"
            "recStatus=1\r\nitemStatus=1\r\n"
            "[2]\r\nlink=" + longLink + "\r\nlocalFileName=c:\\two.wav\r\n"
            "recStatus=1\r\nitemStatus=1\r\n"
            "[3]\r\nlink=" + longLink + "\r\nlocalFileName=" + longFile + "\r\n"
            "recStatus=1\r\nitemStatus=1\r\n");
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  struct Row {
    int row;
    const char* copied;  // nullptr: the clipboard keeps what it held
  } rows[] = {{1, "http://example.invalid/short.wav"}, {2, "c:\\two.wav"}, {3, nullptr}};
  for (const Row& r : rows) {
    PutOnClipboard("before");
    ClickAt(grid, GridCell(6, r.row).x, GridCell(6, r.row).y);
    PressCtrlC();
    if (r.copied) {
      EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == r.copied; }, 5000))
          << r.row << ": " << ClipboardText();
    } else {
      Sleep(1000);
      EXPECT_EQ(ClipboardText(), "before") << r.row;
    }
  }
}
