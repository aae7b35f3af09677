#pragma once
// A connection to the tests' private MariaDB server (scripts/db), for tests that check what
// the programs wrote or prepare what they read. It connects the way the programs do: the
// local machine, port 0, no socket name, so the client library takes the socket from
// MYSQL_UNIX_PORT, and the programs' connection options (cp1251 text), and reconnects by
// itself after a restart of the server.
#include <mysql.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace lamptest {

// How a NULL column reads in Query results (the client's own batch notation).
inline constexpr const char* kNullText = "\\N";

class TestDatabase {
 public:
  using Row = std::vector<std::string>;

  // Connects to "zuvurov" as root with the server's default password. When
  // MYSQL_UNIX_PORT is not set (a test run by hand), the socket of the build's test server
  // is used.
  TestDatabase();
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  bool connected() const { return handle_ != nullptr; }
  // The last failure: connect or statement, with the server's error number and text.
  const std::string& last_error() const { return last_error_; }
  MYSQL* handle() { return handle_; }

  // Runs one statement; false (and last_error) on failure.
  bool Execute(std::string_view statement);
  // Runs a query and returns every row, each column as its text (kNullText for NULL).
  // Empty on failure (see last_error).
  std::vector<Row> Query(std::string_view statement);
  // The first column of the first row, or an empty text when there is none.
  std::string QueryValue(std::string_view statement);

  // Empties the given tables (and restarts their auto-increment counters).
  bool EmptyTables(std::initializer_list<std::string_view> tables);
  // Empties every table of "zuvurov".
  bool EmptyAllTables();

 private:
  MYSQL* handle_ = nullptr;
  std::string last_error_;
};

// The private server stopped for as long as this lives, for tests of what the programs do
// while the database is away and after it is back. scripts/db stops and starts it on its own
// directory, so it comes back at the same socket for the tests that follow, with the rows it
// held.
class DatabaseServerOutage {
 public:
  DatabaseServerOutage();
  // Starts the server again unless End() did.
  ~DatabaseServerOutage();
  DatabaseServerOutage(const DatabaseServerOutage&) = delete;
  DatabaseServerOutage& operator=(const DatabaseServerOutage&) = delete;

  // Whether the stop succeeded: the server is not running.
  bool stopped() const { return stopped_; }
  // Starts the server again; true when it answers.
  bool End();

 private:
  bool stopped_ = false;
};

}  // namespace lamptest
