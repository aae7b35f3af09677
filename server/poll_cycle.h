#pragma once
// The poll cycle and the watchdogs: the 96 ms poll tick (one waiting command, or one request
// to one cell of every station), the once-a-second socket watchdogs and polling-pause
// countdown, and the ten-minute database ping. The service window's timers run them
// (TFormSV::Timer3Timer, Timer2Timer, Timer4Timer); their state and their rules live here,
// and what a tick finds for the windows to do (a socket to reopen, a pass restarted) is
// handed back to the timer's handler.
#include <array>
#include <cstdint>

namespace tolvex {

inline constexpr int kStationCount = 100;
// The poll tick's interval (the service window's Timer3).
inline constexpr int kPollTickMilliseconds = 96;
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

// What a poll tick goes by: the service window's switches and the main window's flag.
struct PollTickSwitches {
  bool polling_on = false;      // "OPROS"
  bool log_polls = false;       // "PrnTX92": a service line per status poll
  bool log_with_ip = false;     // "IP": those lines name the host's address
  bool period_elapsed = false;  // the poll period has elapsed (PollPeriodFlag is up)
};

// What a poll tick leaves to its handler.
struct PollTickOutcome {
  // The pass restarted on the elapsed period: the period flag is to be taken down.
  bool pass_restarted = false;
  // Four passes in a row brought no datagram from the workstation after their ping: its
  // socket is to be reopened and that reported.
  bool reopen_monitor_due = false;
};

// One 96 ms tick: a waiting workstation command, else the service window's prepared command,
// else (while polling is on and not paused) one cell of every station.
PollTickOutcome RunPollTick(const PollTickSwitches& switches);

// The polling ticks of one pass, and so the cells it reaches per station, at a poll period of
// that many seconds: a pass lasts at least kPassPingTick ticks and otherwise until the period
// is up. Cells of a station beyond that count are never polled.
std::uint32_t PassPollingTicks(std::int32_t poll_period_seconds);

// Takes the time of one poll tick; returns the longest so far (MaxTickTime).
double NoteTickTime(double tick_time);

// Counts a tick of the watchdog timer; true on every second one (1, 3, 5, ...), the ticks at
// which the once-a-second work runs.
bool WatchdogSecondDue();
// One second off a socket countdown (which stops at 0); true when it has just come to 1:
// the socket is to be reopened, which sets the countdown afresh.
bool CountDownToReopen(std::int32_t& countdown);
// One second of the polling pause: cut to 600 s at most, then counted down to 0.
void CountDownPollingPause();

// Counts a tick of the database ping timer; true at every sixth (once an hour), when the
// count of successful pings is reported.
bool PingReportDue();

}  // namespace tolvex
