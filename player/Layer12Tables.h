// Tables of Layers I and II: scale factors, requantisation, and the Layer II
// allocation and quantisation classes of MPEG-1 and of the low sampling rates.
#pragma once

#include <stdint.h>

class FrameHeader;

namespace layer12 {

// Scale factor by 6-bit index; index 63, which the standard leaves unused,
// gives 0.
extern const float (&kScaleFactors)[64];

// Layer I: value = factor * code + offset for an allocation of 1..14
// (sample length allocation + 1 bits).
struct Layer1Quant {
  float factor;
  float offset;
};
extern const Layer1Quant (&kLayer1Quant)[15];

// Layer II quantisation class.
struct QuantClass {
  int levels;
  int bits;               // bits per code (per group when grouped)
  const float* grouped;   // 3 values per code (2^bits codes) when grouped, else null
  float factor, offset;   // ungrouped: value = factor * code + offset
};

// Allocation table of a Layer II frame: bits per subband and the class of
// every allocation code.
struct AllocationTable {
  int subbands;
  const uint8_t* bits;               // allocation bits per subband
  const int8_t (*classes)[16];       // class index per subband and code, -1 none
};

const AllocationTable& Layer2Table(const FrameHeader& header);
const QuantClass& Layer2Class(int index);

}  // namespace layer12
