#pragma once
// The server's one database connection, used by the worker load, the database writer, the
// ping of the poll cycle and the service windows. Null means there is no database: every
// database operation then does nothing.
#include <mysql.h>

#include <string>
#include <string_view>

namespace tolvex {

extern MYSQL* DatabaseHandle;

// Connects to "zuvurov" on `host` (port 0, no socket name, no flags) with a connection
// object of lamp::NewDatabaseHandle (cp1251, the library's own reconnect and timeouts). An
// existing connection is closed first. Returns 0 when connected; 1 when not (a host that
// does not answer included), after listing "connect ERR" and showing the error window;
// DatabaseHandle is then null.
int ConnectDatabase(const char* host, const char* login, const char* password);

// Closes the connection (exit, tests); DatabaseHandle becomes null.
void CloseDatabase();

// A ping of the connection: mysql_ping's result, when one was made (none without a
// connection).
struct DatabasePing {
  int result = 0;
  bool made = false;
};
DatabasePing PingDatabase();

// Sends one statement over the connection and returns mysql_errno (0 = done). The caller
// checks DatabaseHandle first; without a connection nothing is sent and -1 is returned.
int SendStatement(std::string_view statement);

// The connection's last error text as UTF-8 (the connection speaks cp1251); empty without
// a connection.
std::string DatabaseErrorText();

// Receives the text of every statement just before it is sent (tests); null for none.
using StatementObserver = void (*)(std::string_view statement);
void SetStatementObserver(StatementObserver observer);

}  // namespace tolvex
