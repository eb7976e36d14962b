// The items grid of Halvorn's channels view driven by keys and the mouse:
// keyboard moves select as clicks do, and the item commands act on the
// row the user sees selected.
#include <gtest/gtest.h>

#include "MainWindowFixture.h"

namespace {

void Press(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(1, &in[0], sizeof(INPUT));
  Sleep(40);
  SendInput(1, &in[1], sizeof(INPUT));
  Sleep(150);
}

// The text of an edit control of another process.
std::string EditText(HWND edit) {
  std::string text(static_cast<size_t>(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
  text.resize(static_cast<size_t>(
      SendMessageA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
  return text;
}

}  // namespace

TEST(MainItemsGrid, ArrowKeysSelectTheRowTheCommandsThenActOn) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  ClickAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
  ASSERT_TRUE(WaitUntil([&] { return RowSelected(grid, 1); }, 3000));

  Press(VK_DOWN);
  EXPECT_TRUE(WaitUntil([&] { return RowSelected(grid, 2) && !RowSelected(grid, 1); }, 3000));
  Press(VK_DOWN);
  Press(VK_UP);
  EXPECT_TRUE(WaitUntil([&] { return RowSelected(grid, 2) && !RowSelected(grid, 3); }, 3000));
  // Hold marks the row moved to, and Del deletes that same row.
  ASSERT_TRUE(Click("btnHold"));
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "2", "itemStatus") == "3"; },
                        5000));
  EXPECT_EQ(h.Key("data\\news\\news.inx", "1", "itemStatus"), "1");
  ClickAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
  Press(VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return RowSelected(grid, 2) && !RowSelected(grid, 1); }, 3000));
  Press(VK_DELETE);
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "Entry List",
                                           "numberEntries") == "2"; }, 5000));
  EXPECT_EQ(h.Key("data\\news\\news.inx", "1", "description"), "First");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "2", "description"), "Third");
  EXPECT_EQ(h.Key("data\\deleted\\deleted.inx", "1", "description"), "Second");
}

namespace {

void RightClickAt(HWND w, int x, int y) {
  ClickAt(w, x, y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

// Letters typed on the keyboard (lower case).
void Type(const char* letters) {
  for (const char* c = letters; *c; ++c) Press(static_cast<WORD>(toupper(*c)));
}

bool MenuShown() {
  HWND menu = FindWindowA("#32768", nullptr);
  return menu && IsWindowVisible(menu);
}

// Opens the editor of row's description from the grid's popup menu.
bool OpenEditor(HWND grid, int row) {
  RightClickAt(grid, GridCell(6, row).x, GridCell(6, row).y);
  if (!WaitUntil(MenuShown, 3000)) return false;
  Press('C');  // Edit Des&cription
  return WaitUntil([grid] {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(grid, nullptr), &info) || !info.hwndFocus)
      return false;
    char cls[16] = {};
    GetClassNameA(info.hwndFocus, cls, sizeof cls);
    return IsChild(grid, info.hwndFocus) && lstrcmpiA(cls, "Edit") == 0;
  }, 3000);
}

}  // namespace

TEST(MainItemsGrid, DescriptionEditedFromThePopupMenu) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  const char* file = "data\\news\\news.inx";

  // A new text is stored as the item's description.
  ASSERT_TRUE(OpenEditor(grid, 2));
  Type("fresh");
  Press(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return h.Key(file, "2", "description") == "fresh"; }, 5000));
  EXPECT_EQ(HintAt(grid, GridCell(6, 2).x, GridCell(6, 2).y), "fresh");

  // Del in the editor cuts text, not the item; an emptied text changes
  // nothing and the name shows again.
  ASSERT_TRUE(OpenEditor(grid, 2));
  Press(VK_DELETE);  // the whole text is selected when the editor opens
  Press(VK_RETURN);
  Sleep(500);
  EXPECT_EQ(h.Key(file, "Entry List", "numberEntries"), "3");
  EXPECT_EQ(h.Key(file, "2", "description"), "fresh");
  EXPECT_EQ(HintAt(grid, GridCell(6, 2).x, GridCell(6, 2).y), "fresh");

  // Escape drops what was typed.
  ASSERT_TRUE(OpenEditor(grid, 3));
  Type("nope");
  Press(VK_ESCAPE);
  Sleep(500);
  EXPECT_EQ(h.Key(file, "3", "description"), "Third");
  // After the editor, Del deletes the selected item again.
  ClickAt(grid, GridCell(6, 3).x, GridCell(6, 3).y);
  Press(VK_DELETE);
  EXPECT_TRUE(WaitUntil([&] { return h.Key(file, "Entry List", "numberEntries") == "2"; }, 5000));
  EXPECT_EQ(h.Key("data\\deleted\\deleted.inx", "1", "description"), "Third");
}

TEST(MainItemsGrid, PreviewShowsTheFilteredTextAndScrolls) {
  std::string items = kItems;
  items += "previewFileType=txt\r\npreviewFileName=preview.txt\r\n";  // item 3
  Peer peer;
  Halvorn h(items);
  std::string text;
  for (int i = 1; i <= 60; ++i) text += "Line " + std::to_string(i) + " : said.: here\r\n";
  WriteText(h.in.Path("preview.txt"), text);
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems"), memo = Control("memoPreview");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  ClickAt(grid, GridCell(6, 3).x, GridCell(6, 3).y);
  ASSERT_TRUE(WaitUntil([&] { return EditText(memo).rfind("Line 1 said here\r\n", 0) == 0; }, 5000))
      << EditText(memo);
  EXPECT_NE(EditText(memo).find("Line 60 said here"), std::string::npos);
  EXPECT_EQ(EditText(memo).find(" :"), std::string::npos);
  // Sixty lines do not fit: the wheel scrolls them.
  EXPECT_EQ(SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  RECT r = {};
  GetClientRect(memo, &r);
  POINT at = {r.right / 2, r.bottom / 2};
  ClientToScreen(memo, &at);
  SetCursorPos(at.x, at.y);
  INPUT wheel = {};
  wheel.type = INPUT_MOUSE;
  wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
  wheel.mi.mouseData = static_cast<DWORD>(-3 * WHEEL_DELTA);
  ClickAt(memo, at.x - r.right / 2 + 5, 5);
  SendInput(1, &wheel, sizeof wheel);
  EXPECT_TRUE(WaitUntil([&] { return SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0) > 0; },
                        3000));
  // Another item without a preview empties it.
  ClickAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
  EXPECT_TRUE(WaitUntil([&] { return EditText(memo).empty(); }, 3000));
}

namespace {

// An item file of n items.
std::string ManyItems(int n) {
  std::string items = "[Entry List]\r\nnumberEntries=" + std::to_string(n) +
                      "\r\nmaxIndex=" + std::to_string(n) + "\r\n";
  for (int i = 1; i <= n; ++i)
    items += "[" + std::to_string(i) + "]\r\nlink=http://example.invalid/" + std::to_string(i) +
             ".wav\r\nrecStatus=1\r\nitemStatus=1\r\ndescription=Item " + std::to_string(i) +
             "\r\n";
  return items;
}

}  // namespace

TEST(MainItemsGrid, ScrollBarsShowOnlyWhenTheItemsDoNotFit) {
  struct Case {
    int items;
    bool vertical;
  } cases[] = {{3, false}, {20, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.items) + " items");
    Peer peer;
    Halvorn h(ManyItems(c.items));
    ASSERT_TRUE(h.Ready());
    HWND grid = Control("gridItems");
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
    WaitUntil([] { return false; }, 300);
    LONG style = GetWindowLongA(grid, GWL_STYLE);
    EXPECT_FALSE(style & WS_HSCROLL) << "the columns fit the grid";
    EXPECT_EQ((style & WS_VSCROLL) != 0, c.vertical);
    // The name column ends at the grid's right edge, beside the bar when
    // there is one.
    RECT client = {};
    GetClientRect(grid, &client);
    EXPECT_TRUE(RowSelected(grid, 1));
    EXPECT_EQ(PixelAt(grid, client.right - 2, GridCell(6, 1).y - 8), RGB(0, 128, 128));
  }
}

namespace {

// A column of the screen's pixels, rows top to bottom - 1.
std::vector<COLORREF> ScreenColumn(int x, int top, int bottom) {
  HDC screen = GetDC(nullptr);
  std::vector<COLORREF> column;
  for (int y = top; y < bottom; ++y) column.push_back(GetPixel(screen, x, y));
  ReleaseDC(nullptr, screen);
  return column;
}

// Whether the splitter's drag line, the inverted colours of `before` (the
// column before the drag, from row `top`), is drawn across row y.
bool DragLineAt(int x, int y, int top, const std::vector<COLORREF>& before) {
  std::vector<COLORREF> now = ScreenColumn(x, y - 1, y + 2);
  for (int i = 0; i < 3; ++i) {
    size_t row = static_cast<size_t>(y - 1 + i - top);
    if (row < before.size() && now[static_cast<size_t>(i)] == (before[row] ^ 0xFFFFFF)) return true;
  }
  return false;
}

}  // namespace

TEST(MainItemsGrid, SplitterDraggedPastItsMinimumStopsThere) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems"), bar = Control("SplitterBar1"), memo = Control("memoPreview");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  ASSERT_TRUE(bar && memo);
  // The grid keeps as many pixels as its first two columns are wide at
  // start (64 each).
  const int gridTop = WindowRect(grid).top, minimum = 128;
  RECT b = WindowRect(bar);
  ASSERT_GT(b.top - gridTop, minimum + 20);
  POINT at = {(b.left + b.right) / 2, (b.top + b.bottom) / 2};
  // The drag line is looked for left of the mouse, across the grid.
  const int lineX = b.left + 8, top = gridTop - 80;
  const std::vector<COLORREF> before = ScreenColumn(lineX, top, b.bottom + 4);
  ASSERT_TRUE(MouseTo(at.x, at.y)) << "the mouse did not reach the splitter";
  ASSERT_TRUE(WaitUntil([&] { return WindowFromPoint(at) == bar; }, 10000))
      << "the splitter is not under the mouse";
  ASSERT_TRUE(MouseTo(at.x, at.y, MOUSEEVENTF_LEFTDOWN));
  ASSERT_TRUE(WaitUntil([&] { return DragLineAt(lineX, at.y, top, before); }, 10000))
      << "the press on the splitter did not start a drag";
  // Each step is seen by the splitter (its line drawn there, or at the
  // grid's minimum once past it) before the next.
  const int stop = gridTop + minimum + (b.bottom - b.top) / 2;
  int y = at.y;
  while (y > gridTop - 60) {
    y -= 20;
    ASSERT_TRUE(MouseTo(at.x, y)) << "the mouse did not reach y " << y;
    const int line = y > stop ? y : stop;
    ASSERT_TRUE(WaitUntil([&] { return DragLineAt(lineX, line, top, before); }, 10000))
        << "the splitter did not draw its line at y " << line << " for the mouse at y " << y;
  }
  ASSERT_TRUE(MouseTo(at.x, y, MOUSEEVENTF_LEFTUP));
  EXPECT_TRUE(WaitUntil([&] { return WindowRect(grid).bottom - gridTop == minimum; }, 10000))
      << WindowRect(grid).bottom - gridTop;
  // The splitter and the preview follow the grid's new edge.
  EXPECT_EQ(WindowRect(bar).top, WindowRect(grid).bottom);
  EXPECT_EQ(WindowRect(memo).top, WindowRect(bar).bottom);
  EXPECT_EQ(WindowRect(grid).top, gridTop);
}

namespace {

// The message box of the program once it shows, answered with a click on
// its button of that caption.
bool AnswerBox(const char* button, std::string& text) {
  HWND box = WaitForMessageBox(text, 5000);
  if (!box) return false;
  HWND b = FindWindowExA(box, nullptr, "Button", button);
  if (!b) return false;
  Click(b);
  return WaitUntil([box] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
}

}  // namespace

TEST(MainItemsGrid, DelAndCtrlDelWhileEditingDeleteAndTheDeletedListAsksFirst) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  // Del in a channel moves the item to the Deleted list.
  ClickAt(grid, GridCell(6, 2).x, GridCell(6, 2).y);
  ASSERT_TRUE(WaitUntil([&] { return RowSelected(grid, 2); }, 3000));
  Press(VK_DELETE);
  ASSERT_TRUE(WaitUntil([&] { return h.Key("data\\deleted\\deleted.inx", "Entry List",
                                           "numberEntries") == "1"; }, 5000));
  ASSERT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "Entry List",
                                           "numberEntries") == "2"; }, 5000));
  // While a description is edited, Ctrl+Del deletes the item.
  ASSERT_TRUE(OpenEditor(grid, 1));
  INPUT ctrlDel[4] = {};
  for (INPUT& i : ctrlDel) i.type = INPUT_KEYBOARD;
  ctrlDel[0].ki.wVk = ctrlDel[3].ki.wVk = VK_CONTROL;
  ctrlDel[1].ki.wVk = ctrlDel[2].ki.wVk = VK_DELETE;
  ctrlDel[2].ki.dwFlags = ctrlDel[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, ctrlDel, sizeof(INPUT));
  ASSERT_TRUE(WaitUntil([&] { return h.Key("data\\deleted\\deleted.inx", "Entry List",
                                           "numberEntries") == "2"; }, 5000));
  ASSERT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "Entry List",
                                           "numberEntries") == "1"; }, 5000));

  // In the Deleted list Del asks first; Yes removes the row for good.
  ASSERT_TRUE(Click("speedDeleted"));
  std::string shown;
  ASSERT_TRUE(WaitUntil([&] {
    shown = HintAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
    return shown == "First" || shown == "Second";
  }, 10000));
  ClickAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
  ASSERT_TRUE(WaitUntil([&] { return RowSelected(grid, 1); }, 3000));
  Press(VK_DELETE);
  std::string text;
  ASSERT_TRUE(AnswerBox("&Yes", text));
  EXPECT_EQ(text, "Permanently remove entry from list?");
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\deleted\\deleted.inx", "Entry List",
                                           "numberEntries") == "1"; }, 5000));
  EXPECT_EQ(h.Key("data\\deleted\\deleted.inx", "1", "description"),
            shown == "First" ? "Second" : "First");
  // Once: no second question follows.
  std::string again;
  WaitForMessageBox(again, 1000);
  EXPECT_EQ(again, "");
  EXPECT_EQ(h.Key("data\\news\\news.inx", "Entry List", "numberEntries"), "1");
}

TEST(MainItemsGrid, DeletedKeepsTwentyAndDeletingThereAsksAndRemovesTheFiles) {
  // Old 2 has a stored file in the installation's folder.
  const std::string stored = GetCurrentDir() + "\\run\\old2.wav";
  std::string deleted = "[Entry List]\r\nnumberEntries=20\r\nmaxIndex=20\r\n";
  for (int i = 1; i <= 20; ++i)
    deleted += "[" + std::to_string(i) + "]\r\nlink=http://example.invalid/d/" +
               std::to_string(i) + ".wav\r\ndescription=Old " + std::to_string(i) +
               "\r\noriginalChannel=1\r\n" +
               (i == 2 ? "numberTempFiles=1\r\ntempFile1=" + stored + "\r\n" : "");
  Peer peer;
  Halvorn h(kItems, "", {{"data\\deleted\\deleted.inx", deleted}});
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  const char* file = "data\\deleted\\deleted.inx";

  // A full Deleted list drops its oldest item for the one deleted.
  ClickAt(grid, GridCell(6, 2).x, GridCell(6, 2).y);
  ASSERT_TRUE(Click("btnDel"));
  ASSERT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "Entry List",
                                           "numberEntries") == "2"; }, 5000));
  EXPECT_EQ(h.Key(file, "Entry List", "numberEntries"), "20");
  EXPECT_EQ(h.Key(file, "1", "description"), "Old 2");
  EXPECT_EQ(h.Key(file, "20", "description"), "Second");

  // Deleting from Deleted asks first; No keeps the item, Yes removes it
  // with its stored file.
  WriteText(stored, "RIFF");
  ASSERT_TRUE(Click("speedDeleted"));
  ASSERT_TRUE(WaitUntil([] { return Shown("btnUndelete"); }, 5000));
  ClickAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
  std::string text;
  ASSERT_TRUE(Click("btnDel"));
  ASSERT_TRUE(AnswerBox("&No", text));
  EXPECT_EQ(text, "Permanently remove entry from list?");
  EXPECT_EQ(h.Key(file, "Entry List", "numberEntries"), "20");
  EXPECT_EQ(GetFileAttributesA(stored.c_str()) != INVALID_FILE_ATTRIBUTES, true);
  ASSERT_TRUE(Click("btnDel"));
  ASSERT_TRUE(AnswerBox("&Yes", text));
  EXPECT_TRUE(WaitUntil([&] { return h.Key(file, "Entry List", "numberEntries") == "19"; },
                        5000));
  EXPECT_EQ(h.Key(file, "1", "description"), "Old 3");
  EXPECT_EQ(GetFileAttributesA(stored.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(MainItemsGrid, EraseStoredFileRemovesTheFileAndItsNameFromTheItemFile) {
  // Item 1 is stored in a file of the installation's folder.
  const std::string stored = GetCurrentDir() + "\\run\\first.wav";
  std::string items = kItems;
  items.replace(items.find("recStatus=4"), 11,
                "recStatus=9\r\nnumberTempFiles=1\r\ntempFile1=" + stored);
  Peer peer;
  Halvorn h(items);
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  WriteText(stored, "RIFF");

  RightClickAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
  ASSERT_TRUE(WaitUntil(MenuShown, 3000));
  Press('E');  // &Erase Stored File
  EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesA(stored.c_str()) ==
                                     INVALID_FILE_ATTRIBUTES; }, 5000));
  // Written at once: the item file names no erased file.
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "1", "tempFile1").empty(); },
                        5000));
  EXPECT_EQ(h.Key("data\\news\\news.inx", "1", "description"), "First");
}

namespace {

// A click with Ctrl held: the mouse rests on the point first, so that
// no hint window comes or goes between the key and the click.
void CtrlClickAt(HWND w, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(w, &p);
  SetCursorPos(p.x, p.y);
  WaitUntil([] { return false; }, 800);
  INPUT in[4] = {};
  for (INPUT& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[3].ki.wVk = VK_CONTROL;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  in[1].type = in[2].type = INPUT_MOUSE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  for (INPUT& i : in) {
    SendInput(1, &i, sizeof(INPUT));
    Sleep(50);
  }
  Sleep(150);
}

}  // namespace

TEST(MainItemsGrid, CtrlClickAddsARowAndTakesASelectedOneOut) {
  Peer peer;
  Halvorn h;
  ASSERT_TRUE(h.Ready());
  HWND grid = Control("gridItems");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(grid); }, 5000));
  ClickAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
  ASSERT_TRUE(WaitUntil([&] { return RowSelected(grid, 1); }, 3000));
  CtrlClickAt(grid, GridCell(6, 3).x, GridCell(6, 3).y);
  EXPECT_TRUE(WaitUntil([&] { return RowSelected(grid, 1) && RowSelected(grid, 3); }, 3000));
  EXPECT_FALSE(RowSelected(grid, 2));
  // Unlike a plain click on a selected row, Ctrl takes it out again.
  CtrlClickAt(grid, GridCell(6, 1).x, GridCell(6, 1).y);
  EXPECT_TRUE(WaitUntil([&] { return !RowSelected(grid, 1) && RowSelected(grid, 3); }, 3000));
  // The commands act on what shows selected: hold marks item 3 alone.
  ASSERT_TRUE(Click("btnHold"));
  EXPECT_TRUE(WaitUntil([&] { return h.Key("data\\news\\news.inx", "3", "itemStatus") == "3"; },
                        5000));
  EXPECT_EQ(h.Key("data\\news\\news.inx", "1", "itemStatus"), "1");
}
