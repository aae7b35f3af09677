#pragma once
// A small deterministic random source (splitmix64): the same seed gives the same lamp room,
// so a run that shows a fault can be repeated exactly.
#include <cstdint>

namespace stationsim {

class RandomSource {
 public:
  explicit RandomSource(std::uint64_t seed = 1) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  // Uniform in [low, high).
  double Between(double low, double high) { return low + (high - low) * Unit(); }
  // Uniform integer in [low, high].
  std::int64_t IntBetween(std::int64_t low, std::int64_t high) {
    if (high <= low) return low;
    return low + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }
  bool Chance(double probability) { return probability > 0 && Unit() < probability; }

 private:
  std::uint64_t state_;
};

}  // namespace stationsim
