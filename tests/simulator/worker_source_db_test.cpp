#include "simulator/worker_source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_database.h"

namespace {

TEST(WorkerDatabase, ReadsTheLampsAndTheirStationsInRowOrder) {
  lamptest::TestDatabase db;
  ASSERT_TRUE(db.connected()) << db.last_error();
  ASSERT_TRUE(db.EmptyTables({"WORKER"})) << db.last_error();
  ASSERT_TRUE(
      db.Execute("INSERT INTO WORKER (TABNUM, ST) VALUES "
                 "(\"004aab\", 4), (\"004aaa\", 4), (\"nostat\", NULL), (\"001aaa\", 1)"))
      << db.last_error();
  std::vector<stationsim::WorkerRow> rows;
  std::string error;
  ASSERT_TRUE(stationsim::ReadWorkerDatabase(stationsim::DatabaseLogin{}, rows, error)) << error;
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_STREQ(rows[0].tabnum.data(), "004aab");
  EXPECT_EQ(rows[0].station, 4);
  EXPECT_EQ(rows[2].station, 0);
  EXPECT_STREQ(rows[3].tabnum.data(), "001aaa");
  ASSERT_TRUE(db.EmptyTables({"WORKER"}));
}

// A lamp number with Cyrillic letters arrives as the server keys it: six cp1251 bytes.
TEST(WorkerDatabase, ACyrillicLampNumberArrivesInCp1251) {
  lamptest::TestDatabase db;
  ASSERT_TRUE(db.connected()) << db.last_error();
  ASSERT_TRUE(db.EmptyTables({"WORKER"})) << db.last_error();
  const std::string number =
      "\xC0\xC1\xC2"
      "123";  // "АБВ123" in cp1251
  ASSERT_TRUE(db.Execute("INSERT INTO WORKER (TABNUM, ST) VALUES (\"" + number + "\", 7)"))
      << db.last_error();
  std::vector<stationsim::WorkerRow> rows;
  std::string error;
  ASSERT_TRUE(stationsim::ReadWorkerDatabase(stationsim::DatabaseLogin{}, rows, error)) << error;
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(std::string(rows[0].tabnum.data()), number);
  EXPECT_EQ(rows[0].station, 7);
  ASSERT_TRUE(db.EmptyTables({"WORKER"}));
}

TEST(WorkerDatabase, AFailedLoginIsReported) {
  stationsim::DatabaseLogin login;
  login.password = "wrong";
  std::vector<stationsim::WorkerRow> rows;
  std::string error;
  EXPECT_FALSE(stationsim::ReadWorkerDatabase(login, rows, error));
  EXPECT_NE(error.find("cannot connect to the database"), std::string::npos) << error;
  EXPECT_TRUE(rows.empty());
}

}  // namespace
