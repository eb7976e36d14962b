// GIF pictures: files made by an outside encoder from known pixel arrays
// decode to those pixels; frames, delays, disposal and transparency are
// read; a load and save keeps everything; bitmaps are written and read
// back; broken files give their error.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "AniCursor.h"
#include "Clipboard.h"
#include "Fixtures.h"
#include "GIFImage.h"

namespace {

std::unique_ptr<TGIFImage> LoadGif(const std::vector<uint8_t>& bytes) {
  auto gif = std::make_unique<TGIFImage>();
  TMemoryStream m;
  if (!bytes.empty()) m.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  m.SetPosition(0);
  gif->LoadFromStream(&m);
  return gif;
}

std::vector<uint8_t> Saved(TGIFImage& gif) {
  TMemoryStream m;
  gif.SaveToStream(&m);
  const auto* p = static_cast<const uint8_t*>(m.Memory());
  return std::vector<uint8_t>(p, p + m.Size());
}

// LZW data: the code size byte, the codes packed into one sub-block, the terminator.
std::vector<uint8_t> Lzw(int minSize, const std::vector<std::pair<int, int>>& codes) {
  std::vector<uint8_t> bytes;
  uint32_t buffer = 0;
  int count = 0;
  for (auto [code, bits] : codes) {
    buffer |= static_cast<uint32_t>(code) << count;
    count += bits;
    for (; count >= 8; count -= 8, buffer >>= 8) bytes.push_back(static_cast<uint8_t>(buffer));
  }
  if (count > 0) bytes.push_back(static_cast<uint8_t>(buffer));
  std::vector<uint8_t> out = {static_cast<uint8_t>(minSize), static_cast<uint8_t>(bytes.size())};
  out.insert(out.end(), bytes.begin(), bytes.end());
  out.push_back(0);
  return out;
}

// A one-frame file with a 4-colour global table (red, green, blue, white).
std::vector<uint8_t> MakeGif(int w, int h, const std::vector<uint8_t>& lzw, bool trailer = true) {
  std::vector<uint8_t> f = {'G', 'I', 'F', '8', '9', 'a', static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8),
                            static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), 0x81, 0, 0,
                            255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255,
                            ',', 0, 0, 0, 0, static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8),
                            static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), 0};
  for (uint8_t b : lzw) f.push_back(b);
  if (trailer) f.push_back(';');
  return f;
}

}  // namespace

TEST(GifRead, DecodesTheKnownPixels) {
  for (const char* name : {"basic", "interlaced", "deep"}) {
    auto gif = LoadGif(FixtureBytes(std::string(name) + ".gif"));
    ASSERT_EQ(gif->Count(), 1) << name;
    EXPECT_EQ(gif->FrameIndex(), 0);
    EXPECT_EQ(Difference(FixturePixels(std::string(name) + ".ppm"), PixelsOf(gif->Frames(0)->Bitmap())), "")
        << name;
  }
  EXPECT_TRUE(LoadGif(FixtureBytes("interlaced.gif"))->Frames(0)->Interlaced);
}

TEST(GifRead, DecodingReportsItsProgress) {
  std::vector<uint8_t> bytes = FixtureBytes("deep.gif");
  TMemoryStream m;
  m.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  m.SetPosition(0);
  TGIFImage gif;
  std::vector<TProgressStage> stages;
  gif.OnProgress = [&](TObject*, TProgressStage stage, uint8_t, bool, const RECT&, const std::string&) {
    if (stages.empty() || stages.back() != stage) stages.push_back(stage);
  };
  gif.LoadFromStream(&m);
  EXPECT_EQ(stages, (std::vector<TProgressStage>{psStarting, psRunning, psEnding}));
}

TEST(GifRead, TransparentColourComesFromTheControlBlock) {
  auto gif = LoadGif(FixtureBytes("transparent.gif"));
  TGIFFrame* f = gif->Frames(0);
  Pixels sprite = FixturePixels("sprite.ppm");
  Pixels got = PixelsOf(f->Bitmap());
  ASSERT_NE(f->TransparentColor, clNone);
  EXPECT_TRUE(gif->Transparent());
  for (int y = 0; y < sprite.height; ++y)
    for (int x = 0; x < sprite.width; ++x)
      if (sprite.At(x, y) == RGB(0, 255, 0)) EXPECT_EQ(got.At(x, y), static_cast<COLORREF>(f->TransparentColor));
      else EXPECT_EQ(got.At(x, y), sprite.At(x, y));
  // Drawn over blue, the transparent pixels stay blue.
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(6, 4);
  target.Canvas()->Brush()->SetColor(clBlue);
  target.Canvas()->FillRect({0, 0, 6, 4});
  target.Canvas()->Draw(0, 0, gif.get());
  EXPECT_EQ(GetPixel(target.Canvas()->Handle(), 0, 1), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(target.Canvas()->Handle(), 2, 1), RGB(90, 60, 30));
}

TEST(GifRead, FramesWithLocalTablesDelaysAndDisposal) {
  auto gif = LoadGif(FixtureBytes("anim.gif"));
  ASSERT_EQ(gif->Count(), 3);
  EXPECT_EQ(gif->Version(), 2);
  const uint32_t delays[] = {100, 250, 400};
  const int disposal[] = {1, 2, 3};
  for (int i = 0; i < 3; ++i) {
    TGIFFrame* f = gif->Frames(i);
    EXPECT_EQ(f->Delay, delays[i]);
    EXPECT_EQ(f->DisposalMethod, disposal[i]);
    EXPECT_EQ(f->LocalColors, i > 0);
    EXPECT_EQ(Difference(FixturePixels("frame" + std::to_string(i) + ".ppm"), PixelsOf(f->Bitmap())), "") << i;
  }
  EXPECT_EQ(gif->ScreenWidth(), 8);
  EXPECT_EQ(gif->ScreenHeight(), 6);
}

TEST(GifRead, LocalOnlyAndLargerLocalTables) {
  // basic.gif with its global table moved into the frame.
  std::vector<uint8_t> basic = FixtureBytes("basic.gif");
  ASSERT_EQ(basic[10] & 0x87, 0x81);
  ASSERT_EQ(basic[33], ',');
  std::vector<uint8_t> local(basic.begin(), basic.begin() + 13);
  local[10] = 0;
  local.insert(local.end(), basic.begin() + 25, basic.begin() + 42);
  local.push_back(0x81);
  local.insert(local.end(), basic.begin() + 13, basic.begin() + 25);
  local.insert(local.end(), basic.begin() + 43, basic.end());
  // deep.gif (256 colours) behind a global table of only two colours.
  std::vector<uint8_t> deep = FixtureBytes("deep.gif");
  ASSERT_EQ(deep[10] & 0x87, 0x87);
  size_t image = 13 + 768 + 8;
  ASSERT_EQ(deep[image], ',');
  std::vector<uint8_t> larger(deep.begin(), deep.begin() + 13);
  larger[10] = 0x80;
  larger.insert(larger.end(), {0, 0, 0, 255, 255, 255});
  larger.insert(larger.end(), deep.begin() + 13 + 768, deep.begin() + static_cast<long>(image) + 9);
  larger.push_back(0x87);
  larger.insert(larger.end(), deep.begin() + 13, deep.begin() + 13 + 768);
  larger.insert(larger.end(), deep.begin() + static_cast<long>(image) + 10, deep.end());
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* ppm;
  } cases[] = {{"local only", local, "basic.ppm"}, {"larger local", larger, "deep.ppm"}};
  for (const Case& c : cases) {
    auto gif = LoadGif(c.bytes);
    EXPECT_EQ(Difference(FixturePixels(c.ppm), PixelsOf(gif->Frames(0)->Bitmap())), "") << c.name;
    // Saved unchanged and read back the same.
    auto again = LoadGif(Saved(*gif));
    EXPECT_EQ(Difference(FixturePixels(c.ppm), PixelsOf(again->Frames(0)->Bitmap())), "") << c.name;
  }
}

TEST(GifRead, EdgeCasesOfTheFileStructure) {
  std::vector<uint8_t> basic = FixtureBytes("basic.gif");
  // Lower-case signature and version.
  std::vector<uint8_t> lower = basic;
  lower[0] = 'g', lower[1] = 'i', lower[2] = 'f', lower[5] = 'A';
  EXPECT_EQ(LoadGif(lower)->Count(), 1);
  // No trailer after the last image.
  std::vector<uint8_t> anim = FixtureBytes("anim.gif");
  anim.pop_back();
  EXPECT_EQ(LoadGif(anim)->Count(), 3);
  // Two control blocks: the larger delay wins; bit 0 clear makes the frame opaque.
  std::vector<uint8_t> two(basic.begin(), basic.begin() + 25);
  two.insert(two.end(), {0x21, 0xF9, 4, 1, 7, 0, 0, 0, 0x21, 0xF9, 4, 0, 30, 0, 1, 0});
  two.insert(two.end(), basic.begin() + 33, basic.end());
  auto gif = LoadGif(two);
  EXPECT_EQ(gif->Frames(0)->Delay, 300u);
  EXPECT_EQ(gif->Frames(0)->TransparentColor, clNone);
  // A transparent index beyond the colours leaves the frame opaque.
  std::vector<uint8_t> beyond(basic.begin(), basic.begin() + 25);
  beyond.insert(beyond.end(), {0x21, 0xF9, 4, 1, 0, 0, 9, 0});
  beyond.insert(beyond.end(), basic.begin() + 33, basic.end());
  EXPECT_EQ(LoadGif(beyond)->Frames(0)->TransparentColor, clNone);
  // A comment after the last image becomes the image's comment.
  std::vector<uint8_t> commented(basic.begin(), basic.end() - 1);
  commented.insert(commented.end(), {0x21, 0xFE, 3, 'o', 'n', 'e', 0, ';'});
  EXPECT_EQ(LoadGif(commented)->Comment()->Text(), "one\r\n");
  // An empty stream leaves the image empty.
  EXPECT_TRUE(LoadGif({})->Empty());
}

// Image data that ends before its end code shows the rows decoded so far.
TEST(GifRead, TruncatedDataKeepsTheRowsDecodedSoFar) {
  // Row 0 whole (green, blue, white, green), then the data ends.
  auto gif = LoadGif(MakeGif(4, 3, Lzw(2, {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 4}}), false));
  ASSERT_EQ(gif->Count(), 1);
  Pixels p = PixelsOf(gif->Frames(0)->Bitmap());
  const COLORREF row0[] = {RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255), RGB(0, 255, 0)};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(p.At(x, 0), row0[x]) << x;
  for (int x = 0; x < 4; ++x) EXPECT_EQ(p.At(x, 2), RGB(255, 0, 0)) << "untouched row keeps index 0";
  // A real file cut inside its image data: its top row is as drawn.
  std::vector<uint8_t> basic = FixtureBytes("basic.gif");
  std::vector<uint8_t> cut(basic.begin(), basic.end() - 5);
  auto partial = LoadGif(cut);
  ASSERT_EQ(partial->Count(), 1);
  Pixels want = FixturePixels("basic.ppm"), got = PixelsOf(partial->Frames(0)->Bitmap());
  ASSERT_EQ(got.width, want.width);
  for (int x = 0; x < want.width; ++x) EXPECT_EQ(got.At(x, 0), want.At(x, 0)) << x;
}

TEST(GifRead, BrokenFilesGiveTheirError) {
  std::vector<uint8_t> basic = FixtureBytes("basic.gif");
  auto with = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> f = basic;
    std::copy(bytes.begin(), bytes.end(), f.begin() + static_cast<long>(at));
    return f;
  };
  std::vector<uint8_t> cut(basic.begin(), basic.begin() + 10);
  std::vector<uint8_t> cutTable(basic.begin(), basic.begin() + 20);
  std::vector<uint8_t> badExtension(basic.begin(), basic.begin() + 25);
  badExtension.insert(badExtension.end(), {0x21, 0x99, 0});
  badExtension.insert(badExtension.end(), basic.begin() + 33, basic.end());
  std::vector<uint8_t> garbageAfter(basic.begin(), basic.end() - 1);
  garbageAfter.push_back('x');
  std::vector<uint8_t> garbageBefore(basic.begin(), basic.begin() + 25);
  garbageBefore.push_back('x');
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* error;
  } cases[] = {
      {"signature", with(0, {'G', 'I', 'X'}), "Unknown GIF version"},
      {"version", with(3, {'8', '8', 'a'}), "Unknown GIF version"},
      {"cut header", cut, "Stream read error"},
      {"cut colour table", cutTable, "Stream read error"},
      {"unknown extension", badExtension, "Unrecognized extension block: 99"},
      {"byte after an image", garbageAfter, "GIF encoded data is corrupt"},
      {"byte instead of an image", garbageBefore, "Stream read error"},
      {"code size 1", MakeGif(2, 2, Lzw(1, {{2, 2}, {0, 2}, {3, 2}})), "GIF code size not in range 2 to 9"},
      {"code size 10", MakeGif(2, 2, Lzw(10, {{1024, 11}, {0, 11}, {1025, 11}})),
       "GIF code size not in range 2 to 9"},
      {"string code after a clear", MakeGif(4, 1, Lzw(2, {{4, 3}, {6, 3}, {5, 3}})), "GIF encoded data is corrupt"},
      {"huge frame, tiny data", MakeGif(65535, 65535, Lzw(2, {{4, 3}, {0, 3}, {5, 3}})),
       "GIF encoded data is corrupt"},
  };
  for (const Case& c : cases) {
    try {
      LoadGif(c.bytes);
      ADD_FAILURE() << c.what << " loaded";
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message(), c.error) << c.what;
    }
  }
  // A first frame that does not decode is dropped: no frame index is left behind.
  TGIFImage gif;
  TMemoryStream m;
  std::vector<uint8_t> bad = MakeGif(4, 1, Lzw(2, {{4, 3}, {6, 3}, {5, 3}}));
  m.WriteBuffer(bad.data(), static_cast<int32_t>(bad.size()));
  m.SetPosition(0);
  EXPECT_THROW(gif.LoadFromStream(&m), EInvalidGraphicOperation);
  EXPECT_EQ(gif.Count(), 0);
  EXPECT_EQ(gif.FrameIndex(), -1);
  EXPECT_TRUE(gif.Empty());
  EXPECT_EQ(gif.Width(), 0);
  // A code equal to the next free one is the previous string and its first pixel.
  auto ok = LoadGif(MakeGif(4, 1, Lzw(2, {{4, 3}, {1, 3}, {6, 3}, {0, 3}, {5, 3}})));
  Pixels p = PixelsOf(ok->Frames(0)->Bitmap());
  EXPECT_EQ(p.At(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(p.At(2, 0), RGB(0, 255, 0));
  EXPECT_EQ(p.At(3, 0), RGB(255, 0, 0));
  // So is a code above it: red, then red twice; green comes from the entry
  // that code made (red, red) after a literal, read with 4 bits from then on.
  auto above = LoadGif(MakeGif(6, 1, Lzw(2, {{4, 3}, {0, 3}, {7, 3}, {1, 3}, {6, 4}, {5, 4}})));
  Pixels q = PixelsOf(above->Frames(0)->Bitmap());
  for (int x : {0, 1, 2, 4, 5}) EXPECT_EQ(q.At(x, 0), RGB(255, 0, 0)) << x;
  EXPECT_EQ(q.At(3, 0), RGB(0, 255, 0));
}

TEST(GifWrite, RoundTripKeepsFramesColoursAndTiming) {
  auto gif = LoadGif(FixtureBytes("anim.gif"));
  std::vector<uint8_t> saved = Saved(*gif);
  auto back = LoadGif(saved);
  ASSERT_EQ(back->Count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(back->Frames(i)->Delay, gif->Frames(i)->Delay);
    EXPECT_EQ(back->Frames(i)->DisposalMethod, gif->Frames(i)->DisposalMethod);
    EXPECT_EQ(back->Frames(i)->LocalColors, i > 0);
    EXPECT_EQ(Difference(FixturePixels("frame" + std::to_string(i) + ".ppm"), PixelsOf(back->Frames(i)->Bitmap())),
              "");
  }
  // The encoded data is written back as read: a second save is identical.
  EXPECT_EQ(Saved(*back), saved);
  // A copy shares the header and the frame data.
  TGIFImage copy;
  copy.Assign(back.get());
  EXPECT_TRUE(copy.Equals(back.get()));
  EXPECT_FALSE(copy.Equals(gif.get()));
  EXPECT_EQ(Saved(copy), saved);
  // Streamed with a size prefix.
  TMemoryStream m;
  back->WriteData(&m);
  m.SetPosition(0);
  TGIFImage streamed;
  streamed.ReadData(&m);
  EXPECT_EQ(streamed.Count(), 3);
}

TEST(GifWrite, BitmapsAreEncodedAndComeBackUnchanged) {
  // A deep bitmap of few colours: reduced to 8 bits, one frame, "87a".
  Pixels deep = FixturePixels("deep.ppm");
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(deep.width, deep.height);
  for (int y = 0; y < deep.height; ++y)
    for (int x = 0; x < deep.width; ++x) bitmap.Canvas()->SetPixel(x, y, static_cast<TColor>(deep.At(x, y)));
  TGIFImage gif;
  gif.Assign(&bitmap);
  std::vector<uint8_t> one = Saved(gif);
  EXPECT_EQ(std::string(one.begin(), one.begin() + 6), "GIF87a");
  EXPECT_EQ(Difference(deep, PixelsOf(LoadGif(one)->Frames(0)->Bitmap())), "");
  // A second frame (a 1-bit bitmap at an offset) makes it "89a" with a local table.
  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(5, 3);
  mono.Canvas()->Brush()->SetColor(clWhite);
  mono.Canvas()->FillRect({0, 0, 5, 3});
  mono.Canvas()->SetPixel(2, 1, clBlack);
  gif.AddFrame(&mono);
  gif.Frames(1)->Left = 30;
  gif.Frames(1)->Delay = 70;
  std::string comment(300, 'c');
  gif.Comment()->Add(comment);
  std::vector<uint8_t> two = Saved(gif);
  EXPECT_EQ(std::string(two.begin(), two.begin() + 6), "GIF89a");
  auto back = LoadGif(two);
  ASSERT_EQ(back->Count(), 2);
  EXPECT_EQ(back->ScreenWidth(), 35);
  EXPECT_EQ(back->Frames(1)->Left, 30);
  EXPECT_EQ(back->Frames(1)->Delay, 70u);
  EXPECT_TRUE(back->Frames(1)->LocalColors);
  Pixels m = PixelsOf(back->Frames(1)->Bitmap());
  EXPECT_EQ(m.At(2, 1), RGB(0, 0, 0));
  EXPECT_EQ(m.At(0, 0), RGB(255, 255, 255));
  // The long comment line is one sub-block of 255 characters.
  EXPECT_EQ(back->Comment()->Strings(0), std::string(255, 'c'));
  // Nothing to write.
  TGIFImage empty;
  TMemoryStream out;
  try {
    empty.SaveToStream(&out);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message(), "No GIF Data to write");
  }
  EXPECT_THROW(gif.SetWidth(3), EInvalidGraphicOperation);
}

TEST(GifCompose, DisposalAndPatchesOverTheFirstFrame) {
  auto gif = LoadGif(FixtureBytes("overlay.gif"));
  ASSERT_EQ(gif->Count(), 3);
  TColor transparent;
  std::unique_ptr<TBitmap> shown = gif->ComposeFrame(1, true, transparent);
  Pixels p = PixelsOf(shown.get());
  EXPECT_EQ(p.width, 8);
  EXPECT_EQ(p.At(0, 0), RGB(200, 30, 30));
  EXPECT_EQ(p.At(2, 1), RGB(0, 0, 255));
  EXPECT_EQ(p.At(5, 2), RGB(0, 0, 255));
  EXPECT_EQ(p.At(6, 2), RGB(200, 30, 30));
  // Indexes beyond the frames are clamped.
  EXPECT_EQ(Difference(FixturePixels("frame2.ppm"), PixelsOf(gif->ComposeFrame(99, true, transparent).get())), "");
  EXPECT_EQ(Difference(FixturePixels("frame0.ppm"), PixelsOf(gif->ComposeFrame(-5, true, transparent).get())), "");
}

TEST(GifConvert, AnimatedCursorFramesBecomeFrames) {
  TAniCursorImage cursor;
  cursor.LoadFromFile("fixtures\\pointer.ani");
  TGIFImage gif;
  gif.Assign(&cursor);
  ASSERT_EQ(gif.Count(), 3);
  EXPECT_EQ(gif.BackgroundColor(), clWindow);
  EXPECT_EQ(gif.Frames(0)->Delay, 83u);
  EXPECT_EQ(gif.Frames(2)->Delay, 250u);
  Pixels f0 = PixelsOf(gif.Frames(0)->Bitmap());
  EXPECT_EQ(f0.At(2, 8), RGB(0, 0, 0));
  EXPECT_EQ(PixelsOf(gif.Frames(1)->Bitmap()).At(12, 8), RGB(0, 0, 0));
  auto back = LoadGif(Saved(gif));
  EXPECT_EQ(back->Count(), 3);
}

TEST(GifClipboard, ImageAndBitmapGoOnTheClipboard) {
  auto gif = LoadGif(FixtureBytes("anim.gif"));
  Clipboard()->Assign(gif.get());
  EXPECT_TRUE(Clipboard()->HasFormat(GIFClipboardFormat()));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  TGIFImage back;
  back.Assign(Clipboard());
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.FrameIndex(), 0);
  EXPECT_EQ(Difference(FixturePixels("frame1.ppm"), PixelsOf(back.Frames(1)->Bitmap())), "");
  TPicture picture;
  picture.LoadFromFile("fixtures\\anim.gif");
  EXPECT_NE(dynamic_cast<TGIFImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(TPicture::FileFormatDescription("gif"), "CompuServe GIF Image");
}

TEST(GifLimits, DepthsDelaysAndSizesStayInRange) {
  // A literal beyond the frame's four colours is masked to its depth.
  auto masked = LoadGif(MakeGif(1, 1, Lzw(3, {{8, 4}, {7, 4}, {9, 4}})));
  EXPECT_EQ(PixelsOf(masked->Frames(0)->Bitmap()).At(0, 0), RGB(255, 255, 255));
  // The longest stored delay does not wrap, and is written back as stored.
  std::vector<uint8_t> basic = FixtureBytes("basic.gif");
  std::vector<uint8_t> slow(basic.begin(), basic.begin() + 25);
  slow.insert(slow.end(), {0x21, 0xF9, 4, 0, 0xFF, 0xFF, 0, 0});
  slow.insert(slow.end(), basic.begin() + 33, basic.end());
  auto gif = LoadGif(slow);
  EXPECT_EQ(gif->Frames(0)->Delay, 655350u);
  EXPECT_EQ(LoadGif(Saved(*gif))->Frames(0)->Delay, 655350u);
  // A frame reaching past 65535 pixels gives the largest screen, not a small one.
  TBitmap wide;
  wide.SetPixelFormat(pf8bit);
  wide.SetSize(1000, 1);
  // The table of an 8-bit bitmap is written whole, whatever it holds.
  wide.SetColors({{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}});
  TGIFImage image;
  image.Assign(&wide);
  image.Frames(0)->Left = 65000;
  std::vector<uint8_t> out = Saved(image);
  EXPECT_EQ(out[6] | out[7] << 8, 65535);
  EXPECT_EQ(out[10] & 7, 7);
  ASSERT_GT(out.size(), 13u + 256 * 3);
  EXPECT_EQ(out[13 + 256 * 3], ',');  // the image follows the whole table
  // Bit counts and colour counts go together as powers of two.
  for (int bits = 1; bits <= 8; ++bits) EXPECT_EQ(GifColorBits(1 << bits), bits);
  for (int count : {0, 1, 3, 17, 255, 512}) {
    try {
      GifColorBits(count);
      ADD_FAILURE() << count;
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message(), "Wrong number of colors; must be a power of 2");
    }
  }
}

TEST(GifWrite, ControlBlockKeepsItsOtherBits) {
  // basic.gif with a control block: reserved bits, user input, disposal 2.
  std::vector<uint8_t> basic = FixtureBytes("basic.gif");
  std::vector<uint8_t> flagged(basic.begin(), basic.begin() + 25);
  flagged.insert(flagged.end(), {0x21, 0xF9, 4, 0xEA, 5, 0, 0, 0});
  flagged.insert(flagged.end(), basic.begin() + 33, basic.end());
  auto packedOf = [](const std::vector<uint8_t>& f) {
    for (size_t i = 0; i + 3 < f.size(); ++i)
      if (f[i] == 0x21 && f[i + 1] == 0xF9 && f[i + 2] == 4) return static_cast<int>(f[i + 3]);
    return -1;
  };
  auto gif = LoadGif(flagged);
  EXPECT_EQ(gif->Frames(0)->DisposalMethod, 2);
  EXPECT_EQ(packedOf(Saved(*gif)), 0xEA);
  gif->Frames(0)->DisposalMethod = 1;
  EXPECT_EQ(packedOf(Saved(*gif)), 0xE6);
}

TEST(GifAssign, OwnFrameBecomesTheOnlyFrame) {
  auto gif = LoadGif(FixtureBytes("anim.gif"));
  ASSERT_EQ(gif->Count(), 3);
  gif->Assign(gif->Frames(1));
  ASSERT_EQ(gif->Count(), 1);
  EXPECT_EQ(gif->FrameIndex(), 0);
  EXPECT_EQ(gif->Frames(0)->Delay, 250u);
  EXPECT_EQ(gif->Frames(0)->DisposalMethod, 2);
  EXPECT_EQ(Difference(FixturePixels("frame1.ppm"), PixelsOf(gif->Frames(0)->Bitmap())), "");
  // Written and read back, the same frame.
  auto again = LoadGif(Saved(*gif));
  ASSERT_EQ(again->Count(), 1);
  EXPECT_EQ(Difference(FixturePixels("frame1.ppm"), PixelsOf(again->Frames(0)->Bitmap())), "");
}

// Streams make the image and its frames by class name.
TEST(GifRegistration, ImageAndFrameAreKnownByName) {
  std::unique_ptr<TPersistent> made(FindStreamClass("TGIFImage")());
  auto* gif = dynamic_cast<TGIFImage*>(made.get());
  ASSERT_NE(gif, nullptr);
  std::vector<uint8_t> bytes = FixtureBytes("basic.gif");
  TMemoryStream m;
  m.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  m.SetPosition(0);
  gif->LoadFromStream(&m);
  ASSERT_EQ(gif->Count(), 1);
  std::unique_ptr<TPersistent> frame(GetStreamClass("TGIFFrame")());
  ASSERT_NE(dynamic_cast<TGIFFrame*>(frame.get()), nullptr);
  frame->Assign(gif->Frames(0));
  EXPECT_EQ(Difference(FixturePixels("basic.ppm"), PixelsOf(static_cast<TGIFFrame*>(frame.get())->Bitmap())), "");
  EXPECT_FALSE(GetStreamClass("TNoSuchImage"));
  try {
    FindStreamClass("TNoSuchImage");
    ADD_FAILURE() << "an unknown class was found";
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), "Class TNoSuchImage not found");
  }
}
