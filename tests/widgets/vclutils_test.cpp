// Drawing helpers and start-up registrations of the UI components.
#include <windows.h>

#include <gtest/gtest.h>

#include "Clipboard.h"
#include "Screen.h"
#include "VclUtils.h"

namespace {
std::unique_ptr<TBitmap> Filled(int w, int h, TColor colour) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(colour);
  b->Canvas()->FillRect({0, 0, w, h});
  return b;
}
}  // namespace

TEST(TransparentDraw, DoubledPixelsKeepTheirTransparency) {
  // A 2x2 source: red, transparent lime / transparent lime, blue.
  std::unique_ptr<TBitmap> source = Filled(2, 2, clLime);
  source->Canvas()->SetPixel(0, 0, clRed);
  source->Canvas()->SetPixel(1, 1, clBlue);
  std::unique_ptr<TBitmap> dest = Filled(6, 6, clYellow);
  StretchBitmapRectTransparent(dest->Canvas(), 1, 1, 4, 4, source.get(), {0, 0, 0, 0}, clLime);
  HDC dc = dest->Canvas()->Handle();
  struct Probe {
    int x, y;
    COLORREF colour;
  } probes[] = {{1, 1, RGB(255, 0, 0)},   {2, 2, RGB(255, 0, 0)},   {3, 1, RGB(255, 255, 0)},
                {4, 2, RGB(255, 255, 0)}, {1, 4, RGB(255, 255, 0)}, {3, 3, RGB(0, 0, 255)},
                {4, 4, RGB(0, 0, 255)},   {0, 0, RGB(255, 255, 0)}, {5, 5, RGB(255, 255, 0)}};
  for (const Probe& p : probes) EXPECT_EQ(GetPixel(dc, p.x, p.y), p.colour) << p.x << "," << p.y;
  // clDefault takes the bottom-left pixel (lime); clNone draws every pixel.
  std::unique_ptr<TBitmap> again = Filled(2, 2, clYellow);
  StretchBitmapRectTransparent(again->Canvas(), 0, 0, 0, 0, source.get(), {0, 0, 0, 0}, clDefault);
  EXPECT_EQ(GetPixel(again->Canvas()->Handle(), 1, 0), RGB(255, 255, 0));
  StretchBitmapRectTransparent(again->Canvas(), 0, 0, 0, 0, source.get(), {0, 0, 0, 0}, clNone);
  EXPECT_EQ(GetPixel(again->Canvas()->Handle(), 1, 0), RGB(0, 255, 0));
  // Part of the source, placed by DrawBitmapRectTransparent's rectangle size.
  std::unique_ptr<TBitmap> part = Filled(4, 4, clYellow);
  DrawBitmapRectTransparent(part->Canvas(), 0, 0, {0, 0, 4, 4}, source.get(), clLime);
  EXPECT_EQ(GetPixel(part->Canvas()->Handle(), 3, 3), RGB(0, 0, 255));
}

TEST(TransparentDraw, MonochromeBitmapsAreTransparentWhereWhite) {
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(2, 1);
  mono.Canvas()->Brush()->SetColor(clWhite);
  mono.Canvas()->FillRect({0, 0, 2, 1});
  mono.Canvas()->SetPixel(0, 0, clBlack);
  std::unique_ptr<TBitmap> dest = Filled(2, 1, clBlue);
  StretchBitmapRectTransparent(dest->Canvas(), 0, 0, 0, 0, &mono, {0, 0, 0, 0}, clRed);
  EXPECT_EQ(GetPixel(dest->Canvas()->Handle(), 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dest->Canvas()->Handle(), 1, 0), RGB(0, 0, 255));
}

TEST(Helpers, MemoryBlocksAndNumbers) {
  EXPECT_EQ(AllocMemo(0), nullptr);
  void* none = nullptr;
  FreeMemo(none);
  void* block = AllocMemo(16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(static_cast<uint8_t*>(block)[15], 0);
  HMemCpy(HugeOffset(block, 4), "abc", 3);
  EXPECT_EQ(static_cast<char*>(block)[5], 'b');
  FreeMemo(block);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(Max(-3, 2), 2);
  EXPECT_EQ(Min(INT32_MIN, 0), INT32_MIN);
  EXPECT_EQ(WidthOf({2, 3, 10, 7}), 8);
  EXPECT_EQ(PaletteColor(clRed), 0x020000FFu);
}

TEST(Registrations, HandCursorsAndIconClipboard) {
  HCURSOR arrow = Screen->Cursors(crArrow);
  EXPECT_NE(Screen->Cursors(crHand), arrow);
  EXPECT_NE(Screen->Cursors(crDragHand), arrow);
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(IconClipboardFormat()));
  TIcon icon;
  icon.SetHandle(CopyIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION))));
  Clipboard()->Assign(&icon);
  EXPECT_TRUE(Clipboard()->HasFormat(IconClipboardFormat()));
  TPicture picture;
  picture.Assign(Clipboard());
  ASSERT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), icon.Width());
}
