// A SIGTERM while a statement waits on a database host that has fallen silent: the wait ends
// at once, the statement is listed as on any lost connection, and the server's stop row fails
// at once too. Once ended, a process stays so: this file has it to itself.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "link/code_tables.h"
#include "link/connection_keeper.h"
#include "link/database_options.h"
#include "platform/sys/session_end.h"
#include "server/database_connection.h"
#include "server/database_writer.h"
#include "server/error_window.h"
#include "tests/support/database_host_proxy.h"
#include "tests/support/manual_clock.h"
#include "tests/support/test_database.h"

namespace tolvex {
namespace {

TEST(DatabaseEndSignal, ASigtermEndsAStatementsWaitAndTheStopRowFailsAtOnce) {
  // Before any connection: the client library reads MYSQL_TCP_PORT at its first use.
  lamptest::DatabaseHostProxy& host = lamptest::PrivateServerHost();
  ASSERT_NE(host.port(), 0);
  lamptest::ManualClockFirst clock;
  lamptest::TestDatabase db;
  ASSERT_TRUE(db.connected()) << db.last_error();
  ASSERT_TRUE(db.EmptyAllTables()) << db.last_error();
  TFormERR window;
  const std::vector<std::string>& lines = window.ListBox1.Items().Items();
  ASSERT_EQ(ConnectDatabase("127.0.0.1", "root", "q758"), 0);
  sys::SetEndHook(EndDatabaseWaits);
  sys::InstallEndSignalHandlers();

  host.FallSilent();
  // To the process, as a stop of the service sends it: any thread may take it.
  std::thread stop([] {
    std::this_thread::sleep_for(std::chrono::seconds(2));
    kill(getpid(), SIGTERM);
  });
  const auto start = std::chrono::steady_clock::now();
  AddServerEvent(lamp::EventStateCheck);
  const auto waited = std::chrono::steady_clock::now() - start;
  stop.join();
  // The statement timeout would have held it 8 s.
  EXPECT_LT(waited, std::chrono::seconds(lamp::kDatabaseStatementTimeoutSeconds - 3));
  EXPECT_TRUE(DatabaseConnectionLost());
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Error kod= 7DD (2013)");
  EXPECT_EQ(lines[2], "AddEvent");
  EXPECT_TRUE(sys::PollEndRequest());

  // The end sequence's stop row: lost and listed, at once; nothing is tried any more.
  const auto stop_row = std::chrono::steady_clock::now();
  AddServerEvent(lamp::EventServerStopped);
  EXPECT_LT(std::chrono::steady_clock::now() - stop_row, std::chrono::seconds(1));
  EXPECT_EQ(lines.size(), 6u);
  EXPECT_EQ(DatabaseKeeper().tries_started(), 0);
  CloseDatabase();
  sys::SetEndHook(nullptr);
}

}  // namespace
}  // namespace tolvex
