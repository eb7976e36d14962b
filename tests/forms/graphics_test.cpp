// Graphics of the form class library: streams, bitmaps and their files,
// the canvas, icons, pictures, the clipboard, and graphic controls painted
// by their parent window (pixels read back from a real window).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "Application.h"
#include "Clipboard.h"
#include "Forms.h"
#include "GraphicControls.h"
#include "Graphics.h"
#include "Pump.h"
#include "Screen.h"
#include "Streams.h"

TEST(Streams, MemoryAndFileStreamsReadWriteAndFailCleanly) {
  TMemoryStream m;
  m.WriteDWord(0x11223344);
  m.WriteWord(0x5566);
  EXPECT_EQ(m.Size(), 6);
  m.SetPosition(0);
  EXPECT_EQ(m.ReadDWord(), 0x11223344u);
  EXPECT_EQ(m.ReadWord(), 0x5566);
  uint8_t b;
  try {
    m.ReadBuffer(&b, 1);
    FAIL() << "read past the end";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }
  m.SaveToFile("stream.bin");
  TFileStream f("stream.bin", fmOpenRead | fmShareDenyNone);
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(&f, 0), 6);
  EXPECT_EQ(std::memcmp(copy.Memory(), m.Memory(), 6), 0);
  EXPECT_THROW(TFileStream("missing\\none.bin", fmOpenRead), EFOpenError);
  EXPECT_THROW(TResourceStream(GetModuleHandleA(nullptr), "NOSUCH", RT_RCDATA), EResNotFound);
}

TEST(Persistent, UnknownAssignmentNamesBothClasses) {
  TBitmap bitmap;
  TFont font;
  try {
    bitmap.Assign(&font);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TFont to a TBitmap");
  }
}

namespace {
COLORREF PixelOf(TBitmap& b, int x, int y) { return GetPixel(b.Canvas()->Handle(), x, y); }
}  // namespace

TEST(Bitmap, FileRoundTripKeepsFormatPaletteAndPixels) {
  struct Case {
    TPixelFormat format;
    int bits;
  } cases[] = {{pf1bit, 1}, {pf4bit, 4}, {pf8bit, 8}, {pf24bit, 24}, {pf32bit, 32}};
  for (const Case& c : cases) {
    TBitmap b;
    b.SetPixelFormat(c.format);
    b.SetSize(5, 3);
    b.Canvas()->Brush()->SetColor(clWhite);
    b.Canvas()->FillRect({0, 0, 5, 3});
    b.Canvas()->SetPixel(1, 0, clBlack);
    b.Canvas()->SetPixel(4, 2, clBlack);
    TMemoryStream m;
    b.SaveToStream(&m);
    m.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(&m);
    EXPECT_EQ(back.BitCount(), c.bits);
    EXPECT_EQ(back.Width(), 5);
    EXPECT_EQ(back.Height(), 3);
    EXPECT_EQ(PixelOf(back, 1, 0), RGB(0, 0, 0)) << c.bits;
    EXPECT_EQ(PixelOf(back, 4, 2), RGB(0, 0, 0)) << c.bits;
    EXPECT_EQ(PixelOf(back, 0, 0), RGB(255, 255, 255)) << c.bits;
    EXPECT_EQ(back.Monochrome(), c.bits == 1);
  }
}

TEST(Bitmap, TopDownAndBadFiles) {
  // A 2x2 top-down 24-bit file: first row red, blue; second green, white.
  std::vector<uint8_t> file(14 + 40 + 16);
  BITMAPFILEHEADER fh = {0x4D42, static_cast<DWORD>(file.size()), 0, 0, 54};
  BITMAPINFOHEADER ih = {40, 2, -2, 1, 24, BI_RGB, 16, 0, 0, 0, 0};
  std::memcpy(&file[0], &fh, 14);
  std::memcpy(&file[14], &ih, 40);
  const uint8_t rows[16] = {0, 0, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0};
  std::memcpy(&file[54], rows, 16);
  TMemoryStream m;
  m.WriteBuffer(file.data(), static_cast<int32_t>(file.size()));
  m.SetPosition(0);
  TBitmap b;
  b.LoadFromStream(&m);
  EXPECT_EQ(PixelOf(b, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(b, 1, 0), RGB(0, 0, 255));
  EXPECT_EQ(PixelOf(b, 0, 1), RGB(0, 255, 0));
  EXPECT_EQ(b.TransparentColor(), static_cast<TColor>(RGB(0, 255, 0)));  // bottom-left

  struct Bad {
    const char* what;
    size_t keep;
    int width, height, bits;
  } bad[] = {{"cut rows", 60, 2, -2, 24},       {"huge", file.size(), 100000, 100000, 24},
             {"odd bit count", file.size(), 2, 2, 7}, {"zero width", file.size(), 0, 2, 24}};
  for (const Bad& c : bad) {
    BITMAPINFOHEADER h = ih;
    h.biWidth = c.width;
    h.biHeight = c.height;
    h.biBitCount = static_cast<WORD>(c.bits);
    std::vector<uint8_t> f = file;
    std::memcpy(&f[14], &h, 40);
    f.resize(c.keep);
    TMemoryStream s;
    s.WriteBuffer(f.data(), static_cast<int32_t>(f.size()));
    s.SetPosition(0);
    TBitmap x;
    EXPECT_THROW(x.LoadFromStream(&s), EInvalidGraphic) << c.what;
  }
}

TEST(Canvas, DrawsWithPenBrushFontAndTransparentBitmaps) {
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(20, 20);
  TCanvas* c = target.Canvas();
  c->Brush()->SetColor(clBlue);
  c->FillRect({0, 0, 20, 20});
  c->Pen()->SetColor(clWhite);
  c->Pen()->SetMode(pmXor);
  c->MoveTo(0, 5);
  c->LineTo(20, 5);
  EXPECT_EQ(PixelOf(target, 3, 5), RGB(255, 255, 0));  // blue xor white
  EXPECT_GT(c->TextWidth("Hello"), c->TextWidth("Hi"));
  EXPECT_GT(c->TextHeight("X"), 0);

  // A 2x2 sprite whose green pixels are transparent, drawn doubled.
  TBitmap sprite;
  sprite.SetPixelFormat(pf24bit);
  sprite.SetSize(2, 2);
  sprite.Canvas()->SetPixel(0, 0, clRed);
  sprite.Canvas()->SetPixel(1, 0, clLime);
  sprite.Canvas()->SetPixel(0, 1, clLime);
  sprite.Canvas()->SetPixel(1, 1, clYellow);
  sprite.SetTransparent(true);  // bottom-left (lime) is the transparent colour
  c->StretchDraw({10, 10, 14, 14}, &sprite);
  EXPECT_EQ(PixelOf(target, 11, 11), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(target, 12, 11), RGB(0, 0, 255));
  EXPECT_EQ(PixelOf(target, 11, 13), RGB(0, 0, 255));
  EXPECT_EQ(PixelOf(target, 13, 13), RGB(255, 255, 0));

  c->Brush()->SetStyle(bsClear);
  c->Pen()->SetMode(pmCopy);
  c->Pen()->SetColor(clRed);
  c->Rectangle(0, 0, 20, 20);  // hollow
  EXPECT_EQ(PixelOf(target, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(target, 15, 15), RGB(0, 0, 255));
}

TEST(Icon, LoadsAnIconFileAndDrawsIt) {
  // Make an icon file from a handle, load it back, draw it.
  BYTE andMask[32 * 4] = {};
  BYTE xorMask[32 * 4];
  std::memset(xorMask, 0xFF, sizeof xorMask);
  HICON made = CreateIcon(GetModuleHandleA(nullptr), 32, 32, 1, 1, andMask, xorMask);
  ASSERT_NE(made, nullptr);
  TIcon icon;
  icon.SetHandle(made);
  EXPECT_EQ(icon.Width(), 32);
  TMemoryStream m;
  icon.SaveToStream(&m);
  m.SetPosition(0);
  TIcon back;
  back.LoadFromStream(&m);
  EXPECT_EQ(back.Height(), 32);
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(32, 32);
  b.Canvas()->Draw(0, 0, &back);
  EXPECT_EQ(PixelOf(b, 16, 16), RGB(255, 255, 255));
  TMemoryStream junk;
  junk.WriteDWord(0x00010000);
  junk.SetPosition(0);
  EXPECT_THROW(back.LoadFromStream(&junk), EInvalidGraphic);
}

TEST(Picture, LoadsByExtensionAndRefusesUnknownOnes) {
  TBitmap b;
  b.SetPixelFormat(pf8bit);
  b.SetSize(4, 4);
  b.SaveToFile("pic.bmp");
  TPicture p;
  int changes = 0;
  p.OnChange = [&](TObject*) { ++changes; };
  p.LoadFromFile("pic.bmp");
  ASSERT_NE(dynamic_cast<TBitmap*>(p.Graphic()), nullptr);
  EXPECT_EQ(p.Width(), 4);
  EXPECT_GT(changes, 0);
  EXPECT_EQ(TPicture::FileFormatDescription("BMP"), "Bitmaps");
  try {
    p.LoadFromFile("pic.xyz");
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(), "Unknown picture file extension (.xyz)");
  }
}

TEST(Clipboard, TextAndBitmapRoundTrip) {
  Clipboard()->SetAsText("brindale");
  EXPECT_EQ(Clipboard()->AsText(), "brindale");
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(3, 3);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect({0, 0, 3, 3});
  Clipboard()->Assign(&b);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  TPicture p;
  p.Assign(Clipboard());
  ASSERT_NE(p.Graphic(), nullptr);
  EXPECT_EQ(PixelOf(*p.Bitmap(), 1, 1), RGB(255, 0, 0));
}

TEST(Screen, CursorTableHoldsNumberedCursors) {
  EXPECT_NE(Screen->Cursors(crHSplit), nullptr);
  EXPECT_EQ(Screen->Cursors(5000), Screen->Cursors(crArrow));
  HCURSOR own = CopyCursor(LoadCursorA(nullptr, IDC_CROSS));
  Screen->SetCursors(5000, own);
  EXPECT_EQ(Screen->Cursors(5000), own);
  EXPECT_GT(Screen->Width(), 0);
}

namespace {
struct Square : TGraphicControl {
  TColor fill;
  int paints = 0;
  Square(TComponent* owner, TColor c) : TGraphicControl(owner), fill(c) {}
  void Paint() override {
    ++paints;
    Canvas()->Brush()->SetColor(fill);
    Canvas()->FillRect(ClientRect());
  }
};
struct PaintForm : TForm {
  explicit PaintForm(TComponent* owner) : TForm(owner, "TPaintForm") {
    SetCaption("Graphics Test Window");
    SetColor(clWhite);
    FormCreated();
  }
};
COLORREF ScreenPixel(HWND w, int x, int y) {
  HDC dc = GetDC(w);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(w, dc);
  return c;
}
}  // namespace

TEST(GraphicControl, ParentPaintsChildrenInControlOrder) {
  PaintForm form(nullptr);
  form.SetBounds(50, 50, 200, 150);
  auto* first = new Square(&form, clRed);
  first->SetBounds(10, 10, 40, 40);
  first->SetParent(&form);
  auto* second = new Square(&form, clBlue);
  second->SetBounds(30, 30, 40, 40);
  second->SetParent(&form);
  form.Show();
  UpdateWindow(form.Handle());
  PumpUntil([&] { return second->paints > 0; });
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(ScreenPixel(form.Handle(), 15, 15), RGB(255, 0, 0));
  EXPECT_EQ(ScreenPixel(form.Handle(), 40, 40), RGB(0, 0, 255));  // the later one on top
  EXPECT_EQ(ScreenPixel(form.Handle(), 100, 100), RGB(255, 255, 255));
  second->SetVisible(false);
  UpdateWindow(form.Handle());
  EXPECT_EQ(ScreenPixel(form.Handle(), 40, 40), RGB(255, 0, 0));
  delete first;  // the parent forgets a freed child
  UpdateWindow(form.Handle());
  EXPECT_EQ(form.GraphicControlCount(), 1);
  EXPECT_EQ(ScreenPixel(form.Handle(), 15, 15), RGB(255, 255, 255));
}
