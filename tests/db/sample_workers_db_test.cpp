// The sample lamp room loads into WORKER as the programs expect it: numbers unique and
// grouped by station, names stored as cp1251.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/cp1251.h"
#include "tests/support/command_output.h"
#include "tests/support/test_database.h"

namespace {

using lamptest::TestDatabase;
using Rows = std::vector<TestDatabase::Row>;

const std::string kTool = std::string(LAMP_BINARY_DIR) + "/db/sample-workers";

lamptest::CommandRun RunTool(const std::string& arguments) {
  return lamptest::RunCommand(kTool + " " + arguments + " 2>/dev/null");
}

// Statements end with ";" at the end of a line; no value holds one.
std::vector<std::string> Statements(const std::string& sql) {
  std::vector<std::string> statements;
  std::size_t start = 0;
  for (std::size_t end; (end = sql.find(";\n", start)) != std::string::npos; start = end + 2) {
    statements.push_back(sql.substr(start, end - start));
  }
  return statements;
}

class SampleWorkersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyTables({"WORKER"})) << db_.last_error();
  }

  void Load(const std::string& arguments) {
    const lamptest::CommandRun run = RunTool(arguments);
    ASSERT_EQ(run.status, 0) << kTool << " " << arguments;
    for (const std::string& statement : Statements(run.output)) {
      ASSERT_TRUE(db_.Execute(statement)) << db_.last_error();
    }
    output_ = run.output;
  }

  TestDatabase db_;
  std::string output_;
};

TEST_F(SampleWorkersTest, SmallLampRoomGroupsLampsByStation) {
  Load("--stations 3 --lamps 5 --seed 7");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM WORKER"), "15");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(DISTINCT TABNUM) FROM WORKER"), "15");
  const Rows list = db_.Query("SELECT TABNUM, ST   FROM WORKER ORDER BY TABNUM;");
  ASSERT_EQ(list.size(), 15u);
  EXPECT_EQ(list[0], (TestDatabase::Row{"001aaa", "1"}));
  EXPECT_EQ(list[4], (TestDatabase::Row{"001aae", "1"}));
  EXPECT_EQ(list[5], (TestDatabase::Row{"002aaa", "2"}));
  EXPECT_EQ(list[14], (TestDatabase::Row{"003aae", "3"}));
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM WORKER WHERE FAMILE='' OR NAME='' OR "
                           "PATRON='' OR UCH IS NULL OR BRIG IS NULL OR WTBNUM IS NULL"),
            "0");
}

TEST_F(SampleWorkersTest, NamesAreStoredAsCp1251) {
  Load("--stations 1 --lamps 1 --seed 3");
  // The surname as the tool wrote it (UTF-8, second quoted value of the row).
  const std::size_t row = output_.find("(\"001aaa\", \"");
  ASSERT_NE(row, std::string::npos);
  const std::size_t begin = row + 12;
  const std::string surname = output_.substr(begin, output_.find('"', begin) - begin);
  ASSERT_FALSE(surname.empty());

  std::string expected_hex;
  for (unsigned char c : lamp::Utf8ToCp1251(surname)) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", c);
    expected_hex += hex;
  }
  EXPECT_EQ(db_.QueryValue("SELECT HEX(FAMILE) FROM WORKER"), expected_hex);
  EXPECT_EQ(db_.QueryValue("SELECT LENGTH(FAMILE) = CHAR_LENGTH(FAMILE) FROM WORKER"), "1");
  // The tool's statements switched this connection to UTF-8.
  EXPECT_EQ(db_.QueryValue("SELECT FAMILE FROM WORKER"), surname);
}

TEST_F(SampleWorkersTest, FullLampRoomHasSixThousandLamps) {
  Load("--lamps 60");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM WORKER"), "6000");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(DISTINCT TABNUM) FROM WORKER"), "6000");
  EXPECT_EQ(db_.QueryValue("SELECT MIN(ST) FROM WORKER"), "1");
  EXPECT_EQ(db_.QueryValue("SELECT MAX(ST) FROM WORKER"), "100");
  EXPECT_EQ(db_.QueryValue("SELECT MAX(CHAR_LENGTH(TABNUM)) FROM WORKER"), "6");
}

TEST_F(SampleWorkersTest, SameSeedSameRowsAndBadOptionsRefused) {
  EXPECT_EQ(RunTool("--stations 2 --seed 5").output, RunTool("--stations 2 --seed 5").output);
  EXPECT_NE(RunTool("--stations 2 --seed 5").output, RunTool("--stations 2 --seed 6").output);
  EXPECT_EQ(RunTool("").status, 0);
  for (const char* bad :
       {"--stations 0", "--stations 101", "--lamps 61", "--lamps x", "--seed", "--colour 3"}) {
    EXPECT_EQ(RunTool(bad).status, 2) << bad;
  }
}

}  // namespace
