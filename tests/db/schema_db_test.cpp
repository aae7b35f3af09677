// The schema on a real server: every statement that the two programs send runs on it as the
// programs write it, the keys keep one row per lamp where the programs rely on that, and the
// server matches table names without regard to case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/sql_text.h"
#include "tests/support/test_database.h"

namespace {

using lamptest::TestDatabase;
using Rows = std::vector<TestDatabase::Row>;

std::string Q(std::string_view value) {
  std::string quoted;
  lamp::AppendQuoted(quoted, value);
  return quoted;
}

const std::string kDate = "2026-12-10";
const std::string kTime = "08:15:02";

class SchemaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyAllTables()) << db_.last_error();
  }

  void Run(const std::string& statement) {
    ASSERT_TRUE(db_.Execute(statement)) << db_.last_error();
  }

  Rows Select(const std::string& statement) {
    Rows rows = db_.Query(statement);
    EXPECT_TRUE(rows.size() > 0 || db_.last_error().empty()) << db_.last_error();
    return rows;
  }

  TestDatabase db_;
};

TEST_F(SchemaTest, ServerRunsWithCaseInsensitiveTableNames) {
  EXPECT_EQ(db_.QueryValue("SELECT @@lower_case_table_names"), "1");
  EXPECT_EQ(db_.QueryValue("SELECT DEFAULT_CHARACTER_SET_NAME FROM information_schema.SCHEMATA "
                           "WHERE SCHEMA_NAME='zuvurov'"),
            "cp1251");
  const Rows tables = Select(
      "SELECT TABLE_NAME, TABLE_COLLATION FROM information_schema.TABLES "
      "WHERE TABLE_SCHEMA='zuvurov' ORDER BY TABLE_NAME");
  const std::vector<std::string> expected = {"accumch",    "accumdis", "battall",  "battchrep",
                                             "battdisrep", "battlog",  "battparm", "event",
                                             "smenabatt",  "statcell", "worker"};
  ASSERT_EQ(tables.size(), expected.size());
  for (std::size_t i = 0; i < tables.size(); ++i) {
    EXPECT_EQ(tables[i][0], expected[i]);
    EXPECT_EQ(tables[i][1], "cp1251_general_ci") << tables[i][0];
  }
}

TEST_F(SchemaTest, EventAndEVENTAreOneTable) {
  // The server's start row, as the server writes it.
  Run("INSERT INTO event (Date , Time , TabNum , FabNum ,  KSOB   , NSP1 , NSP2 ,PSTAT,    "
      "PARM1,PARM2, PARM3,PARM4, PARM5,    FL ,  ST,UCH, BRIG,  WTBNUM) VALUES (" +
      Q(kDate) + ", " + Q(kTime) + ", " + Q("TOLVEX") +
      ", 21845, 16385, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0);");
  Run("INSERT INTO EVENT (Date , Time , TabNum , FabNum ,  KSOB   , NSP1 , NSP2 ,PSTAT,    "
      "PARM1,PARM2, PARM3,PARM4, PARM5,    FL ,  ST,UCH, BRIG,  WTBNUM) VALUES (" +
      Q(kDate) + ", " + Q(kTime) + ", " + Q("TOLVEX") +
      ", 21845, 16384, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0);");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM event"), "2");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM EVENT"), "2");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM Event"), "2");

  // The history read, newest first by DATA_ID.
  const Rows rows = Select(
      "SELECT  TABNUM, DATE, TIME, KSOB, NSP1, NSP2, PSTAT, PARM1, PARM2, PARM3,PARM4\t  FROM "
      "EVENT  WHERE TABNUM= " +
      Q("TOLVEX") + " ORDER BY DATA_ID DESC LIMIT 100;");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (TestDatabase::Row{"TOLVEX", kDate, kTime, "16384", "0", "0", "0", "-1", "0",
                                        "0", "0"}));
  EXPECT_EQ(rows[1][3], "16385");
}

TEST_F(SchemaTest, PaddedNumbersKeepTheirBlanksAndAreFoundByTheBareNumber) {
  Run("INSERT INTO event (Date , Time , TabNum , FabNum ,  KSOB   , NSP1 , NSP2 ,PSTAT,    "
      "PARM1,PARM2, PARM3,PARM4, PARM5,    FL ,  ST,UCH, BRIG,  WTBNUM) VALUES (" +
      Q(kDate) + ", " + Q(kTime) + ", " + Q("010aaa  ") +
      ", 18446744073709551615, 20481, 0, 0, 4, 3600, 500, 0, 0, 0, 0, 7, 2, 3, 1234);");
  Run("INSERT INTO statcell (Date , Time , IndNum , FabNum ,  UPW   , UZR , U5V ,GR,    UPWMIN, "
      "UPWMAX,  UZRMIN , UZRMAX, U5VMIN, U5VMAX, GRMIN, GRMAX, FLN) VALUES (" +
      Q(kDate) + ", " + Q(kTime) + ", " + Q("010aaa  ") +
      ", 0, 12000, 13000, 5000, -20, 60000, 0, 60000, 0, 50000, 0, 400, -400, 3);");
  EXPECT_EQ(Select("SELECT CONCAT('[', TabNum, ']'), FabNum FROM event"),
            (Rows{{"[010aaa  ]", "18446744073709551615"}}));
  EXPECT_EQ(db_.QueryValue("SELECT CONCAT('[', IndNum, ']') FROM statcell"), "[010aaa  ]");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM EVENT WHERE TABNUM= " + Q("010aaa")), "1");
  EXPECT_EQ(Select("SELECT UPWMIN, GRMIN, GRMAX, FLN FROM statcell"),
            (Rows{{"60000", "400", "-400", "3"}}));
}

TEST_F(SchemaTest, WorkerReadsOfBothPrograms) {
  // cp1251 names: "Иванов", "Пётр", "Ильич".
  Run("INSERT INTO WORKER (TABNUM, FAMILE, NAME, PATRON, ST, UCH, BRIG, WTEL, WTBNUM, NUMFIND, "
      "NUMCALL, COMMENT) VALUES "
      "('002aaa', '\xC8\xE2\xE0\xED\xEE\xE2', '\xCF\xB8\xF2\xF0', '\xC8\xEB\xFC\xE8\xF7', 5, 2, "
      "3, '12-34', 777, '1', '2', 'x'),"
      "('001aaa', 'B', 'C', 'D', 4, 1, 1, '', 778, '', '', ''),"
      "('003aaa', '', '', '', NULL, NULL, NULL, '', NULL, '', '', '')");
  const Rows server = Select("SELECT DATA_ID, TABNUM , ST, UCH, BRIG, WTBNUM   FROM WORKER;");
  EXPECT_EQ(server.size(), 3u);
  EXPECT_EQ(Select("SELECT TABNUM, ST   FROM WORKER ORDER BY TABNUM;"),
            (Rows{{"001aaa", "4"}, {"002aaa", "5"}, {"003aaa", lamptest::kNullText}}));
  const Rows card = Select(
      "SELECT  TABNUM , FAMILE, NAME, PATRON,ST, UCH, BRIG, WTEL , WTBNUM , NUMFIND, NUMCALL, "
      "COMMENT  FROM WORKER  WHERE TABNUM= " +
      Q("002aaa") + ";");
  ASSERT_EQ(card.size(), 1u);
  EXPECT_EQ(card[0], (TestDatabase::Row{"002aaa", "\xC8\xE2\xE0\xED\xEE\xE2", "\xCF\xB8\xF2\xF0",
                                        "\xC8\xEB\xFC\xE8\xF7", "5", "2", "3", "12-34", "777", "1",
                                        "2", "x"}));
  // Stored as cp1251, one byte per letter.
  EXPECT_EQ(db_.QueryValue("SELECT HEX(FAMILE) FROM WORKER WHERE TABNUM='002aaa'"), "C8E2E0EDEEE2");
}

TEST_F(SchemaTest, ChargeReportsKeepOneLatestRowPerLamp) {
  const std::string values = " VALUES (" + Q(kDate) + ", " + Q(kTime) + ", " + Q("010aaa") +
                             ", 4660, 12, 0, 1, 5, 2, 3, 64, 4100, 350, 4150, 90, 7, ";
  for (int cnak : {1500, -1}) {
    Run("INSERT INTO accumch (Date , Time , TabNum , FabNum ,  KZR   , KZRB  , Tip, ST, UCH, "
        "BRIG , FZAR, VREAL, IREAL, V2Z, I2Z, NUMBATT, CNAK)" +
        values + std::to_string(cnak) + ");");
    Run("REPLACE INTO battchrep (Date , Time , TabNum , FabNum ,  KZR   , KZRB  , Tip , ST, UCH, "
        "BRIG, FZAR, VREAL, IREAL, V2Z, I2Z, NUMBATT, CNAK)" +
        values + std::to_string(cnak) + ");");
  }
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM accumch"), "2");
  EXPECT_EQ(Select("SELECT  TABNUM, DATE, TIME,KZR , TIP , CNAK    FROM BATTCHREP  WHERE TABNUM= " +
                   Q("010aaa") + ";"),
            (Rows{{"010aaa", kDate, kTime, "12", "1", "-1"}}));

  // The workstation's reset after a battery change.
  Run("UPDATE  BATTCHREP  SET DATE=" + Q("2026-12-11") + ", TIME=" + Q("09:00:00") +
      ", KZR=0 , CNAK=-1    WHERE TABNUM= " + Q("010aaa") + ";");
  EXPECT_EQ(Select("SELECT DATE, TIME, KZR, CNAK FROM battchrep"),
            (Rows{{"2026-12-11", "09:00:00", "0", "-1"}}));
}

TEST_F(SchemaTest, DischargeReportsKeepOneLatestRowPerLamp) {
  const std::string values = " VALUES (" + Q(kDate) + ", " + Q(kTime) + ", " + Q("010aaa") +
                             ", 4660, 1000, 90, 1500, 2000, 75, 1, 5, 2, 3, 1, 3900, 400, 7);";
  for (int i = 0; i < 2; ++i) {
    Run("INSERT INTO accumdis (Date , Time , TabNum , FabNum ,  IDIS   , TDIS , Cacc ,  Cet , "
        "Proc, Tip, ST, UCH, BRIG, FRAZ , VREAL, IREAL, NUMBATT)" +
        values);
    Run("REPLACE INTO battdisrep (Date , Time , TabNum , FabNum ,  IDIS   , TDIS , Cacc ,  Cet , "
        "Proc, Tip , ST, UCH, BRIG, FRAZ,  VREAL, IREAL, NUMBATT)" +
        values);
  }
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM accumdis"), "2");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*)  FROM battdisrep  WHERE TABNUM= " + Q("010aaa") + ";"),
            "1");
  EXPECT_EQ(Select("SELECT  TABNUM, DATE, TIME, IDIS, TDIS, CACC, CET, PROC, TIP    FROM "
                   "battdisrep  WHERE TABNUM= " +
                   Q("010aaa") + ";"),
            (Rows{{"010aaa", kDate, kTime, "1000", "90", "1500", "2000", "75", "1"}}));

  Run("UPDATE battdisrep SET DATE=" + Q(kDate) + ",TIME=" + Q(kTime) +
      ",CACC=0, CET=0, PROC=-1, ST=6, UCH=7, BRIG=8 WHERE TABNUM=" + Q("010aaa") + ";");
  EXPECT_EQ(Select("SELECT CACC, CET, PROC, ST, UCH, BRIG FROM battdisrep"),
            (Rows{{"0", "0", "-1", "6", "7", "8"}}));
}

TEST_F(SchemaTest, TotalsOfServerAndWorkstation) {
  const std::string count = "SELECT COUNT(*)  FROM BATTALL  WHERE TABNUM= " + Q("010aaa") + ";";
  EXPECT_EQ(db_.QueryValue(count), "0");
  // The server's insert after a charge report, then its updates.
  Run("INSERT INTO BATTALL (Date ,  Time , TabNum,      KZR, KZRB, TIP, CNAK,\t ST, UCH, BRIG, "
      "NUMBATT) VALUES (" +
      Q(kDate) + ", " + Q(kTime) + ", " + Q("010aaa") + ", 12, 0, 1, 1500, 5, 2, 3, 7);");
  EXPECT_EQ(db_.QueryValue(count), "1");
  Run("UPDATE BATTALL SET DATE=" + Q(kDate) + ",TIME=" + Q(kTime) +
      ",KZR=13, KZRB=0, TIP=1, CNAK=1600, ST=5, UCH=2, BRIG=3, NUMBATT=7 WHERE TABNUM=" +
      Q("010aaa") + ";");
  Run("UPDATE BATTALL SET DATE=" + Q(kDate) + ",TIME=" + Q(kTime) +
      ",IDIS=1000, TDIS=90, CACC=1500, CET=2000, PROC=75, TIP=1, ST=5, UCH=2, BRIG=3, NUMBATT=7 "
      "WHERE TABNUM=" +
      Q("010aaa") + ";");
  EXPECT_EQ(Select("SELECT KZR, CNAK, IDIS, TDIS, CACC, CET, PROC, DATESMB, TIMESMB FROM BATTALL"),
            (Rows{{"13", "1600", "1000", "90", "1500", "2000", "75", lamptest::kNullText,
                   lamptest::kNullText}}));
  // A second insert for the same lamp is refused: one totals row per lamp.
  EXPECT_FALSE(db_.Execute(
      "INSERT INTO BATTALL (Date ,  Time , TabNum,      IDIS, TDIS, CACC,  CET, PROC,TIP,\t ST, "
      "UCH, BRIG, NUMBATT) VALUES (" +
      Q(kDate) + ", " + Q(kTime) + ", " + Q("010aaa") +
      ", 1000, 90, 1500, 2000, 75, 1, 5, 2, 3, 7);"));
  // The server's insert after a discharge report for another lamp.
  Run("INSERT INTO BATTALL (Date ,  Time , TabNum,      IDIS, TDIS, CACC,  CET, PROC,TIP,\t ST, "
      "UCH, BRIG, NUMBATT) VALUES (" +
      Q(kDate) + ", " + Q(kTime) + ", " + Q("011aaa") +
      ", 1000, 90, 1500, 2000, 75, 1, 5, 2, 3, 7);");

  // The workstation's battery change: insert for a new lamp, the other columns defaulted.
  Run("INSERT INTO BATTALL (Date ,DATESMB,  Time ,TIMESMB, TabNum,   \t ST, UCH, BRIG) VALUES (" +
      Q(kDate) + ", " + Q(kDate) + ", " + Q(kTime) + ", " + Q(kTime) + ", " + Q("012aaa") +
      ", 5, 2, 3);");
  EXPECT_EQ(Select("SELECT Date, DATESMB, Time, TIMESMB, KZR, KZRB, TIP, CNAK, IDIS, TDIS, CACC, "
                   "CET, PROC, NUMBATT FROM BATTALL WHERE TABNUM='012aaa'"),
            (Rows{{kDate, kDate, kTime, kTime, "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"}}));
  Run("UPDATE BATTALL SET DATE=" + Q(kDate) + ",DATESMB=" + Q(kDate) + ",TIME=" + Q(kTime) +
      ",TIMESMB=" + Q(kTime) +
      ",KZR=0, KZRB=0, CACC=0, CET=0, PROC=0, CNAK=0, ST=5, UCH=2, BRIG=3" +
      " WHERE TABNUM=" + Q("010aaa") + ";");
  EXPECT_EQ(Select("SELECT KZR, CNAK, CACC, PROC, DATESMB FROM BATTALL WHERE TABNUM='010aaa'"),
            (Rows{{"0", "0", "0", "0", kDate}}));
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTALL"), "3");
}

TEST_F(SchemaTest, ParameterSetsAndBatteryChanges) {
  const std::string columns =
      " (Date , Time , TabNum,      Tip , CELL, CNOM, VNOM, IDISD, VMIND,  ICH1, VMAXCH1, TIMCH1, "
      "ICH2, VMAXCH2, TIMCH2, ICHPOD, VMAXCHPOD, IDISCNT,VMINCNT, DELTA, IMINCH, PFLAG,NFLAG, "
      "R_NET,\t ST, UCH, BRIG, COMMENT)";
  auto values = [](int cnom, const std::string& comment) {
    return " VALUES (" + Q(kDate) + ", " + Q(kTime) + ", " + Q("010aaa") + ", 1025, 3, " +
           std::to_string(cnom) +
           ", 3600, 400, 3000, 200, 4950, 720, 200, 4950, 720, 6, 4950, 200, 3000, 300, 90, 11, "
           "4, 0, 5, 2, 3, " +
           Q(comment) + ");";
  };
  for (int cnom : {200, 300}) {
    Run("REPLACE INTO BATTPARM" + columns + values(cnom, "newBATT"));
    Run("INSERT INTO BATTLOG" + columns + values(cnom, "newBATT"));
  }
  // An empty comment is two quotes with nothing between them.
  Run("INSERT INTO BATTLOG" + columns + values(100, ""));
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTPARM"), "1");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTLOG"), "3");
  const Rows params = Select(
      "SELECT  TABNUM, DATE, TIME,  TIP, CELL, CNOM, VNOM, IDISD, VMIND, ICH1, VMAXCH1, TIMCH1, "
      "ICH2, VMAXCH2, TIMCH2, ICHPOD, VMAXCHPOD, IDISCNT, VMINCNT,   DELTA, IMINCH, "
      "PFLAG,NFLAG,R_NET, COMMENT \t  FROM BATTPARM  WHERE TABNUM= " +
      Q("010aaa") + ";");
  ASSERT_EQ(params.size(), 1u);
  EXPECT_EQ(params[0], (TestDatabase::Row{"010aaa", kDate,  kTime,  "1025",   "3",    "300", "3600",
                                          "400",    "3000", "200",  "4950",   "720",  "200", "4950",
                                          "720",    "6",    "4950", "200",    "3000", "300", "90",
                                          "11",     "4",    "0",    "newBATT"}));

  for (int i = 0; i < 2; ++i) {
    Run("REPLACE INTO SMENABATT (Date , Time , TabNum,      Tip , CELL, CNOM, VNOM, \t ST, UCH, "
        "BRIG) VALUES (" +
        Q(kDate) + ", " + Q(kTime) + ", " + Q("010aaa") + ", 1025, 3, 200, 3600, 5, 2, 3);");
  }
  EXPECT_EQ(Select("SELECT  TABNUM, DATE, TIME,  TIP, CELL, CNOM, VNOM    FROM SMENABATT  WHERE "
                   "TABNUM= " +
                   Q("010aaa") + ";"),
            (Rows{{"010aaa", kDate, kTime, "1025", "3", "200", "3600"}}));
}

TEST_F(SchemaTest, QuotedValuesAreStoredExactly) {
  // Text that would end or change an unescaped literal.
  const std::string comments[] = {"a\"b", "back\\slash", "\\\"", "end\\", "it's", "\"; DROP"};
  for (const std::string& comment : comments) {
    ASSERT_TRUE(db_.EmptyTables({"BATTLOG"}));
    Run("INSERT INTO BATTLOG (TabNum, COMMENT) VALUES (" + Q("010aaa") + ", " + Q(comment) + ");");
    EXPECT_EQ(db_.QueryValue("SELECT COMMENT FROM BATTLOG"), comment);
    EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTLOG WHERE COMMENT= " + Q(comment)), "1");
  }
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM WORKER"), "0");
}

TEST_F(SchemaTest, OneRowPerLampWhereTheProgramsReplaceRows) {
  for (const char* table : {"battchrep", "battdisrep", "BATTPARM", "SMENABATT", "BATTALL"}) {
    const std::string insert =
        std::string("INSERT INTO ") + table + " (TabNum) VALUES (" + Q("010aaa") + ");";
    Run(insert);
    EXPECT_FALSE(db_.Execute(insert)) << table;
  }
  // History tables take any number of rows per lamp.
  for (const char* table : {"event", "statcell", "accumch", "accumdis", "BATTLOG"}) {
    const std::string insert = std::string("INSERT INTO ") + table + " (" +
                               (std::string(table) == "statcell" ? "IndNum" : "TabNum") +
                               ") VALUES (" + Q("010aaa") + ");";
    Run(insert);
    Run(insert);
  }
  // DATA_ID of event counts up from 1.
  EXPECT_EQ(Select("SELECT DATA_ID FROM event ORDER BY DATA_ID"), (Rows{{"1"}, {"2"}}));
}

}  // namespace
