#pragma once
// Periodic state rows: at each configured time of day one event row per cell, and one
// TimerSTAT tick later one statcell row per cell that still answers, after which the cell's
// extremes and lost-poll count start afresh.
#include <array>
#include <cstdint>
#include <ctime>

namespace tolvex {

// 1 from the tick that wrote the event rows to the tick that writes the statcell rows.
extern std::int32_t StatRowsDue;
// One bit set per configured time (index 0..3 for MaskEdit1..MaskEdit4): bit 0 = the current
// minute equals the time, bit 1 = this minute's rows were started.
extern std::array<std::int32_t, 4> TimeMatch;

// "hh:nn" of a local time (two digits each), NUL-terminated.
using ClockMinuteText = std::array<char, 6>;
ClockMinuteText FormatClockMinute(const std::tm& local);

// The local time the rows are timed by; tests replace it (nullptr restores the system's).
using LocalTimeSource = std::tm (*)();
void SetStateRowsClock(LocalTimeSource source);
std::tm CurrentStateRowsTime();

// One TimerSTAT tick with the current minute and the four configured time texts: writes the
// due statcell rows, updates TimeMatch, and writes the event rows when a time has begun.
void RunStateRowsTick(const ClockMinuteText& now, const std::array<const char*, 4>& times);

}  // namespace tolvex
