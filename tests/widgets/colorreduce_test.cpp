// Colour reduction of bitmaps to 1, 4 and 8 bits per pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "ColorReduce.h"
#include "Fixtures.h"
#include "VclUtils.h"

namespace {
struct Reduced {
  BITMAPINFOHEADER info;
  std::vector<RGBQUAD> table;
  TBitmap bitmap;
};

void Reduce(TBitmap* from, TPixelFormat format, TMappingMethod method, Reduced& out) {
  std::unique_ptr<TMemoryStream> s = BitmapToMemoryStream(from, format, method);
  const auto* p = static_cast<const uint8_t*>(s->Memory());
  BITMAPFILEHEADER fh;
  std::memcpy(&fh, p, sizeof fh);
  std::memcpy(&out.info, p + sizeof fh, sizeof out.info);
  size_t entries = (fh.bfOffBits - sizeof fh - sizeof out.info) / 4;
  const auto* table = reinterpret_cast<const RGBQUAD*>(p + sizeof fh + sizeof out.info);
  out.table.assign(table, table + entries);
  out.bitmap.LoadFromStream(s.get());
}

TBitmap* Deep(int w, int h, const std::function<COLORREF(int x, int y)>& colour) {
  auto* b = new TBitmap;
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b->ScanLine(y);
    for (int x = 0; x < w; ++x) {
      COLORREF c = colour(x, y);
      row[x * 3] = GetBValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetRValue(c);
    }
  }
  return b;
}
}  // namespace

TEST(ColorReduce, GreyLevelsAndTruncationTables) {
  std::unique_ptr<TBitmap> red(Deep(2, 1, [](int, int) { return RGB(255, 0, 0); }));
  Reduced grey;
  Reduce(red.get(), pf8bit, mmGrayscale, grey);
  EXPECT_EQ(grey.bitmap.ScanLine(0)[0], 77);
  struct Case {
    TMappingMethod method;
    size_t colours;
  } cases[] = {{mmTrunc784, 224}, {mmTrunc666, 216}, {mmTripel, 256}, {mmGrayscale, 256}};
  for (const Case& c : cases) {
    Reduced r;
    Reduce(red.get(), pf8bit, c.method, r);
    EXPECT_EQ(r.table.size(), c.colours) << c.method;
    EXPECT_EQ(r.info.biClrUsed, c.colours) << c.method;  // the header counts the table written
  }
  Reduced t;
  Reduce(red.get(), pf8bit, mmTrunc666, t);
  EXPECT_EQ(t.bitmap.ScanLine(0)[0], 5 * 36);  // red level 5 of 6
}

TEST(ColorReduce, HistogramKeepsTheFrequentColours) {
  // Ten pixels of one colour, five of another, one close to the second.
  std::unique_ptr<TBitmap> b(Deep(16, 1, [](int x, int) {
    return x < 10 ? RGB(200, 10, 10) : x < 15 ? RGB(10, 10, 200) : RGB(20, 30, 180);
  }));
  Reduced r;
  Reduce(b.get(), pf1bit, mmHistogram, r);
  ASSERT_EQ(r.table.size(), 2u);
  EXPECT_EQ(RGB(r.table[0].rgbRed, r.table[0].rgbGreen, r.table[0].rgbBlue), RGB(200, 10, 10));
  EXPECT_EQ(RGB(r.table[1].rgbRed, r.table[1].rgbGreen, r.table[1].rgbBlue), RGB(10, 10, 200));
  EXPECT_EQ(GetPixel(r.bitmap.Canvas()->Handle(), 15, 0), RGB(10, 10, 200));
  // 3000 colours in pairs that differ in the lowest blue bit only: blue
  // loses that bit first, red and green keep all theirs.
  std::unique_ptr<TBitmap> many(Deep(100, 30, [](int x, int y) {
    int i = y * 100 + x, pair = i / 2;
    return RGB((pair * 7) % 256, pair / 37 * 5, (pair % 2) * 100 + (i & 1));
  }));
  Reduced m;
  Reduce(many.get(), pf8bit, mmHistogram, m);
  bool oddRed = false;
  for (const RGBQUAD& q : m.table) {
    EXPECT_EQ(q.rgbBlue & 1, 0);
    oddRed = oddRed || (q.rgbRed & 1);
  }
  EXPECT_TRUE(oddRed);
}

TEST(ColorReduce, MedianCutBoxesNeverEmpty) {
  // Ten colours: at most ten boxes, counted in the header.
  std::unique_ptr<TBitmap> ten(Deep(10, 3, [](int x, int) { return RGB(x * 25, 255 - x * 20, 40); }));
  Reduced r;
  Reduce(ten.get(), pf8bit, mmQuantize, r);
  EXPECT_LE(r.table.size(), 10u);
  EXPECT_EQ(r.info.biClrUsed, r.table.size());
  // One rare colour below a heavy one on the cut axis: two boxes, both used.
  std::unique_ptr<TBitmap> skew(Deep(50, 20, [](int x, int y) { return x + y == 0 ? RGB(0, 0, 0) : RGB(255, 0, 0); }));
  Reduced s;
  Reduce(skew.get(), pf8bit, mmQuantize, s);
  ASSERT_EQ(s.table.size(), 2u);
  std::set<int> used;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 50; ++x) used.insert(s.bitmap.ScanLine(y)[x]);
  EXPECT_EQ(used.size(), 2u);
}

TEST(ColorReduce, BadInput) {
  TBitmap none;
  try {
    BitmapToMemoryStream(&none, pf8bit, mmHistogram);
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Bitmap image is not valid");
  }
  static std::string shown;
  ShowInformation = [](const char* text) { shown = text; };
  std::unique_ptr<TBitmap> b(Deep(2, 2, [](int, int) { return RGB(1, 2, 3); }));
  EXPECT_THROW(BitmapToMemoryStream(b.get(), pf24bit, mmHistogram), EAbort);
  EXPECT_EQ(shown, "Function not yet implemented");
  // Reduce to a colour count picks the depth.
  std::unique_ptr<TMemoryStream> s = BitmapToMemory(b.get(), 16);
  TBitmap four;
  four.LoadFromStream(s.get());
  EXPECT_EQ(four.BitCount(), 4);
}
