// The battery writes against the real MariaDB server: what each leaves in its table.
#include "workstation/battery_writes.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/cp1251.h"
#include "tests/workstation/workstation_db_fixture.h"
#include "workstation/database_client.h"

namespace {

using namespace lumora;
using workstation_db_test::Rows;

lamp::ModeDisplayRecord Record(std::int32_t capacity) {
  return lamp::ModeDisplayRecord{{capacity, 0x401, 3,   90,   400, 3000, 200,
                                  4950,     720,   200, 4950, 720, 200,  3000,
                                  6,        4950,  300, 0x1D, 0,   3600, 0}};
}

class BatteryWritesDb : public workstation_db_test::DatabaseTest {};

TEST_F(BatteryWritesDb, ParameterSetReplacesAndItsHistoryGrows) {
  SaveBatteryParams("010aaa", Record(200), 3, 4, 5, "first");
  LogBatteryParams("010aaa", Record(200), 3, 4, 5, "first");
  SaveBatteryParams("010aaa", Record(250), 6, 7, 8, "second");
  LogBatteryParams("010aaa", Record(250), 6, 7, 8, "second");
  EXPECT_TRUE(dialogs_.shown.empty()) << dialogs_.shown[0].text;
  EXPECT_EQ(Query("SELECT TabNum, Tip, NFLAG, CELL, CNOM, VNOM, IMINCH, PFLAG, ST, UCH, BRIG, "
                  "COMMENT, Date = CURDATE() FROM BATTPARM"),
            (Rows{{"010aaa", "1025", "4", "3", "250", "3600", "90", "29", "6", "7", "8", "second",
                   "1"}}));
  EXPECT_EQ(Query("SELECT CNOM, Tip, NFLAG, COMMENT FROM BATTLOG ORDER BY DATA_ID"),
            (Rows{{"200", "1025", "4", "first"}, {"250", "1025", "4", "second"}}));
}

TEST_F(BatteryWritesDb, TextsAreStoredAsTypedQuotesIncluded) {
  const std::string comment = lamp::Utf8ToCp1251("Сказал \"да\" \\ ок");
  SaveBatteryParams("010aaa", Record(200), 0, 0, 0, comment.c_str());
  SaveBatteryParams("020aaa", Record(200), 0, 0, 0, "");
  EXPECT_TRUE(dialogs_.shown.empty());
  EXPECT_EQ(Query("SELECT TabNum, COMMENT FROM BATTPARM ORDER BY TabNum"),
            (Rows{{"010aaa", "Сказал \"да\" \\ ок"}, {"020aaa", ""}}));
}

TEST_F(BatteryWritesDb, BatteryChangeRowsAndResets) {
  ASSERT_TRUE(db_.Execute("INSERT INTO battchrep (TabNum, KZR, CNAK) VALUES ('010aaa', 5, 900)"));
  SaveShiftBattery("010aaa", Record(200), 3, 4, 5);
  ResetChargeReport("010aaa");
  ResetChargeReport("030aaa");  // no row: nothing changes, nothing is shown
  EXPECT_EQ(Query("SELECT TabNum, Tip, CELL, CNOM, VNOM, ST, UCH, BRIG FROM SMENABATT"),
            (Rows{{"010aaa", "1025", "3", "200", "3600", "3", "4", "5"}}));
  EXPECT_EQ(Query("SELECT KZR, CNAK, Date = CURDATE() FROM battchrep"), (Rows{{"0", "-1", "1"}}));

  EXPECT_EQ(CountBatteryTotals("010aaa"), 0);
  InsertBatteryTotals("010aaa", 3, 4, 5);
  EXPECT_EQ(CountBatteryTotals("010aaa"), 1);
  EXPECT_EQ(Query("SELECT Date = DATESMB, Time = TIMESMB, ST, UCH, BRIG, KZR FROM BATTALL"),
            (Rows{{"1", "1", "3", "4", "5", "0"}}));
  ASSERT_TRUE(db_.Execute(
      "UPDATE BATTALL SET KZR=9, KZRB=8, CACC=7, CET=6, PROC=5, CNAK=4, DATESMB='2020-01-01'"));
  ResetBatteryTotals("010aaa", 6, 7, 8);
  EXPECT_EQ(Query("SELECT KZR, KZRB, CACC, CET, PROC, CNAK, ST, UCH, BRIG, DATESMB = CURDATE(), "
                  "Date = DATESMB FROM BATTALL"),
            (Rows{{"0", "0", "0", "0", "0", "0", "6", "7", "8", "1", "1"}}));

  EXPECT_EQ(CountDischargeReports("010aaa"), 0);
  ASSERT_TRUE(db_.Execute(
      "INSERT INTO battdisrep (TabNum, Cacc, Cet, Proc) VALUES ('010aaa', 1500, 2000, 75)"));
  EXPECT_EQ(CountDischargeReports("010aaa"), 1);
  ResetDischargeReport("010aaa", 6, 7, 8);
  EXPECT_EQ(Query("SELECT Cacc, Cet, Proc, ST, UCH, BRIG FROM battdisrep"),
            (Rows{{"0", "0", "-1", "6", "7", "8"}}));
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(BatteryWritesDb, FailedWriteShowsItsErrorAndTheNextGoesOn) {
  ASSERT_TRUE(db_.Execute("RENAME TABLE BATTLOG TO BATTLOG_AWAY"));
  LogBatteryParams("010aaa", Record(200), 0, 0, 0, "c");
  SaveBatteryParams("010aaa", Record(200), 0, 0, 0, "c");
  ASSERT_TRUE(db_.Execute("RENAME TABLE BATTLOG_AWAY TO BATTLOG"));
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_TRUE(dialogs_.shown[0].text.starts_with("Error #: 1146\rMessage: "));
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTPARM"), "1");
}

// A count query that does not fit its 200 bytes would go out cut: it is not sent, its error
// box says why, and the count is 0.
TEST_F(BatteryWritesDb, CountQueryTooLongForItsBufferIsNotSent) {
  ASSERT_TRUE(db_.Execute("INSERT INTO BATTALL (TabNum) VALUES ('010aaa')"));
  const std::string number(200, 'x');
  EXPECT_EQ(CountBatteryTotals(number.c_str()), 0);
  EXPECT_TRUE(sent_.empty());
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Error #: -1\rMessage: statement too long");
  EXPECT_EQ(CountBatteryTotals("010aaa"), 1);
}

}  // namespace
