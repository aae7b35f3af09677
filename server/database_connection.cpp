#include "server/database_connection.h"

#include "link/cp1251.h"
#include "link/database_options.h"
#include "server/error_window.h"

namespace tolvex {

MYSQL* DatabaseHandle = nullptr;

namespace {
StatementObserver statement_observer = nullptr;
}

int ConnectDatabase(const char* host, const char* login, const char* password) {
  // A new connection object each time: re-initialising a live one would leak its socket and
  // buffers, and a failed connect must not leave its object behind either.
  CloseDatabase();
  MYSQL* handle = lamp::NewDatabaseHandle();
  if (handle != nullptr) {
    if (mysql_real_connect(handle, host, login, password, lamp::kDatabaseName, 0, nullptr, 0) ==
        nullptr) {
      mysql_close(handle);
      handle = nullptr;
    }
  }
  if (handle == nullptr) {
    AddDbErrorLines(1, "connect ERR", "");
    ShowDatabaseError();
    return 1;
  }
  DatabaseHandle = handle;
  return 0;
}

void CloseDatabase() {
  if (DatabaseHandle == nullptr) return;
  mysql_close(DatabaseHandle);
  DatabaseHandle = nullptr;
}

DatabasePing PingDatabase() {
  if (DatabaseHandle == nullptr) return {};
  return {mysql_ping(DatabaseHandle), true};
}

int SendStatement(std::string_view statement) {
  if (DatabaseHandle == nullptr) return -1;
  if (statement_observer != nullptr) statement_observer(statement);
  mysql_real_query(DatabaseHandle, statement.data(), statement.size());
  return static_cast<int>(mysql_errno(DatabaseHandle));
}

std::string DatabaseErrorText() {
  const char* text = DatabaseHandle != nullptr ? mysql_error(DatabaseHandle) : nullptr;
  return lamp::Cp1251ToUtf8(text != nullptr ? text : "");
}

void SetStatementObserver(StatementObserver observer) {
  statement_observer = observer;
}

}  // namespace tolvex
