// The SQL test window: every button calls its writer with the fixed test values for the
// number in Edit1 and adds its fixed memo lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/application.h"
#include "server/database_connection.h"
#include "server/error_window.h"
#include "server/sql_test_window.h"
#include "tests/support/test_database.h"

namespace {

using Lines = std::vector<std::string>;
using Row = lamptest::TestDatabase::Row;

class SqlTestWindowDb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(
        db_.EmptyTables({"statcell", "accumch", "battchrep", "accumdis", "battdisrep", "BATTALL"}))
        << db_.last_error();
    ASSERT_EQ(tolvex::ConnectDatabase("localhost", "root", "q758"), 0);
    sql_.ConnectHandlers();
  }
  void TearDown() override { tolvex::CloseDatabase(); }

  lamptest::TestDatabase db_;
  tolvex::TFormSQL sql_;
  tolvex::TFormERR err_;
};

TEST_F(SqlTestWindowDb, WindowAsCreated) {
  EXPECT_EQ(sql_.Caption(), "SQL");
  EXPECT_EQ(sql_.Edit1.Text(), "TEST");
  EXPECT_EQ(sql_.Memo1.FontName(), "Courier New");
  EXPECT_FALSE(sql_.Visible());
  sql_.Resize(400, 300);
  EXPECT_EQ(sql_.Memo1.Width(), 375);
}

TEST_F(SqlTestWindowDb, TotalsButtonsWriteAndCount) {
  sql_.BitBtn2.Click();
  EXPECT_EQ(sql_.Edit2.Text(), "0");
  EXPECT_TRUE(sql_.Memo1.Lines().Items().empty());

  sql_.BitBtn4.Click();  // ADD-CHALL
  EXPECT_EQ(sql_.Memo1.Lines().Items(),
            (Lines{"TABLE battall", "TEST", "INDSS, KZR, KZRB, Tip,CNAK, ST, UCH, BRIG, NUMBATT",
                   "        5,  1,    3,  650,  1,  2,   3,    21"}));
  EXPECT_EQ(db_.Query("SELECT TABNUM, KZR, KZRB, TIP, CNAK, ST, UCH, BRIG, NUMBATT FROM BATTALL"),
            (std::vector<Row>{{"TEST", "5", "1", "3", "650", "1", "2", "3", "21"}}));
  sql_.BitBtn2.Click();
  EXPECT_EQ(sql_.Edit2.Text(), "1");

  sql_.BitBtn10.Click();
  EXPECT_TRUE(sql_.Memo1.Lines().Items().empty());
  sql_.BitBtn3.Click();  // UPD-CHALL
  EXPECT_EQ(
      sql_.Memo1.Lines().Items(),
      (Lines{"UPDATE battall SET ", "TEST", "INDSS, KZR, KZRB, TIP, CNAK, ST, UCH, BRIG, NUMBATT",
             "       5,   1,    3,   650,   1,  2,   3,    21"}));

  sql_.BitBtn10.Click();
  sql_.BitBtn5.Click();  // ADD-DisAll: the memo lines come first
  EXPECT_EQ(sql_.Memo1.Lines().Items(),
            (Lines{"INSERT INTO  battall ", "TEST",
                   " fn  IDIS, TDIS, CACC,  CET, PROC, TIP, ST, UCH, BRIG, NUMBATT",
                   "1155,101,  300,   640,   800,  80, 3,   1,  2,   3 ,   21 "}));
  sql_.BitBtn8.Click();  // UpdDisAll, no memo lines
  EXPECT_EQ(sql_.Memo1.Lines().Count(), 4);
  EXPECT_EQ(db_.QueryValue("SELECT IDIS FROM BATTALL WHERE TABNUM = 'TEST' AND IDIS = 240 LIMIT 1"),
            "240");
}

TEST_F(SqlTestWindowDb, ReportAndStateButtonsWriteTheirRows) {
  sql_.Edit1.SetText("777zzz");
  sql_.BitBtn1.Click();  // AccDIS
  sql_.BitBtn7.Click();  // BattCH
  sql_.BitBtn9.Click();  // Stat
  EXPECT_EQ(
      sql_.Memo1.Lines().Items(),
      (Lines{"INSERT INTO accumdis  ", "777zzz", "1155, 400, 60, 120, 2, 1, 5, 6, 1, 950, 2000, 13",
             "INSERT INTO  accumch ", "777zzz",
             " fn,  KZR, KZRB, Tip, ST,UCH,BR,FZR, VREAL, IREAL,V2Z, I2Z,NUMBATT,CNAK",
             " 1155,101, 0,    2,   1,  2, 3, 17,  4200,   30,  4400,11,  1,     1400 ",
             "TABLE  statcell", "777zzz",
             " 1155,  12000,12001 ,5001  , 25,  11900, 12010, 11800, 12200,  4990, 5005, "
             "19, 48, 7"}));
  EXPECT_EQ(db_.Query("SELECT TabNum, FabNum, IDIS, TDIS, Tip, ST, UCH, BRIG, FRAZ, VREAL, IREAL, "
                      "NUMBATT FROM accumdis"),
            (std::vector<Row>{
                {"777zzz", "1155", "400", "60", "2", "1", "5", "6", "1", "950", "2000", "13"}}));
  // The values sent, not the memo's text.
  EXPECT_EQ(db_.Query("SELECT FabNum, KZR, KZRB, Tip, ST, UCH, BRIG, FZAR, VREAL, IREAL, V2Z, "
                      "I2Z, NUMBATT, CNAK FROM battchrep WHERE TabNum = '777zzz'"),
            (std::vector<Row>{{"1155", "101", "0", "2", "1", "2", "3", "17", "600", "30", "4300",
                               "1100", "1", "1400"}}));
  EXPECT_EQ(db_.Query("SELECT IndNum, FabNum, UPW, UZR, U5V, GR, UPWMIN, UPWMAX, UZRMIN, UZRMAX, "
                      "U5VMIN, U5VMAX, GRMIN, GRMAX, FLN FROM statcell"),
            (std::vector<Row>{{"777zzz", "1155", "12000", "12001", "5001", "25", "11900", "12010",
                               "11800", "12200", "4990", "5005", "19", "48", "7"}}));
  EXPECT_TRUE(err_.ListBox1.Items().Items().empty());
}

TEST_F(SqlTestWindowDb, WithoutAConnectionTheButtonsSendNothingAndCountShowsZero) {
  tolvex::CloseDatabase();
  sql_.BitBtn9.Click();
  sql_.BitBtn2.Click();
  EXPECT_EQ(sql_.Edit2.Text(), "0");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM statcell"), "0");
  EXPECT_EQ(sql_.Memo1.Lines().Count(), 3);
}

}  // namespace
