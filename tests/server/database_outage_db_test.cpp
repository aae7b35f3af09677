// The server's database host goes away while the server runs: a host that falls silent costs
// the server one statement's wait, after which statements fail at once and new connections
// are tried in the background at a bounded interval, until the host answers again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/code_tables.h"
#include "link/connection_keeper.h"
#include "link/database_options.h"
#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/database_writer.h"
#include "server/error_window.h"
#include "server/service_window.h"
#include "server/state_rows.h"
#include "tests/server/server_state.h"
#include "tests/support/calendar_time.h"
#include "tests/support/database_host_proxy.h"
#include "tests/support/manual_clock.h"
#include "tests/support/test_database.h"

namespace tolvex {
namespace {

using Rows = std::vector<lamptest::TestDatabase::Row>;

int statements_sent = 0;
void CountStatement(std::string_view) {
  ++statements_sent;
}

void AddTestEvent(std::string_view number) {
  AddEvent(number, 1, 0x3000, 0, 0, 0, 0, 0, 0, 0, -1, 0, -1, -1, 0, 0, 0);
}

using ManualClock = lamptest::ManualClockFirst;

class DatabaseOutageDb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(host_.port(), 0);
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyAllTables()) << db_.last_error();
    host_.Answer();
    // Over TCP to the host, as to a database on another machine.
    ASSERT_EQ(ConnectDatabase("127.0.0.1", "root", "q758"), 0);
    statements_sent = 0;
    SetStatementObserver(CountStatement);
  }
  void TearDown() override {
    SetStatementObserver(nullptr);
    CloseDatabase();
    host_.Answer();
  }

  // One second of the server's time: two ticks of the service window's 500 ms timer, whose
  // second tick is the watchdogs'.
  void OneSecond() {
    forms::Application().StallFor(1000);
    service_.Timer2Timer();
    service_.Timer2Timer();
  }

  // Seconds of the server's time until a try in the background has connected again; each
  // try is waited for.
  bool ConnectedAgainWithin(int seconds) {
    for (int second = 0; second < seconds; ++second) {
      OneSecond();
      WaitForDatabaseTry();
      KeepDatabaseConnection();
      if (!DatabaseConnectionLost()) return true;
    }
    return false;
  }

  const std::vector<std::string>& Lines() { return window_.ListBox1.Items().Items(); }

  // The server's database host, as on another machine.
  lamptest::DatabaseHostProxy& host_ = lamptest::PrivateServerHost();
  ManualClock clock_;
  lamptest::TestDatabase db_;
  TFormERR window_;
  TFormSV service_;
};

TEST_F(DatabaseOutageDb, ASilentHostHoldsOneStatementThenStatementsFailAtOnceUntilItAnswers) {
  AddTestEvent("001aaa");
  ASSERT_EQ(db_.QueryValue("SELECT COUNT(*) FROM event"), "1");

  host_.FallSilent();
  // The statement in flight waits out the statement timeout; the connection is lost then.
  AddTestEvent("002aaa");
  EXPECT_TRUE(DatabaseConnectionLost());
  ASSERT_EQ(Lines().size(), 3u);
  EXPECT_EQ(Lines()[0], "Error kod= 7DD (2013)");
  EXPECT_EQ(Lines()[2], "AddEvent");

  // A minute of the outage with a statement every second: none is sent, each is listed, and
  // the connection is tried at most once per interval.
  const int sent_before = statements_sent;
  const int tries_before = DatabaseKeeper().tries_started();
  for (int second = 0; second < 60; ++second) {
    OneSecond();
    AddTestEvent("003aaa");
  }
  EXPECT_EQ(statements_sent, sent_before);
  EXPECT_THAT(Lines(), ::testing::Contains("AddEvent").Times(61));
  EXPECT_LE(DatabaseKeeper().tries_started() - tries_before,
            60 / static_cast<int>(lamp::kDatabaseReconnectIntervalSeconds));

  // Once the host answers, a due try connects, and the next statement writes its row.
  host_.Answer();
  ASSERT_TRUE(ConnectedAgainWithin(3 * lamp::kDatabaseReconnectIntervalSeconds));
  AddTestEvent(
      "\xC0\xC1\xC2"
      "123");  // "АБВ123" in cp1251
  EXPECT_EQ(db_.Query("SELECT HEX(TabNum) FROM event ORDER BY DATA_ID"),
            (Rows{{"303031616161"}, {"C0C1C2313233"}}));
  EXPECT_EQ(Lines().size(), 183u);
}

// Tries come one per interval, each when the one before has ended: a host that refuses
// connects is tried eleven times in 30 s, not once per statement.
TEST_F(DatabaseOutageDb, ARefusingHostIsTriedOncePerInterval) {
  const int tries_before = DatabaseKeeper().tries_started();
  host_.Refuse();
  AddTestEvent("001aaa");
  ASSERT_TRUE(DatabaseConnectionLost());
  for (int second = 0; second < 30; ++second) {
    WaitForDatabaseTry();
    OneSecond();
    AddTestEvent("002aaa");
  }
  EXPECT_EQ(statements_sent, 1);
  EXPECT_EQ(DatabaseKeeper().tries_started() - tries_before,
            30 / static_cast<int>(lamp::kDatabaseReconnectIntervalSeconds) + 1);
  // Listed with the error of the last try: the connect refused.
  EXPECT_EQ(Lines()[Lines().size() - 3], "Error kod= 7D2 (2002)");
  EXPECT_THAT(Lines()[Lines().size() - 2], ::testing::StartsWith("Can't connect to server on"));
}

// The ping finds the lost connection, fails at once while the host is away, and answers
// again once a try has connected.
TEST_F(DatabaseOutageDb, PingFailsAtOnceDuringTheOutage) {
  host_.Refuse();
  service_.Timer4Timer();
  EXPECT_TRUE(DatabaseConnectionLost());
  EXPECT_THAT(service_.Edit2.Text(), ::testing::MatchesRegex("[1-9A-F][0-9A-F]* 0  0"));
  service_.Timer4Timer();
  EXPECT_THAT(service_.Edit2.Text(), ::testing::MatchesRegex("[1-9A-F][0-9A-F]* 0  0"));
  EXPECT_EQ(statements_sent, 0);
  host_.Answer();
  ASSERT_TRUE(ConnectedAgainWithin(3 * lamp::kDatabaseReconnectIntervalSeconds));
  service_.Timer4Timer();
  EXPECT_EQ(service_.Edit2.Text(), "0 0  1");
  EXPECT_TRUE(Lines().empty());
}

// A connect that finds the host silent leaves the server without a database, as any failed
// connect does, and the host is tried again in the background with that login: once it
// answers, the connection comes back by itself and the next row is written.
TEST_F(DatabaseOutageDb, AfterAConnectToASilentHostTheConnectionComesBackByItself) {
  CloseDatabase();
  host_.FallSilent();
  ASSERT_EQ(ConnectDatabase("127.0.0.1", "root", "q758"), 1);
  // The library gives up on the silent host as the connect's wait is up; whichever comes
  // first, the connect's try has ended here.
  WaitForDatabaseTry();
  EXPECT_EQ(DatabaseHandle, nullptr);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Error kod= 1 (1)", "connect ERR", ""}));
  AddTestEvent("001aaa");  // no database: nothing sent, nothing listed
  EXPECT_EQ(statements_sent, 0);
  EXPECT_EQ(Lines().size(), 3u);

  host_.Answer();
  const int tries_before = DatabaseKeeper().tries_started();
  for (unsigned second = 0; second < lamp::kDatabaseReconnectIntervalSeconds; ++second) {
    OneSecond();
  }
  EXPECT_EQ(DatabaseKeeper().tries_started(), tries_before + 1);
  WaitForDatabaseTry();
  OneSecond();  // the tick takes the connection over
  EXPECT_NE(DatabaseHandle, nullptr);
  AddTestEvent("002aaa");
  EXPECT_EQ(statements_sent, 1);
  EXPECT_EQ(db_.Query("SELECT TabNum FROM event"), (Rows{{"002aaa"}}));
  EXPECT_EQ(Lines().size(), 3u);
}

class StateRowsOutageDb : public DatabaseOutageDb {
 protected:
  void SetUp() override {
    DatabaseOutageDb::SetUp();
    server_test::ResetCellRegistry();
    for (int row = 0; row < kCells; ++row) {
      char number[8];
      std::snprintf(number, sizeof number, "%03daaa", row);
      SetTabnum(row, number);
      Cells.ST[row] = 1;
      Cells.GR[row] = 100;
      Cells.GRMAX[row] = 100;
    }
    CellCount = kCells;
    StatRowsDue = 0;
    TimeMatch = {};
  }
  void TearDown() override {
    CellCount = 0;
    DatabaseOutageDb::TearDown();
  }

  static constexpr int kCells = 50;
  const std::array<const char*, 4> times_{"07:00", "", "", ""};
};

// A batch of state rows that meets the lost connection sends none of its remaining rows:
// they are listed once, with their count.
TEST_F(StateRowsOutageDb, ABatchStopsAtTheFirstRowThatFindsTheConnectionLost) {
  host_.Refuse();
  // The event rows: the first one finds the connection cut.
  RunStateRowsTick(FormatClockMinute(lamptest::CalendarTime(2024, 1, 1, 7, 0, 0)), times_);
  EXPECT_EQ(statements_sent, 1);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Error kod= 7DD (2013)", Lines()[1], "AddEvent",
                                               "Error kod= FFFFFFFF (-1)",
                                               "49 rows not sent: connection lost", "AddEvent"}));

  // The statcell rows, ten seconds on, with the connection still lost: none is sent.
  window_.ListBox1.Items().Clear();
  RunStateRowsTick(FormatClockMinute(lamptest::CalendarTime(2024, 1, 1, 7, 0, 0)), times_);
  EXPECT_EQ(statements_sent, 1);
  ASSERT_EQ(Lines().size(), 6u);
  EXPECT_EQ(Lines()[2], "AddStat");
  EXPECT_EQ(Lines()[4], "49 rows not sent: connection lost");
  EXPECT_EQ(Lines()[5], "AddStat");
  // The first cell's row was tried and its extremes start afresh; the cells the batch did not
  // reach keep theirs for the next record.
  EXPECT_EQ(Cells.GRMAX[0], -400);
  EXPECT_EQ(Cells.GRMAX[1], 100);
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM event"), "0");
}

}  // namespace
}  // namespace tolvex
