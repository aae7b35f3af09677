// Periodic state rows against the database: at a configured minute one event row per cell,
// one TimerSTAT tick later one statcell row per answering cell and the reset of its extremes,
// nothing more in that minute.
#include "server/state_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/config_window.h"
#include "server/database_connection.h"
#include "server/service_window.h"
#include "tests/support/manual_clock.h"
#include "tests/support/test_database.h"

namespace {

using tolvex::Cells;

// Virtual wall clock: a fixed local moment plus the manual clock's milliseconds.
std::time_t clock_origin = 0;

std::tm VirtualLocalTime() {
  const std::time_t now = clock_origin + forms::Application().NowMs() / 1000;
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::time_t TodayAt(int hour, int minute, int second) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

void SetCell(int row, const char* number, int station) {
  tolvex::SetTabnum(row, number);
  Cells.ST[row] = station;
  Cells.UCH[row] = 2;
  Cells.BRIG[row] = 3;
  Cells.WTBNUM[row] = 40 + row;
}

using ManualClock = lamptest::ManualClockFirst;

class StateRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // TimerSTAT fires every 10 s from 0 ms: the first tick of 07:00 falls at 07:00:03.
    clock_origin = TodayAt(6, 59, 53);
    tolvex::SetStateRowsClock(VirtualLocalTime);
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyTables({"event", "statcell"})) << db_.last_error();
    ASSERT_EQ(tolvex::ConnectDatabase("localhost", "root", "q758"), 0);
    sv_.TimerSTAT.OnTimer = [this] { sv_.TimerSTATTimer(); };
    tolvex::StatRowsDue = 0;
    tolvex::TimeMatch = {};
    tolvex::InitCellStatistics();
    tolvex::CellCount = 0;
  }
  void TearDown() override {
    tolvex::CloseDatabase();
    tolvex::SetStateRowsClock(nullptr);
  }

  // Three cells: one charging that answers, one silent (kZAPR 3), one never polled.
  void LoadThreeCells() {
    SetCell(0, "010aaa", 5);
    SetCell(1, "020bbb", 5);
    SetCell(2, "030ccc", 6);
    tolvex::CellCount = 3;
    Cells.PSTAT[0] = 4;
    Cells.FabNum[0] = 0x8000000000001234ull;
    Cells.NSP1[0] = 0x12;
    Cells.NSP2[0] = 0x340;
    Cells.PARM1[0] = 77;
    Cells.PARM2[0] = 88;
    Cells.UPW[0] = 12000;
    Cells.UZR[0] = 12100;
    Cells.U5V[0] = 5010;
    Cells.GR[0] = -5;
    Cells.UPWMIN[0] = 11900;
    Cells.UPWMAX[0] = 12050;
    Cells.UZRMIN[0] = 11950;
    Cells.UZRMAX[0] = 12150;
    Cells.U5VMIN[0] = 4990;
    Cells.U5VMAX[0] = 5020;
    Cells.GRMIN[0] = -9;
    Cells.GRMAX[0] = 12;
    Cells.FLN[0] = 4;
    Cells.kZAPR[0] = 0;
    Cells.kZAPR[1] = 3;
    Cells.FabNum[1] = 999;
    Cells.PSTAT[1] = 4;
    Cells.UPWMIN[1] = 100;
    Cells.FLN[1] = 9;
    Cells.kZAPR[2] = 0;
  }

  int Count(const char* table) {
    return std::stoi(db_.QueryValue(std::string("SELECT COUNT(*) FROM ") + table));
  }

  ManualClock clock_;
  lamptest::TestDatabase db_;
  tolvex::TFormCFG cfg_;
  tolvex::TFormSV sv_;
};

TEST_F(StateRowsTest, AConfiguredMinuteWritesEventRowsThenStatcellRowsOnce) {
  LoadThreeCells();
  forms::Application().AdvanceTime(9999);
  EXPECT_EQ(Count("event"), 0);

  forms::Application().AdvanceTime(1);  // 07:00:03
  EXPECT_EQ(tolvex::StatRowsDue, 1);
  EXPECT_EQ(tolvex::TimeMatch[1], 3);
  const auto events = db_.Query(
      "SELECT CONCAT('[', TabNum, ']'), FabNum, KSOB, NSP1, NSP2, FL, PSTAT, PARM1, PARM2, "
      "PARM3, PARM4, PARM5, ST, UCH, BRIG, WTBNUM FROM event ORDER BY DATA_ID");
  ASSERT_EQ(events.size(), 3u);
  using Row = lamptest::TestDatabase::Row;
  EXPECT_EQ(events[0], (Row{"[010aaa  ]", "9223372036854780468", std::to_string(0x5001), "0",
                            std::to_string(0x12), std::to_string(0x340), "4", "77", "88", "0", "0",
                            "0", "5", "2", "3", "40"}));
  EXPECT_EQ(events[1], (Row{"[020bbb  ]", "0", std::to_string(0x5002), "0", std::to_string(0x8000),
                            "0", "0", "0", "0", "0", "0", "0", "5", "2", "3", "41"}));
  EXPECT_EQ(events[2], (Row{"[030ccc  ]", "0", std::to_string(0x5000), "0", "0", "0", "0", "0", "0",
                            "0", "0", "0", "6", "2", "3", "42"}));
  EXPECT_EQ(Count("statcell"), 0);

  forms::Application().AdvanceTime(10000);  // 07:00:13
  EXPECT_EQ(tolvex::StatRowsDue, 0);
  const auto stats = db_.Query(
      "SELECT CONCAT('[', IndNum, ']'), FabNum, UPW, UZR, U5V, GR, UPWMIN, UPWMAX, UZRMIN, "
      "UZRMAX, U5VMIN, U5VMAX, GRMIN, GRMAX, FLN FROM statcell ORDER BY DATA_ID");
  ASSERT_EQ(stats.size(), 2u);
  EXPECT_EQ(stats[0], (Row{"[010aaa  ]", "9223372036854780468", "12000", "12100", "5010", "-5",
                           "11900", "12050", "11950", "12150", "4990", "5020", "-9", "12", "4"}));
  EXPECT_EQ(stats[1], (Row{"[030ccc  ]", "0", "0", "0", "0", "0", "60000", "0", "60000", "0",
                           "50000", "0", "400", "-400", "0"}));
  // The answering cell starts afresh; the silent one keeps what it had.
  EXPECT_EQ(Cells.FLN[0], 0);
  EXPECT_EQ(Cells.UPWMIN[0], 60000u);
  EXPECT_EQ(Cells.UPWMAX[0], 0u);
  EXPECT_EQ(Cells.UZRMIN[0], 60000u);
  EXPECT_EQ(Cells.U5VMIN[0], 50000u);
  EXPECT_EQ(Cells.GRMIN[0], 400);
  EXPECT_EQ(Cells.GRMAX[0], -400);
  EXPECT_EQ(Cells.FLN[1], 9);
  EXPECT_EQ(Cells.UPWMIN[1], 100u);

  forms::Application().AdvanceTime(40000);  // up to 07:00:53
  EXPECT_EQ(Count("event"), 3);
  EXPECT_EQ(Count("statcell"), 2);
  EXPECT_EQ(tolvex::TimeMatch[1], 3);
  forms::Application().AdvanceTime(10000);  // 07:01:03
  EXPECT_EQ(tolvex::TimeMatch[1], 0);
  EXPECT_EQ(Count("event"), 3);
  EXPECT_EQ(Count("statcell"), 2);
}

TEST_F(StateRowsTest, AnEditedTimeActsAtTheNextTickAndEqualTimesStartOneSet) {
  LoadThreeCells();
  clock_origin = TodayAt(10, 14, 55);
  forms::Application().AdvanceTime(10000);  // 10:15:05, no time configured for it
  EXPECT_EQ(Count("event"), 0);
  cfg_.MaskEdit1.SetText("10:15");
  cfg_.MaskEdit3.SetText("10:15");
  forms::Application().AdvanceTime(10000);  // 10:15:15
  EXPECT_EQ(Count("event"), 3);
  EXPECT_EQ(tolvex::TimeMatch[0], 3);
  EXPECT_EQ(tolvex::TimeMatch[2], 3);
  forms::Application().AdvanceTime(10000);
  EXPECT_EQ(Count("statcell"), 2);
  EXPECT_EQ(Count("event"), 3);
}

TEST_F(StateRowsTest, WithoutWorkerRowsNothingIsWrittenButTheFlagsRunThrough) {
  forms::Application().AdvanceTime(10000);
  EXPECT_EQ(tolvex::TimeMatch[1], 3);
  EXPECT_EQ(tolvex::StatRowsDue, 1);
  forms::Application().AdvanceTime(10000);
  EXPECT_EQ(tolvex::StatRowsDue, 0);
  forms::Application().AdvanceTime(50000);
  EXPECT_EQ(tolvex::TimeMatch[1], 0);
  EXPECT_EQ(Count("event"), 0);
  EXPECT_EQ(Count("statcell"), 0);
}

TEST(StateRowsText, MinutesNeedTheirLeadingZero) {
  std::tm local{};
  local.tm_hour = 7;
  local.tm_min = 5;
  const tolvex::ClockMinuteText now = tolvex::FormatClockMinute(local);
  EXPECT_STREQ(now.data(), "07:05");
  tolvex::StatRowsDue = 0;
  tolvex::TimeMatch = {};
  tolvex::RunStateRowsTick(now, {"7:05", "07:5", "07:05 ", "__:__"});
  EXPECT_EQ(tolvex::StatRowsDue, 0);
  EXPECT_EQ(tolvex::TimeMatch, (std::array<std::int32_t, 4>{0, 0, 0, 0}));
}

}  // namespace
