// Layer III inverse MDCT with windowing and overlap-add for one subband.
#pragma once

// 36 outputs from 18 lines.
void Imdct36(const float* in, float* out);
// 12 outputs from 6 lines read with a stride (3 for the interleaved windows
// of a reordered short block).
void Imdct12(const float* in, int stride, float* out);

// Transforms the 18 lines of a subband with its block type (0-3), adds the
// overlap kept from the previous granule and keeps the new overlap.
void ImdctSubband(const float* in, int blockType, float* overlap, float* out);
