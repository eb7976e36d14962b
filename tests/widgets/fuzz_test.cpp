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

void Exercise(const std::vector<uint8_t>& bytes) {
  TGIFImage gif;
  TMemoryStream m;
  if (!bytes.empty()) m.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
  m.SetPosition(0);
  try {
    gif.LoadFromStream(&m);
  } catch (const Exception&) {
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
}

}  // namespace

TEST(Fuzz, MutatedGifFilesFailCleanly) {
  std::mt19937 rng(20261210);
  const char* seeds[] = {"basic.gif", "interlaced.gif", "deep.gif", "transparent.gif", "anim.gif", "overlay.gif"};
  int runs = 0;
  for (int round = 0; round < 600; ++round)
    for (const char* seed : seeds) {
      Exercise(Mutate(FixtureBytes(seed), rng));
      ++runs;
    }
  EXPECT_EQ(runs, 3600);
}

TEST(Fuzz, MutatedCursorFilesFailCleanly) {
  std::mt19937 rng(1210);
  std::vector<uint8_t> seed = FixtureBytes("pointer.ani");
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> bytes = Mutate(seed, rng);
    TAniCursorImage cursor;
    TMemoryStream m;
    if (!bytes.empty()) m.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    m.SetPosition(0);
    try {
      cursor.LoadFromStream(&m);
      TGIFImage gif;
      gif.Assign(&cursor);
    } catch (const Exception&) {
    }
  }
}
