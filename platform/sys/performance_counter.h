#pragma once
// The high-resolution counter: steady_clock in nanoseconds, so the frequency is 1e9 ticks per
// second. It stands in for both the performance counter and the processor's time-stamp
// counter; both only measure differences.
#include <cstdint>

namespace sys {

inline constexpr std::int64_t kCounterFrequency = 1'000'000'000;

// Sets *frequency to the counter's ticks per second; false only for a null pointer.
bool QueryPerformanceFrequency(std::int64_t* frequency);
bool QueryPerformanceCounter(std::int64_t* count);
// The current counter value (monotonic nanoseconds).
std::uint64_t ReadTimeStampCounter();

}  // namespace sys
