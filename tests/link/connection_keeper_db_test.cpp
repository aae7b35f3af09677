// The connection keeper against a database host that answers, falls silent or refuses: an
// operator's connect never waits for a try in the background, a connect that finds no answer
// is tried again by itself, a statement's own error keeps the connection, and the program's
// end cuts every wait for the database short.
#include "link/connection_keeper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

#include "link/database_options.h"
#include "tests/support/database_host_proxy.h"
#include "tests/support/test_database.h"

namespace {

using std::chrono::seconds;
using Clock = std::chrono::steady_clock;

// The host: a TCP port passed on to the private server. The client library reads
// MYSQL_TCP_PORT (the port of a connect with port 0) at its first use in the process, so the
// host is made once, before any connection.
lamptest::DatabaseHostProxy& Host() {
  static lamptest::DatabaseHostProxy host(std::getenv("MYSQL_UNIX_PORT") != nullptr
                                              ? std::getenv("MYSQL_UNIX_PORT")
                                              : LAMP_TEST_DB_SOCKET);
  static const bool port_set =
      setenv("MYSQL_TCP_PORT", std::to_string(host.port()).c_str(), 1) == 0;
  static_cast<void>(port_set);
  return host;
}

std::int64_t now_ms = 0;
std::int64_t ManualNow() {
  return now_ms;
}

constexpr std::int64_t kIntervalMs =
    static_cast<std::int64_t>(lamp::kDatabaseReconnectIntervalSeconds) * 1000;

const lamp::DatabaseLogin kOverHost{"127.0.0.1", "root", "q758"};
// The same server on its local socket, which the host's silence does not reach.
const lamp::DatabaseLogin kLocal{"localhost", "root", "q758"};

class ConnectionKeeperDb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(host_.port(), 0);
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyTables({"WORKER"})) << db_.last_error();
    host_.Answer();
    now_ms = 0;
  }
  void TearDown() override {
    keeper_.Close();
    host_.Answer();
  }

  // Rows of WORKER with this number.
  std::string WorkerRows(const std::string& number) {
    return db_.QueryValue("SELECT COUNT(*) FROM WORKER WHERE TABNUM = '" + number + "'");
  }
  unsigned InsertWorker(const std::string& number) {
    const unsigned code = keeper_.Send("INSERT INTO WORKER (TABNUM) VALUES (\"" + number + "\")");
    if (code == 0) mysql_free_result(keeper_.StoreResult());
    return code;
  }

  // The connection lost to a refusing host, whose try ends at once, and the host silent
  // from then on: the next due try, started here, waits out the connect timeout.
  void LoseToASilentHost(lamp::ConnectionKeeper& keeper) {
    host_.Answer();
    ASSERT_TRUE(keeper.Connect(kOverHost));
    host_.Refuse();
    ASSERT_NE(keeper.Send("SELECT 1"), 0u);
    ASSERT_TRUE(keeper.lost());
    keeper.WaitForTry();
    host_.FallSilent();
    now_ms += kIntervalMs;
    const int tries_before = keeper.tries_started();
    ASSERT_FALSE(keeper.Ready());
    ASSERT_EQ(keeper.tries_started(), tries_before + 1);
  }

  lamptest::DatabaseHostProxy& host_ = Host();
  lamptest::TestDatabase db_;
  MYSQL* handle_ = nullptr;
  lamp::ConnectionKeeper keeper_{handle_, ManualNow};
};

// The operator's connect while a try waits on the silent host takes no longer than its own
// connect, to a host that answers or to the silent one.
TEST_F(ConnectionKeeperDb, AConnectDuringATryDoesNotWaitForIt) {
  LoseToASilentHost(keeper_);
  auto start = Clock::now();
  EXPECT_TRUE(keeper_.Connect(kLocal));
  // Waiting for the try first would take the whole connect timeout.
  EXPECT_LT(Clock::now() - start, seconds(lamp::kDatabaseConnectTimeoutSeconds) / 2);
  EXPECT_TRUE(keeper_.Ready());
  EXPECT_EQ(InsertWorker("local"), 0u);
  EXPECT_EQ(WorkerRows("local"), "1");

  LoseToASilentHost(keeper_);
  start = Clock::now();
  EXPECT_FALSE(keeper_.Connect(kOverHost));
  EXPECT_LT(Clock::now() - start, seconds(2 * lamp::kDatabaseConnectTimeoutSeconds - 2));
  EXPECT_EQ(handle_, nullptr);
}

// A try left behind ends on its own thread after its keeper is gone, touching nothing of it.
TEST_F(ConnectionKeeperDb, ATryLeftBehindOutlivesItsKeeper) {
  {
    MYSQL* handle = nullptr;
    lamp::ConnectionKeeper keeper(handle, ManualNow);
    LoseToASilentHost(keeper);
    keeper.Close();
    EXPECT_EQ(handle, nullptr);
  }
  std::this_thread::sleep_for(seconds(lamp::kDatabaseConnectTimeoutSeconds + 1));
}

// A connect that found no answer leaves the connection tried again with its login: the next
// due try connects once the host answers, and the next statement writes.
TEST_F(ConnectionKeeperDb, AfterAConnectToASilentHostTheNextDueTryConnects) {
  host_.FallSilent();
  ASSERT_FALSE(keeper_.Connect(kOverHost));
  EXPECT_EQ(handle_, nullptr);
  EXPECT_TRUE(keeper_.trying());
  EXPECT_FALSE(keeper_.lost());  // no connection to count as there
  EXPECT_EQ(keeper_.tries_started(), 0);

  host_.Answer();
  now_ms += kIntervalMs - 1;
  EXPECT_FALSE(keeper_.Ready());
  EXPECT_EQ(keeper_.tries_started(), 0);
  now_ms += 1;
  EXPECT_FALSE(keeper_.Ready());
  EXPECT_EQ(keeper_.tries_started(), 1);
  keeper_.WaitForTry();
  ASSERT_TRUE(keeper_.Ready());
  EXPECT_NE(handle_, nullptr);
  EXPECT_FALSE(keeper_.trying());
  EXPECT_EQ(InsertWorker("back"), 0u);
  EXPECT_EQ(WorkerRows("back"), "1");
}

// A login the server refuses would be refused again: no connection and no tries.
TEST_F(ConnectionKeeperDb, ARefusedLoginStartsNoTries) {
  EXPECT_FALSE(keeper_.Connect({"127.0.0.1", "root", "wrong"}));
  EXPECT_EQ(handle_, nullptr);
  EXPECT_FALSE(keeper_.trying());
  for (int interval = 0; interval < 3; ++interval) {
    now_ms += kIntervalMs;
    EXPECT_FALSE(keeper_.Ready());
  }
  EXPECT_EQ(keeper_.tries_started(), 0);
}

// A statement's own error comes from a database that answers: the connection stays in use,
// and the next statement goes over the same one.
TEST_F(ConnectionKeeperDb, AStatementsOwnErrorKeepsTheConnection) {
  struct Case {
    const char* name;
    const char* statement;
    unsigned error;
  };
  const Case cases[] = {
      {"syntax", "INSERT INTO WORKER (TABNUM VALUES ('x')", 1064},
      {"duplicate key", "INSERT INTO WORKER (DATA_ID, TABNUM) VALUES (7, 'a'), (7, 'b')", 1062},
      {"missing table", "SELECT * FROM NO_SUCH_TABLE", 1146},
  };
  ASSERT_TRUE(keeper_.Connect(kOverHost));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const unsigned long thread_id = mysql_thread_id(handle_);
    const my_socket socket = mysql_get_socket(handle_);
    EXPECT_EQ(keeper_.Send(c.statement), c.error);
    EXPECT_FALSE(keeper_.trying());
    EXPECT_EQ(keeper_.tries_started(), 0);
    ASSERT_TRUE(keeper_.Ready());
    const std::string number = std::string("n") + std::to_string(c.error);
    EXPECT_EQ(InsertWorker(number), 0u);
    EXPECT_EQ(WorkerRows(number), "1");
    EXPECT_EQ(mysql_thread_id(handle_), thread_id);
    EXPECT_EQ(mysql_get_socket(handle_), socket);
  }
}

// The program ends while a statement waits on the silent host: it fails at once as on a
// lost connection, and nothing is tried any more.
TEST_F(ConnectionKeeperDb, TheEndCutsAStatementsWaitShort) {
  ASSERT_TRUE(keeper_.Connect(kOverHost));
  host_.FallSilent();
  std::thread end([this] {
    std::this_thread::sleep_for(seconds(1));
    keeper_.EndWaits();
  });
  const auto start = Clock::now();
  EXPECT_NE(InsertWorker("cut"), 0u);
  const auto waited = Clock::now() - start;
  end.join();
  EXPECT_LT(waited, seconds(lamp::kDatabaseStatementTimeoutSeconds) / 2);
  EXPECT_TRUE(keeper_.lost());
  EXPECT_EQ(keeper_.tries_started(), 0);
  now_ms += 10 * kIntervalMs;
  EXPECT_FALSE(keeper_.Ready());
  EXPECT_EQ(keeper_.tries_started(), 0);
}

// After the end, a statement waits only briefly for its answer: the stop row is written when
// the database answers, and lost at once when its host has fallen silent unnoticed.
TEST_F(ConnectionKeeperDb, AfterTheEndAStatementWaitsBrieflyForItsAnswer) {
  ASSERT_TRUE(keeper_.Connect(kOverHost));
  keeper_.EndWaits();
  EXPECT_EQ(InsertWorker("stop"), 0u);
  EXPECT_EQ(WorkerRows("stop"), "1");
  EXPECT_FALSE(keeper_.trying());

  host_.FallSilent();
  const auto start = Clock::now();
  EXPECT_NE(InsertWorker("gone"), 0u);
  EXPECT_LT(Clock::now() - start, seconds(lamp::kDatabaseStatementTimeoutSeconds) / 2);
  EXPECT_TRUE(keeper_.lost());
  EXPECT_EQ(keeper_.tries_started(), 0);
}

// The program ends during a connect to the silent host: the connect gives up at once and
// leaves nothing to try.
TEST_F(ConnectionKeeperDb, TheEndCutsAConnectsWaitShort) {
  host_.FallSilent();
  std::thread end([this] {
    std::this_thread::sleep_for(seconds(1));
    keeper_.EndWaits();
  });
  const auto start = Clock::now();
  EXPECT_FALSE(keeper_.Connect(kOverHost));
  const auto waited = Clock::now() - start;
  end.join();
  EXPECT_LT(waited, seconds(lamp::kDatabaseConnectTimeoutSeconds) - seconds(2));
  EXPECT_FALSE(keeper_.trying());
}

}  // namespace
