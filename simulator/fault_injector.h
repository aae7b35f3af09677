#pragma once
// The faults of a poor station network, applied to each answer frame on its way out: a byte
// corrupted, the frame split over two datagrams, the datagrams sent twice, datagrams lost.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "simulator/random_source.h"

namespace stationsim {

struct FaultRates {
  double drop = 0;       // chance per datagram that it is lost
  double corrupt = 0;    // chance per frame that one of its bytes is changed
  double split = 0;      // chance per frame that it goes out as two datagrams
  double duplicate = 0;  // chance per frame that its datagrams go out twice
};

struct FaultCounts {
  std::uint64_t dropped = 0;
  std::uint64_t corrupted = 0;
  std::uint64_t split = 0;
  std::uint64_t duplicated = 0;
};

inline constexpr std::size_t kMaxDatagramSize = 256;

// The datagrams that leave for one answer frame, in order.
struct OutgoingDatagrams {
  static constexpr std::size_t kCapacity = 4;
  std::array<std::array<std::uint8_t, kMaxDatagramSize>, kCapacity> bytes{};
  std::array<std::size_t, kCapacity> lengths{};
  std::size_t count = 0;

  std::span<const std::uint8_t> datagram(std::size_t i) const {
    return {bytes[i].data(), lengths[i]};
  }
};

// Fills `out` with what leaves for `frame`. A frame longer than kMaxDatagramSize gives
// nothing (the stations' answers are far shorter).
void ApplyFaults(std::span<const std::uint8_t> frame, const FaultRates& rates, RandomSource& random,
                 OutgoingDatagrams& out, FaultCounts& counts);

}  // namespace stationsim
