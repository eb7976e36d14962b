// Layer III hybrid synthesis of one granule and channel: short-block
// reordering, alias reduction, IMDCT with overlap, frequency inversion.
#pragma once

#include "Layer3Spectrum.h"

// xr: the channel's 576 requantised lines (changed in place); overlap: the
// channel's 576 values kept from the previous granule, 18 time slots of 32
// subbands; out: 18 time slots of 32 subband samples.
void Layer3HybridSynthesis(const Layer3GranuleInfo& g,
                           const ScaleFactorBands& bands, float* xr,
                           int nonZero, float* overlap, float out[18][32]);
