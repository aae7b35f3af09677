#pragma once
// Timing of the poll tick and the polling pause.
#include <cstdint>

namespace tolvex {

// Seconds during which the poll cycle sends no polls (counted down and capped by the poll
// cycle's watchdog second).
extern unsigned int PollingPause;

void SetPollingPause(unsigned int seconds);

// The high-resolution counter, read at the start and the end of a poll tick.
std::uint64_t ReadTimeStamp();

// Counter ticks per display unit: the frequency in ticks per millisecond, or per
// microsecond when that exceeds 20000. 1 when the frequency cannot be read.
double TicksPerUnit();

// A difference of two time stamps in display units.
double ElapsedUnits(std::int64_t difference);

}  // namespace tolvex
