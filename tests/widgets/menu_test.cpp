// Menu items on Windows menus, the image list, and the owner-drawn popup
// menu: measuring and painting into bitmaps, the accelerator search, and a
// popup opened for real on the X display.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

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

// The banner is rendered once per menu: the second item copies the cached
// strip, and painting never marks the menu changed.
TEST(OwnerDrawnMenu, SecondItemCopiesTheCachedBannerAndPaintingLeavesTheMark) {
  ToxPopupMenu menu(nullptr);
  menu.SetStyle(oxmWin95);
  menu.SetOptions(oxmSet(oxmBanner));
  menu.Banner()->SetVertical(true);
  menu.Banner()->SetStyle(oxmVertGradient);
  menu.Banner()->SetColor(clBlack);
  menu.Banner()->SetGradient(clRed);
  TMenuItem* one = NewItem(&menu, menu.Items(), "One");
  TMenuItem* two = NewItem(&menu, menu.Items(), "Two");
  menu.Handle();
  menu.Data().changed = false;
  PixelCanvas a(120, 128);
  Paint(one, a);
  EXPECT_EQ(a.at(0, 0), RGB(255, 0, 0));
  EXPECT_FALSE(menu.Data().changed);
  // A colour changed behind the menu's back (no change mark) does not show
  // while the cached strip serves the next item.
  TNotifyEvent notify = menu.Banner()->OnChange;
  menu.Banner()->OnChange = nullptr;
  menu.Banner()->SetGradient(clBlue);
  menu.Banner()->OnChange = notify;
  PixelCanvas b(120, 128);
  Paint(two, b);
  EXPECT_EQ(b.at(0, 0), RGB(255, 0, 0));
  EXPECT_FALSE(menu.Data().changed);
  // The change mark renders it once more.
  menu.MarkChanged();
  PixelCanvas c(120, 128);
  Paint(two, c);
  EXPECT_EQ(c.at(0, 0), RGB(0, 0, 255));
}

// A submenu entry reads as owner-drawn only when it is, whatever the
// number of its children.
TEST(OwnerDrawnMenu, SubmenusWithAnyChildCountBecomeOwnerDrawn) {
  ToxPopupMenu menu(nullptr);
  TMenuItem* odd = NewItem(&menu, menu.Items(), "One child");
  NewItem(&menu, odd, "Only");
  TMenuItem* three = NewItem(&menu, menu.Items(), "Three children");
  for (const char* c : {"A", "B", "C"}) NewItem(&menu, three, c);
  TMenuItem* even = NewItem(&menu, menu.Items(), "Two children");
  for (const char* c : {"A", "B"}) NewItem(&menu, even, c);
  HMENU h = menu.Handle();
  menu.PrepareItems(false);
  for (int pos = 0; pos < 3; ++pos) {
    MENUITEMINFOA mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoA(h, static_cast<UINT>(pos), TRUE, &mi));
    EXPECT_TRUE(mi.fType & MFT_OWNERDRAW) << pos;
    EXPECT_NE(mi.hSubMenu, nullptr) << pos;
    EXPECT_EQ(mi.dwItemData, reinterpret_cast<ULONG_PTR>(menu.Items()->Items(pos))) << pos;
  }
}

// Owner-drawn data of another menu is compared, never followed: were it
// read as an item, every field of it would lead back to our menu.
TEST(OwnerDrawnMenu, ForeignItemDataIsLeftToTheDefaultHandling) {
  ToxPopupMenu menu(nullptr);
  NewItem(&menu, menu.Items(), "Ours");
  menu.PrepareItems(true);
  std::vector<ULONG_PTR> foreign(256, reinterpret_cast<ULONG_PTR>(menu.Items()));
  const auto data = reinterpret_cast<ULONG_PTR>(foreign.data());
  EXPECT_EQ(ToxMenuDataOf(data), nullptr);
  MEASUREITEMSTRUCT mis = {};
  mis.CtlType = ODT_MENU;
  mis.itemData = data;
  mis.itemWidth = 77;
  EXPECT_EQ(SendMessageA(ToxPopupListWindow(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)), 0);
  EXPECT_EQ(mis.itemWidth, 77u);
  PixelCanvas canvas(40, 20);
  DRAWITEMSTRUCT dis = {};
  dis.CtlType = ODT_MENU;
  dis.hwndItem = reinterpret_cast<HWND>(menu.Handle());
  dis.hDC = canvas.dc();
  dis.rcItem = {0, 0, 40, 20};
  dis.itemData = data;
  EXPECT_EQ(SendMessageA(ToxPopupListWindow(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)), 0);
  EXPECT_EQ(canvas.at(20, 10), RGB(255, 255, 255));
  // The accelerator search passes over such an entry.
  MENUITEMINFOA mi = {};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID;
  mi.fType = MFT_OWNERDRAW;
  mi.wID = 4321;
  mi.dwItemData = data;
  HMENU h = menu.Handle();
  ASSERT_TRUE(InsertMenuItemA(h, 1, TRUE, &mi));
  EXPECT_EQ(ToxMenuChar('x', h), 0);
  EXPECT_EQ(ToxMenuChar('o', h), MAKELRESULT(0, MNC_EXECUTE));
  RemoveMenu(h, 1, MF_BYPOSITION);
}

std::vector<uint8_t> Stored(TComponent& c) {
  TMemoryStream s;
  WriteComponentData(s, c);
  const auto* p = static_cast<const uint8_t*>(s.Memory());
  return std::vector<uint8_t>(p, p + s.Size());
}

void Restore(TComponent& c, const std::vector<uint8_t>& bytes) {
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  s.SetPosition(0);
  ReadComponentData(s, c);
}

// The stored data names the property: its length byte, then the name.
bool Names(const std::vector<uint8_t>& data, const std::string& name) {
  std::string key(1, static_cast<char>(name.size()));
  key += name;
  return std::string(data.begin(), data.end()).find(key) != std::string::npos;
}

TEST(OwnerDrawnMenu, SettingsStreamWithTheirOptions) {
  TComponent form(nullptr), other(nullptr);
  auto* images = new TImageList(&form);
  images->SetName("imglistPopUpMenu");
  auto* menu = new ToxPopupMenu(&form);
  // Defaults store nothing; banner, background and font only with their option.
  EXPECT_EQ(Stored(*menu), std::vector<uint8_t>{0});
  menu->Banner()->SetColor(clNavy);
  menu->Font()->SetHeight(-11);
  menu->Background()->SetStyle(oxmVertGradient);
  for (const char* name : {"Banner", "Font", "Background"}) EXPECT_FALSE(Names(Stored(*menu), name)) << name;

  menu->SetImageList(images);
  menu->SetStyle(oxmWin97);
  menu->SetOptions(oxmSet(oxmCustomFont) | oxmSet(oxmBanner) | oxmSet(oxmBackground) | oxmSet(oxmMultiLine) |
                   oxmSet(oxmUseTagAsImageIndex));
  menu->Font()->SetName("Arial");
  menu->SetColor(clYellow);
  menu->Banner()->SetStyle(oxmVertGradient);
  menu->Banner()->SetGradient(clActiveCaption);
  menu->Banner()->SetFont3D(ox3Shadow);
  menu->Banner()->SetWidth(21);
  menu->Banner()->SetVertical(true);
  menu->Banner()->Font()->SetHeight(-13);
  TBitmap tile;
  tile.SetPixelFormat(pf24bit);
  tile.SetSize(3, 2);
  SetPixel(tile.Canvas()->Handle(), 1, 1, RGB(10, 200, 30));
  menu->Banner()->Picture()->SetGraphic(&tile);
  menu->Background()->SetGradient(clTeal);
  menu->SetCaption("Brindale");
  menu->SetFont3D(ox3Raised);
  menu->SetSelectionStyle(oxmRaisedSel);
  menu->SetOwnerDraw(true);
  const std::vector<uint8_t> data = Stored(*menu);
  for (const char* name : {"ImageList", "Font", "Style", "Options", "Color", "Banner", "Banner.Picture",
                           "Caption", "Font3D", "Background", "SelectionStyle", "OwnerDraw"})
    EXPECT_TRUE(Names(data, name)) << name;
  EXPECT_FALSE(Names(data, "Background.Picture"));  // no picture

  auto* otherImages = new TImageList(&other);
  otherImages->SetName("imglistPopUpMenu");
  auto* copy = new ToxPopupMenu(&other);
  Restore(*copy, data);
  EXPECT_EQ(copy->ImageList(), otherImages);
  EXPECT_EQ(copy->Style(), oxmWin97);
  EXPECT_EQ(copy->Options(), menu->Options());
  EXPECT_EQ(copy->Font()->Name(), "Arial");
  EXPECT_EQ(copy->Font()->Height(), -11);
  EXPECT_EQ(copy->Color(), clYellow);
  ToxBanner* b = copy->Banner();
  EXPECT_EQ(b->Color(), clNavy);
  EXPECT_EQ(b->Style(), oxmVertGradient);
  EXPECT_EQ(b->Gradient(), clActiveCaption);
  EXPECT_EQ(b->Font3D(), ox3Shadow);
  EXPECT_EQ(b->Width(), 21);
  EXPECT_TRUE(b->Vertical());
  EXPECT_EQ(b->Font()->Name(), "Arial");
  EXPECT_EQ(b->Font()->Height(), -13);
  EXPECT_EQ(b->Font()->Color(), clWhite);
  auto* picture = dynamic_cast<TBitmap*>(b->Picture()->Graphic());
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 3);
  EXPECT_EQ(GetPixel(picture->Canvas()->Handle(), 1, 1), RGB(10, 200, 30));
  EXPECT_EQ(copy->Background()->Style(), oxmVertGradient);
  EXPECT_EQ(copy->Background()->Gradient(), clTeal);
  EXPECT_EQ(copy->Caption(), "Brindale");
  EXPECT_EQ(copy->Font3D(), ox3Raised);
  EXPECT_EQ(copy->SelectionStyle(), oxmRaisedSel);
  EXPECT_TRUE(copy->OwnerDraw());
  EXPECT_EQ(Stored(*copy), data);  // written again, the same bytes

  // Bad stored data is refused with the reader's error.
  std::string text(data.begin(), data.end());
  size_t at = text.find("oxmWin97");
  ASSERT_NE(at, std::string::npos);
  std::vector<uint8_t> bad = data;
  bad[at + 7] = '9';
  auto* refused = new ToxPopupMenu(&other);
  EXPECT_THROW(Restore(*refused, bad), EReadError);
  EXPECT_EQ(refused->Style(), oxmWin95);
}

// The size of the glyph box: the menu font's height and leading plus 4.
int GlyphBox() {
  TFont font;
  NONCLIENTMETRICSA ncm = {};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  font.SetName(ncm.lfMenuFont.lfFaceName);
  font.SetHeight(ncm.lfMenuFont.lfHeight);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font.Handle());
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return std::abs(font.Height()) + tm.tmInternalLeading + 4;
}

int CountColour(const PixelCanvas& c, const RECT& r, COLORREF colour) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += c.at(x, y) == colour;
  return n;
}

// Win97 items: the glyph box's sunken frame, dither and check mark; the
// selection looks; Win95 check marks in their column.
TEST(OwnerDrawnMenu, PaintsSelectedAndCheckedItems) {
  ToxPopupMenu menu(nullptr);
  menu.SetStyle(oxmWin97);
  menu.SetOptions(0);
  TMenuItem* checked = NewItem(&menu, menu.Items(), "Checked");
  TMenuItem* plain = NewItem(&menu, menu.Items(), "Plain");
  checked->SetChecked(true);
  menu.Handle();
  const int s = GlyphBox();
  const COLORREF shadow = Rgb(clBtnShadow), light = Rgb(clBtnHighlight), face = Rgb(clMenu);
  const int W = 160, H = s + 4;
  const RECT inner = {1, 1, s - 1, s - 1};
  {  // checked, not selected: sunken frame, dither, check mark
    PixelCanvas c(W, H);
    Paint(checked, c);
    EXPECT_EQ(c.at(0, s / 2), shadow);
    EXPECT_EQ(c.at(s / 2, 0), shadow);
    EXPECT_EQ(c.at(s - 1, s / 2), light);
    EXPECT_EQ(c.at(s / 2, s - 1), light);
    EXPECT_NE(c.at(1, 1), c.at(2, 1));  // the dither alternates
    EXPECT_EQ(c.at(1, 1), c.at(2, 2));
    EXPECT_GT(CountColour(c, inner, Rgb(clMenuText)), 5);  // the mark
    EXPECT_EQ(c.at(W - 3, H / 2), face);
  }
  {  // checked and selected: sunken frame, no dither, the rest highlighted
    PixelCanvas c(W, H);
    Paint(checked, c, ODS_SELECTED);
    EXPECT_EQ(c.at(0, s / 2), shadow);
    EXPECT_EQ(c.at(s - 1, s / 2), light);
    EXPECT_EQ(c.at(1, 1), face);
    EXPECT_EQ(c.at(2, 1), face);
    EXPECT_GT(CountColour(c, inner, Rgb(clMenuText)), 5);
    EXPECT_EQ(c.at(W - 3, H / 2), Rgb(clHighlight));
  }
  {  // plain: an empty box; selected in the normal look, highlighted whole
    PixelCanvas c(W, H);
    Paint(plain, c);
    EXPECT_EQ(CountColour(c, {0, 0, s, s}, face), s * s);
    PixelCanvas d(W, H);
    Paint(plain, d, ODS_SELECTED);
    EXPECT_EQ(d.at(1, 1), Rgb(clHighlight));
    EXPECT_EQ(d.at(W - 3, H / 2), Rgb(clHighlight));
  }
  // Raised and inset selections: a frame around the item on the menu colour.
  struct Look {
    ToxmSelectionStyle style;
    COLORREF top, bottom;
  } looks[] = {{oxmRaisedSel, light, shadow}, {oxmInsetSel, shadow, light}, {oxmNoSel, face, face}};
  for (const Look& l : looks) {
    menu.SetSelectionStyle(l.style);
    PixelCanvas c(W, H);
    Paint(plain, c, ODS_SELECTED);
    EXPECT_EQ(c.at(W / 2, 0), l.top) << l.style;
    EXPECT_EQ(c.at(0, H / 2), l.top) << l.style;
    EXPECT_EQ(c.at(W / 2, H - 1), l.bottom) << l.style;
    EXPECT_EQ(c.at(W - 1, H / 2), l.bottom) << l.style;
    EXPECT_EQ(c.at(W - 3, H / 2), face) << l.style;
  }
  // With an image: raised box when selected, sunken and dithered when also
  // checked; unselected and unchecked, the image alone.
  menu.SetSelectionStyle(oxmNormSel);
  TImageList images(nullptr);
  images.SetSize(8, 8);
  HBITMAP green = SolidBitmap(8, 8, RGB(0, 200, 0));
  images.Add(green, nullptr);
  DeleteObject(green);
  menu.SetImageList(&images);
  plain->Tag = 0;
  checked->Tag = 0;
  const int b = std::max(8 + 4, s), mid = b / 2;
  {
    PixelCanvas c(W, std::max(H, b + 2));
    Paint(plain, c, ODS_SELECTED);
    EXPECT_EQ(c.at(0, mid), light);
    EXPECT_EQ(c.at(b - 1, mid), shadow);
    EXPECT_EQ(c.at(mid, mid), RGB(0, 200, 0));
    PixelCanvas d(W, std::max(H, b + 2));
    Paint(checked, d);
    EXPECT_EQ(d.at(0, mid), shadow);
    EXPECT_EQ(d.at(b - 1, mid), light);
    EXPECT_EQ(d.at(mid + 1, mid + 1), RGB(0, 200, 0));  // one pixel in
    EXPECT_NE(d.at(1, 1), d.at(2, 1));
    PixelCanvas e(W, std::max(H, b + 2));
    Paint(plain, e);
    EXPECT_EQ(e.at(0, mid), face);
    EXPECT_EQ(e.at(mid, mid), RGB(0, 200, 0));
  }
  menu.SetImageList(nullptr);
  plain->Tag = checked->Tag = -1;
  // Win95: the check mark stands left of the text, no glyph box frame.
  menu.SetStyle(oxmWin95);
  menu.SetSelectionStyle(oxmNormSel);
  const int cw = GetSystemMetrics(SM_CXMENUCHECK);
  PixelCanvas c(W, H);
  Paint(checked, c);
  EXPECT_GT(CountColour(c, {0, 0, cw, H}, Rgb(clMenuText)), 5);
  EXPECT_EQ(CountColour(c, {0, 0, cw, H}, shadow), 0);
  PixelCanvas d(W, H);
  Paint(plain, d);  // the menu holds a check: the text moves past the column
  EXPECT_EQ(CountColour(d, {0, 0, cw + 4, H}, Rgb(clMenuText)), 0);
  EXPECT_GT(CountColour(d, {cw + 4, 0, W, H}, Rgb(clMenuText)), 5);
}

// The background: the menu colour or a gradient over every item, no item
// fill of its own.
TEST(OwnerDrawnMenu, PaintsTheBackgroundStyle) {
  ToxPopupMenu menu(nullptr);
  menu.SetStyle(oxmWin95);
  menu.SetOptions(oxmSet(oxmBackground));
  menu.SetColor(clLime);
  TMenuItem* item = NewItem(&menu, menu.Items(), "Item");
  menu.Handle();
  PixelCanvas c(128, 24);
  Paint(item, c);
  EXPECT_EQ(c.at(126, 12), RGB(0, 255, 0));
  EXPECT_EQ(c.at(1, 1), RGB(0, 255, 0));
  menu.Background()->SetStyle(oxmHorzGradient);
  menu.Background()->SetGradient(clRed);
  menu.SetColor(clBlue);
  PixelCanvas d(128, 24);
  Paint(item, d);
  EXPECT_EQ(d.at(0, 12), RGB(255, 0, 0));
  EXPECT_TRUE(Near(d.at(127, 12), RGB(2, 0, 253), 4));
  EXPECT_TRUE(Near(d.at(64, 23), RGB(128, 0, 127), 2));
  // Without the option, the item's own fill.
  menu.SetOptions(0);
  PixelCanvas e(128, 24);
  Paint(item, e);
  EXPECT_EQ(e.at(126, 12), Rgb(clMenu));
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
