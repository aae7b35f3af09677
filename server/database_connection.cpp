#include "server/database_connection.h"

#include "link/connection_keeper.h"
#include "link/cp1251.h"
#include "platform/forms/application.h"
#include "server/error_window.h"

namespace tolvex {

MYSQL* DatabaseHandle = nullptr;

namespace {

StatementObserver statement_observer = nullptr;

std::int64_t ProgramNowMs() {
  return forms::Application().NowMs();
}

lamp::ConnectionKeeper keeper(DatabaseHandle, ProgramNowMs);

// What mysql_ping gives when it fails.
constexpr int kPingFailed = 1;

}  // namespace

int ConnectDatabase(const char* host, const char* login, const char* password) {
  if (!keeper.Connect({host, login, password})) {
    AddDbErrorLines(1, "connect ERR", "");
    ShowDatabaseError();
    return 1;
  }
  return 0;
}

void CloseDatabase() {
  keeper.Close();
}

DatabasePing PingDatabase() {
  if (DatabaseHandle == nullptr) return {};
  if (!keeper.Ready()) return {kPingFailed, true};
  return {keeper.Ping(), true};
}

void EndDatabaseWaits() {
  keeper.EndWaits();
}

void KeepDatabaseConnection() {
  keeper.Ready();
}

bool DatabaseConnectionLost() {
  return keeper.lost();
}

int SendStatement(std::string_view statement) {
  if (DatabaseHandle == nullptr) return -1;
  if (!keeper.Ready()) return static_cast<int>(keeper.error());
  if (statement_observer != nullptr) statement_observer(statement);
  return static_cast<int>(keeper.Send(statement));
}

MYSQL_RES* StoreResult() {
  return DatabaseHandle != nullptr ? keeper.StoreResult() : nullptr;
}

std::string DatabaseErrorText() {
  if (DatabaseHandle == nullptr) return "";
  if (keeper.lost()) return lamp::Cp1251ToUtf8(keeper.error_text());
  const char* text = mysql_error(DatabaseHandle);
  return lamp::Cp1251ToUtf8(text != nullptr ? text : "");
}

void SetStatementObserver(StatementObserver observer) {
  statement_observer = observer;
}

const lamp::ConnectionKeeper& DatabaseKeeper() {
  return keeper;
}

void WaitForDatabaseTry() {
  keeper.WaitForTry();
}

}  // namespace tolvex
