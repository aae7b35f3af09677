#pragma once
// Counts every allocation through the global operator new of a benchmark program, so a
// benchmark can report how many allocations its measured call made per iteration.
#include <cstdint>

namespace bench_support {

// Allocations through any global operator new since the program started.
std::uint64_t AllocationCount();

}  // namespace bench_support
