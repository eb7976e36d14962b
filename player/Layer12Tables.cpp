#include "Layer12Tables.h"

#include <math.h>

#include "FrameHeader.h"

namespace layer12 {

namespace {

struct ScaleFactorTable {
  float f[64];
  ScaleFactorTable() {
    // 2.0 * 2^(-i/3): 2.00000000000000, 1.58740105196820, 1.25992104989487, ...
    for (int i = 0; i < 63; ++i) f[i] = static_cast<float>(2.0 * pow(2.0, -i / 3.0));
    f[63] = 0.0f;
  }
};

struct Layer1Table {
  Layer1Quant q[15];
  Layer1Table() {
    // s = 2^nb / (2^nb - 1) * (code / 2^(nb-1) - 1 + 2^-(nb-1)), nb = allocation + 1.
    q[0] = {0.0f, 0.0f};
    for (int a = 1; a < 15; ++a) {
      int nb = a + 1;
      double c = ldexp(1.0, nb) / (ldexp(1.0, nb) - 1.0);
      double step = ldexp(1.0, 1 - nb);
      q[a] = {static_cast<float>(c * step), static_cast<float>(c * (step - 1.0))};
    }
  }
};

// Classes of the standard's table of quantisation: levels, bits per code,
// grouping, C and D.
struct ClassSpec {
  int levels, bits, grouped;
  double c, d;
};
const ClassSpec kClassSpecs[17] = {
    {3, 5, 1, 1.33333333333, 0.50000000000},
    {5, 7, 1, 1.60000000000, 0.50000000000},
    {7, 3, 0, 1.14285714286, 0.25000000000},
    {9, 10, 1, 1.77777777777, 0.50000000000},
    {15, 4, 0, 1.06666666666, 0.12500000000},
    {31, 5, 0, 1.03225806452, 0.06250000000},
    {63, 6, 0, 1.01587301587, 0.03125000000},
    {127, 7, 0, 1.00787401575, 0.01562500000},
    {255, 8, 0, 1.00392156863, 0.00781250000},
    {511, 9, 0, 1.00195694716, 0.00390625000},
    {1023, 10, 0, 1.00097751711, 0.00195312500},
    {2047, 11, 0, 1.00048851979, 0.00097656250},
    {4095, 12, 0, 1.00024420024, 0.00048828125},
    {8191, 13, 0, 1.00012208522, 0.00024414063},
    {16383, 14, 0, 1.00006103888, 0.00012207031},
    {32767, 15, 0, 1.00003051851, 0.00006103516},
    {65535, 16, 0, 1.00001525902, 0.00003051758},
};

// Grouped codes: three values per code; codes past levels^3 (which a valid
// stream never sends) give zeros.
float grouped3[32 * 3], grouped5[128 * 3], grouped9[1024 * 3];

struct ClassTable {
  QuantClass q[17];
  ClassTable() {
    float* groups[3] = {grouped3, grouped5, grouped9};
    int g = 0;
    for (int i = 0; i < 17; ++i) {
      const ClassSpec& s = kClassSpecs[i];
      // Bits of one value: the MSB-inverted fraction code / 2^(nb-1) - 1.
      int nb = 0;
      while ((1 << nb) < s.levels) ++nb;
      double step = ldexp(1.0, 1 - nb);
      QuantClass& q = this->q[i];
      q.levels = s.levels;
      q.bits = s.bits;
      q.factor = static_cast<float>(s.c * step);
      q.offset = static_cast<float>(s.c * (s.d - 1.0));
      q.grouped = nullptr;
      if (s.grouped) {
        float* t = groups[g++];
        int codes = 1 << s.bits;
        for (int code = 0; code < codes; ++code) {
          int rest = code;
          for (int k = 0; k < 3; ++k) {
            int v = rest % s.levels;
            rest /= s.levels;
            t[code * 3 + k] =
                code < s.levels * s.levels * s.levels
                    ? static_cast<float>(s.c * (v * step - 1.0 + s.d))
                    : 0.0f;
          }
        }
        q.grouped = t;
      }
    }
  }
};

const ScaleFactorTable kScaleTable;
const Layer1Table kLayer1Table;
const ClassTable kClassTable;

// Class indexes (into kClassSpecs) per allocation code; row kinds of the
// standard's allocation tables.
#define N -1
const int8_t kRowHigh0[16] = {N, 0, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
const int8_t kRowHigh3[16] = {N, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16};
const int8_t kRowHigh11[16] = {N, 0, 1, 2, 3, 4, 5, 16, N, N, N, N, N, N, N, N};
const int8_t kRowHigh23[16] = {N, 0, 1, 16, N, N, N, N, N, N, N, N, N, N, N, N};
const int8_t kRowLow0[16] = {N, 0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const int8_t kRowLow2[16] = {N, 0, 1, 3, 4, 5, 6, 7, N, N, N, N, N, N, N, N};
const int8_t kRowLsf0[16] = {N, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
const int8_t kRowLsf11[16] = {N, 0, 1, 3, N, N, N, N, N, N, N, N, N, N, N, N};
#undef N

struct Tables {
  int8_t high[30][16], low[12][16], lsf[30][16];
  uint8_t highBits[30], lowBits[12], lsfBits[30];
  AllocationTable a, b, c, d, l;
  static void Copy(int8_t* to, const int8_t* from) {
    for (int i = 0; i < 16; ++i) to[i] = from[i];
  }
  Tables() {
    for (int sb = 0; sb < 30; ++sb) {
      const int8_t* row = sb < 3 ? kRowHigh0 : sb < 11 ? kRowHigh3 : sb < 23 ? kRowHigh11 : kRowHigh23;
      Copy(high[sb], row);
      highBits[sb] = sb < 11 ? 4 : sb < 23 ? 3 : 2;
      Copy(lsf[sb], sb < 4 ? kRowLsf0 : sb < 11 ? kRowLow2 : kRowLsf11);
      lsfBits[sb] = sb < 4 ? 4 : sb < 11 ? 3 : 2;
    }
    for (int sb = 0; sb < 12; ++sb) {
      Copy(low[sb], sb < 2 ? kRowLow0 : kRowLow2);
      lowBits[sb] = sb < 2 ? 4 : 3;
    }
    a = {27, highBits, high};
    b = {30, highBits, high};
    c = {8, lowBits, low};
    d = {12, lowBits, low};
    l = {30, lsfBits, lsf};
  }
};
const Tables kTables;

}  // namespace

const float (&kScaleFactors)[64] = kScaleTable.f;
const Layer1Quant (&kLayer1Quant)[15] = kLayer1Table.q;

const AllocationTable& Layer2Table(const FrameHeader& h) {
  if (h.version == 0) return kTables.l;
  switch (h.subbands) {
    case 8: return kTables.c;
    case 12: return kTables.d;
    case 27: return kTables.a;
    default: return kTables.b;
  }
}

const QuantClass& Layer2Class(int index) { return kClassTable.q[index]; }

}  // namespace layer12
