// Mutated files through the frame reader and the Layer I/II decoders for a
// bounded time: no crash, no hang, every output sample accounted for.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "FrameReader.h"
#include "TestKit.h"

namespace {

class CountingSink : public PcmSink {
 public:
  void Append(int channel, int16_t) override { ++samples[channel & 1]; }
  void WriteBuffer() override { ++frames; }
  void Clear() override {}
  void SetStopped() override {}
  size_t samples[2] = {0, 0};
  int frames = 0;
};

std::vector<uint8_t> Mutate(const std::vector<uint8_t>& seed, std::mt19937& rng) {
  std::vector<uint8_t> f = seed;
  switch (rng() % 5) {
    case 0:  // flipped bits
      for (int i = 0, n = 1 + rng() % 40; i < n; ++i) f[rng() % f.size()] ^= uint8_t(1 << (rng() % 8));
      break;
    case 1:  // random bytes
      for (int i = 0, n = 1 + rng() % 200; i < n; ++i) f[rng() % f.size()] = uint8_t(rng());
      break;
    case 2:  // cut short
      f.resize(rng() % f.size());
      break;
    case 3: {  // a run of sync-like bytes
      size_t at = rng() % f.size();
      for (size_t i = at; i < f.size() && i < at + 64; ++i) f[i] = i % 2 ? 0xFF : uint8_t(0xF0 | rng());
      break;
    }
    default:  // every frame body scrambled, headers kept
      for (size_t i = 0; i < f.size(); ++i)
        if (rng() % 3 == 0) f[i] = uint8_t(rng());
      break;
  }
  return f;
}

}  // namespace

TEST(Fuzz, MutatedFilesDecodeWithoutFault) {
  testkit::Pcm stereo = testkit::MakeSignal(44100, 0.5, {{{440, 0.3}}, {{1000, 0.3}}});
  testkit::Pcm lsf = testkit::MakeSignal(22050, 0.5, {{{440, 0.5}}});
  ASSERT_TRUE(testkit::EncodeLayer2(stereo, "seed_crc.mp2", 'j', 192, "-p -d"));
  ASSERT_TRUE(testkit::EncodeLayer2(lsf, "seed_lsf.mp2", 'm', 32));
  testkit::Layer1Options o;
  o.mode = 1;
  o.modeExtension = 1;
  std::vector<uint8_t> l1 = testkit::WriteLayer1(
      testkit::MakeSignal(48000, 0.3, {{{440, 0.3}}, {{1000, 0.3}}}), o);
  std::vector<std::vector<uint8_t>> seeds = {testkit::ReadFile("seed_crc.mp2"),
                                             testkit::ReadFile("seed_lsf.mp2"), l1};
  std::mt19937 rng(1234);
  DWORD start = GetTickCount();
  int runs = 0;
  while (GetTickCount() - start < 15000) {
    std::vector<uint8_t> f = Mutate(seeds[runs % seeds.size()], rng);
    ASSERT_TRUE(testkit::WriteFile("mutant.bin", f.data(), f.size()));
    CountingSink sink;
    FileDecodeReport r = DecodeFile("mutant.bin", sink);
    ASSERT_LE(r.decoded, r.frames);
    ASSERT_LE(sink.samples[0], size_t(r.decoded) * 1152);
    FrameReader reader("mutant.bin");
    FrameHeader h;
    for (int i = 0; i < 3; ++i) reader.SeekFrame(h, rng() % 60);
    ++runs;
  }
  printf("%d mutated files\n", runs);
  EXPECT_GT(runs, 50);
}
