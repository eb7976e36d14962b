// Mutated GIF and animated cursor files: every one either loads or gives
// an error of the class library; none crashes or hangs. Whatever loads is
// decoded, composed and written again.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "AniCursor.h"
#include "Fixtures.h"
#include "GIFImage.h"

namespace {

std::vector<uint8_t> Mutate(std::vector<uint8_t> f, std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 5), byte(0, 255);
  int edits = 1 + static_cast<int>(rng() % 4);
  for (int e = 0; e < edits && !f.empty(); ++e) {
    size_t at = rng() % f.size();
    switch (kind(rng)) {
      case 0: f[at] = static_cast<uint8_t>(byte(rng)); break;
      case 1: f[at] ^= static_cast<uint8_t>(1 << (rng() % 8)); break;
      case 2: f.resize(at); break;
      case 3: f.insert(f.begin() + static_cast<long>(at), static_cast<uint8_t>(byte(rng))); break;
      case 4: f.erase(f.begin() + static_cast<long>(at)); break;
      default: f[at] = static_cast<uint8_t>(rng() % 2 ? 0xFF : 0x00); break;
    }
  }
  return f;
}

void Fill(TMemoryStream& m, const std::vector<uint8_t>& bytes) {
  if (!bytes.empty()) m.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  m.SetPosition(0);
}

// True when the file loaded without an error.
bool Exercise(const std::vector<uint8_t>& bytes) {
  TGIFImage gif;
  TMemoryStream m;
  Fill(m, bytes);
  bool loaded = true;
  try {
    gif.LoadFromStream(&m);
  } catch (const Exception&) {
    loaded = false;
  }
  for (int i = 0; i < gif.Count(); ++i) {
    try {
      gif.Frames(i)->Bitmap();
      TColor t;
      gif.ComposeFrame(i, true, t);
    } catch (const Exception&) {
    }
  }
  try {
    TMemoryStream out;
    gif.SaveToStream(&out);
  } catch (const Exception&) {
  }
  return loaded;
}

}  // namespace

TEST(Fuzz, MutatedGifFilesFailCleanly) {
  std::mt19937 rng(20261210);
  const char* seeds[] = {"basic.gif", "interlaced.gif", "deep.gif", "transparent.gif", "anim.gif", "overlay.gif"};
  std::vector<std::vector<uint8_t>> files;
  for (const char* seed : seeds) {
    files.push_back(FixtureBytes(seed));
    TGIFImage gif;
    TMemoryStream m;
    Fill(m, files.back());
    ASSERT_NO_THROW(gif.LoadFromStream(&m)) << seed;
    ASSERT_GT(gif.Count(), 0) << seed;
  }
  // The mutations must reach both the loader's errors and its success.
  int loaded = 0, refused = 0;
  for (int round = 0; round < 600; ++round)
    for (const auto& file : files) (Exercise(Mutate(file, rng)) ? loaded : refused)++;
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}

TEST(Fuzz, MutatedCursorFilesFailCleanly) {
  std::mt19937 rng(1210);
  std::vector<uint8_t> seed = FixtureBytes("pointer.ani");
  {
    TAniCursorImage cursor;
    TMemoryStream m;
    Fill(m, seed);
    ASSERT_NO_THROW(cursor.LoadFromStream(&m));
    ASSERT_GT(cursor.Count(), 0);
  }
  int loaded = 0, refused = 0;
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> bytes = Mutate(seed, rng);
    TAniCursorImage cursor;
    TMemoryStream m;
    Fill(m, bytes);
    try {
      cursor.LoadFromStream(&m);
      TGIFImage gif;
      gif.Assign(&cursor);
      ++loaded;
    } catch (const Exception&) {
      ++refused;
    }
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(refused, 0);
}
