// Layer III side information of one frame.
#pragma once
#include <cstdint>

struct Layer3GranuleInfo {
  int part23Length;
  int bigValues;  // at most 288
  int globalGain;
  int scalefacCompress;
  bool windowSwitching;
  int blockType;  // 0 without window switching
  bool mixedBlock;
  int tableSelect[3];
  int subblockGain[3];
  int region0Count;
  int region1Count;
  bool preflag;
  int scalefacScale;
  int count1Table;  // 0 table A, 1 table B
};

struct Layer3SideInfo {
  int mainDataBegin;
  int privateBits;
  int scfsi[2];  // bit 3 for bands 0-5 ... bit 0 for bands 16-20
  Layer3GranuleInfo granule[2][2];  // [granule][channel]
};

// Side-information size in bytes: MPEG-1 17 / 32, MPEG-2 LSF 9 / 17.
int Layer3SideInfoSize(bool mpeg1, int channels);

// Parses the side information from its bytes (Layer3SideInfoSize of them).
void ParseLayer3SideInfo(const uint8_t* bytes, bool mpeg1, int channels,
                         Layer3SideInfo& info);
