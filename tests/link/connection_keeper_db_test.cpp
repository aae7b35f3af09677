// The connection keeper against a database host that answers, falls silent, refuses or answers
// slowly: an operator's connect never waits for a try in the background nor longer than the
// connect timeout, a connect that finds no answer is tried again by itself, a try left behind
// closes what it makes, a statement's own error keeps the connection, and the program's end
// cuts every wait for the database short.
#include "link/connection_keeper.h"

#include <errmsg.h>
#include <gtest/gtest.h>
#include <mysqld_error.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "link/database_options.h"
#include "tests/support/database_host_proxy.h"
#include "tests/support/test_database.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Clock = std::chrono::steady_clock;

// The program has to be gone within a second of its end signal, so a call made after the end
// must return well within that; half a second more leaves room on a loaded machine.
constexpr milliseconds kEndingCallBound{1500};
// An explicit connect holds the operator at most 5 s, whatever the library takes; a second
// more leaves room on a loaded machine.
constexpr seconds kExplicitConnectBound{6};

std::int64_t now_ms = 0;
std::int64_t ManualNow() {
  return now_ms;
}

constexpr std::int64_t kIntervalMs =
    static_cast<std::int64_t>(lamp::kDatabaseReconnectIntervalSeconds) * 1000;

const lamp::DatabaseLogin kOverHost{"127.0.0.1", "root", "q758"};
// The same server on its local socket, which the host's silence does not reach.
const lamp::DatabaseLogin kLocal{"localhost", "root", "q758"};
// A name that cannot be looked up, and a password the server refuses. No host name holds a
// blank, so the resolver refuses the name itself, at once and without asking a name service:
// the connect fails alike on a machine with a network and on one with only the loopback.
const lamp::DatabaseLogin kUnknownName{"lamp room db", "root", "q758"};
const lamp::DatabaseLogin kWrongPassword{"127.0.0.1", "root", "wrong"};
// A login the server knows, without any rights on the database.
const lamp::DatabaseLogin kNoRights{"127.0.0.1", "lamp_norights", "x"};
// A login with every right on the database, as the programs' own, but without SUPER: a
// server that is full refuses it.
const lamp::DatabaseLogin kOperator{"127.0.0.1", "lamp_operator", "x"};

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
    EXPECT_TRUE(ReleaseHeldConnections()) << db_.last_error();
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

  // A login the server takes that may not use "zuvurov".
  bool CreateLoginWithoutRights() { return CreateLogin(kNoRights); }
  // A login that may do anything in "zuvurov" and nothing beyond it.
  bool CreateOperatorLogin() {
    return CreateLogin(kOperator) &&
           db_.Execute("GRANT ALL PRIVILEGES ON " + std::string(lamp::kDatabaseName) + ".* TO '" +
                       kOperator.user + "'@'localhost'");
  }
  bool CreateLogin(const lamp::DatabaseLogin& login) {
    return db_.Execute("CREATE USER IF NOT EXISTS '" + login.user + "'@'localhost' " +
                       "IDENTIFIED BY '" + login.password + "'");
  }

  // Leaves the server no connection to spare for `login` (one without SUPER): MariaDB's
  // lowest connection limit, and connections of that login held until one is refused. Root
  // keeps one connection beyond the limit, so db_ can set the limit back.
  bool FillTheServer(const lamp::DatabaseLogin& login) {
    constexpr int kLowestLimit = 10;
    connection_limit_ = db_.QueryValue("SELECT @@GLOBAL.max_connections");
    if (connection_limit_.empty() ||
        !db_.Execute("SET GLOBAL max_connections = " + std::to_string(kLowestLimit))) {
      return false;
    }
    const lamp::DatabaseLogin local{"localhost", login.user, login.password};
    for (int connection = 0; connection <= kLowestLimit; ++connection) {
      const lamp::ConnectOutcome outcome = lamp::ConnectNewHandle(local);
      if (outcome.handle == nullptr) return outcome.error == ER_CON_COUNT_ERROR;
      held_.push_back(outcome.handle);
    }
    return false;
  }
  // Lets one held connection go; true once the server has counted it gone.
  bool FreeAHeldConnection() {
    if (held_.empty()) return false;
    const int open = std::stoi(ServerStatus("THREADS_CONNECTED"));
    mysql_close(held_.back());
    held_.pop_back();
    return ServerStatusBecomes("THREADS_CONNECTED", std::to_string(open - 1));
  }
  // Closes what FillTheServer held and gives the server its limit back.
  bool ReleaseHeldConnections() {
    for (MYSQL* held : held_) mysql_close(held);
    held_.clear();
    if (connection_limit_.empty()) return true;
    const bool restored = db_.Execute("SET GLOBAL max_connections = " + connection_limit_);
    connection_limit_.clear();
    return restored;
  }

  // One of the database server's status counters.
  std::string ServerStatus(const std::string& name) {
    return db_.QueryValue(
        "SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME = '" +
        name + "'");
  }
  // Whether the counter reaches the value within a few seconds (the server counts
  // connections as their threads come and go).
  bool ServerStatusBecomes(const std::string& name, const std::string& value) {
    for (int look = 0; look < 200; ++look) {
      if (ServerStatus(name) == value) return true;
      std::this_thread::sleep_for(milliseconds(50));
    }
    return false;
  }

  // The connection lost to a refusing host, whose first try has ended at once.
  void LoseTheConnection(lamp::ConnectionKeeper& keeper) {
    host_.Answer();
    ASSERT_TRUE(keeper.Connect(kOverHost));
    host_.Refuse();
    ASSERT_NE(keeper.Send("SELECT 1"), 0u);
    ASSERT_TRUE(keeper.lost());
    keeper.WaitForTry();
  }

  // The connection lost, and the host silent from then on: the next due try, started here,
  // waits out the connect timeout.
  void LoseToASilentHost(lamp::ConnectionKeeper& keeper) {
    LoseTheConnection(keeper);
    host_.FallSilent();
    now_ms += kIntervalMs;
    const int tries_before = keeper.tries_started();
    ASSERT_FALSE(keeper.Ready());
    ASSERT_EQ(keeper.tries_started(), tries_before + 1);
  }

  lamptest::DatabaseHostProxy& host_ = lamptest::PrivateServerHost();
  lamptest::TestDatabase db_;
  MYSQL* handle_ = nullptr;
  lamp::ConnectionKeeper keeper_{handle_, ManualNow};
  // FillTheServer's connections, and the limit it changed (empty: unchanged).
  std::vector<MYSQL*> held_;
  std::string connection_limit_;
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
  // The library gives up on the silent host as the connect's wait is up; whichever comes
  // first, the connect's try has ended here.
  keeper_.WaitForTry();
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

// A connect that found no answer may work later by itself and is tried again with its login,
// each try failing the same way until what stood in the way is gone: a host that refuses (or
// is silent, above), a name the resolver cannot look up (yet), a server with no connection to
// spare. A login or database the server refuses would be refused again: no connection and no
// tries.
TEST_F(ConnectionKeeperDb, AConnectThatFoundNoAnswerIsTriedAgainARefusedOneIsNot) {
  ASSERT_TRUE(CreateLoginWithoutRights());
  ASSERT_TRUE(CreateOperatorLogin()) << db_.last_error();
  struct Case {
    const char* name;
    // Makes the connect fail so, true when it could; null where the login alone does.
    std::function<bool()> cause;
    lamp::DatabaseLogin login;
    bool tried_again;
    unsigned error;  // of the connect and its tries, kept for the statements meanwhile
    // Takes the cause away, so that the next try connects; null where nothing here can.
    std::function<bool()> mend;
  };
  const auto refuse = [this] {
    host_.Refuse();
    return true;
  };
  const auto answer = [this] {
    host_.Answer();
    return true;
  };
  const auto fill = [this] { return FillTheServer(kOperator); };
  const auto free_one = [this] { return FreeAHeldConnection(); };
  const Case cases[] = {
      {"refusing host", refuse, kOverHost, true, CR_CONNECTION_ERROR, answer},
      {"name not found", nullptr, kUnknownName, true, CR_UNKNOWN_HOST, nullptr},
      {"full server", fill, kOperator, true, ER_CON_COUNT_ERROR, free_one},
      {"wrong password", nullptr, kWrongPassword, false, 0, nullptr},
      {"no rights on the database", nullptr, kNoRights, false, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.Answer();
    if (c.cause) {
      ASSERT_TRUE(c.cause()) << db_.last_error();
    }
    MYSQL* handle = nullptr;
    lamp::ConnectionKeeper keeper(handle, ManualNow);
    EXPECT_FALSE(keeper.Connect(c.login));
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(keeper.trying(), c.tried_again);
    EXPECT_EQ(keeper.error(), c.error);
    for (int interval = 0; interval < 3; ++interval) {
      now_ms += kIntervalMs;
      EXPECT_FALSE(keeper.Ready());
      keeper.WaitForTry();
    }
    EXPECT_FALSE(keeper.Ready());
    EXPECT_EQ(keeper.tries_started(), c.tried_again ? 3 : 0);
    EXPECT_EQ(keeper.trying(), c.tried_again);
    EXPECT_EQ(keeper.error(), c.error);
    if (c.mend) {
      ASSERT_TRUE(c.mend());
      now_ms += kIntervalMs;
      EXPECT_FALSE(keeper.Ready());
      keeper.WaitForTry();
      ASSERT_TRUE(keeper.Ready());
      EXPECT_NE(handle, nullptr);
      EXPECT_FALSE(keeper.trying());
      EXPECT_EQ(keeper.Ping(), 0);
    }
    keeper.Close();
    EXPECT_TRUE(ReleaseHeldConnections()) << db_.last_error();
  }
}

// A connect that found no answer whose try is then refused (the database answers, but not to
// this login) would be refused again: the tries end.
TEST_F(ConnectionKeeperDb, ARefusedTryEndsTheTriesOfAConnectThatFoundNoAnswer) {
  ASSERT_TRUE(CreateLoginWithoutRights());
  host_.Refuse();
  ASSERT_FALSE(keeper_.Connect(kNoRights));
  ASSERT_TRUE(keeper_.trying());
  host_.Answer();
  now_ms += kIntervalMs;
  EXPECT_FALSE(keeper_.Ready());
  keeper_.WaitForTry();
  EXPECT_FALSE(keeper_.Ready());
  EXPECT_FALSE(keeper_.trying());
  EXPECT_EQ(keeper_.error(), static_cast<unsigned>(ER_DBACCESS_DENIED_ERROR));
  now_ms += 3 * kIntervalMs;
  EXPECT_FALSE(keeper_.Ready());
  EXPECT_EQ(keeper_.tries_started(), 1);
}

// A connect that takes the library longer than the connect timeout (here each step of the
// handshake just within the library's own timeout) holds its caller no longer than that
// timeout; it goes on in the background, and what it makes is taken over afterwards.
TEST_F(ConnectionKeeperDb, AnExplicitConnectWaitsAtMostTheConnectTimeout) {
  const seconds timeout(lamp::kDatabaseConnectTimeoutSeconds);
  host_.AnswerSlowly(timeout - seconds(1));
  const auto start = Clock::now();
  EXPECT_FALSE(keeper_.Connect(kOverHost));
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, timeout - milliseconds(100));
  EXPECT_LT(waited, kExplicitConnectBound);
  EXPECT_EQ(handle_, nullptr);
  EXPECT_TRUE(keeper_.trying());

  keeper_.WaitForTry();
  EXPECT_GE(Clock::now() - start, 2 * (timeout - seconds(1)));
  ASSERT_TRUE(keeper_.Ready());
  EXPECT_NE(handle_, nullptr);
  EXPECT_EQ(keeper_.tries_started(), 0);  // the connect's own try, not a new one
  EXPECT_EQ(InsertWorker("late"), 0u);
  EXPECT_EQ(WorkerRows("late"), "1");
}

// A try that nobody takes any more closes the connection it makes, whether it is left behind
// while it connects or once it has connected, by a Close or by the keeper's end.
TEST_F(ConnectionKeeperDb, ATryLeftBehindClosesTheConnectionItMakes) {
  struct Case {
    const char* name;
    bool connected_first;
    bool by_close;
  };
  const Case cases[] = {
      {"left while connecting, by Close", false, true},
      {"left while connecting, by the keeper's end", false, false},
      {"left once connected, by Close", true, true},
      {"left once connected, by the keeper's end", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string open_before = ServerStatus("THREADS_CONNECTED");
    const std::string aborted_before = ServerStatus("ABORTED_CONNECTS");
    const int connections_before = std::stoi(ServerStatus("CONNECTIONS"));
    {
      MYSQL* handle = nullptr;
      lamp::ConnectionKeeper keeper(handle, ManualNow);
      LoseTheConnection(keeper);
      host_.AnswerSlowly(seconds(1));
      now_ms += kIntervalMs;
      ASSERT_FALSE(keeper.Ready());
      ASSERT_EQ(keeper.tries_started(), 2);
      // The try has reached the server: the keeper's first connection, then this one.
      ASSERT_TRUE(ServerStatusBecomes("CONNECTIONS", std::to_string(connections_before + 2)));
      if (c.connected_first) keeper.WaitForTry();
      if (c.by_close) {
        keeper.Close();
      } else {
        // The lost connection is the program's to close; only the try is the keeper's.
        mysql_close(handle);
      }
    }
    EXPECT_TRUE(ServerStatusBecomes("THREADS_CONNECTED", open_before));
    // The try did log in, and logged out again.
    EXPECT_EQ(ServerStatus("ABORTED_CONNECTS"), aborted_before);
  }
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
  EXPECT_LT(Clock::now() - start, kEndingCallBound);
  EXPECT_TRUE(keeper_.lost());
  EXPECT_EQ(keeper_.tries_started(), 0);
}

// After the end, every call on the connection waits only briefly: a ping that was due, and
// the reading of a result whose rows have not come, fail as soon as a statement does.
TEST_F(ConnectionKeeperDb, AfterTheEndEveryCallWaitsBriefly) {
  struct Case {
    const char* name;
    // Sent while the host still answers.
    const char* before;
    // Whether the call failed.
    std::function<bool(lamp::ConnectionKeeper&)> call;
  };
  const Case cases[] = {
      {"statement", nullptr,
       [](lamp::ConnectionKeeper& keeper) { return keeper.Send("SELECT 1") != 0; }},
      {"ping", nullptr, [](lamp::ConnectionKeeper& keeper) { return keeper.Ping() != 0; }},
      // The columns and the first rows come at once, the rest over ten seconds.
      {"result", "SELECT SLEEP(0.01), REPEAT('x', 4000) FROM seq_1_to_1000",
       [](lamp::ConnectionKeeper& keeper) {
         MYSQL_RES* result = keeper.StoreResult();
         if (result != nullptr) mysql_free_result(result);
         return result == nullptr;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_.Answer();
    MYSQL* handle = nullptr;
    lamp::ConnectionKeeper keeper(handle, ManualNow);
    ASSERT_TRUE(keeper.Connect(kOverHost));
    if (c.before != nullptr) {
      ASSERT_EQ(keeper.Send(c.before), 0u);
    }
    host_.FallSilent();
    keeper.EndWaits();
    const auto start = Clock::now();
    EXPECT_TRUE(c.call(keeper));
    EXPECT_LT(Clock::now() - start, kEndingCallBound);
    EXPECT_TRUE(keeper.lost());
    EXPECT_EQ(keeper.tries_started(), 0);
    keeper.Close();
  }
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
