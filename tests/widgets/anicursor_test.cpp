// Animated cursor files: frames, rates, steps and texts are read; broken
// files give "Stream read error".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "AniCursor.h"
#include "Fixtures.h"
#include "VclUtils.h"

namespace {
void Load(TAniCursorImage& cursor, const std::vector<uint8_t>& bytes) {
  TMemoryStream m;
  if (!bytes.empty()) m.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  m.SetPosition(0);
  cursor.LoadFromStream(&m);
}

size_t Find(const std::vector<uint8_t>& bytes, const char* tag) {
  for (size_t i = 0; i + 4 <= bytes.size(); ++i)
    if (std::memcmp(&bytes[i], tag, 4) == 0) return i;
  return std::string::npos;
}

void PutDWord(std::vector<uint8_t>& bytes, size_t at, uint32_t v) { std::memcpy(&bytes[at], &v, 4); }
}  // namespace

TEST(AniCursor, ReadsStepsRatesIconsAndTexts) {
  TAniCursorImage cursor;
  cursor.LoadFromFile("fixtures\\pointer.ani");
  ASSERT_EQ(cursor.Count(), 3);
  EXPECT_EQ(cursor.Title(), "Pointer");
  EXPECT_EQ(cursor.Creator(), "Brindale");
  EXPECT_EQ(cursor.Header().DisplayRate, 7u);
  EXPECT_EQ(cursor.MaxColors(), 2);
  const uint32_t rates[] = {5, 10, 15};
  const int seq[] = {0, 1, 0};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(cursor.Frames(i)->JiffRate, rates[i]);
    EXPECT_EQ(cursor.Frames(i)->Seq, seq[i]);
    EXPECT_FALSE(cursor.Frames(i)->IsIcon);
    EXPECT_EQ(cursor.Frames(i)->HotSpot.x, 3);
    EXPECT_EQ(cursor.Icons(i)->Width(), 16);
  }
  // A strip of the three frames: the first and last show the same icon.
  TBitmap strip;
  cursor.AssignToBitmap(&strip, clWhite, false, false);
  EXPECT_EQ(strip.Width(), 48);
  HDC dc = strip.Canvas()->Handle();
  EXPECT_EQ(GetPixel(dc, 2, 8), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 16 + 2, 8), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 32 + 2, 8), RGB(0, 0, 0));
  TIcon icon;
  icon.Assign(&cursor);
  EXPECT_EQ(icon.Width(), 16);
}

TEST(AniCursor, BrokenFilesAreRefused) {
  std::vector<uint8_t> good = FixtureBytes("pointer.ani");
  size_t anih = Find(good, "anih"), list = Find(good, "fram");
  ASSERT_NE(anih, std::string::npos);
  auto edit = [&](size_t at, uint32_t v) {
    std::vector<uint8_t> f = good;
    PutDWord(f, at, v);
    return f;
  };
  std::vector<uint8_t> notRiff = good;
  notRiff[0] = 'X';
  std::vector<uint8_t> notAcon = good;
  notAcon[8] = 'X';
  std::vector<uint8_t> noIcons = good;
  noIcons[list] = 'X';  // the frame list becomes an unknown list
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"not RIFF", notRiff},
      {"not ACON", notAcon},
      {"frames not icons", edit(anih + 8 + 32, 0)},
      {"no steps", edit(anih + 8 + 8, 0)},
      {"chunk size beyond the data", edit(anih + 4, 0x7FFFFFF0)},
      {"huge frame count", edit(anih + 8 + 4, 0x40000000)},
      {"no icons", noIcons},
      {"empty", {}},
  };
  for (const Case& c : cases) {
    TAniCursorImage cursor;
    try {
      Load(cursor, c.bytes);
      ADD_FAILURE() << c.what << " loaded";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Stream read error") << c.what;
    }
  }
}

TEST(AniCursor, SavingIsNotImplemented) {
  static std::string shown;
  ShowInformation = [](const char* text) { shown = text; };
  TAniCursorImage cursor;
  TMemoryStream m;
  EXPECT_THROW(cursor.SaveToStream(&m), EAbort);
  EXPECT_EQ(shown, "Function not yet implemented");
}
