#include "Layer3Hybrid.h"

#include <algorithm>
#include <cstring>

#include "Layer3Imdct.h"

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
  for (int sb = 1; sb <= boundaries; ++sb) {
    float* hi = xr + 18 * sb;
    for (int i = 0; i < 8; ++i) {
      float a = hi[-1 - i], b = hi[i];
      hi[-1 - i] = a * kAliasCs[i] - b * kAliasCa[i];
      hi[i] = b * kAliasCs[i] + a * kAliasCa[i];
    }
  }
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
  // Silent subbands: the overlap alone, then nothing more to overlap.
  for (int i = 0; i < 18; ++i) {
    float* ov = overlap + 32 * i;
    for (int s = sb; s < 32; ++s) {
      out[i][s] = (i & s & 1) ? -ov[s] : ov[s];
      ov[s] = 0.0f;
    }
  }
}
