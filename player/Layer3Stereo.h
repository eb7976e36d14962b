// Layer III joint-stereo processing of one granule: middle/side and
// intensity stereo (MPEG-1 and MPEG-2 LSF rules).
#pragma once

#include "Layer3Spectrum.h"

// Decodes the two channels in place. `modeExtension` is that of a joint
// stereo frame (bit 2 middle/side, bit 1 intensity); `right` is the right
// channel's granule information.
void Layer3StereoProcess(bool mpeg1, int modeExtension,
                         const Layer3GranuleInfo& right,
                         const ScaleFactorBands& bands, Layer3Channel ch[2]);
