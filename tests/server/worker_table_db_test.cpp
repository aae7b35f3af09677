// Loading WORKER into the cell registry, against the real MariaDB server.
#include "server/worker_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/database_writer.h"
#include "server/error_window.h"
#include "tests/support/test_database.h"

namespace tolvex {
namespace {

std::vector<std::string> sent;
void CaptureStatement(std::string_view statement) {
  sent.emplace_back(statement);
}

std::string Key(int row) {
  return std::string(Cells.TABNUM[row].data());
}

class WorkerTableDb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db.connected()) << db.last_error();
    ASSERT_TRUE(db.EmptyAllTables()) << db.last_error();
    Cells = CellRegistry{};
    CellCount = 0;
    window.ListBox1.Items().Clear();
    window.Hide();
    ASSERT_EQ(ConnectDatabase("localhost", "root", "q758"), 0);
    sent.clear();
    SetStatementObserver(CaptureStatement);
  }
  void TearDown() override {
    SetStatementObserver(nullptr);
    CloseDatabase();
    Cells = CellRegistry{};
    CellCount = 0;
  }

  lamptest::TestDatabase db;
  TFormERR window;
};

TEST_F(WorkerTableDb, LoadsRowsInReturnedOrderWithTheExactQuery) {
  ASSERT_TRUE(db.Execute(
      "INSERT INTO WORKER (TABNUM, ST, UCH, BRIG, WTBNUM) VALUES "
      "('001aaa', 1, 2, 3, 4), ('002bbb', NULL, NULL, 7, NULL), ('ABCDEFGHIJ', 100, 0, 0, 9), "
      "('', 5, 6, 7, 8)"))
      << db.last_error();
  Cells.PSTAT[0] = 4;  // state columns stay by row
  Cells.WTBNUM[1] = 55;
  EXPECT_EQ(GetWorkTABAL(), 4);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], "SELECT DATA_ID, TABNUM , ST, UCH, BRIG, WTBNUM   FROM WORKER;");
  EXPECT_EQ(CellCount, 4);
  EXPECT_EQ(Key(0), "001aaa");
  EXPECT_EQ(Cells.ST[0], 1);
  EXPECT_EQ(Cells.UCH[0], 2);
  EXPECT_EQ(Cells.BRIG[0], 3);
  EXPECT_EQ(Cells.WTBNUM[0], 4);
  EXPECT_EQ(Cells.PSTAT[0], 4);
  // NULL columns read as 0: the cell is loaded but never polled.
  EXPECT_EQ(Key(1), "002bbb");
  EXPECT_EQ(Cells.ST[1], 0);
  EXPECT_EQ(Cells.UCH[1], 0);
  EXPECT_EQ(Cells.BRIG[1], 7);
  EXPECT_EQ(Cells.WTBNUM[1], 0);
  // A number too long for the key slot is cut to 7 characters and its NUL.
  EXPECT_EQ(Key(2), "ABCDEFG");
  EXPECT_EQ(Cells.TABNUM[2][7], '\0');
  EXPECT_EQ(Cells.ST[2], 100);
  EXPECT_EQ(Key(3), "");
  EXPECT_EQ(Cells.ST[3], 5);
  EXPECT_EQ(FindWorkerByTabnum("002bbb"), 1);
  EXPECT_EQ(FindWorkerOfStation(0, 0), 1);
  EXPECT_TRUE(window.ListBox1.Items().Items().empty());
}

TEST_F(WorkerTableDb, MoreThan6000RowsFillTheRegistryAndNoMore) {
  ASSERT_TRUE(
      db.Execute("INSERT INTO WORKER (TABNUM, ST) "
                 "SELECT CONCAT('w', LPAD(seq, 5, '0')), 1 + seq % 100 "
                 "FROM seq_1_to_6005 ORDER BY seq"))
      << db.last_error();
  EXPECT_EQ(GetWorkTABAL(), 6005);
  EXPECT_EQ(CellCount, 6000);
  EXPECT_EQ(Key(0), "w00001");
  EXPECT_EQ(Key(5999), "w06000");
  EXPECT_EQ(FindWorkerByTabnum("w06000"), 5999);
  EXPECT_EQ(FindWorkerByTabnum("w06001"), -1);
  EXPECT_EQ(FindWorkerOfStation(1, 5999), 5999);
  const auto& lines = window.ListBox1.Items().Items();
  ASSERT_EQ(lines.size(), 3u);
  // Listed as a failure, not with the code 0 of no error.
  EXPECT_EQ(lines[0], "Error kod= FFFFFFFF (-1)");
  EXPECT_EQ(lines[1], "WORKER: 6005 rows, only the first 6000 loaded");
  EXPECT_EQ(lines[2], "GetWorkTABAL");
}

TEST_F(WorkerTableDb, QueryErrorIsReportedOnceAndLoadsNothing) {
  ASSERT_TRUE(db.Execute("INSERT INTO WORKER (TABNUM, ST) VALUES ('001aaa', 1)"));
  ASSERT_EQ(GetWorkTABAL(), 1);
  ASSERT_TRUE(db.Execute("RENAME TABLE WORKER TO WORKER_hidden")) << db.last_error();
  const int rows = GetWorkTABAL();
  db.Execute("RENAME TABLE WORKER_hidden TO WORKER");
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(CellCount, 0);
  const auto& lines = window.ListBox1.Items().Items();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Error kod= 47A (1146)");
  EXPECT_EQ(lines[2], "GetWorkTABAL");
  EXPECT_TRUE(window.Visible());
  // The failed query left the connection usable.
  EXPECT_EQ(GetWorkTABAL(), 1);
}

TEST_F(WorkerTableDb, WithoutADatabaseNothingIsLoaded) {
  CloseDatabase();
  CellCount = 12;
  EXPECT_EQ(GetWorkTABAL(), 0);
  EXPECT_EQ(CellCount, 0);
  EXPECT_TRUE(sent.empty());
  EXPECT_TRUE(window.ListBox1.Items().Items().empty());
}

}  // namespace
}  // namespace tolvex
