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
