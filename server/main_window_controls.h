#pragma once
// The main window's poll-period clock and operator controls.
#include <cstdint>

namespace tolvex {

// Poll periods elapsed; shown in the main window's Edit10.
extern std::int32_t PollCount;
// Seconds counted towards the next poll period (stands still while the flag is up).
extern std::uint32_t PollPeriodSeconds;

}  // namespace tolvex
