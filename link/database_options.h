#pragma once
// How every connection to the database "zuvurov" is opened (server, workstation, simulator):
// the database, the code page their 8-bit text is in, and the client library's own
// reconnect. This part of link/ needs the MariaDB client library (target
// link_database); the rest of link/ does not.
#include <mysql.h>

namespace lamp {

inline constexpr const char* kDatabaseName = "zuvurov";
// Declared to the database at every connect, the library's own reconnects included.
inline constexpr const char* kDatabaseCharset = "cp1251";

// A new connection object with the character set and the automatic reconnect set, ready for
// mysql_real_connect; null when the library cannot make one. After a lost connection, the next
// statement or ping connects again by itself with the same host, login, password, database and
// character set; the statement that found the connection lost fails as usual, and nothing is sent
// again later.
MYSQL* NewDatabaseHandle();

}  // namespace lamp
