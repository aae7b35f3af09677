// Start values, resets and lookups of the cell registry, the padded cell number, and the tick
// timing.
#include "server/cell_registry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "server/tick_timing.h"
#include "server/worker_table.h"

namespace tolvex {
namespace {

class CellRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Cells = CellRegistry{};
    CellCount = 0;
  }
  void TearDown() override {
    Cells = CellRegistry{};
    CellCount = 0;
  }
};

TEST_F(CellRegistryTest, PrepareSetsNoEventYetAndKeepsOtherColumns) {
  Cells.ST[5999] = 7;
  Cells.kZAPR[3] = 4;
  Cells.NSP2[3] = 0x8000;
  PrepareCellRegistry();
  for (int r : {0, 3, 5999}) {
    EXPECT_EQ(Cells.LastEventCode[r], 0xFFFF);
    EXPECT_EQ(Cells.ST[r], 0);
    EXPECT_EQ(Cells.kZAPR[r], 0);
  }
  EXPECT_EQ(Cells.NSP2[3], 0x8000);
}

TEST_F(CellRegistryTest, InitCellStatisticsResetsCountersAndExtremesOfEveryRow) {
  for (int r : {0, 5999}) {
    Cells.RequestState[r] = 21;
    Cells.nnLOSS[r] = 9;
    Cells.FLN[r] = 8;
    Cells.GR[r] = 55;
    Cells.U5VMIN[r] = 1;
    Cells.U5VMAX[r] = 2;
    Cells.UPWMIN[r] = 3;
    Cells.UPWMAX[r] = 4;
    Cells.UZRMIN[r] = 5;
    Cells.UZRMAX[r] = 6;
    Cells.GRMIN[r] = 7;
    Cells.GRMAX[r] = 8;
    Cells.kZAPR[r] = 2;
    Cells.LastEventCode[r] = 0x3404;
  }
  InitCellStatistics();
  for (int r : {0, 5999}) {
    EXPECT_EQ(Cells.RequestState[r], 0);
    EXPECT_EQ(Cells.nnLOSS[r], 0);
    EXPECT_EQ(Cells.FLN[r], 0);
    EXPECT_EQ(Cells.GR[r], 0);
    EXPECT_EQ(Cells.U5VMIN[r], 50000u);
    EXPECT_EQ(Cells.U5VMAX[r], 0u);
    EXPECT_EQ(Cells.UPWMIN[r], 60000u);
    EXPECT_EQ(Cells.UPWMAX[r], 0u);
    EXPECT_EQ(Cells.UZRMIN[r], 60000u);
    EXPECT_EQ(Cells.UZRMAX[r], 0u);
    EXPECT_EQ(Cells.GRMIN[r], 400);
    EXPECT_EQ(Cells.GRMAX[r], -400);
    // Link and event state are not statistics.
    EXPECT_EQ(Cells.kZAPR[r], 2);
    EXPECT_EQ(Cells.LastEventCode[r], 0x3404);
  }
}

TEST_F(CellRegistryTest, ClearWorkerTableEmptiesKeysOnly) {
  CellCount = 1;
  SetTabnum(0, "123aaa");
  Cells.ST[0] = 5;
  Cells.UCH[0] = 6;
  Cells.BRIG[0] = 7;
  Cells.WTBNUM[0] = 8;
  Cells.PSTAT[0] = 4;
  Cells.ST[5999] = 9;
  EXPECT_EQ(FindWorkerByTabnum("123aaa"), 0);
  ClearWorkerTable();
  EXPECT_EQ(FindWorkerByTabnum("123aaa"), -1);
  EXPECT_EQ(Cells.TABNUM[0], (std::array<char, 8>{}));
  EXPECT_EQ(Cells.ST[0], 0);
  EXPECT_EQ(Cells.UCH[0], 0);
  EXPECT_EQ(Cells.BRIG[0], 0);
  EXPECT_EQ(Cells.ST[5999], 0);
  EXPECT_EQ(Cells.WTBNUM[0], 8);
  EXPECT_EQ(Cells.PSTAT[0], 4);
}

TEST_F(CellRegistryTest, FindWorkerOfStationScansFromStartToTheEndOfTheArray) {
  Cells.ST[3] = 5;
  Cells.ST[12] = 5;
  Cells.ST[5999] = 77;  // beyond CellCount, still found: the whole array is scanned
  CellCount = 20;
  struct Case {
    int station, start, row;
  } cases[] = {
      {5, 0, 3},     {5, 3, 3},        {5, 4, 12},       {5, 10, 12},  {5, 13, 6000},
      {77, 0, 5999}, {77, 5999, 5999}, {77, 6000, 6000}, {9, 0, 6000}, {5, -4, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindWorkerOfStation(c.station, c.start), c.row)
        << "station " << c.station << " from " << c.start;
  }
}

TEST_F(CellRegistryTest, FindWorkerByTabnumComparesSixCharactersOfLoadedRows) {
  SetTabnum(0, "001aaa");
  SetTabnum(1, "123aaa");
  SetTabnum(2, "123aaa");  // a duplicate: the first row wins
  SetTabnum(3, "12");
  SetTabnum(4, "999zzz");  // not loaded
  CellCount = 4;
  struct Case {
    const char* text;
    int row;
  } cases[] = {
      {"001aaa", 0},  {"123aaa", 1}, {"123aaaXYZ", 1},  // characters after the sixth ignored
      {"123aab", -1}, {"12", 3},     {"999zzz", -1},   {"", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(FindWorkerByTabnum(c.text), c.row) << c.text;
}

TEST_F(CellRegistryTest, FindWorkerByTabnumNeverScansPastTheArray) {
  SetTabnum(5999, "last01");
  CellCount = 7000;
  EXPECT_EQ(LoadedCellCount(), 6000);
  EXPECT_EQ(FindWorkerByTabnum("last01"), 5999);
  EXPECT_EQ(FindWorkerByTabnum("nobody"), -1);
  CellCount = -3;
  EXPECT_EQ(LoadedCellCount(), 0);
  EXPECT_EQ(FindWorkerByTabnum("last01"), -1);
}

TEST(CellNumberText, NumbersArePaddedToEight) {
  std::array<char, 8> tabnum{};
  std::strcpy(tabnum.data(), "010aaa");
  EXPECT_STREQ(PadCellNumber(tabnum).data(), "010aaa  ");
  tabnum = {};
  EXPECT_STREQ(PadCellNumber(tabnum).data(), "        ");
  std::strcpy(tabnum.data(), "1234567");
  EXPECT_STREQ(PadCellNumber(tabnum).data(), "1234567 ");
}

TEST(TickTimingTest, UnitsOfTheCounter) {
  // The counter runs at 1 GHz: 1e6 ticks per millisecond exceed 20000, so the unit is 1 us.
  EXPECT_DOUBLE_EQ(TicksPerUnit(), 1000.0);
  EXPECT_DOUBLE_EQ(ElapsedUnits(5000), 5.0);
  EXPECT_DOUBLE_EQ(ElapsedUnits(-2500), -2.5);
  const std::uint64_t first = ReadTimeStamp();
  EXPECT_GE(ReadTimeStamp(), first);
}

TEST(TickTimingTest, PollingPauseIsSetAsGiven) {
  SetPollingPause(1200);
  EXPECT_EQ(PollingPause, 1200u);
  SetPollingPause(0);
  EXPECT_EQ(PollingPause, 0u);
}

}  // namespace
}  // namespace tolvex
