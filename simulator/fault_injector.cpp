#include "simulator/fault_injector.h"

#include <algorithm>
#include <cstring>

namespace stationsim {

namespace {

void Append(OutgoingDatagrams& out, std::span<const std::uint8_t> bytes) {
  if (out.count == OutgoingDatagrams::kCapacity) return;
  std::memcpy(out.bytes[out.count].data(), bytes.data(), bytes.size());
  out.lengths[out.count] = bytes.size();
  ++out.count;
}

}  // namespace

void ApplyFaults(std::span<const std::uint8_t> frame, const FaultRates& rates, RandomSource& random,
                 OutgoingDatagrams& out, FaultCounts& counts) {
  out.count = 0;
  if (frame.empty() || frame.size() > kMaxDatagramSize) return;
  std::array<std::uint8_t, kMaxDatagramSize> bytes;
  std::memcpy(bytes.data(), frame.data(), frame.size());
  if (random.Chance(rates.corrupt)) {
    // Any byte, sync and end mark included; XOR with a non-zero value always changes it.
    const auto at = static_cast<std::size_t>(random.IntBetween(0, frame.size() - 1));
    bytes[at] ^= static_cast<std::uint8_t>(random.IntBetween(1, 255));
    ++counts.corrupted;
  }
  const std::span<const std::uint8_t> whole(bytes.data(), frame.size());
  std::size_t first = 0;
  std::array<std::span<const std::uint8_t>, 2> parts{whole, {}};
  std::size_t part_count = 1;
  if (frame.size() >= 2 && random.Chance(rates.split)) {
    first = static_cast<std::size_t>(random.IntBetween(1, frame.size() - 1));
    parts = {whole.first(first), whole.subspan(first)};
    part_count = 2;
    ++counts.split;
  }
  const int copies = random.Chance(rates.duplicate) ? 2 : 1;
  if (copies == 2) ++counts.duplicated;
  for (int copy = 0; copy < copies; ++copy) {
    for (std::size_t p = 0; p < part_count; ++p) {
      if (random.Chance(rates.drop)) {
        ++counts.dropped;
        continue;
      }
      Append(out, parts[p]);
    }
  }
}

}  // namespace stationsim
