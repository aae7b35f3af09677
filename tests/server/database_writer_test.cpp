// Statement texts, time texts and derived values of the database writer, without a database.
#include "server/database_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "link/sql_text.h"
#include "server/database_connection.h"
#include "server/error_window.h"

namespace tolvex {
namespace {

constexpr const char* kDate = "2026-12-10";
constexpr const char* kTime = "08:15:02";

class StatementText : public ::testing::Test {
 protected:
  char storage[kStatementBufferSize];
  lamp::SqlStatement out{storage};
};

TEST_F(StatementText, ServerStartEventRow) {
  BuildEventStatement(out, kDate, kTime,
                      {"TOLVEX", 0x5555, 0x4001, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(out.view(),
            "INSERT INTO event (Date , Time , TabNum , FabNum ,  KSOB   , NSP1 , NSP2 ,PSTAT,    "
            "PARM1,PARM2, PARM3,PARM4, PARM5,    FL ,  ST,UCH, BRIG,  WTBNUM) VALUES "
            "(\"2026-12-10\", \"08:15:02\", \"TOLVEX\", 21845, 16385, 0, 0, 0, -1, 0, 0, 0, 0, 0, "
            "0, 0, 0, 0);");
}

TEST_F(StatementText, EventValuesInColumnOrderAndFabNumUnsigned) {
  // Every value distinct, so a swapped pair shows.
  BuildEventStatement(
      out, kDate, kTime,
      {"010aaa", 0xFEDCBA9876543210ull, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, -14});
  EXPECT_EQ(out.view(),
            "INSERT INTO event (Date , Time , TabNum , FabNum ,  KSOB   , NSP1 , NSP2 ,PSTAT,    "
            "PARM1,PARM2, PARM3,PARM4, PARM5,    FL ,  ST,UCH, BRIG,  WTBNUM) VALUES "
            "(\"2026-12-10\", \"08:15:02\", \"010aaa\", 18364758544493064720, 1, 2, 3, 4, 5, 6, "
            "7, 8, 9, 10, 11, 12, 13, -14);");
}

TEST_F(StatementText, StateRow) {
  BuildStatStatement(out, kDate, kTime,
                     {"010aaa  ", 1155, 12000, 12001, 5001, 25, 11900, 12010, 11800, 12200, 4990,
                      5005, 19, 48, 7});
  EXPECT_EQ(out.view(),
            "INSERT INTO statcell (Date , Time , IndNum , FabNum ,  UPW   , UZR , U5V ,GR,    "
            "UPWMIN, UPWMAX,  UZRMIN , UZRMAX, U5VMIN, U5VMAX, GRMIN, GRMAX, FLN) VALUES "
            "(\"2026-12-10\", \"08:15:02\", \"010aaa  \", 1155, 12000, 12001, 5001, 25, 11900, "
            "12010, 11800, 12200, 4990, 5005, 19, 48, 7);");
}

TEST_F(StatementText, ChargeReportPair) {
  const ChargeReportValues v{"123aaa", 1155, 101, 0, 2, 1, 2, 3, 17, 600, 30, 4300, 1100, 1, -1};
  const std::string values =
      " VALUES (\"2026-12-10\", \"08:15:02\", \"123aaa\", 1155, 101, 0, 2, 1, 2, 3, 17, 600, 30, "
      "4300, 1100, 1, -1);";
  BuildAccumChStatement(out, kDate, kTime, v);
  EXPECT_EQ(out.view(),
            "INSERT INTO accumch (Date , Time , TabNum , FabNum ,  KZR   , KZRB  , Tip, ST, UCH, "
            "BRIG , FZAR, VREAL, IREAL, V2Z, I2Z, NUMBATT, CNAK)" +
                values);
  BuildBattChRepStatement(out, kDate, kTime, v);
  EXPECT_EQ(out.view(),
            "REPLACE INTO battchrep (Date , Time , TabNum , FabNum ,  KZR   , KZRB  , Tip , ST, "
            "UCH, BRIG, FZAR, VREAL, IREAL, V2Z, I2Z, NUMBATT, CNAK)" +
                values);
}

TEST_F(StatementText, DischargeReportPair) {
  const DischargeReportValues v{"123aaa", 1155, 400, 60, 400, 1200, 33, 2,
                                1,        5,    6,   1,  950, 2000, 13};
  const std::string values =
      " VALUES (\"2026-12-10\", \"08:15:02\", \"123aaa\", 1155, 400, 60, 400, 1200, 33, 2, 1, 5, "
      "6, 1, 950, 2000, 13);";
  BuildAccumDisStatement(out, kDate, kTime, v);
  EXPECT_EQ(out.view(),
            "INSERT INTO accumdis (Date , Time , TabNum , FabNum ,  IDIS   , TDIS , Cacc ,  Cet , "
            "Proc, Tip, ST, UCH, BRIG, FRAZ , VREAL, IREAL, NUMBATT)" +
                values);
  BuildBattDisRepStatement(out, kDate, kTime, v);
  EXPECT_EQ(out.view(),
            "REPLACE INTO battdisrep (Date , Time , TabNum , FabNum ,  IDIS   , TDIS , Cacc ,  "
            "Cet , Proc, Tip , ST, UCH, BRIG, FRAZ,  VREAL, IREAL, NUMBATT)" +
                values);
}

TEST_F(StatementText, CountQuery) {
  BuildCountStatement(out, "123aaa");
  EXPECT_EQ(out.view(), "SELECT COUNT(*)  FROM BATTALL  WHERE TABNUM= \"123aaa\";");
}

TEST_F(StatementText, ChargeTotalsInsertAndUpdate) {
  const ChargeTotalsValues v{"123aaa", 5, 1, 3, 650, 1, 2, 3, 21};
  BuildAddChAllStatement(out, kDate, kTime, v);
  EXPECT_EQ(out.view(),
            "INSERT INTO BATTALL (Date ,  Time , TabNum,      KZR, KZRB, TIP, CNAK,\t ST, UCH, "
            "BRIG, NUMBATT) VALUES (\"2026-12-10\", \"08:15:02\", \"123aaa\", 5, 1, 3, 650, 1, 2, "
            "3, 21);");
  BuildUpdChAllStatement(out, kDate, kTime, v);
  EXPECT_EQ(out.view(),
            "UPDATE BATTALL SET DATE=\"2026-12-10\",TIME=\"08:15:02\",KZR=5, KZRB=1, TIP=3, "
            "CNAK=650, ST=1, UCH=2, BRIG=3, NUMBATT=21 WHERE TABNUM=\"123aaa\";");
}

TEST_F(StatementText, DischargeTotalsInsertAndUpdate) {
  const DischargeTotalsValues v{"123aaa", 240, 20, 80, 1000, 8, 1, 2, 3, 4, 16};
  BuildAddDisAllStatement(out, kDate, kTime, v);
  EXPECT_EQ(out.view(),
            "INSERT INTO BATTALL (Date ,  Time , TabNum,      IDIS, TDIS, CACC,  CET, PROC,TIP,\t "
            "ST, UCH, BRIG, NUMBATT) VALUES (\"2026-12-10\", \"08:15:02\", \"123aaa\", 240, 20, "
            "80, 1000, 8, 1, 2, 3, 4, 16);");
  BuildUpdDisAllStatement(out, kDate, kTime, v);
  EXPECT_EQ(out.view(),
            "UPDATE BATTALL SET DATE=\"2026-12-10\",TIME=\"08:15:02\",IDIS=240, TDIS=20, CACC=80, "
            "CET=1000, PROC=8, TIP=1, ST=2, UCH=3, BRIG=4, NUMBATT=16 WHERE TABNUM=\"123aaa\";");
}

TEST_F(StatementText, QuoteAndBackslashInANumberAreEscaped) {
  BuildCountStatement(out, "a\"b\\c");
  EXPECT_EQ(out.view(), "SELECT COUNT(*)  FROM BATTALL  WHERE TABNUM= \"a\\\"b\\\\c\";");
}

TEST(DischargeValuesTest, DerivedFromCurrentTimeAndCapacity) {
  struct Case {
    std::int32_t idis, tdis, cn, cacc, cet, proc;
  } cases[] = {
      {1000, 90, 120, 1500, 1200, 125},
      {240, 20, 100, 80, 1000, 8},
      {400, 60, 0, 400, 0, 0},        // no capacity: no percentage
      {-100, 59, 10, -98, 100, -98},  // quotients truncate toward zero
      {100000, 100000, 1, static_cast<std::int32_t>(1410065408) / 60, 10,
       10 * (1410065408 / 60)},  // the product wraps in 32 bits, nothing traps
      {-2147483647 - 1, 1, -1, -35791394, -10, 357913940},
      {1, 60, 300000000, 1, -1294967296, 0},  // 10 Cn wraps as well
  };
  for (const Case& c : cases) {
    const DischargeValues v = ComputeDischargeValues(c.idis, c.tdis, c.cn);
    EXPECT_EQ(v.Cacc, c.cacc) << c.idis << " " << c.tdis;
    EXPECT_EQ(v.Cet, c.cet) << c.cn;
    EXPECT_EQ(v.Proc, c.proc) << c.idis << " " << c.tdis << " " << c.cn;
  }
}

// ---- Time texts ----

std::time_t fixed_now = 0;
std::time_t FixedClock() {
  return fixed_now;
}

class TimeText : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    SetWallClock(FixedClock);
  }
  void TearDown() override { SetWallClock(nullptr); }

  // 2026-12-10 and the given time of day, UTC.
  static std::time_t At(int hour, int minute, int second) {
    return 1796860800 + hour * 3600 + minute * 60 + second;
  }
};

TEST_F(TimeText, AgeRule) {
  struct Case {
    std::int32_t age;
    const char* date;
    const char* time;
  } cases[] = {
      {-1, "2026-12-10", "12:00:00"},    {30000, "2026-12-10", "12:00:00"},
      {65535, "2026-12-10", "12:00:00"}, {0, "2026-12-10", "11:59:58"},
      {1, "2026-12-10", "11:59:57"},     {2, "2026-12-10", "11:59:47"},
      {29999, "2026-12-07", "00:40:17"},  // 299983 s back
      {8641, "2026-12-09", "11:59:57"},   // more than a day back
      {-5, "2026-12-10", "12:00:00"},     // never in the future
  };
  fixed_now = At(12, 0, 0);
  for (const Case& c : cases) {
    char date[lamp::kSqlDateTextSize];
    char time[lamp::kSqlTimeTextSize];
    FormatSqlDateTimeBack(c.age, date, time);
    EXPECT_STREQ(date, c.date) << "age " << c.age;
    EXPECT_STREQ(time, c.time) << "age " << c.age;
  }
}

TEST_F(TimeText, BackDatedPastMidnightTakesThePreviousDay) {
  fixed_now = At(0, 0, 1);
  char date[lamp::kSqlDateTextSize];
  char time[lamp::kSqlTimeTextSize];
  FormatSqlDateTimeBack(0, date, time);
  EXPECT_STREQ(date, "2026-12-09");
  EXPECT_STREQ(time, "23:59:59");
  FormatSqlDateTimeBack(-1, date, time);
  EXPECT_STREQ(date, "2026-12-10");
  EXPECT_STREQ(time, "00:00:01");
  // New year too.
  fixed_now = 1798761600;  // 2027-01-01 00:00:00
  FormatSqlDateTimeBack(1, date, time);
  EXPECT_STREQ(date, "2026-12-31");
  EXPECT_STREQ(time, "23:59:57");
}

TEST_F(TimeText, NowTexts) {
  fixed_now = At(7, 5, 9);
  char date[lamp::kSqlDateTextSize];
  char time[lamp::kSqlTimeTextSize];
  FormatSqlDate(date);
  FormatSqlTime(time);
  EXPECT_STREQ(date, "2026-12-10");
  EXPECT_STREQ(time, "07:05:09");
}

// ---- No connection ----

int sent_statements = 0;
void CountStatement(std::string_view) {
  ++sent_statements;
}

TEST(NoConnection, WritersSendNothingAndListNothing) {
  ASSERT_EQ(DatabaseHandle, nullptr);
  TFormERR window;
  window.Hide();
  SetStatementObserver(CountStatement);
  sent_statements = 0;
  AddEvent("TOLVEX", 0x5555, 0x4001, 0, 0, 0, 0, 0, 0, 0, -1, 0, -1, 0, 0, 0, 0);
  AddStat("010aaa  ", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14);
  AddAccCH("010aaa", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14);
  AddChDis("010aaa", 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
  EXPECT_EQ(GetCOUNT("010aaa"), 0);
  AddCHALL("010aaa", 1, 2, 3, 4, 5, 6, 7, 8);
  UpdCHALL("010aaa", 1, 2, 3, 4, 5, 6, 7, 8);
  AddDISSALL("010aaa", 1, 2, 3, 4, 5, 6, 7, 8);
  UpdDISSALL("010aaa", 1, 2, 3, 4, 5, 6, 7, 8);
  SetStatementObserver(nullptr);
  EXPECT_EQ(sent_statements, 0);
  EXPECT_EQ(window.ListBox1.Items().Count(), 0);
  EXPECT_FALSE(window.Visible());
}

}  // namespace
}  // namespace tolvex
