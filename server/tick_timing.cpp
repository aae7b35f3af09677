#include "server/tick_timing.h"

#include "platform/sys/performance_counter.h"

namespace tolvex {

unsigned int PollingPause = 0;

void SetPollingPause(unsigned int seconds) {
  PollingPause = seconds;
}

std::uint64_t ReadTimeStamp() {
  return sys::ReadTimeStampCounter();
}

double TicksPerUnit() {
  std::int64_t frequency = 0;
  // Without a frequency the tick time means nothing; 1 keeps the division defined.
  if (!sys::QueryPerformanceFrequency(&frequency) || frequency <= 0) return 1.0;
  double ticks = static_cast<double>(frequency) * 0.001;
  if (ticks > 20000.0) ticks *= 0.001;
  return ticks;
}

double ElapsedUnits(std::int64_t difference) {
  return static_cast<double>(difference) / TicksPerUnit();
}

}  // namespace tolvex
