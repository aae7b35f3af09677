// The worker list lookups and the cell table's start values.
#include "workstation/cell_table.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace lumora;

class CellTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WorkerList = WorkerListTable{};
    CellTable = CellTableColumns{};
  }

  static void Load(const std::vector<std::string>& numbers) {
    BeginWorkerListLoad();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      ASSERT_TRUE(StoreWorkerRow(static_cast<std::int32_t>(i), numbers[i], 1));
    }
  }
};

TEST_F(CellTableTest, FindDeviceSlotComparesTextsByLengthAndContent) {
  Load({"001aaa", "010aaa", "010aaa", "02bbb"});
  struct Case {
    const char* number;
    std::int32_t slot;
  };
  const Case cases[] = {
      {"001aaa", 0},   {"010aaa", 1},  // the lower of two equal entries
      {"02bbb", 3},                    // five characters
      {"999zzz", -3},                  // same length as entries, none equal
      {"02bb", -4},                    // no entry of four characters
      {"", -4},                        // no empty entry
      {"010aaab", -2}, {"0123456789", -2},
  };
  for (const Case& c : cases) EXPECT_EQ(FindDeviceSlot(c.number), c.slot) << c.number;
}

TEST_F(CellTableTest, FindDeviceSlotFindsAnEmptyWorkerNumber) {
  Load({"001aaa", "", "002aaa"});
  EXPECT_EQ(FindDeviceSlot(""), 1);
}

TEST_F(CellTableTest, FindDeviceSlotSeesOnlySlotsBelowTheCount) {
  Load({"001aaa", "02bbb"});
  // A later shorter load empties slot 1 and lowers the count.
  Load({"001aaa"});
  EXPECT_EQ(FindDeviceSlot("02bbb"), -4);
  EXPECT_EQ(FindWorkerIndex("02bbb\0"), -1);
}

TEST_F(CellTableTest, FindWorkerIndexComparesSixBytes) {
  Load({"001aaa", "010aaa", "010aaa", "02bbb"});
  EXPECT_EQ(FindWorkerIndex("010aaa"), 1);
  EXPECT_EQ(FindWorkerIndex("001aaa\0"), 0);
  // Five characters and a NUL: the sixth byte is the NUL of the entry.
  EXPECT_EQ(FindWorkerIndex("02bbb\0"), 3);
  // The bytes after the NUL count: a stale byte in the query misses the entry.
  const char stale[8] = {'0', '2', 'b', 'b', '\0', 'x', 0, 0};
  EXPECT_EQ(FindWorkerIndex(stale), -1);
  EXPECT_EQ(FindWorkerIndex("999zzz"), -1);
}

TEST_F(CellTableTest, FindWorkerIndexSeesOnlyTheLoadedSlots) {
  Load({"001aaa", "010aaa"});
  // Every slot past the loaded ones is empty, and one beyond them holds a number of its own.
  ASSERT_TRUE(StoreWorkerRow(4, "999zzz", 1));
  WorkerList.count = 2;
  const char empty[8] = {};
  struct Case {
    std::int32_t count;
    const char* number;
    std::int32_t slot;
  };
  const Case cases[] = {
      {2, "010aaa", 1},
      {2, empty, kSlotNotFound},
      {2, "999zzz", kSlotNotFound},
      {5, "999zzz", 4},
      {7000, "999zzz", 4},  // a count past the tables reads as all of them
      {-3, "001aaa", kSlotNotFound},
  };
  for (const Case& c : cases) {
    WorkerList.count = c.count;
    EXPECT_EQ(FindWorkerIndex(c.number), c.slot) << c.count << " " << c.number;
  }
  // An empty number is found where the list itself holds one.
  Load({"001aaa", "", "002aaa"});
  EXPECT_EQ(FindWorkerIndex(empty), 1);
}

TEST_F(CellTableTest, AReloadLeavesNoBytesOfTheOldNumbers) {
  Load({"02bbbb"});
  EXPECT_EQ(FindWorkerIndex("02bbbb"), 0);
  Load({"02bb"});
  EXPECT_EQ(FindWorkerIndex("02bbbb"), -1);
  // Slot 0 holds "02bb" and zero bytes only, so the datagram's zero-padded number finds it.
  EXPECT_EQ(FindDeviceSlot("02bb"), 0);
  EXPECT_EQ(FindWorkerIndex("02bb\0\0"), 0);
  const char with_stale[8] = {'0', '2', 'b', 'b', '\0', 'b', 0, 0};
  EXPECT_EQ(FindWorkerIndex(with_stale), -1);
}

TEST_F(CellTableTest, AShorterReloadLeavesNoStationInTheSlotsPastItsCount) {
  BeginWorkerListLoad();
  ASSERT_TRUE(StoreWorkerRow(0, "001aaa", 5));
  ASSERT_TRUE(StoreWorkerRow(1, "002aaa", 5));
  ASSERT_TRUE(StoreWorkerRow(2, "003aaa", 7));
  BeginWorkerListLoad();
  ASSERT_TRUE(StoreWorkerRow(0, "001aaa", 5));
  EXPECT_EQ(WorkerList.count, 1);
  EXPECT_EQ(WorkerList.station[0], 5);
  // Slots that belong to no station take part in no station's rows.
  for (std::size_t slot : {1u, 2u}) {
    EXPECT_EQ(WorkerList.station[slot], 0) << slot;
    EXPECT_EQ(WorkerList.number[slot], NumberText{}) << slot;
  }
}

TEST_F(CellTableTest, EmptyListFindsNothing) {
  EXPECT_EQ(FindWorkerIndex("010aaa"), -1);
  EXPECT_EQ(FindDeviceSlot("010aaa"), -4);
  EXPECT_EQ(FindDeviceSlot(""), -4);
}

TEST_F(CellTableTest, StoreWorkerRowCutsTheNumberAndRefusesSlotsOutsideTheTables) {
  BeginWorkerListLoad();
  EXPECT_TRUE(StoreWorkerRow(0, "1234567", 7));
  EXPECT_STREQ(WorkerList.number[0].data(), "123456");
  EXPECT_EQ(WorkerList.station[0], 7);
  EXPECT_TRUE(StoreWorkerRow(kSlotCount - 1, "last", 100));
  EXPECT_EQ(WorkerList.count, kSlotCount);
  EXPECT_FALSE(StoreWorkerRow(kSlotCount, "over", 1));
  EXPECT_FALSE(StoreWorkerRow(-1, "neg", 1));
  EXPECT_EQ(WorkerList.count, kSlotCount);
}

TEST_F(CellTableTest, AllSixThousandSlotsAreSearched) {
  BeginWorkerListLoad();
  for (std::int32_t i = 0; i < kSlotCount; ++i) {
    char number[8];
    std::snprintf(number, sizeof number, "%06d", i);
    StoreWorkerRow(i, number, 1 + i % 100);
  }
  EXPECT_EQ(FindWorkerIndex("005999"), 5999);
  EXPECT_EQ(FindDeviceSlot("005999"), 5999);
}

TEST_F(CellTableTest, StartValuesMarkEverySlotNeverReportedAndLinked) {
  CellTable.voltage[3] = 1234;
  CellTable.mode_error_bits[3] = 0x4;
  CellTable.fault_bits[3] = 0x8000;
  CellTable.datagram_count[3] = 9;
  CellTable.link_age[3] = 77;
  CellTable.no_link[3] = 1;
  SetCellTableStartValues();
  EXPECT_EQ(CellTable.state[0], kStateNeverReported);
  EXPECT_EQ(CellTable.state[kSlotCount - 1], 0xFFFFFFu);
  EXPECT_EQ(CellTable.mode_error_bits[3], 0u);
  EXPECT_EQ(CellTable.fault_bits[3], 0u);
  EXPECT_EQ(CellTable.datagram_count[3], 0);
  EXPECT_EQ(CellTable.link_age[3], 0);
  EXPECT_EQ(CellTable.no_link[3], 0);
  EXPECT_EQ(CellTable.voltage[3], 1234);
}

}  // namespace
