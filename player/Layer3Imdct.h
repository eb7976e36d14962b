// Layer III inverse MDCT with windowing, overlap-add and frequency
// inversion.
#pragma once

// 36 outputs from 18 lines.
void Imdct36(const float* in, float* out);
// 12 outputs from 6 lines read with a stride (3 for the interleaved windows
// of a reordered short block).
void Imdct12(const float* in, int stride, float* out);

// Subbands transformed together by ImdctSubbands: 4 where the build has
// SSE2, else 1.
extern const int kImdctLanes;

// Transforms the 18 lines of each of the kImdctLanes subbands from `sb` on
// (xr: the granule's 576 lines), all of block type `blockType` (0-3), adds
// the overlap kept from the previous granule, keeps the new overlap, and
// writes the time samples with every odd one of an odd subband negated.
// overlap and out: 18 time slots of 32 subbands.
void ImdctSubbands(const float* xr, int sb, int blockType, float* overlap, float (*out)[32]);
// The same for subband `sb` alone.
void ImdctSubband(const float* xr, int sb, int blockType, float* overlap, float (*out)[32]);
// Subbands `sb` (a multiple of kImdctLanes) to 31 with silent lines: the
// overlap alone gives their time samples, and nothing more is kept.
void OverlapOnly(int sb, float* overlap, float (*out)[32]);
