// The statement texts of the battery writes and count queries, compared character by
// character, and what every write does without a database.
#include "workstation/battery_writes.h"

#include <array>
#include <string>

#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "workstation/database_client.h"

namespace {

using namespace lumora;

constexpr const char* kD = "2026-12-10";
constexpr const char* kT = "08:15:02";

lamp::ModeDisplayRecord SampleRecord() {
  lamp::ModeDisplayRecord r;
  // Each value is its index plus 100, so a column that takes the wrong index shows.
  for (std::size_t i = 0; i < r.values.size(); ++i) r[i] = static_cast<std::int32_t>(100 + i);
  r[1] = 0x401;  // Ni-Cd with NFLAG 4
  return r;
}

class BatteryStatementTest : public ::testing::Test {
 protected:
  std::array<char, kStatementBufferSize> buffer_{};
  lamp::SqlStatement s_{buffer_};
};

TEST_F(BatteryStatementTest, ParameterSetAndItsHistory) {
  const std::string values =
      " VALUES (\"2026-12-10\", \"08:15:02\", \"010aaa\", 1025, 102, 100, 119, 104, 105, 106, 107, "
      "108, 109, 110, 111, 114, 115, 112, 113, 116, 103, 117, 4, 120, 7, 8, 9, \"Новая\");";
  const std::string columns =
      " (Date , Time , TabNum,      Tip , CELL, CNOM, VNOM, IDISD, VMIND,  ICH1, VMAXCH1, "
      "TIMCH1, ICH2, VMAXCH2, TIMCH2, ICHPOD, VMAXCHPOD, IDISCNT,VMINCNT, DELTA, IMINCH, "
      "PFLAG,NFLAG, R_NET,\t ST, UCH, BRIG, COMMENT)";
  BuildBatteryParamsStatement(s_, false, kD, kT, "010aaa", SampleRecord(), 7, 8, 9, "Новая");
  EXPECT_EQ(s_.view(), "REPLACE INTO BATTPARM" + columns + values);
  BuildBatteryParamsStatement(s_, true, kD, kT, "010aaa", SampleRecord(), 7, 8, 9, "Новая");
  EXPECT_EQ(s_.view(), "INSERT INTO BATTLOG" + columns + values);
}

TEST_F(BatteryStatementTest, EmptyCommentIsTwoQuotes) {
  BuildBatteryParamsStatement(s_, false, kD, kT, "010aaa", SampleRecord(), 0, 0, 0, "");
  EXPECT_TRUE(s_.view().ends_with(", 0, 0, 0, \"\");"));
}

TEST_F(BatteryStatementTest, QuotedValuesAreEscaped) {
  BuildBatteryParamsStatement(s_, false, kD, kT, "01\"aaa", SampleRecord(), 0, 0, 0, "a\"b\\c");
  EXPECT_NE(s_.view().find("\"01\\\"aaa\""), std::string_view::npos);
  EXPECT_TRUE(s_.view().ends_with(", \"a\\\"b\\\\c\");"));
}

TEST_F(BatteryStatementTest, BatteryChangeStatements) {
  const lamp::ModeDisplayRecord r = SampleRecord();

  BuildShiftBatteryStatement(s_, kD, kT, "010aaa", r, 3, -1, 12);
  EXPECT_EQ(s_.view(),
            "REPLACE INTO SMENABATT (Date , Time , TabNum,      Tip , CELL, CNOM, VNOM, \t ST, "
            "UCH, BRIG) VALUES (\"2026-12-10\", \"08:15:02\", \"010aaa\", 1025, 102, 100, 119, 3, "
            "-1, 12);");

  BuildResetChargeReportStatement(s_, kD, kT, "010aaa");
  EXPECT_EQ(s_.view(),
            "UPDATE  BATTCHREP  SET DATE=\"2026-12-10\", TIME=\"08:15:02\", KZR=0 , CNAK=-1    "
            "WHERE TABNUM= \"010aaa\";");

  BuildInsertBatteryTotalsStatement(s_, kD, kT, "010aaa", 3, 4, 5);
  EXPECT_EQ(s_.view(),
            "INSERT INTO BATTALL (Date ,DATESMB,  Time ,TIMESMB, TabNum,   \t ST, UCH, BRIG) "
            "VALUES (\"2026-12-10\", \"2026-12-10\", \"08:15:02\", \"08:15:02\", \"010aaa\", 3, 4, "
            "5);");

  BuildResetBatteryTotalsStatement(s_, kD, kT, "010aaa", 3, 4, 5);
  EXPECT_EQ(s_.view(),
            "UPDATE BATTALL SET DATE=\"2026-12-10\",DATESMB=\"2026-12-10\",TIME=\"08:15:02\","
            "TIMESMB=\"08:15:02\",KZR=0, KZRB=0, CACC=0, CET=0, PROC=0, CNAK=0, ST=3, UCH=4, "
            "BRIG=5 WHERE TABNUM=\"010aaa\";");

  BuildResetDischargeReportStatement(s_, kD, kT, "010aaa", 3, 4, 5);
  EXPECT_EQ(s_.view(),
            "UPDATE battdisrep SET DATE=\"2026-12-10\",TIME=\"08:15:02\",CACC=0, CET=0, PROC=-1, "
            "ST=3, UCH=4, BRIG=5 WHERE TABNUM=\"010aaa\";");
}

TEST(BatteryCountQueryTest, TextsFitTheirSmallBuffer) {
  std::array<char, kCountStatementBufferSize> buffer{};
  lamp::SqlStatement s(buffer);
  BuildCountBatteryTotalsQuery(s, "010aaa");
  EXPECT_EQ(s.view(), "SELECT COUNT(*)  FROM BATTALL  WHERE TABNUM= \"010aaa\";");
  BuildCountDischargeReportsQuery(s, "010aaa");
  EXPECT_EQ(s.view(), "SELECT COUNT(*)  FROM battdisrep  WHERE TABNUM= \"010aaa\";");
  EXPECT_FALSE(s.overflowed());
}

TEST(BatteryWritesWithoutDatabaseTest, NothingSentNothingShownCountsZero) {
  CloseDbConnection();
  forms::ScriptedDialogService dialogs;
  forms::Application().SetDialogService(&dialogs);
  int sent = 0;
  SetStatementObserver([&sent](std::string_view) { ++sent; });
  const lamp::ModeDisplayRecord r = SampleRecord();
  SaveBatteryParams("010aaa", r, 1, 2, 3, "c");
  LogBatteryParams("010aaa", r, 1, 2, 3, "c");
  SaveShiftBattery("010aaa", r, 1, 2, 3);
  ResetChargeReport("010aaa");
  EXPECT_EQ(CountBatteryTotals("010aaa"), 0);
  InsertBatteryTotals("010aaa", 1, 2, 3);
  ResetBatteryTotals("010aaa", 1, 2, 3);
  EXPECT_EQ(CountDischargeReports("010aaa"), 0);
  ResetDischargeReport("010aaa", 1, 2, 3);
  EXPECT_EQ(sent, 0);
  EXPECT_TRUE(dialogs.shown.empty());
  SetStatementObserver({});
  forms::Application().SetDialogService(nullptr);
}

}  // namespace
