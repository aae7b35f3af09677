#pragma once
// The workstation's side of the database "zuvurov": its one connection, the statement run
// with its error box, and every read (the worker list at connect time and the five reads of
// the lamp card). Statements are cp1251 text built by concatenation; column texts coming back
// are cp1251 and are shown as UTF-8.
//
// Every operation tests DbConnection first: null means there is no database, and nothing is
// sent or shown. A connection lost while the program runs is kept by a
// lamp::ConnectionKeeper: statements fail at once (each with its message box) until it is
// made again in the background.
#include <mysql.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/mode_record.h"
#include "link/sql_text.h"

namespace lamp {
class ConnectionKeeper;
}

namespace lumora {

// The one connection of the program; null at start and after a failed connect.
extern MYSQL* DbConnection;

// What LoadWorkerCard returns when there is no connection or its statement failed.
inline constexpr std::int32_t kNoDatabase = -5;

// Statement buffer sizes: writes and reads, and the two count queries.
inline constexpr std::size_t kStatementBufferSize = 4096;
inline constexpr std::size_t kCountStatementBufferSize = 200;

// Text functions every workstation statement uses (shared with the server).
using lamp::AppendQuoted;
using lamp::FormatSqlDate;
using lamp::FormatSqlTime;

// Connects to "zuvurov" on the local machine (port 0, no socket name, no flags) as login
// with password (8-bit text), with a connection object of lamp::NewDatabaseHandle (cp1251
// and the timeouts). A connection still open is closed first; a try still running in the
// background is not waited for, and the connect itself is waited for at most the connect
// timeout. Returns true when connected; DbConnection is null otherwise.
// A host that did not answer is tried again in the background (at the ping and before each
// statement), so the connection comes back by itself once it answers.
bool ConnectDbConnection(const char* login, const char* password);
// After a connect that found no answer: true once, when a try in the background has
// connected since (a connection just made is taken over here, and a due try started).
bool TakeLateConnection();
// Closes the connection (program end, tests); DbConnection becomes null.
void CloseDbConnection();
// The 10 s keep-alive: pings an open connection, ignoring the result; a lost one is looked
// after instead (a connection made meanwhile takes over, a new try starts when one is due).
void PingDbConnection();

// The program ends: a statement waiting for the database fails at once, as on a lost
// connection, and a later one waits only briefly. Async-signal-safe (the end signals' hook).
void EndDbConnectionWaits();

// For tests: the keeper of the connection, and a wait for its try in the background.
const lamp::ConnectionKeeper& DbConnectionKeeper();
void WaitForDbConnectionTry();

// The message box of a failed statement: "Error #: " code "\r" "Message: " text (UTF-8).
void ShowSqlError(std::int32_t code, std::string_view error_text);

// One column of a result row: its cp1251 text, or a null pointer for NULL.
struct ColumnText {
  const char* text = nullptr;
  std::size_t length = 0;

  bool IsNull() const { return text == nullptr; }
  // The cp1251 bytes; NULL reads as the empty text.
  std::string_view View() const { return text != nullptr ? std::string_view(text, length) : ""; }
  // The text for the screen.
  std::string Utf8() const;
  // scanf "%d" of the text (lamp::ReadDecimal); none for NULL or a text without a number.
  std::optional<std::int32_t> ReadInt() const;
  // scanf "%d" / "%f" of the text; `fallback` when it holds no number.
  std::int32_t Int(std::int32_t fallback = 0) const;
  float Float(float fallback = 0.0f) const;
};
using RowHandler = std::function<void(const std::vector<ColumnText>& columns)>;

// Result of running one statement.
enum class StatementResult { kNoConnection, kFailed, kDone };

// Sends one cp1251 statement: without a connection nothing is sent; a non-zero error number
// brings up ShowSqlError, as does a lost connection (nothing is sent then) and a result that
// could not be read. For a query, `on_row` is called for every row of the result, in order,
// and the result is released afterwards. A statement that did not fit its buffer is not sent
// and counts as failed (it is reported like a database error).
StatementResult RunStatement(const lamp::SqlStatement& statement, const RowHandler& on_row = {});

// Receives the text of every statement just before it is sent (tests); empty for none.
using StatementObserver = std::function<void(std::string_view statement)>;
void SetStatementObserver(StatementObserver observer);

// The reads. `number` is the lamp's 8-bit (cp1251) number text.
std::int32_t LoadWorkerList();
std::int32_t LoadWorkerCard(const char* number);
void LoadChargeReport(const char* number);
void LoadDischargeReport(const char* number);
void LoadShiftBattery(const char* number);
std::int32_t LoadBatteryParams(const char* number, lamp::ModeDisplayRecord& record);

// A statement of one lamp: text, then the number (cp1251) in double quotes, then ";".
void BuildNumberStatement(lamp::SqlStatement& statement, std::string_view text,
                          std::string_view number);

// The statement texts of the reads (cp1251), for the reads above and their tests.
void BuildWorkerListQuery(lamp::SqlStatement& statement);
void BuildWorkerCardQuery(lamp::SqlStatement& statement, std::string_view number);
void BuildChargeReportQuery(lamp::SqlStatement& statement, std::string_view number);
void BuildDischargeReportQuery(lamp::SqlStatement& statement, std::string_view number);
void BuildShiftBatteryQuery(lamp::SqlStatement& statement, std::string_view number);
void BuildBatteryParamsQuery(lamp::SqlStatement& statement, std::string_view number);

}  // namespace lumora
