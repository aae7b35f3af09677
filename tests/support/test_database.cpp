#include "tests/support/test_database.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "link/database_options.h"

namespace lamptest {

namespace {

// Runs scripts/db with an action on the private server's directory; true when it succeeded.
// The script gets only the standard streams: a server it starts outlives this test and must
// hold none of the test's sockets.
bool RunDatabaseScript(const char* action) {
  const std::string script = std::string(LAMP_SOURCE_DIR) + "/scripts/db";
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    close_range(3, ~0U, 0);
    execl(script.c_str(), script.c_str(), action, LAMP_TEST_DB_DIR, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

constexpr const char* kTables[] = {"WORKER",    "event",    "statcell",   "accumch",
                                   "battchrep", "accumdis", "battdisrep", "BATTALL",
                                   "BATTPARM",  "BATTLOG",  "SMENABATT"};

}  // namespace

TestDatabase::TestDatabase() {
#ifdef LAMP_TEST_DB_SOCKET
  setenv("MYSQL_UNIX_PORT", LAMP_TEST_DB_SOCKET, 0);
#endif
  MYSQL* handle = lamp::NewDatabaseHandle();
  if (handle == nullptr) {
    last_error_ = "mysql_init failed";
    return;
  }
  // The tests' own connection outlives a restart of the server by the library's reconnect.
  const my_bool reconnect = 1;
  mysql_options(handle, MYSQL_OPT_RECONNECT, &reconnect);
  if (mysql_real_connect(handle, "localhost", "root", "q758", lamp::kDatabaseName, 0, nullptr, 0) ==
      nullptr) {
    last_error_ = "connect: " + std::to_string(mysql_errno(handle)) + " " + mysql_error(handle);
    mysql_close(handle);
    return;
  }
  handle_ = handle;
}

TestDatabase::~TestDatabase() {
  if (handle_ != nullptr) mysql_close(handle_);
}

bool TestDatabase::Execute(std::string_view statement) {
  if (handle_ == nullptr) {
    last_error_ = "not connected";
    return false;
  }
  if (mysql_real_query(handle_, statement.data(), statement.size()) != 0) {
    last_error_ = std::to_string(mysql_errno(handle_)) + " " + mysql_error(handle_) +
                  " in: " + std::string(statement);
    return false;
  }
  // A statement that returns rows must have them read before the next one.
  if (MYSQL_RES* result = mysql_store_result(handle_)) mysql_free_result(result);
  return true;
}

std::vector<TestDatabase::Row> TestDatabase::Query(std::string_view statement) {
  std::vector<Row> rows;
  if (handle_ == nullptr) {
    last_error_ = "not connected";
    return rows;
  }
  if (mysql_real_query(handle_, statement.data(), statement.size()) != 0) {
    last_error_ = std::to_string(mysql_errno(handle_)) + " " + mysql_error(handle_) +
                  " in: " + std::string(statement);
    return rows;
  }
  MYSQL_RES* result = mysql_store_result(handle_);
  if (result == nullptr) return rows;
  const unsigned fields = mysql_num_fields(result);
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    const unsigned long* lengths = mysql_fetch_lengths(result);
    Row texts;
    texts.reserve(fields);
    for (unsigned i = 0; i < fields; ++i) {
      texts.emplace_back(row[i] == nullptr ? std::string(kNullText)
                                           : std::string(row[i], lengths[i]));
    }
    rows.push_back(std::move(texts));
  }
  mysql_free_result(result);
  return rows;
}

std::string TestDatabase::QueryValue(std::string_view statement) {
  const std::vector<Row> rows = Query(statement);
  if (rows.empty() || rows.front().empty()) return {};
  return rows.front().front();
}

bool TestDatabase::EmptyTables(std::initializer_list<std::string_view> tables) {
  bool ok = true;
  for (std::string_view table : tables) {
    ok = Execute("TRUNCATE TABLE " + std::string(table)) && ok;
  }
  return ok;
}

bool TestDatabase::EmptyAllTables() {
  bool ok = true;
  for (const char* table : kTables) ok = EmptyTables({table}) && ok;
  return ok;
}

DatabaseServerOutage::DatabaseServerOutage() : stopped_(RunDatabaseScript("stop")) {}

DatabaseServerOutage::~DatabaseServerOutage() {
  if (stopped_) End();
}

bool DatabaseServerOutage::End() {
  stopped_ = false;
  return RunDatabaseScript("start");
}

}  // namespace lamptest
