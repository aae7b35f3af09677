#pragma once
// The poll cycle and the watchdogs: the 96 ms poll tick (one waiting command, or one request
// to one cell of every station), the once-a-second socket watchdogs and polling-pause
// countdown, and the ten-minute database ping. The handlers are TFormSV::Timer3Timer,
// Timer2Timer and Timer4Timer; their state lives here.
#include <array>
#include <cstdint>

namespace tolvex {

inline constexpr int kStationCount = 100;
inline constexpr std::uint32_t kPassPingTick = 56;
inline constexpr std::uint32_t kPassTickLimit = 60;
inline constexpr std::int32_t kLinkLostRequests = 4;

// Per station number (entry b - 1 for station b): the worker row at which the next search
// for a cell of that station starts in this pass.
extern std::array<std::int32_t, 101> PassCursor;
// Polling ticks since the pass started, held at 60.
extern std::uint32_t PassTick;
// Longest poll tick seen while the service window is visible (ElapsedUnits).
extern double MaxTickTime;
// Successful database pings.
extern std::int32_t kPING;
// Tick counters of the watchdog timer and of the database ping.
extern std::uint32_t WatchdogTickCount;
extern std::int32_t DatabasePingTickCount;

}  // namespace tolvex
