// Layer III Huffman tables: the code data of the standard and the lookup
// tables the decoder walks.
#pragma once
#include <cstdint>
#include <vector>

class BitReservoir;

// One code table: size x size pairs (count1 tables: 16 quadruples), each
// with its code word and length; linbits for the escape value 15.
struct HuffmanCodeTable {
  int size;
  int linbits;
  const uint16_t* codes;
  const uint8_t* lengths;
};

// Tables 0-31 for big values, 32 = count1 table A, 33 = count1 table B.
extern const HuffmanCodeTable kHuffmanCodeTables[34];

// Multi-level lookup built from the code data. A level entry is either a
// leaf (value in bits 0-7, code length within the level in bits 8-12) or a
// link (bit 31 set, offset in bits 0-23, index bits of the next level in
// 24-28). Entry 0 marks a bit pattern no code starts with.
class HuffmanLookup {
 public:
  // One table's lookup, small enough to be held in registers while a
  // region is decoded.
  struct Table {
    const uint32_t* level;
    int firstBits;
    // Decodes one value x * 16 + y (count1 tables: x = v * 2 + w, y = x * 2
    // + y of the quadruple) at the reader's position and consumes its code;
    // -1 when the bits start no code. Bits: a reader with Peek32 and
    // SkipBits, such as BitReservoir.
    template <class Bits>
    int Decode(Bits& bits) const {
      int n = firstBits;
      uint32_t e = level[bits.Peek32() >> (32 - n)];
      while (e & kLink) {
        bits.SkipBits(n);
        n = (e >> 24) & 31;
        e = level[(e & 0xFFFFFF) + (bits.Peek32() >> (32 - n))];
      }
      if (e == 0) return -1;
      bits.SkipBits((e >> 8) & 31);
      return static_cast<int>(e & 0xFF);
    }
  };

  static const HuffmanLookup& Get();

  bool Exists(int table) const { return !levels_[table].empty(); }
  int Linbits(int table) const { return kHuffmanCodeTables[table].linbits; }
  // Table 0-33 that Exists.
  Table Lookup(int table) const { return Table{levels_[table].data(), firstBits_[table]}; }
  template <class Bits>
  int Decode(int table, Bits& bits) const {
    return Lookup(table).Decode(bits);
  }

 private:
  static const uint32_t kLink = 0x80000000u;

  HuffmanLookup();
  std::vector<uint32_t> levels_[34];
  int firstBits_[34] = {};
};
