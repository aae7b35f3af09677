#pragma once
// The start-up sequencer of the main window (TForm1::TmStartTimer, every 300 ms): single
// instance check, configuration, sockets, tray icon, database connection with retries,
// worker and host tables, hiding.
#include <cstdint>

namespace tolvex {

// Failed connect attempts after the first before start-up goes on without a database.
inline constexpr std::int32_t kMaxConnectRetries = 5;
// Ticks between two connect attempts (the attempt tick itself comes on top).
inline constexpr std::int32_t kConnectRetryDelay = 50;

// Start-up ticks so far (1 added at the start of each tick).
extern std::int32_t StartTick;
// Failed start-up connect attempts; shown in StatusBar1 panel 0.
extern std::int32_t ConnectRetries;
// Ticks to wait before the next connect attempt (2 at load).
extern std::int32_t ConnectDelay;
// Start-up went on without a database and has not had one since.
extern bool StartupAwaitsDatabase;

// On the service window's watchdog second, after the look at the connection: the first time
// there is a connection after start-up went on without one (a try in the background that
// connected, or the configuration's "Тест"), does what a successful connect phase and ticks
// 8 and 9 would have done: "MySQL-server OK", the start row, the error window hidden, the
// worker table loaded and the counts shown. A connection that comes back after an outage
// that followed a good start does nothing here.
void CompleteStartupOnLateDatabase();

}  // namespace tolvex
