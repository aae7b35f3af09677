#include "server/poll_cycle.h"

namespace tolvex {

std::array<std::int32_t, 101> PassCursor{};
std::uint32_t PassTick = 0;
double MaxTickTime = 0.0;
std::int32_t kPING = 0;
std::uint32_t WatchdogTickCount = 0;
std::int32_t DatabasePingTickCount = 0;

}  // namespace tolvex
