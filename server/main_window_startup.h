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

}  // namespace tolvex
