#include "Layer3SideInfo.h"

#include <cstring>

namespace {

// Reads the side information from a zero-padded copy of its bytes (at
// most 32), so that every read is one 8-byte load.
class ByteBits {
 public:
  ByteBits(const uint8_t* p, int size) {
    std::memset(copy_, 0, sizeof copy_);
    std::memcpy(copy_, p, size < 32 ? size : 32);
  }
  int Get(int n) {  // n 1-16
    uint64_t w;
    std::memcpy(&w, copy_ + (pos_ >> 3), 8);
    w = __builtin_bswap64(w) << (pos_ & 7);
    pos_ += n;
    return static_cast<int>(w >> (64 - n));
  }

 private:
  uint8_t copy_[40];
  int pos_ = 0;
};

void ParseGranule(ByteBits& b, bool mpeg1, Layer3GranuleInfo& g) {
  g.part23Length = b.Get(12);
  g.bigValues = b.Get(9);
  if (g.bigValues > 288) g.bigValues = 288;
  g.globalGain = b.Get(8);
  g.scalefacCompress = b.Get(mpeg1 ? 4 : 9);
  g.windowSwitching = b.Get(1) != 0;
  if (g.windowSwitching) {
    g.blockType = b.Get(2);
    g.mixedBlock = b.Get(1) != 0;
    g.tableSelect[0] = b.Get(5);
    g.tableSelect[1] = b.Get(5);
    g.tableSelect[2] = 0;
    for (int& gain : g.subblockGain) gain = b.Get(3);
    // Implicit regions: region 1 starts after long band 7 (or at line 36
    // for short blocks) and runs to the end.
    g.region0Count = g.blockType == 2 && !g.mixedBlock ? 8 : 7;
    g.region1Count = 20 - g.region0Count;
  } else {
    g.blockType = 0;
    g.mixedBlock = false;
    for (int& t : g.tableSelect) t = b.Get(5);
    for (int& gain : g.subblockGain) gain = 0;
    g.region0Count = b.Get(4);
    g.region1Count = b.Get(3);
  }
  g.preflag = mpeg1 ? b.Get(1) != 0 : false;
  g.scalefacScale = b.Get(1);
  g.count1Table = b.Get(1);
}

}  // namespace

int Layer3SideInfoSize(bool mpeg1, int channels) {
  if (mpeg1) return channels == 1 ? 17 : 32;
  return channels == 1 ? 9 : 17;
}

void ParseLayer3SideInfo(const uint8_t* bytes, bool mpeg1, int channels,
                         Layer3SideInfo& info) {
  ByteBits b(bytes, Layer3SideInfoSize(mpeg1, channels));
  info.scfsi[0] = info.scfsi[1] = 0;
  if (mpeg1) {
    info.mainDataBegin = b.Get(9);
    info.privateBits = b.Get(channels == 1 ? 5 : 3);
    for (int ch = 0; ch < channels; ++ch) info.scfsi[ch] = b.Get(4);
  } else {
    info.mainDataBegin = b.Get(8);
    info.privateBits = b.Get(channels == 1 ? 1 : 2);
  }
  int granules = mpeg1 ? 2 : 1;
  for (int gr = 0; gr < granules; ++gr)
    for (int ch = 0; ch < channels; ++ch)
      ParseGranule(b, mpeg1, info.granule[gr][ch]);
}
