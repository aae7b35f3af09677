// The database writer against the real MariaDB server: the text each writer sends and the
// rows it leaves behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "server/database_connection.h"
#include "server/database_writer.h"
#include "server/error_window.h"
#include "tests/support/test_database.h"

namespace tolvex {
namespace {

using Rows = std::vector<lamptest::TestDatabase::Row>;

std::vector<std::string> sent;
void CaptureStatement(std::string_view statement) {
  sent.emplace_back(statement);
}

std::time_t fixed_now = 0;
std::time_t FixedClock() {
  return fixed_now;
}

// 2026-12-10 at the given time of day, UTC.
std::time_t At(int hour, int minute, int second) {
  return 1796860800 + hour * 3600 + minute * 60 + second;
}

class WriterDb : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    ASSERT_TRUE(db.connected()) << db.last_error();
    ASSERT_TRUE(db.EmptyAllTables()) << db.last_error();
    ASSERT_EQ(ConnectDatabase("localhost", "root", "q758"), 0);
    window.ListBox1.Items().Clear();
    window.Hide();
    fixed_now = At(12, 0, 0);
    SetWallClock(FixedClock);
    sent.clear();
    SetStatementObserver(CaptureStatement);
  }
  void TearDown() override {
    SetStatementObserver(nullptr);
    SetWallClock(nullptr);
    CloseDatabase();
  }

  std::vector<std::string> ErrorLines() const { return window.ListBox1.Items().Items(); }

  lamptest::TestDatabase db;
  TFormERR window;
};

TEST_F(WriterDb, ServerStartEventSentExactlyAndStored) {
  AddEvent("TOLVEX", 0x5555, 0x4001, 0, 0, 0, 0, 0, 0, 0, -1, 0, -1, 0, 0, 0, 0);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0],
            "INSERT INTO event (Date , Time , TabNum , FabNum ,  KSOB   , NSP1 , NSP2 ,PSTAT,    "
            "PARM1,PARM2, PARM3,PARM4, PARM5,    FL ,  ST,UCH, BRIG,  WTBNUM) VALUES "
            "(\"2026-12-10\", \"12:00:00\", \"TOLVEX\", 21845, 16385, 0, 0, 0, -1, 0, 0, 0, 0, 0, "
            "0, 0, 0, 0);");
  EXPECT_TRUE(ErrorLines().empty());
  EXPECT_EQ(db.Query("SELECT Date, Time, TabNum, FabNum, KSOB, PARM1 FROM event"),
            (Rows{{"2026-12-10", "12:00:00", "TOLVEX", "21845", "16385", "-1"}}));
}

TEST_F(WriterDb, EventValuesLandInTheirColumns) {
  AddEvent("010aaa", 0xFEDCBA9876543210ull, 0x3404, 2, 3, 4, 5, 6, 7, 8, -1, 9, 10, 11, 12, 13, 14);
  EXPECT_EQ(db.Query("SELECT FabNum, KSOB, NSP1, NSP2, FL, ST, UCH, BRIG, WTBNUM, PSTAT, PARM1, "
                     "PARM2, PARM3, PARM4, PARM5 FROM event"),
            (Rows{{"18364758544493064720", "13316", "2", "3", "4", "5", "6", "7", "8", "9", "10",
                   "11", "12", "13", "14"}}));
}

TEST_F(WriterDb, BackDatedEventsKeepTheirDay) {
  fixed_now = At(0, 0, 1);
  AddEvent("010aaa", 0, 0x1040, 0, 0x8000, 0, 1, 0, 0, 0, 0, 0, -1, -1, 0, 0, 0);  // 2 s back
  AddEvent("010aaa", 0, 0x3000, 0, 0, 0, 1, 0, 0, 0, 1, 0, -1, -1, 0, 0, 0);       // 3 s back
  AddEvent("010aaa", 0, 0x3001, 0, 0, 0, 1, 0, 0, 0, 30000, 0, -1, -1, 0, 0, 0);   // now
  fixed_now = At(12, 0, 0);
  AddEvent("010aaa", 0, 0x3002, 0, 0, 0, 1, 0, 0, 0, 8641, 0, -1, -1, 0, 0, 0);  // a day + 3 s
  EXPECT_EQ(db.Query("SELECT KSOB, Date, Time FROM event ORDER BY DATA_ID"),
            (Rows{{"4160", "2026-12-09", "23:59:59"},
                  {"12288", "2026-12-09", "23:59:58"},
                  {"12289", "2026-12-10", "00:00:01"},
                  {"12290", "2026-12-09", "11:59:57"}}));
}

TEST_F(WriterDb, StateRow) {
  AddStat("010aaa  ", 1155, 12000, 12001, 5001, 25, 11900, 12010, 11800, 12200, 4990, 5005, 19, 48,
          7);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0],
            "INSERT INTO statcell (Date , Time , IndNum , FabNum ,  UPW   , UZR , U5V ,GR,    "
            "UPWMIN, UPWMAX,  UZRMIN , UZRMAX, U5VMIN, U5VMAX, GRMIN, GRMAX, FLN) VALUES "
            "(\"2026-12-10\", \"12:00:00\", \"010aaa  \", 1155, 12000, 12001, 5001, 25, 11900, "
            "12010, 11800, 12200, 4990, 5005, 19, 48, 7);");
  EXPECT_EQ(db.Query("SELECT CONCAT('[', IndNum, ']'), UPW, GRMAX, FLN FROM statcell"),
            (Rows{{"[010aaa  ]", "12000", "48", "7"}}));
}

TEST_F(WriterDb, ChargeReportKeepsHistoryAndOneLatestRowPerLamp) {
  AddAccCH("123aaa", 0x8000000000000001ull, 101, 0, 2, 1, 2, 3, 17, 600, 30, 4300, 1100, 1, -1);
  fixed_now = At(12, 0, 5);
  AddAccCH("123aaa", 1155, 102, 0, 2, 1, 2, 3, 17, 610, 31, 4310, 1110, 1, 1400);
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[0].substr(0, 20), "INSERT INTO accumch ");
  EXPECT_EQ(sent[1].substr(0, 23), "REPLACE INTO battchrep ");
  EXPECT_EQ(db.Query("SELECT Time, FabNum, KZR, CNAK FROM accumch ORDER BY DATA_ID"),
            (Rows{{"12:00:00", "9223372036854775809", "101", "-1"},
                  {"12:00:05", "1155", "102", "1400"}}));
  EXPECT_EQ(db.Query("SELECT Time, TabNum, FabNum, KZR, VREAL, CNAK FROM battchrep"),
            (Rows{{"12:00:05", "123aaa", "1155", "102", "610", "1400"}}));
  EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(WriterDb, DischargeReportWithDerivedValues) {
  AddChDis("123aaa", 1155, 1000, 90, 120, 2, 1, 5, 6, 1, 950, 2000, 13);
  AddChDis("456bbb", 1, 400, 60, 0, 2, 1, 5, 6, 1, 950, 2000, 13);
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[1],
            "REPLACE INTO battdisrep (Date , Time , TabNum , FabNum ,  IDIS   , TDIS , Cacc ,  "
            "Cet , Proc, Tip , ST, UCH, BRIG, FRAZ,  VREAL, IREAL, NUMBATT) VALUES "
            "(\"2026-12-10\", \"12:00:00\", \"123aaa\", 1155, 1000, 90, 1500, 1200, 125, 2, 1, 5, "
            "6, 1, 950, 2000, 13);");
  const Rows expected{{"123aaa", "1500", "1200", "125"}, {"456bbb", "400", "0", "0"}};
  EXPECT_EQ(db.Query("SELECT TabNum, Cacc, Cet, Proc FROM accumdis ORDER BY DATA_ID"), expected);
  EXPECT_EQ(db.Query("SELECT TabNum, Cacc, Cet, Proc FROM battdisrep ORDER BY TabNum"), expected);
}

// The totals upsert as the reply decoder runs it after a report.
void ChargeTotals(std::string_view number, std::int32_t kzr, std::int32_t cnak) {
  if (GetCOUNT(number) == 0) {
    AddCHALL(number, kzr, 0, 3, cnak, 1, 2, 3, 21);
  } else {
    UpdCHALL(number, kzr, 0, 3, cnak, 1, 2, 3, 21);
  }
}

void DischargeTotals(std::string_view number, std::int32_t idis) {
  if (GetCOUNT(number) == 0) {
    AddDISSALL(number, idis, 20, 100, 1, 2, 3, 4, 16);
  } else {
    UpdDISSALL(number, idis, 20, 100, 1, 2, 3, 4, 16);
  }
}

TEST_F(WriterDb, TotalsInsertThenUpdate) {
  EXPECT_EQ(GetCOUNT("123aaa"), 0);
  ChargeTotals("123aaa", 5, 650);
  EXPECT_EQ(GetCOUNT("123aaa"), 1);
  fixed_now = At(13, 0, 0);
  ChargeTotals("123aaa", 6, -1);
  DischargeTotals("123aaa", 240);
  DischargeTotals("777ccc", 300);
  EXPECT_TRUE(ErrorLines().empty());
  const std::vector<std::string> statements(sent.begin(), sent.end());
  ASSERT_EQ(statements.size(), 10u);
  EXPECT_EQ(statements[0], "SELECT COUNT(*)  FROM BATTALL  WHERE TABNUM= \"123aaa\";");
  EXPECT_EQ(statements[2],
            "INSERT INTO BATTALL (Date ,  Time , TabNum,      KZR, KZRB, TIP, CNAK,\t ST, UCH, "
            "BRIG, NUMBATT) VALUES (\"2026-12-10\", \"12:00:00\", \"123aaa\", 5, 0, 3, 650, 1, 2, "
            "3, 21);");
  EXPECT_EQ(statements[5],
            "UPDATE BATTALL SET DATE=\"2026-12-10\",TIME=\"13:00:00\",KZR=6, KZRB=0, TIP=3, "
            "CNAK=-1, ST=1, UCH=2, BRIG=3, NUMBATT=21 WHERE TABNUM=\"123aaa\";");
  EXPECT_EQ(statements[7],
            "UPDATE BATTALL SET DATE=\"2026-12-10\",TIME=\"13:00:00\",IDIS=240, TDIS=20, CACC=80, "
            "CET=1000, PROC=8, TIP=1, ST=2, UCH=3, BRIG=4, NUMBATT=16 WHERE TABNUM=\"123aaa\";");
  EXPECT_EQ(statements[9],
            "INSERT INTO BATTALL (Date ,  Time , TabNum,      IDIS, TDIS, CACC,  CET, PROC,TIP,\t "
            "ST, UCH, BRIG, NUMBATT) VALUES (\"2026-12-10\", \"13:00:00\", \"777ccc\", 300, 20, "
            "100, 1000, 10, 1, 2, 3, 4, 16);");
  EXPECT_EQ(db.Query("SELECT TABNUM, Time, KZR, CNAK, IDIS, CACC, CET, PROC, ST FROM BATTALL "
                     "ORDER BY TABNUM"),
            (Rows{{"123aaa", "13:00:00", "6", "-1", "240", "80", "1000", "8", "2"},
                  {"777ccc", "13:00:00", "0", "0", "300", "100", "1000", "10", "2"}}));
}

TEST_F(WriterDb, QuotedTextIsStoredAsGiven) {
  AddEvent("a\"b\\c", 1, 0x3000, 0, 0, 0, 0, 0, 0, 0, -1, 0, -1, -1, 0, 0, 0);
  EXPECT_TRUE(ErrorLines().empty());
  EXPECT_EQ(db.QueryValue("SELECT TabNum FROM event"), "a\"b\\c");
}

TEST_F(WriterDb, StatementTooLongForItsBufferIsNotSent) {
  const std::string number(kStatementBufferSize, '7');
  EXPECT_EQ(GetCOUNT(number), 0);
  AddEvent(number, 1, 0x3000, 0, 0, 0, 0, 0, 0, 0, -1, 0, -1, -1, 0, 0, 0);
  EXPECT_TRUE(sent.empty());
  // Listed as a failure: a code of 0 would read as "no error".
  const std::string code = "Error kod= FFFFFFFF (-1)";
  const std::string text = "statement too long, not sent";
  EXPECT_EQ(ErrorLines(),
            (std::vector<std::string>{code, text, "GetCOUNT", code, text, "AddEvent"}));
  EXPECT_EQ(db.QueryValue("SELECT COUNT(*) FROM event"), "0");
}

// Hides a table for one test, so that statements on it fail.
class HiddenTable {
 public:
  HiddenTable(lamptest::TestDatabase& db, const std::string& name) : db_(db), name_(name) {
    ok_ = db_.Execute("RENAME TABLE " + name_ + " TO " + name_ + "_hidden");
  }
  ~HiddenTable() {
    if (ok_) db_.Execute("RENAME TABLE " + name_ + "_hidden TO " + name_);
  }
  bool ok() const { return ok_; }

 private:
  lamptest::TestDatabase& db_;
  std::string name_;
  bool ok_;
};

TEST_F(WriterDb, FailedHistoryInsertStillWritesTheLatestReport) {
  {
    HiddenTable history(db, "accumch");
    ASSERT_TRUE(history.ok()) << db.last_error();
    AddAccCH("123aaa", 1155, 101, 0, 2, 1, 2, 3, 17, 600, 30, 4300, 1100, 1, 1400);
  }
  const auto lines = ErrorLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Error kod= 47A (1146)") << lines[1];  // no such table
  EXPECT_NE(lines[1].find("accumch"), std::string::npos);
  EXPECT_EQ(lines[2], "AddAccCH");
  EXPECT_TRUE(window.Visible());
  EXPECT_EQ(db.QueryValue("SELECT KZR FROM battchrep WHERE TabNum=\"123aaa\""), "101");
}

TEST_F(WriterDb, BothStatementsOfAPairFailingGiveSixLines) {
  struct Case {
    const char* history;
    const char* latest;
    void (*write)();
    const char* operation;
    const char* second_operation;
  } cases[] = {
      {"accumch", "battchrep",
       [] { AddAccCH("123aaa", 1155, 101, 0, 2, 1, 2, 3, 17, 600, 30, 4300, 1100, 1, 1400); },
       "AddAccCH", "AddAccCH Rep"},
      {"accumdis", "battdisrep",
       [] { AddChDis("123aaa", 1155, 400, 60, 120, 2, 1, 5, 6, 1, 950, 2000, 13); }, "AddChDis",
       "AddChDis Rep"},
  };
  for (const Case& c : cases) {
    window.ListBox1.Items().Clear();
    sent.clear();
    {
      HiddenTable history(db, c.history);
      HiddenTable latest(db, c.latest);
      ASSERT_TRUE(history.ok() && latest.ok()) << db.last_error();
      c.write();
    }
    const auto lines = ErrorLines();
    ASSERT_EQ(lines.size(), 6u) << c.operation;
    EXPECT_EQ(lines[0], "Error kod= 47A (1146)");
    EXPECT_EQ(lines[2], c.operation);
    EXPECT_EQ(lines[3], "Error kod= 47A (1146)");
    EXPECT_EQ(lines[5], c.second_operation);
    EXPECT_EQ(sent.size(), 2u);
  }
}

TEST_F(WriterDb, FailedCountReportsAndGivesZero) {
  {
    HiddenTable totals(db, "BATTALL");
    ASSERT_TRUE(totals.ok()) << db.last_error();
    EXPECT_EQ(GetCOUNT("123aaa"), 0);
  }
  const auto lines = ErrorLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "GetCOUNT");
  // The connection is still usable: the failed query left no result behind.
  AddCHALL("123aaa", 5, 1, 3, 650, 1, 2, 3, 21);
  EXPECT_EQ(GetCOUNT("123aaa"), 1);
  EXPECT_EQ(ErrorLines().size(), 3u);
}

TEST_F(WriterDb, SecondInsertOfTheSameTotalsFailsWithItsOwnLines) {
  AddCHALL("123aaa", 5, 1, 3, 650, 1, 2, 3, 21);
  AddCHALL("123aaa", 6, 1, 3, 650, 1, 2, 3, 21);
  const auto lines = ErrorLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Error kod= 426 (1062)");  // duplicate key
  EXPECT_EQ(lines[2], "AddCHALL");
  EXPECT_EQ(db.QueryValue("SELECT KZR FROM BATTALL"), "5");
}

}  // namespace
}  // namespace tolvex
