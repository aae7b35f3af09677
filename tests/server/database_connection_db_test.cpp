// The server's database connection against the real MariaDB server.
#include "server/database_connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "link/database_options.h"
#include "platform/forms/application.h"
#include "server/database_writer.h"
#include "server/error_window.h"
#include "server/poll_cycle.h"
#include "server/service_window.h"
#include "tests/support/manual_clock.h"
#include "tests/support/test_database.h"

namespace tolvex {
namespace {

using Rows = std::vector<lamptest::TestDatabase::Row>;

void AddTestEvent(std::string_view number) {
  AddEvent(number, 1, 0x3000, 0, 0, 0, 0, 0, 0, 0, -1, 0, -1, -1, 0, 0, 0);
}

using ManualClock = lamptest::ManualClockFirst;

class ConnectionDb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db.connected()) << db.last_error();
    ASSERT_TRUE(db.EmptyAllTables()) << db.last_error();
    window.ListBox1.Items().Clear();
    window.Hide();
  }
  void TearDown() override { CloseDatabase(); }

  // Connections the server holds besides the test's own one. A closed connection leaves the
  // server's list shortly after the client says goodbye, so the count is given a moment.
  int OtherConnections(int expected) {
    int count = -1;
    for (int attempt = 0; attempt < 50; ++attempt) {
      count = std::stoi(db.QueryValue(
          "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID <> CONNECTION_ID() "
          "AND DB = 'zuvurov'"));
      if (count == expected) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    return count;
  }

  std::string QueryOnServerConnection(const char* query) {
    if (mysql_query(DatabaseHandle, query) != 0) return "error";
    MYSQL_RES* result = mysql_store_result(DatabaseHandle);
    if (result == nullptr) return "no result";
    MYSQL_ROW row = mysql_fetch_row(result);
    std::string value = row != nullptr && row[0] != nullptr ? row[0] : "";
    mysql_free_result(result);
    return value;
  }

  // After an outage: the try made when the loss was found has ended, and the next one, due an
  // interval later, is made and waited for.
  void NextTryMade() {
    WaitForDatabaseTry();
    forms::Application().StallFor(lamp::kDatabaseReconnectIntervalSeconds * 1000);
    KeepDatabaseConnection();
    WaitForDatabaseTry();
  }

  ManualClock clock;
  lamptest::TestDatabase db;
  TFormERR window;
};

TEST_F(ConnectionDb, ConnectsToZuvurovInCp1251) {
  ASSERT_EQ(ConnectDatabase("localhost", "root", "q758"), 0);
  ASSERT_NE(DatabaseHandle, nullptr);
  EXPECT_EQ(QueryOnServerConnection("SELECT DATABASE()"), "zuvurov");
  EXPECT_EQ(QueryOnServerConnection("SELECT @@character_set_client"), "cp1251");
  EXPECT_EQ(QueryOnServerConnection("SELECT @@character_set_results"), "cp1251");
  EXPECT_TRUE(window.ListBox1.Items().Items().empty());
  EXPECT_FALSE(window.Visible());
}

TEST_F(ConnectionDb, EightBitTextIsStoredAsCp1251) {
  ASSERT_EQ(ConnectDatabase("localhost", "root", "q758"), 0);
  const std::string number =
      "\xC0\xC1\xC2"
      "123";  // "АБВ123" in cp1251
  AddTestEvent(number);
  EXPECT_EQ(db.QueryValue("SELECT HEX(TabNum) FROM event"), "C0C1C2313233");
  EXPECT_EQ(db.QueryValue("SELECT TabNum FROM event"), number);
  EXPECT_EQ(db.QueryValue("SELECT TabNum = CONVERT(_utf8mb4 'АБВ123' USING cp1251) FROM event"),
            "1");
}

TEST_F(ConnectionDb, FailedConnectListsConnectErrAndShowsTheWindow) {
  window.SetLeft(10);
  window.SetTop(10);
  EXPECT_EQ(ConnectDatabase("localhost", "root", "wrong password"), 1);
  EXPECT_EQ(DatabaseHandle, nullptr);
  EXPECT_EQ(window.ListBox1.Items().Items(),
            (std::vector<std::string>{"Error kod= 1 (1)", "connect ERR", ""}));
  EXPECT_TRUE(window.Visible());
  EXPECT_EQ(window.Left(), 300);
  EXPECT_EQ(window.Top(), 200);
  // Without a connection the database operations do nothing.
  EXPECT_EQ(GetCOUNT("123aaa"), 0);
  EXPECT_EQ(window.ListBox1.Items().Count(), 3);
}

TEST_F(ConnectionDb, ReconnectingReplacesTheOldConnection) {
  ASSERT_EQ(OtherConnections(0), 0);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(ConnectDatabase("localhost", "root", "q758"), 0);
  EXPECT_EQ(OtherConnections(1), 1);
  // A failed attempt after a good one leaves no connection behind either.
  EXPECT_EQ(ConnectDatabase("localhost", "root", "wrong password"), 1);
  EXPECT_EQ(DatabaseHandle, nullptr);
  EXPECT_EQ(OtherConnections(0), 0);
  ASSERT_EQ(ConnectDatabase("localhost", "root", "q758"), 0);
  EXPECT_EQ(OtherConnections(1), 1);
  CloseDatabase();
  EXPECT_EQ(DatabaseHandle, nullptr);
  EXPECT_EQ(OtherConnections(0), 0);
}

// The database restarts under the running server: the row written while it is away is lost
// and listed, and once a try has connected again the next statement writes, still in cp1251.
TEST_F(ConnectionDb, StatementsWriteAgainAfterTheDatabaseRestarts) {
  ASSERT_EQ(ConnectDatabase("localhost", "root", "q758"), 0);
  AddTestEvent("010aaa");
  ASSERT_EQ(db.QueryValue("SELECT COUNT(*) FROM event"), "1");
  {
    lamptest::DatabaseServerOutage outage;
    ASSERT_TRUE(outage.stopped());
    AddTestEvent("020aaa");
    const std::vector<std::string> lines = window.ListBox1.Items().Items();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_THAT(lines[0],
                ::testing::MatchesRegex("Error kod= [1-9A-F][0-9A-F]* \\([1-9][0-9]*\\)"));
    EXPECT_FALSE(lines[1].empty());
    EXPECT_EQ(lines[2], "AddEvent");
    EXPECT_TRUE(window.Visible());
    ASSERT_TRUE(outage.End());
  }
  NextTryMade();
  // The restarted server kept the row written before the outage; the one written while it
  // was away is lost.
  AddTestEvent(
      "\xC0\xC1\xC2"
      "123");  // "АБВ123" in cp1251
  EXPECT_EQ(window.ListBox1.Items().Count(), 3);
  EXPECT_EQ(db.Query("SELECT HEX(TabNum) FROM event ORDER BY DATA_ID"),
            (Rows{{"303130616161"}, {"C0C1C2313233"}}));
  EXPECT_NE(DatabaseHandle, nullptr);
}

// The ten-minute ping fails while the database is away and finds it again once it is back.
TEST_F(ConnectionDb, PingConnectsAgainAfterTheDatabaseRestarts) {
  TFormSV service;
  kPING = 0;
  ASSERT_EQ(ConnectDatabase("localhost", "root", "q758"), 0);
  {
    lamptest::DatabaseServerOutage outage;
    ASSERT_TRUE(outage.stopped());
    service.Timer4Timer();
    // The ping was made and failed.
    EXPECT_THAT(service.Edit2.Text(), ::testing::MatchesRegex("[1-9A-F][0-9A-F]* 0  0"));
    ASSERT_TRUE(outage.End());
  }
  NextTryMade();
  service.Timer4Timer();
  EXPECT_EQ(service.Edit2.Text(), "0 0  1");
  EXPECT_EQ(QueryOnServerConnection("SELECT @@character_set_client"), "cp1251");
  EXPECT_TRUE(window.ListBox1.Items().Items().empty());
}

}  // namespace
}  // namespace tolvex
