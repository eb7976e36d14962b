// Menu items on Windows menus, the image list, and the owner-drawn popup
// menu: measuring and painting into bitmaps, the accelerator search, and a
// popup opened for real on the X display.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

#include "../forms/Pump.h"
#include "WidgetTestSupport.h"
#include "oxMenus.h"

namespace {

std::string MenuText(HMENU menu, int pos) {
  char buf[128] = {};
  GetMenuStringA(menu, static_cast<UINT>(pos), buf, sizeof buf, MF_BYPOSITION);
  return buf;
}

TMenuItem* NewItem(TComponent* owner, TMenuItem* parent, const std::string& caption, int tag = -1) {
  auto* i = new TMenuItem(owner);
  i->SetCaption(caption);
  i->Tag = tag;
  parent->Add(i);
  return i;
}

bool Near(COLORREF a, COLORREF b, int tolerance = 8) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

MEASUREITEMSTRUCT Measure(TMenuItem* item) {
  MEASUREITEMSTRUCT mis = {};
  mis.CtlType = ODT_MENU;
  mis.itemID = item->Command();
  mis.itemData = reinterpret_cast<ULONG_PTR>(item);
  EXPECT_EQ(SendMessageA(ToxPopupListWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)), 1);
  return mis;
}

void Paint(TMenuItem* item, PixelCanvas& canvas, UINT state = 0) {
  DRAWITEMSTRUCT dis = {};
  dis.CtlType = ODT_MENU;
  dis.itemID = item->Command();
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = state;
  dis.hwndItem = reinterpret_cast<HWND>(item->Parent()->Handle());
  dis.hDC = canvas.dc();
  dis.rcItem = {0, 0, canvas.width(), canvas.height()};
  dis.itemData = reinterpret_cast<ULONG_PTR>(item);
  EXPECT_EQ(SendMessageA(ToxPopupListWindow(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)), 1);
}

}  // namespace

TEST(MenuModel, WindowsMenuFollowsItemChanges) {
  TPopupMenu menu(nullptr);
  TMenuItem* open = NewItem(&menu, menu.Items(), "Open");
  TMenuItem* save = NewItem(&menu, menu.Items(), "Save");
  TMenuItem* more = NewItem(&menu, menu.Items(), "More");
  HMENU h = menu.Handle();
  ASSERT_EQ(GetMenuItemCount(h), 3);
  save->SetShortCut(ShortCut('S', ssCtrl));
  EXPECT_EQ(MenuText(h, 1), "Save\tCtrl+S");
  open->SetCaption("Open file");
  open->SetChecked(true);
  EXPECT_EQ(MenuText(h, 0), "Open file");
  EXPECT_TRUE(GetMenuState(h, 0, MF_BYPOSITION) & MF_CHECKED);
  // A child turns the item into a submenu; hidden items leave the menu.
  TMenuItem* sub = NewItem(&menu, more, "Deeper");
  EXPECT_EQ(GetSubMenu(h, 2), more->Handle());
  save->SetVisible(false);
  ASSERT_EQ(GetMenuItemCount(h), 2);
  EXPECT_EQ(MenuText(h, 1), "More");
  EXPECT_EQ(menu.FindItem(sub->Command(), fkCommand), sub);
  EXPECT_EQ(menu.FindItem(reinterpret_cast<UINT_PTR>(more->Handle()), fkHandle), more);
  int clicks = 0;
  sub->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_TRUE(menu.DispatchCommand(sub->Command()));
  sub->SetEnabled(false);
  EXPECT_TRUE(menu.DispatchCommand(sub->Command()));
  EXPECT_EQ(clicks, 1);  // a disabled item does not click
  delete sub;
  EXPECT_EQ(GetSubMenu(h, 1), nullptr);
  EXPECT_FALSE(menu.DispatchCommand(0xFFFF));
}

TEST(ImageList, DrawsWithMaskAndDisabledOutline) {
  TImageList list(nullptr);
  list.SetSize(8, 8);
  // Two images side by side: a red square on a magenta key colour.
  HBITMAP strip = SolidBitmap(16, 8, RGB(255, 0, 255), RGB(255, 0, 0), 2, 2, 4);
  EXPECT_EQ(list.AddMasked(strip, static_cast<TColor>(RGB(255, 0, 255))), 0);
  DeleteObject(strip);
  ASSERT_EQ(list.Count(), 2);
  PixelCanvas c(20, 20);
  list.Draw(c.dc(), 0, 0, 0);
  EXPECT_EQ(c.at(3, 3), RGB(255, 0, 0));
  EXPECT_EQ(c.at(0, 0), RGB(255, 255, 255));  // transparent
  list.Draw(c.dc(), 10, 10, 0, false);
  // The square's top-left edge is shadow; the pixel past its bottom-right
  // corner is highlight; its inside keeps the background.
  EXPECT_EQ(c.at(12, 12), Rgb(clBtnShadow));
  EXPECT_EQ(c.at(16, 16), Rgb(clBtnHighlight));
  EXPECT_EQ(c.at(14, 14), RGB(255, 255, 255));
  EXPECT_THROW(list.Draw(c.dc(), 0, 0, 2), EComponentError);
  std::vector<uint8_t> m = list.MaskBits(0);
  EXPECT_EQ(m[2 * 8 + 2], 1);
  EXPECT_EQ(m[0], 0);
  EXPECT_EQ(list.MaskBits(1), std::vector<uint8_t>(64, 0));
  // A class-library bitmap with a monochrome-style mask: white is transparent.
  TBitmap image, mask;
  image.SetPixelFormat(pf24bit);
  image.SetSize(8, 8);
  mask.SetPixelFormat(pf24bit);
  mask.SetSize(8, 8);
  RECT all = {0, 0, 8, 8}, half = {0, 0, 4, 8};
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(image.Canvas()->Handle(), &all, blue);
  DeleteObject(blue);
  FillRect(mask.Canvas()->Handle(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FillRect(mask.Canvas()->Handle(), &half, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(list.Add(&image, &mask), 2);
  PixelCanvas d(8, 8);
  list.Draw(d.dc(), 0, 0, 2);
  EXPECT_EQ(d.at(1, 1), RGB(0, 0, 255));
  EXPECT_EQ(d.at(6, 1), RGB(255, 255, 255));
}

TEST(OwnerDrawnMenu, PopupPlacementAndOwnerDrawSwitch) {
  struct Case {
    int x, y, ex, ey;
    bool right;
  } cases[] = {{-10, -20, 10, 20, false}, {-10, 20, -10, 20, true}, {10, -20, 10, -20, true},
               {30, 40, 30, 40, true}};
  for (const Case& c : cases) {
    ToxPopupPlace p = ToxPopupPlacement(c.x, c.y);
    EXPECT_EQ(p.x, c.ex);
    EXPECT_EQ(p.y, c.ey);
    EXPECT_EQ(p.rightButton, c.right);
  }
  ToxPopupMenu menu(nullptr);
  NewItem(&menu, menu.Items(), "One");
  NewItem(&menu, menu.Items(), "-");
  TMenuItem* hidden = NewItem(&menu, menu.Items(), "Hidden");
  hidden->SetVisible(false);
  HMENU h = menu.Handle();
  menu.SetStyle(oxmNormal);
  menu.PrepareItems(true);
  for (int i = 0; i < GetMenuItemCount(h); ++i)
    EXPECT_FALSE(GetMenuState(h, static_cast<UINT>(i), MF_BYPOSITION) & MF_OWNERDRAW);
  EXPECT_EQ(MenuText(h, 0), "One");
  menu.SetStyle(oxmWin95);
  menu.PrepareItems(false);
  ASSERT_EQ(GetMenuItemCount(h), 2);
  for (int i = 0; i < 2; ++i)
    EXPECT_TRUE(GetMenuState(h, static_cast<UINT>(i), MF_BYPOSITION) & MF_OWNERDRAW);
  EXPECT_TRUE(GetMenuState(h, 1, MF_BYPOSITION) & MF_SEPARATOR);
}

TEST(OwnerDrawnMenu, MeasuresBannerLinesSeparatorAndClampsWidth) {
  ToxPopupMenu menu(nullptr);
  menu.SetStyle(oxmWin95);
  TMenuItem* first = NewItem(&menu, menu.Items(), "Alpha beta");
  TMenuItem* sep = NewItem(&menu, menu.Items(), "-");
  TMenuItem* two = NewItem(&menu, menu.Items(), "Alpha||beta");
  TMenuItem* col = NewItem(&menu, menu.Items(), "Alpha beta");
  TMenuItem* empty = NewItem(&menu, menu.Items(), "");
  col->SetBreak(mbBreak);
  menu.Handle();

  MEASUREITEMSTRUCT plain = Measure(first);
  // A separator is as wide as a check mark in every style.
  const UINT checkWidth = static_cast<UINT>(GetSystemMetrics(SM_CXMENUCHECK));
  for (ToxmStyle style : {oxmWin95, oxmWin97}) {
    menu.SetStyle(style);
    EXPECT_EQ(Measure(sep).itemHeight, 8u);
    EXPECT_EQ(Measure(sep).itemWidth, checkWidth);
  }
  menu.SetStyle(oxmWin95);
  MEASUREITEMSTRUCT lines = Measure(two);
  EXPECT_GT(lines.itemHeight, plain.itemHeight + 5);  // two lines
  EXPECT_LT(lines.itemWidth, plain.itemWidth);
  menu.SetOptions(0);
  MEASUREITEMSTRUCT bars = Measure(two);
  EXPECT_EQ(bars.itemHeight, plain.itemHeight);  // the bars are shown on one line
  // An empty caption without the glyph box would measure below zero.
  EXPECT_EQ(Measure(empty).itemWidth, 0u);

  // A vertical banner widens the first column only.
  menu.SetOptions(oxmSet(oxmMultiLine) | oxmSet(oxmBanner));
  menu.Banner()->SetVertical(true);
  Measure(first);  // index 0 starts the first column
  EXPECT_EQ(Measure(two).itemWidth, lines.itemWidth + 17);
  EXPECT_EQ(Measure(col).itemWidth, plain.itemWidth);
  EXPECT_EQ(Measure(empty).itemWidth, 0u);
  // A horizontal one heightens the first item and column breaks.
  menu.Banner()->SetVertical(false);
  EXPECT_EQ(Measure(first).itemHeight, plain.itemHeight + 17);
  EXPECT_EQ(Measure(col).itemHeight, plain.itemHeight + 17);
  EXPECT_EQ(Measure(two).itemHeight, lines.itemHeight);
  EXPECT_EQ(Measure(sep).itemHeight, 8u);
  // With the custom font the items take its size.
  menu.SetOptions(oxmSet(oxmCustomFont));
  menu.Font()->SetName("Arial");
  menu.Font()->SetHeight(-30);
  EXPECT_GE(Measure(first).itemHeight, 34u);
  EXPECT_GT(Measure(first).itemWidth, plain.itemWidth);
}

TEST(OwnerDrawnMenu, PaintsSeparatorBannerImagesAndEffects) {
  ToxPopupMenu menu(nullptr);
  TImageList images(nullptr);
  images.SetSize(16, 16);
  HBITMAP green = SolidBitmap(16, 16, RGB(255, 0, 255), RGB(0, 200, 0), 4, 4, 8);
  images.AddMasked(green, static_cast<TColor>(RGB(255, 0, 255)));
  DeleteObject(green);
  menu.SetImageList(&images);
  menu.SetStyle(oxmWin95);
  TMenuItem* withImage = NewItem(&menu, menu.Items(), "Picture", 0);
  TMenuItem* sep = NewItem(&menu, menu.Items(), "-");
  TMenuItem* noImage = NewItem(&menu, menu.Items(), "Tag past the list", 1);
  TMenuItem* empty = NewItem(&menu, menu.Items(), "");
  menu.Handle();

  {  // separator: shadow line above a highlight line through the middle
    PixelCanvas c(60, 9);
    Paint(sep, c);
    EXPECT_EQ(c.at(30, 3), Rgb(clBtnShadow));
    EXPECT_EQ(c.at(30, 4), Rgb(clBtnHighlight));
    EXPECT_EQ(c.at(30, 0), RGB(255, 255, 255));
  }
  {  // image at the box's left + 1, vertically centred; enabled in colour
    PixelCanvas c(120, 24);
    Paint(withImage, c);
    EXPECT_EQ(c.at(1 + 8, 4 + 8), RGB(0, 200, 0));
    // Tag 1 is past the image count: no image.
    PixelCanvas d(120, 24);
    Paint(noImage, d);
    for (int x = 0; x < 20; ++x) EXPECT_NE(d.at(x, 12), RGB(0, 200, 0));
    // Disabled: outline of the mask, no colour.
    withImage->SetEnabled(false);
    menu.PrepareItems(true);
    PixelCanvas e(120, 24);
    Paint(withImage, e, ODS_GRAYED);
    EXPECT_EQ(e.at(1 + 4, 4 + 4), Rgb(clBtnShadow));
    EXPECT_EQ(e.at(1 + 8, 4 + 8), Rgb(clMenu));
    withImage->SetEnabled(true);
  }
  {  // empty caption and the text effects: ox3None draws no text at all
    PixelCanvas c(80, 20);
    Paint(empty, c);
    menu.SetImageList(nullptr);
    menu.SetFont3D(ox3None);
    PixelCanvas d(200, 20);
    Paint(noImage, d);
    for (int x = 0; x < 200; ++x)
      for (int y = 0; y < 20; ++y) ASSERT_EQ(d.at(x, y), Rgb(clMenu)) << x << "," << y;
    menu.SetFont3D(ox3Normal);
    PixelCanvas e(200, 20);
    Paint(noImage, e);
    int text = 0;
    for (int x = 0; x < 200; ++x)
      for (int y = 0; y < 20; ++y) text += e.at(x, y) == Rgb(clMenuText);
    EXPECT_GT(text, 10);
  }
  {  // a vertical gradient banner: band 0 is exactly the start colour, and
     // the cached strip follows a change of the caption
    menu.SetOptions(oxmSet(oxmBanner));
    menu.Banner()->SetVertical(true);
    menu.Banner()->SetStyle(oxmVertGradient);
    menu.Banner()->SetColor(clBlack);
    menu.Banner()->SetGradient(clRed);
    menu.SetCaption("");
    PixelCanvas c(120, 128);
    Paint(noImage, c);
    EXPECT_EQ(c.at(0, 0), RGB(255, 0, 0));
    EXPECT_TRUE(Near(c.at(0, 127), RGB(2, 0, 0), 4));
    EXPECT_NE(c.at(17, 64), RGB(255, 0, 0));  // the item starts after the strip
    auto stripText = [](PixelCanvas& p) {
      int n = 0;
      for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 17; ++x) n += p.at(x, y) == RGB(255, 255, 255);
      return n;
    };
    EXPECT_EQ(stripText(c), 0);  // no caption, no parent item: no text
    menu.SetCaption("Brindale");
    PixelCanvas d(120, 128);
    Paint(noImage, d);
    EXPECT_GT(stripText(d), 10);
    menu.Banner()->SetColor(clBlue);  // the end colour follows too
    PixelCanvas e(120, 128);
    Paint(noImage, e);
    EXPECT_TRUE(Near(e.at(0, 127), RGB(2, 0, 253), 4));
  }
}

TEST(OwnerDrawnMenu, GradientTableAndBands) {
  TGradient g;
  g.SetStartColor(static_cast<TColor>(RGB(200, 100, 0)));
  g.SetEndColor(static_cast<TColor>(RGB(0, 100, 200)));
  EXPECT_EQ(g.Colors(0), RGB(200, 100, 0));
  // start - Trunc((start - end) / 128 * 64)
  EXPECT_EQ(g.Colors(64), RGB(100, 100, 100));
  EXPECT_THROW(g.Colors(128), EInvalidIndex);
  EXPECT_THROW(g.Colors(-1), EInvalidIndex);
  PixelCanvas c(20, 2);
  g.Paint(c.dc(), {0, 0, 20, 2}, true);
  EXPECT_EQ(c.at(0, 1), g.Colors(6));  // bands 0..6 start at 0; the last wins
  EXPECT_EQ(c.at(19, 0), g.Colors(127));
}

TEST(OwnerDrawnMenu, PictureFillsLeaveTheTransparentColourOut) {
  TPicture picture;
  TGradient gradient;
  PixelCanvas c(25, 25);
  // An empty picture: the fill colour only.
  FillBackStyle(c.dc(), {0, 0, 25, 25}, oxmPicturePattern, clLime, gradient, &picture);
  EXPECT_EQ(c.at(12, 12), RGB(0, 255, 0));
  // Blue (the bottom-left pixel: transparent) with a red square in the middle.
  TBitmap tile;
  tile.SetPixelFormat(pf24bit);
  tile.SetSize(10, 10);
  HDC t = tile.Canvas()->Handle();
  RECT all = {0, 0, 10, 10}, mid = {3, 3, 7, 7};
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255)), red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(t, &all, blue);
  FillRect(t, &mid, red);
  DeleteObject(blue);
  DeleteObject(red);
  picture.SetGraphic(&tile);
  FillBackStyle(c.dc(), {0, 0, 25, 25}, oxmPicturePattern, clLime, gradient, &picture);
  EXPECT_EQ(c.at(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(c.at(15, 15), RGB(255, 0, 0));
  EXPECT_EQ(c.at(24, 24), RGB(255, 0, 0));  // the third tile, cut at the edge
  EXPECT_EQ(c.at(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(c.at(12, 12), RGB(0, 255, 0));
  PixelCanvas d(30, 30);
  FillBackStyle(d.dc(), {0, 0, 30, 30}, oxmPictureClip, clLime, gradient, &picture);
  EXPECT_EQ(d.at(14, 14), RGB(255, 0, 0));  // centred: the square at 13..16
  EXPECT_EQ(d.at(5, 5), RGB(0, 255, 0));
}

TEST(OwnerDrawnMenu, MenuCharFindsAcceleratorsThenFirstLetters) {
  ToxPopupMenu menu(nullptr);
  NewItem(&menu, menu.Items(), "Apple");
  NewItem(&menu, menu.Items(), "Banana");
  NewItem(&menu, menu.Items(), "avocado");
  TMenuItem* off = NewItem(&menu, menu.Items(), "Cherry");
  NewItem(&menu, menu.Items(), "&Other");
  NewItem(&menu, menu.Items(), "Olive");
  off->SetEnabled(false);
  menu.PrepareItems(true);
  HMENU h = menu.Handle();
  EXPECT_EQ(ToxMenuChar('a', h), MAKELRESULT(0, MNC_SELECT));
  EXPECT_EQ(ToxMenuChar('B', h), MAKELRESULT(1, MNC_EXECUTE));
  EXPECT_EQ(ToxMenuChar('c', h), 0);  // disabled
  EXPECT_EQ(ToxMenuChar('o', h), MAKELRESULT(4, MNC_EXECUTE));  // '&' first
  EXPECT_EQ(ToxMenuChar('z', h), 0);
  MENUITEMINFOA mi = {};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_STATE;
  mi.fState = MFS_HILITE;
  SetMenuItemInfoA(h, 0, TRUE, &mi);
  EXPECT_EQ(ToxMenuChar('a', h), MAKELRESULT(2, MNC_SELECT));  // next after the highlight
}

TEST(OwnerDrawnMenu, FreedImageListIsDropped) {
  ToxPopupMenu menu(nullptr);
  auto* images = new TImageList(nullptr);
  menu.SetImageList(images);
  delete images;
  EXPECT_EQ(menu.ImageList(), nullptr);
}

// Opens the menu for real, finds its window, reads the banner from the
// screen, picks the second item with the keys and closes with Escape.
TEST(OwnerDrawnMenu, PopupOpensAtPointWithBannerAndRunsCommand) {
  Application->Initialize();
  ToxPopupMenu menu(nullptr);
  menu.SetStyle(oxmWin97);
  menu.SetOptions(oxmSet(oxmBanner) | oxmSet(oxmMultiLine));
  menu.Banner()->SetVertical(true);
  menu.Banner()->SetColor(static_cast<TColor>(RGB(0, 0, 160)));
  menu.Banner()->SetStyle(oxmSolid);
  menu.SetCaption("Brindale");
  int popups = 0;
  menu.OnPopup = [&](TObject*) { ++popups; };
  NewItem(&menu, menu.Items(), "First item");
  NewItem(&menu, menu.Items(), "-");
  TMenuItem* second = NewItem(&menu, menu.Items(), "Second||line");
  NewItem(&menu, menu.Items(), "Third");
  int clicked = 0;
  second->OnClick = [&](TObject*) { ++clicked; };
  menu.Items()->Items(0)->Hint = "hint one";
  second->Hint = "hint two";
  std::vector<std::string> hints;
  Application->OnHint = [&](TObject*) { hints.push_back(Application->Hint()); };

  struct Seen {
    RECT rect{};
    COLORREF banner = 0, item = 0;
    bool found = false;
  };
  auto watch = [](Seen* seen, std::vector<WORD> keys) {
    HWND w = nullptr;
    for (int i = 0; i < 400 && !w; ++i) {
      w = FindWindowA("#32768", nullptr);
      if (!w || !IsWindowVisible(w)) {
        w = nullptr;
        Sleep(10);
      }
    }
    if (!w) return;
    seen->found = true;
    GetWindowRect(w, &seen->rect);
    HDC screen = GetDC(nullptr);
    for (int i = 0; i < 100; ++i) {  // until the banner is painted
      seen->banner = GetPixel(screen, seen->rect.left + 6, seen->rect.bottom - 8);
      if (seen->banner == RGB(0, 0, 160)) break;
      Sleep(20);
    }
    seen->item = GetPixel(screen, seen->rect.right - 6, seen->rect.top + 6);
    ReleaseDC(nullptr, screen);
    for (WORD k : keys) {
      PostMessageA(w, WM_KEYDOWN, k, 0);
      Sleep(50);
    }
  };

  Seen seen;
  std::thread t(watch, &seen, std::vector<WORD>{VK_ESCAPE});
  menu.Popup(100, 120);
  t.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.rect.left, 100);
  EXPECT_EQ(seen.rect.top, 120);
  EXPECT_EQ(seen.banner, RGB(0, 0, 160));
  EXPECT_NE(seen.item, RGB(0, 0, 160));
  EXPECT_EQ(popups, 1);
  EXPECT_TRUE(GetMenuState(menu.Handle(), 0, MF_BYPOSITION) & MF_OWNERDRAW);
  Application->ProcessMessages();
  EXPECT_EQ(clicked, 0);

  // The second opening: down to the second item (the separator is
  // skipped) and Enter sends its command to the popup list window.
  Seen again;
  std::thread t2(watch, &again, std::vector<WORD>{VK_DOWN, VK_DOWN, VK_RETURN});
  menu.Popup(-30, -40);
  t2.join();
  ASSERT_TRUE(again.found);
  EXPECT_EQ(again.rect.left, 30);
  EXPECT_EQ(again.rect.top, 40);
  EXPECT_TRUE(PumpUntil([&] { return clicked == 1; }, 3000));
  // The highlighted item's hint became the application's hint.
  EXPECT_NE(std::find(hints.begin(), hints.end(), "hint one"), hints.end());
  EXPECT_NE(std::find(hints.begin(), hints.end(), "hint two"), hints.end());
  EXPECT_EQ(Application->Hint(), "");
  Application->OnHint = nullptr;
}
