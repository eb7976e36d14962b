// Layer III scale factors, Huffman-coded spectrum and requantisation of one
// granule and channel.
#pragma once
#include <cstdint>

#include "Layer3SideInfo.h"
#include "Layer3Tables.h"

class BitReservoir;

struct Layer3Channel {
  int scaleLong[22];
  int scaleShort[13][3];
  // LSF: the highest value each band's scale factor can take (its
  // intensity position "none"); -1 where no scale factor is sent.
  int maxLong[22];
  int maxShort[13];
  int codes[576];
  float xr[576];
  int nonZero;  // lines above it are zero
};

// MPEG-1 scale factors; in granule 1 the groups flagged in scfsi keep the
// values of granule 0.
void ReadScaleFactorsMpeg1(BitReservoir& bits, const Layer3GranuleInfo& g,
                           int scfsi, int granule, Layer3Channel& ch);

// MPEG-2 LSF scale factors; sets g.preflag from the partition.
void ReadScaleFactorsLsf(BitReservoir& bits, Layer3GranuleInfo& g,
                         bool intensityRight, Layer3Channel& ch);

// Decodes big values and count1 quadruples up to bit `end` into ch.codes
// and sets ch.nonZero; the reservoir is left at `end`. False when the data
// is not decodable (an unused table); the granule is then silent.
bool DecodeSpectrum(BitReservoir& bits, const Layer3GranuleInfo& g,
                    const ScaleFactorBands& bands, int64_t end,
                    Layer3Channel& ch);

// ch.codes (as DecodeSpectrum gives them: within +-kMaxSpectralCode) ->
// ch.xr with the gains and scale factors of the granule.
void Requantise(const Layer3GranuleInfo& g, const ScaleFactorBands& bands,
                Layer3Channel& ch);
