#include "link/mode_record.h"

#include <gtest/gtest.h>

#include <random>

namespace lamp {
namespace {

// Word of the ModeRecord that carries each ModeDisplayRecord index.
struct Mapping {
  std::size_t index;
  std::size_t word;
};

constexpr Mapping kMappings[] = {
    {0, 0},   {1, 1},   {2, 2},   {19, 3},  {4, 4},   {5, 5},   {20, 6},
    {6, 8},   {7, 9},   {8, 10},  {9, 11},  {10, 12}, {11, 13}, {12, 16},
    {13, 17}, {14, 18}, {15, 19}, {16, 20}, {17, 21}, {3, 22},
};

TEST(ModeRecord, EachIndexLandsInItsWord) {
  for (const Mapping& m : kMappings) {
    ModeDisplayRecord record;
    record[m.index] = 0xBEEF;
    const ModeRecord packed = PackModeRecord(record);
    for (std::size_t w = 0; w < kModeRecordWordCount; ++w) {
      EXPECT_EQ(packed.word(w), w == m.word ? 0xBEEF : 0) << "index " << m.index << " word " << w;
    }
    EXPECT_EQ(packed.bytes[2 * m.word], 0xEF);
    EXPECT_EQ(packed.bytes[2 * m.word + 1], 0xBE);
  }
}

TEST(ModeRecord, IndexEighteenAndTheSpareWordsCarryNothing) {
  ModeDisplayRecord record;
  record[kModeUnused] = 0x1234;
  const ModeRecord packed = PackModeRecord(record);
  for (std::uint8_t byte : packed.bytes) EXPECT_EQ(byte, 0);

  ModeRecord spare;
  for (std::size_t w : {7u, 14u, 15u, 23u}) {
    spare.bytes[2 * w] = 0xFF;
    spare.bytes[2 * w + 1] = 0xFF;
  }
  EXPECT_EQ(UnpackModeRecord(spare.bytes), ModeDisplayRecord{});

  // Unpacking into a record leaves its index 18 alone.
  ModeDisplayRecord kept;
  kept[kModeUnused] = 77;
  UnpackModeRecord(spare.bytes, kept);
  EXPECT_EQ(kept[kModeUnused], 77);
}

TEST(ModeRecord, PackKeepsTheLow16BitsAndUnpackReadsUnsigned) {
  ModeDisplayRecord record;
  record[kModeCapacity] = 0x12345;             // 0x2345
  record[kModeSwitches] = -1;                  // 0xFFFF
  record[kModeCircuitResistance] = 65536 + 7;  // 7
  const ModeDisplayRecord back = UnpackModeRecord(PackModeRecord(record).bytes);
  EXPECT_EQ(back[kModeCapacity], 0x2345);
  EXPECT_EQ(back[kModeSwitches], 65535);
  EXPECT_EQ(back[kModeCircuitResistance], 7);
}

TEST(ModeRecord, PackThenUnpackIsExactForEveryValueInRange) {
  std::mt19937 random(1234);
  std::uniform_int_distribution<int> value(0, 65535);
  for (int round = 0; round < 200; ++round) {
    ModeDisplayRecord record;
    for (std::size_t i = 0; i < kModeDisplayValueCount; ++i) {
      if (i != kModeUnused) record[i] = round < 2 ? round * 65535 : value(random);
    }
    EXPECT_EQ(UnpackModeRecord(PackModeRecord(record).bytes), record);
  }
}

TEST(ModeRecord, PackIntoABufferOverwritesAllOfIt) {
  std::array<std::uint8_t, kModeRecordSize> out;
  out.fill(0xAA);
  ModeDisplayRecord record;
  record[kModeCellCount] = 3;
  PackModeRecord(record, out);
  EXPECT_EQ(out[4], 3);
  EXPECT_EQ(out[14], 0);  // word 7
  EXPECT_EQ(out[47], 0);
}

// The BATTPARM row that the writes make reads back into the same record, and NFLAG, read after
// Tip, decides bits 8-15 of the type word.
TEST(BattParmColumns, WrittenRowReadsBackAndNflagDecidesTheTypeWordsHighBits) {
  ModeDisplayRecord record;
  for (std::size_t i = 0; i < kModeDisplayValueCount; ++i) {
    record[i] = static_cast<std::int32_t>(100 + i);
  }
  record[kModeTypeAndSwitches] = 0x401;
  record[kModeUnused] = 0;
  ModeDisplayRecord read;
  for (std::size_t column = 0; column < kBattParmColumnIndexes.size(); ++column) {
    SetBattParmColumnValue(read, column, BattParmColumnValue(record, column));
  }
  EXPECT_EQ(read, record);

  const std::size_t nflag = 19;
  ASSERT_EQ(kBattParmColumnIndexes[nflag], kBattParmTypeFlags);
  EXPECT_EQ(BattParmColumnValue(record, nflag), 4);
  SetBattParmColumnValue(read, 0, 0x203);  // Tip
  SetBattParmColumnValue(read, nflag, 0);
  EXPECT_EQ(read[kModeTypeAndSwitches], 3);
}

}  // namespace
}  // namespace lamp
