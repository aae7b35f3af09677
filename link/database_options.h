#pragma once
// How every connection to the database "zuvurov" is opened (server, workstation, simulator):
// the database, the code page their 8-bit text is in, and the client library's own
// reconnect and timeouts. Only this part of link/ needs the MariaDB client library: it is
// the target link_database.
#include <mysql.h>

namespace lamp {

inline constexpr const char* kDatabaseName = "zuvurov";
// Declared to the database at every connect, the library's own reconnects included.
inline constexpr const char* kDatabaseCharset = "cp1251";

// A database host that does not answer fails the connect after this long: long enough for a
// few lost packets on a slow network, short enough that the program's own thread is back
// soon (with the reconnect, each statement sent while such a host stays away waits as long).
inline constexpr unsigned kDatabaseConnectTimeoutSeconds = 5;
// The longest wait for the database while a statement is sent or its answer read. The
// statements are short (under 4 kB) and each answer holds at most a few thousand rows (the
// worker table, the workstation's event history): a slow remote server has ample time for
// them, and a database that vanishes in the middle of a statement holds the program up once
// for this long instead of for the system's TCP limits (many minutes).
inline constexpr unsigned kDatabaseStatementTimeoutSeconds = 60;

// A new connection object with the character set, the automatic reconnect and the timeouts
// set, ready for mysql_real_connect; null when the library cannot make one. After a lost
// connection, the next statement or ping connects again by itself with the same host,
// login, password, database and character set; the statement that found the connection
// lost fails as usual, and nothing is sent again later.
MYSQL* NewDatabaseHandle();

}  // namespace lamp
