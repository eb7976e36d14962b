#include "Layer3Spectrum.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "BitReservoir.h"
#include "HuffmanTables.h"

namespace {

bool ShortBlock(const Layer3GranuleInfo& g) {
  return g.windowSwitching && g.blockType == 2;
}

// Reads a granule's Huffman data from a straight copy of the reservoir's
// bytes through a 64-bit cache that one 8-byte load refills. Positions
// count from the first copied byte. A granule is never longer than the
// reservoir; reads stop within kSlack bytes after the granule's end.
class SpanBits {
 public:
  static const int kMaxBytes = BitReservoir::kSize;
  static const int kSlack = 32;

  SpanBits(const BitReservoir& reservoir, int64_t start, int64_t end, uint8_t* data)
      : next_(data) {
    const int64_t firstByte = start >> 3;
    const int64_t last = std::max(end, start) - firstByte * 8;
    end_ = static_cast<int>(std::min<int64_t>(end - firstByte * 8, kMaxBytes * 8));
    const int bytes = static_cast<int>(std::min<int64_t>(last, kMaxBytes * 8) / 8) + kSlack;
    reservoir.CopyBytes(firstByte, bytes, data);
    Refill();
    SkipBits(static_cast<int>(start & 7));
  }

  int End() const { return end_; }
  int Position() const { return pos_; }
  // At least 56 bits in the cache afterwards: enough for a big-value pair
  // (a code of at most 19 bits, and with linbits at most 17 bits, two
  // escapes of 13 and two signs: at most 47) or a count1 quadruple (10).
  void Refill() {
    uint64_t w;
    std::memcpy(&w, next_, 8);
    cache_ |= __builtin_bswap64(w) >> count_;
    // The whole bytes taken in; the bits of a byte taken in part are
    // taken in again, the same, at the next refill.
    next_ += (63 - count_) >> 3;
    count_ |= 56;
  }
  uint32_t Peek32() const { return static_cast<uint32_t>(cache_ >> 32); }
  void SkipBits(int n) {
    cache_ <<= n;
    count_ -= n;
    pos_ += n;
  }
  uint32_t GetBits(int n) {  // n 1-32
    uint32_t v = Peek32() >> (32 - n);
    SkipBits(n);
    return v;
  }
  // v with its sign bit, which follows only a value that is not 0; no
  // branch on the data.
  int Signed(int v) {
    const int present = v != 0;
    const int negative = static_cast<int>(cache_ >> 63) & present;
    SkipBits(present);
    return (v ^ -negative) + negative;
  }

 private:
  const uint8_t* next_;  // the first byte not wholly in the cache
  uint64_t cache_ = 0;   // the next bits, most significant first
  int count_ = 0;        // bits of the cache that are the data's
  int pos_ = 0;
  int end_;
};

}  // namespace

void ReadScaleFactorsMpeg1(BitReservoir& bits, const Layer3GranuleInfo& g,
                           int scfsi, int granule, Layer3Channel& ch) {
  int slen1 = kSlen[0][g.scalefacCompress & 15];
  int slen2 = kSlen[1][g.scalefacCompress & 15];
  if (ShortBlock(g)) {
    int sfb = 0;
    if (g.mixedBlock) {
      for (; sfb < 8; ++sfb) ch.scaleLong[sfb] = int(bits.GetBits(slen1));
      sfb = 3;
    }
    for (; sfb < 12; ++sfb)
      for (int w = 0; w < 3; ++w)
        ch.scaleShort[sfb][w] = int(bits.GetBits(sfb < 6 ? slen1 : slen2));
    for (int w = 0; w < 3; ++w) ch.scaleShort[12][w] = 0;
    return;
  }
  static const int kGroupStart[5] = {0, 6, 11, 16, 21};
  for (int group = 0; group < 4; ++group) {
    if (granule == 1 && (scfsi >> (3 - group)) & 1) continue;
    int len = group < 2 ? slen1 : slen2;
    for (int sfb = kGroupStart[group]; sfb < kGroupStart[group + 1]; ++sfb)
      ch.scaleLong[sfb] = int(bits.GetBits(len));
  }
  ch.scaleLong[21] = 0;
}

void ReadScaleFactorsLsf(BitReservoir& bits, Layer3GranuleInfo& g,
                         bool intensityRight, Layer3Channel& ch) {
  LsfScaleFactorLayout layout = LsfLayout(g.scalefacCompress, intensityRight);
  g.preflag = layout.preflag;
  int kind = ShortBlock(g) ? (g.mixedBlock ? 2 : 1) : 0;
  const uint8_t* counts = kLsfPartitionBands[layout.table][kind];

  // The scale factors in transmission order, each with its length.
  int values[39];
  int maxima[39];
  int n = 0;
  for (int part = 0; part < 4; ++part) {
    int len = layout.slen[part];
    for (int i = 0; i < counts[part] && n < 39; ++i, ++n) {
      values[n] = int(bits.GetBits(len));
      maxima[n] = (1 << len) - 1;
    }
  }
  for (int i = n; i < 39; ++i) values[i] = 0, maxima[i] = 0;

  int k = 0;
  if (kind == 0) {
    for (int sfb = 0; sfb < 21; ++sfb, ++k) {
      ch.scaleLong[sfb] = values[k];
      ch.maxLong[sfb] = maxima[k];
    }
    ch.scaleLong[21] = 0;
    ch.maxLong[21] = -1;
    return;
  }
  int sfb = 0;
  if (kind == 2) {
    for (; sfb < 6; ++sfb, ++k) {
      ch.scaleLong[sfb] = values[k];
      ch.maxLong[sfb] = maxima[k];
    }
    sfb = 3;
  }
  for (; sfb < 12; ++sfb) {
    for (int w = 0; w < 3; ++w, ++k) ch.scaleShort[sfb][w] = values[k];
    ch.maxShort[sfb] = maxima[k - 1];
  }
  for (int w = 0; w < 3; ++w) ch.scaleShort[12][w] = 0;
  ch.maxShort[12] = -1;
}

bool DecodeSpectrum(BitReservoir& reservoir, const Layer3GranuleInfo& g,
                    const ScaleFactorBands& bands, int64_t end,
                    Layer3Channel& ch) {
  // The granule's bytes, and a few after it that a read may look at before
  // it stops, in a straight copy.
  const int64_t start = reservoir.BitPosition();
  uint8_t data[SpanBits::kMaxBytes + SpanBits::kSlack];
  SpanBits bits(reservoir, start, end, data);
  const int stopBit = bits.End();

  const HuffmanLookup& huff = HuffmanLookup::Get();
  int* codes = ch.codes;
  int bigEnd = std::min(g.bigValues * 2, 576);
  int region1, region2;
  if (ShortBlock(g)) {
    region1 = 36;
    region2 = 576;
  } else {
    region1 = bands.longEdge[std::min(g.region0Count + 1, 22)];
    region2 = bands.longEdge[std::min(g.region0Count + g.region1Count + 2, 22)];
  }
  const int limits[3] = {std::min(region1, bigEnd), std::min(region2, bigEnd),
                         bigEnd};

  bool ok = true;
  int line = 0;
  for (int region = 0; region < 3 && ok; ++region) {
    int table = g.tableSelect[region];
    int stop = limits[region];
    if (line >= stop) continue;
    if (table == 0) {
      for (; line < stop; ++line) codes[line] = 0;
      continue;
    }
    if (!huff.Exists(table)) {
      ok = false;
      break;
    }
    const int linbits = huff.Linbits(table);
    const HuffmanLookup::Table lookup = huff.Lookup(table);
    for (; line < stop; line += 2) {
      if (bits.Position() > stopBit) {
        ok = false;
        break;
      }
      bits.Refill();
      int v = lookup.Decode(bits);
      if (v < 0) {
        ok = false;
        break;
      }
      int x = v >> 4, y = v & 15;
      if (linbits) {
        if (x == 15) x += int(bits.GetBits(linbits));
        x = bits.Signed(x);
        if (y == 15) y += int(bits.GetBits(linbits));
        y = bits.Signed(y);
      } else {
        x = bits.Signed(x);
        y = bits.Signed(y);
      }
      codes[line] = x;
      codes[line + 1] = y;
    }
  }

  if (ok) {
    const HuffmanLookup::Table lookup = huff.Lookup(32 + g.count1Table);
    while (line + 4 <= 576 && bits.Position() < stopBit) {
      bits.Refill();
      int v = lookup.Decode(bits);
      int q[4] = {(v >> 5) & 1, (v >> 4) & 1, (v >> 1) & 1, v & 1};
      for (int& c : q) c = bits.Signed(c);
      if (bits.Position() > stopBit) break;  // ran past the granule: dropped
      for (int i = 0; i < 4; ++i) codes[line + i] = q[i];
      line += 4;
    }
  }
  if (!ok) line = 0;
  ch.nonZero = line;
  if (line < 576) std::memset(codes + line, 0, sizeof(int) * (576 - line));
  // The reservoir goes on at the granule's end, whatever was read.
  if (end >= start)
    reservoir.SkipBits(end - start);
  else
    reservoir.RewindBits(start - end);
  return ok;
}

void Requantise(const Layer3GranuleInfo& g, const ScaleFactorBands& bands,
                Layer3Channel& ch) {
  const Layer3Constants& k = Layer3Constants::Get();
  const float gain = k.globalGain[g.globalGain & 255];
  const int shift = g.scalefacScale;
  const int nonZero = ch.nonZero;
  float* xr = ch.xr;
  const int* codes = ch.codes;

  auto multiplier = [&](int n) {
    return n < 64 ? k.scaleMultiplier[n] : float(std::pow(2.0, -0.5 * n));
  };
  auto scale = [&](int from, int to, float factor) {
    // DecodeSpectrum gives no code beyond +-kMaxSpectralCode.
    const float* table = k.signedPow43 + kMaxSpectralCode;
    for (int i = from; i < to; ++i) xr[i] = table[codes[i]] * factor;
  };

  int line = 0;
  if (!ShortBlock(g) || g.mixedBlock) {
    int longEnd = ShortBlock(g) ? 36 : 576;
    for (int sfb = 0; sfb < 22 && line < nonZero; ++sfb) {
      int to = std::min({int(bands.longEdge[sfb + 1]), longEnd, nonZero});
      int n = ch.scaleLong[sfb] + (g.preflag ? kPretab[sfb] : 0);
      scale(line, to, gain * multiplier(n << shift));
      line = to;
      if (line >= longEnd) break;
    }
  }
  if (ShortBlock(g)) {
    for (int sfb = g.mixedBlock ? 3 : 0; sfb < 13 && line < nonZero; ++sfb) {
      int width = bands.shortEdge[sfb + 1] - bands.shortEdge[sfb];
      for (int w = 0; w < 3 && line < nonZero; ++w) {
        int to = std::min(line + width, nonZero);
        int n = 4 * g.subblockGain[w] + (ch.scaleShort[sfb][w] << shift);
        scale(line, to, gain * multiplier(n));
        line = to;
      }
    }
  }
  if (line < 576) std::memset(xr + line, 0, sizeof(float) * (576 - line));
}
