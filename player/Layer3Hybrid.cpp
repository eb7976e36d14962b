#include "Layer3Hybrid.h"

#include <algorithm>
#include <cstring>

#include "Layer3Imdct.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Window-major short bands to the interleaved order the IMDCT reads: line
// j of window w in a band starting at edge e goes to 3 * (e + j) + w.
void Reorder(const ScaleFactorBands& bands, int firstBand, float* xr) {
  float tmp[576];
  int start = bands.shortEdge[firstBand] * 3;
  for (int sfb = firstBand; sfb < 13; ++sfb) {
    int edge = bands.shortEdge[sfb];
    int width = bands.shortEdge[sfb + 1] - edge;
    for (int w = 0; w < 3; ++w)
      for (int j = 0; j < width; ++j)
        tmp[3 * (edge + j) + w] = xr[edge * 3 + w * width + j];
  }
  std::memcpy(xr + start, tmp + start, sizeof(float) * (576 - start));
}

void AliasReduce(float* xr, int boundaries) {
#if defined(__SSE2__)
  // The eight butterflies of a boundary as two times four: the lines below
  // the boundary are read and written in reverse.
  const __m128 cs[2] = {_mm_loadu_ps(kAliasCs), _mm_loadu_ps(kAliasCs + 4)};
  const __m128 ca[2] = {_mm_loadu_ps(kAliasCa), _mm_loadu_ps(kAliasCa + 4)};
  for (int sb = 1; sb <= boundaries; ++sb) {
    float* hi = xr + 18 * sb;
    for (int h = 0; h < 2; ++h) {
      float* below = hi - 4 - 4 * h;
      __m128 a = _mm_loadu_ps(below);
      a = _mm_shuffle_ps(a, a, _MM_SHUFFLE(0, 1, 2, 3));
      __m128 b = _mm_loadu_ps(hi + 4 * h);
      __m128 lo = _mm_sub_ps(_mm_mul_ps(a, cs[h]), _mm_mul_ps(b, ca[h]));
      _mm_storeu_ps(below, _mm_shuffle_ps(lo, lo, _MM_SHUFFLE(0, 1, 2, 3)));
      _mm_storeu_ps(hi + 4 * h, _mm_add_ps(_mm_mul_ps(b, cs[h]), _mm_mul_ps(a, ca[h])));
    }
  }
#else
  for (int sb = 1; sb <= boundaries; ++sb) {
    float* hi = xr + 18 * sb;
    for (int i = 0; i < 8; ++i) {
      float a = hi[-1 - i], b = hi[i];
      hi[-1 - i] = a * kAliasCs[i] - b * kAliasCa[i];
      hi[i] = b * kAliasCs[i] + a * kAliasCa[i];
    }
  }
#endif
}

}  // namespace

void Layer3HybridSynthesis(const Layer3GranuleInfo& g,
                           const ScaleFactorBands& bands, float* xr,
                           int nonZero, float* overlap, float out[18][32]) {
  const bool shortBlock = g.windowSwitching && g.blockType == 2;
  int used = nonZero;  // lines that may be non-zero
  if (shortBlock) {
    int firstBand = g.mixedBlock ? 3 : 0;
    if (nonZero > bands.shortEdge[firstBand] * 3) {
      Reorder(bands, firstBand, xr);
      used = 576;  // interleaving spreads the windows over the bands
    }
    if (g.mixedBlock) {
      AliasReduce(xr, 1);
      used = std::max(used, std::min(576, nonZero + 8));
    }
  } else {
    // Butterflies reach 8 lines past the last non-zero one.
    int boundaries = std::min(31, (nonZero + 7) / 18);
    AliasReduce(xr, boundaries);
    used = std::min(576, nonZero + 8);
  }

  const int active = std::min(32, (used + 17) / 18);
  const int type = g.windowSwitching ? g.blockType : 0;
  const bool mixed = shortBlock && g.mixedBlock;
  const int lanes = kImdctLanes;
  int sb = 0;
  for (; sb < active; sb += lanes) {
    if (mixed && sb < 2) {
      // The first two subbands of a mixed block are long ones.
      for (int s = sb; s < sb + lanes; ++s) ImdctSubband(xr, s, s < 2 ? 0 : 2, overlap, out);
    } else {
      ImdctSubbands(xr, sb, type, overlap, out);
    }
  }
  if (sb < 32) OverlapOnly(sb, overlap, out);
}
