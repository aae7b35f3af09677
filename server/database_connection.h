#pragma once
// The server's one database connection, used by the worker load, the database writer, the
// ping of the poll cycle and the service windows. Null means there is no database: every
// database operation then does nothing. A connection lost while the server runs is kept by a
// lamp::ConnectionKeeper: statements fail at once until it is made again in the background.
#include <mysql.h>

#include <string>
#include <string_view>

namespace lamp {
class ConnectionKeeper;
}

namespace tolvex {

extern MYSQL* DatabaseHandle;

// Connects to "zuvurov" on `host` (port 0, no socket name, no flags) with a connection
// object of lamp::NewDatabaseHandle (cp1251 and the timeouts). An existing connection is
// closed first; a try still running in the background is not waited for, and the connect
// itself is waited for at most the connect timeout. Returns 0 when connected; 1 when not (a
// host that does not answer included), after listing "connect ERR" and showing the error
// window; DatabaseHandle is then null. A host that did not answer is tried again in the
// background, so the connection comes back by itself once it answers.
int ConnectDatabase(const char* host, const char* login, const char* password);

// Closes the connection (tests); DatabaseHandle becomes null.
void CloseDatabase();

// The once-a-second look after a lost connection (or one a connect did not get): takes over a
// connection made meanwhile, and starts a new try when one is due.
void KeepDatabaseConnection();
// The program ends: a statement waiting for the database fails at once, as on a lost
// connection, and a later one waits only briefly. Async-signal-safe (the end signals' hook).
void EndDatabaseWaits();

// Whether the connection is lost (it still counts as there: statements fail and are listed).
bool DatabaseConnectionLost();

// A ping of the connection: mysql_ping's result, when one was made (none without a
// connection); while the connection is lost it fails at once.
struct DatabasePing {
  int result = 0;
  bool made = false;
};
DatabasePing PingDatabase();

// Sends one statement over the connection and returns mysql_errno (0 = done). The caller
// checks DatabaseHandle first; without a connection nothing is sent and -1 is returned.
// While the connection is lost nothing is sent either, and the error of the outage is
// returned (DatabaseErrorText gives its text).
int SendStatement(std::string_view statement);
// The result of the statement just sent (mysql_store_result); null when it has none or it
// could not be read (mysql_errno says which).
MYSQL_RES* StoreResult();

// The connection's last error text as UTF-8 (the connection speaks cp1251), the outage's
// while it is lost; empty without a connection.
std::string DatabaseErrorText();

// Receives the text of every statement just before it is sent (tests); null for none.
using StatementObserver = void (*)(std::string_view statement);
void SetStatementObserver(StatementObserver observer);

// For tests: the keeper of the connection, and a wait for its try in the background.
const lamp::ConnectionKeeper& DatabaseKeeper();
void WaitForDatabaseTry();

}  // namespace tolvex
