// The main-data reservoir: bits across bytes and across the ring's end, and
// no read past the bytes put in.
#include <gtest/gtest.h>

#include "BitReservoir.h"

namespace {

TEST(BitReservoir, ReadsBitsAcrossBytesMostSignificantFirst) {
  BitReservoir r;
  const uint8_t data[] = {0xA5, 0x3C, 0xFF, 0x01, 0x80};
  r.PutBytes(data, 5);
  EXPECT_EQ(r.GetBits(3), 0x5u);    // 101
  EXPECT_EQ(r.GetBits(9), 0x53u);   // 0 0101 0011
  EXPECT_EQ(r.Get1Bit(), 1u);
  EXPECT_EQ(r.GetBits(19), 0x4FF01u);
  r.RewindBits(19);
  EXPECT_EQ(r.GetBits(4), 0x9u);
  r.RewindBits(8);
  EXPECT_EQ(r.BitPosition(), 9);
  EXPECT_FALSE(r.Overrun());
}

TEST(BitReservoir, ReadsAcrossTheEndOfTheRing) {
  BitReservoir r;
  for (int i = 0; i < BitReservoir::kSize - 2; ++i) r.PutByte(0);
  r.SkipBits(int64_t(BitReservoir::kSize - 2) * 8);
  const uint8_t data[] = {0x12, 0x34, 0x56, 0x78, 0x9A};
  r.PutBytes(data, 5);
  EXPECT_EQ(r.GetBits(4), 0x1u);
  EXPECT_EQ(r.GetBits(32), 0x23456789u);
  EXPECT_EQ(r.GetBits(4), 0xAu);
  EXPECT_FALSE(r.Overrun());
}

TEST(BitReservoir, NeverReadsPastTheDataPutIn) {
  BitReservoir r;
  // Stale bytes of an earlier pass of the ring must not show through.
  for (int i = 0; i < BitReservoir::kSize; ++i) r.PutByte(0xFF);
  r.SkipBits(int64_t(BitReservoir::kSize) * 8);
  r.PutByte(0xF0);
  EXPECT_EQ(r.Peek32(), 0xF0000000u);
  EXPECT_EQ(r.GetBits(12), 0xF00u);
  EXPECT_TRUE(r.Overrun());
  EXPECT_EQ(r.GetBits(16), 0u);
}

}  // namespace
