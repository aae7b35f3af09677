#include "platform/sys/performance_counter.h"

#include <chrono>

namespace sys {

std::uint64_t ReadTimeStampCounter() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

bool QueryPerformanceFrequency(std::int64_t* frequency) {
  if (frequency == nullptr) return false;
  *frequency = kCounterFrequency;
  return true;
}

bool QueryPerformanceCounter(std::int64_t* count) {
  if (count == nullptr) return false;
  *count = static_cast<std::int64_t>(ReadTimeStampCounter());
  return true;
}

}  // namespace sys
