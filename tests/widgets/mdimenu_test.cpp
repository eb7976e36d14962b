// An MDI frame with two children and an owner-drawn menu bar: the entries
// Windows adds to the window menu are drawn as items of the menu while it
// is open, and are plain entries again once the menu loop ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "../forms/Pump.h"
#include "Forms.h"
#include "MenuWindow.h"
#include "oxMenus.h"

namespace {

int refreshes = 0;
WNDPROC clientProc = nullptr;

LRESULT CALLBACK CountingClientProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_MDIREFRESHMENU) ++refreshes;
  return CallWindowProcA(clientProc, w, msg, wp, lp);
}

struct Entry {
  bool ownerDrawn = false;
  bool separator = false;
  ULONG_PTR data = 0;
  std::string caption;
  bool checked = false;
};

struct Seen {
  bool found = false;
  std::vector<Entry> entries;
  COLORREF lastRowBanner = 0;
};

// Reads the open window menu, then closes it with Escape.
void Watch(Seen* seen, HWND owner, HMENU window) {
  HWND w = nullptr;
  for (int i = 0; i < 400 && !(w = OwnMenuWindow()); ++i) Sleep(10);
  auto escape = [owner] {
    PostMessageA(owner, WM_KEYDOWN, VK_ESCAPE, 1);
    Sleep(40);
    PostMessageA(owner, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    Sleep(200);
  };
  if (!w) {  // whatever opened, it closes so that the test ends
    for (int i = 0; i < 3; ++i) escape();
    return;
  }
  seen->found = true;
  RECT r;
  GetWindowRect(w, &r);
  HDC screen = GetDC(nullptr);
  for (int i = 0; i < 100; ++i) {
    seen->lastRowBanner = GetPixel(screen, r.left + 6, r.bottom - 8);
    if (seen->lastRowBanner == RGB(0, 0, 160)) break;
    Sleep(20);
  }
  ReleaseDC(nullptr, screen);
  for (int pos = 0; pos < GetMenuItemCount(window); ++pos) {
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
    GetMenuItemInfoA(window, static_cast<UINT>(pos), TRUE, &mi);
    Entry e;
    e.ownerDrawn = (mi.fType & MFT_OWNERDRAW) != 0;
    e.separator = (mi.fType & MFT_SEPARATOR) != 0;
    e.data = mi.dwItemData;
    if (auto* item = e.ownerDrawn ? reinterpret_cast<TMenuItem*>(mi.dwItemData) : nullptr) {
      e.caption = item->Caption();
      e.checked = item->Checked();
    }
    seen->entries.push_back(e);
  }
  for (int i = 0; i < 3 && OwnMenuWindow(); ++i) escape();
  escape();  // the menu bar, should it still be selected
}

std::string MenuText(HMENU menu, int pos) {
  char buf[128] = {};
  GetMenuStringA(menu, static_cast<UINT>(pos), buf, sizeof buf, MF_BYPOSITION);
  return buf;
}

}  // namespace

TEST(MDIWindowMenu, ChildEntriesAreDrawnWhileOpenAndPlainAfterwards) {
  Application->Initialize();
  auto* frame = new TForm(nullptr, "TMDIFrameTest", fsMDIForm);
  Application->SetMainForm(frame);
  ASSERT_EQ(Application->MainForm(), frame);
  frame->SetCaption("MDI Frame Test");
  frame->SetBounds(40, 40, 420, 300);
  ASSERT_NE(frame->ClientHandle(), nullptr);
  auto* menu = new ToxMenu(frame);
  menu->SetStyle(oxmWin97);
  menu->SetOptions(oxmSet(oxmBanner));
  menu->Banner()->SetVertical(true);
  menu->Banner()->SetColor(static_cast<TColor>(RGB(0, 0, 160)));
  auto* windowItem = new TMenuItem(frame);
  windowItem->SetCaption("&Window");
  menu->Items()->Add(windowItem);
  auto* cascade = new TMenuItem(frame);
  cascade->SetCaption("&Cascade");
  windowItem->Add(cascade);
  frame->SetMenu(menu);
  frame->SetWindowMenu(windowItem);
  frame->Show();
  SetWindowPos(frame->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(frame->Handle());

  auto* one = new TForm(frame, "TMDIChildTest", fsMDIChild);
  one->SetCaption("Child One");
  one->Show();
  auto* two = new TForm(frame, "TMDIChildTest", fsMDIChild);
  two->SetCaption("Child Two");
  two->Show();
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(GetParent(one->Handle()), frame->ClientHandle());
  EXPECT_EQ(frame->MDIChildCount(), 2);
  EXPECT_EQ(frame->ActiveMDIChild(), two);
  HMENU window = windowItem->Handle();
  // Windows lists the children in the window menu after our own item.
  ASSERT_GE(GetMenuItemCount(window), 3);
  EXPECT_NE(MenuText(window, GetMenuItemCount(window) - 1).find("Child Two"), std::string::npos);
  // A change of our own item leaves the entries Windows added in place.
  const int listed = GetMenuItemCount(window);
  cascade->SetCaption("&Cascade all");
  ASSERT_EQ(GetMenuItemCount(window), listed);
  EXPECT_EQ(MenuText(window, 0), "&Cascade all");
  EXPECT_NE(MenuText(window, listed - 1).find("Child Two"), std::string::npos);
  auto* tile = new TMenuItem(frame);
  tile->SetCaption("&Tile");
  windowItem->Add(tile);
  ASSERT_EQ(GetMenuItemCount(window), listed + 1);
  EXPECT_EQ(MenuText(window, 1), "&Tile");
  EXPECT_NE(MenuText(window, listed).find("Child Two"), std::string::npos);
  delete tile;
  ASSERT_EQ(GetMenuItemCount(window), listed);
  // A maximised child puts its own entries into the bar; a change of our
  // bar item leaves them and keeps our item in its place.
  HMENU menuBar = GetMenu(frame->Handle());
  const int plainBar = GetMenuItemCount(menuBar);
  SendMessageA(frame->ClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(two->Handle()), 0);
  const int augmented = GetMenuItemCount(menuBar);
  EXPECT_GT(augmented, plainBar);
  int ours = -1;
  for (int pos = 0; pos < augmented; ++pos)
    if (GetSubMenu(menuBar, pos) == window) ours = pos;
  ASSERT_GE(ours, 0);
  windowItem->SetCaption("&Windows");
  EXPECT_EQ(GetMenuItemCount(menuBar), augmented);
  EXPECT_EQ(GetSubMenu(menuBar, ours), window);
  EXPECT_EQ(MenuText(menuBar, ours), "&Windows");
  SendMessageA(frame->ClientHandle(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(two->Handle()), 0);
  EXPECT_EQ(GetMenuItemCount(menuBar), plainBar);
  windowItem->SetCaption("&Window");

  clientProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      frame->ClientHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingClientProc)));
  refreshes = 0;
  Seen seen;
  std::thread watcher(Watch, &seen, frame->Handle(), window);
  // A click on the menu bar's window item opens the window menu.
  RECT bar;
  ASSERT_TRUE(GetMenuItemRect(frame->Handle(), GetMenu(frame->Handle()), 0, &bar));
  SetCursorPos((bar.left + bar.right) / 2, (bar.top + bar.bottom) / 2);
  Sleep(60);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  PumpUntil([&] { return seen.found && !OwnMenuWindow(); }, 8000);
  watcher.join();
  PumpUntil([] { return false; }, 200);

  ASSERT_TRUE(seen.found);
  const int count = GetMenuItemCount(window);
  ASSERT_EQ(static_cast<int>(seen.entries.size()), count);
  // While open every entry is owner-drawn with an item behind it: ours,
  // then the temporary ones with Windows' texts and checks.
  std::vector<std::string> children;
  for (int pos = 0; pos < count; ++pos) {
    const Entry& e = seen.entries[static_cast<size_t>(pos)];
    EXPECT_TRUE(e.ownerDrawn) << pos;
    EXPECT_NE(e.data, 0u) << pos;
    if (pos == 0) {
      EXPECT_EQ(e.data, reinterpret_cast<ULONG_PTR>(cascade));
    } else if (e.separator) {
      EXPECT_EQ(e.caption, "-");
    } else {
      children.push_back(e.caption);
      EXPECT_EQ(e.checked, e.caption.find("Child Two") != std::string::npos) << e.caption;
    }
  }
  ASSERT_EQ(children.size(), 2u);
  EXPECT_NE(children[0].find("Child One"), std::string::npos);
  EXPECT_NE(children[1].find("Child Two"), std::string::npos);
  // The last row, a child entry, is painted by the menu: the banner runs
  // down beside it.
  EXPECT_EQ(seen.lastRowBanner, RGB(0, 0, 160));

  // The menu loop ended: the entries are plain again, with their texts and
  // checks, no temporary item is left, and the client refreshed the menu.
  for (int pos = 1; pos < count; ++pos) {
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoA(window, static_cast<UINT>(pos), TRUE, &mi));
    EXPECT_FALSE(mi.fType & MFT_OWNERDRAW) << pos;
    EXPECT_EQ(ToxWindowMenuItemOwner(seen.entries[static_cast<size_t>(pos)].data), nullptr);
  }
  EXPECT_NE(MenuText(window, count - 1).find("Child Two"), std::string::npos);
  EXPECT_TRUE(GetMenuState(window, static_cast<UINT>(count - 1), MF_BYPOSITION) & MF_CHECKED);
  EXPECT_NE(MenuText(window, count - 2).find("Child One"), std::string::npos);
  EXPECT_GE(refreshes, 1);

  // Freeing a child takes it out of the frame and its window menu.
  delete one;
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(frame->MDIChildCount(), 1);
  EXPECT_EQ(MenuText(window, GetMenuItemCount(window) - 1).find("Child One"), std::string::npos);
  SetWindowLongPtrA(frame->ClientHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(clientProc));
  delete frame;
}
