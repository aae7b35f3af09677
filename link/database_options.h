#pragma once
// How every connection to the database "zuvurov" is opened (server, workstation, simulator):
// the database, the code page their 8-bit text is in, and the timeouts. Only this part of
// link/ and the connection keeper need the MariaDB client library: they are the target
// link_database.
#include <mysql.h>

namespace lamp {

inline constexpr const char* kDatabaseName = "zuvurov";
// Declared to the database at every connect.
inline constexpr const char* kDatabaseCharset = "cp1251";

// A database host that does not answer fails each step of a connect after this long: long
// enough for a few lost packets on a slow network, short enough that a connect on the
// program's own thread (at start, or the operator's) is back soon. The connection keeper holds
// such a connect no longer than this in all, however many steps and addresses it takes.
inline constexpr unsigned kDatabaseConnectTimeoutSeconds = 5;
// The longest wait for the database while a statement is sent or its answer read: how long a
// host that falls silent in the middle of a statement holds the program up, once (the
// connection then counts as lost, see connection_keeper.h). The statements are short (under
// 4 kB) and the longest answers come quickly: a lamp's event history from an event table of
// 8 million rows took 0.13 s with a cold cache, the worker table of 6000 rows 8 ms, so a slow
// server has ample time.
inline constexpr unsigned kDatabaseStatementTimeoutSeconds = 8;
// A lost connection is tried again at most this often, on a thread of its own.
inline constexpr unsigned kDatabaseReconnectIntervalSeconds = 3;
// Once the program is ending, the longest wait for any call on the connection (its stop row,
// a ping that was due): a database that answers does so in milliseconds, and one that does
// not must not hold the end up.
inline constexpr int kDatabaseEndingAnswerWaitMs = 500;

// A new connection object with the character set and the timeouts set, ready for
// mysql_real_connect; null when the library cannot make one. The library's own reconnect is
// off: it would connect again inside each statement, on the program's thread, and wait out
// the connect timeout for every statement while a host does not answer. A lost connection
// is made again by the program's ConnectionKeeper.
MYSQL* NewDatabaseHandle();

}  // namespace lamp
