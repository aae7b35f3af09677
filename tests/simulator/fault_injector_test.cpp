#include "simulator/fault_injector.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

using stationsim::ApplyFaults;
using stationsim::FaultCounts;
using stationsim::FaultRates;
using stationsim::OutgoingDatagrams;

std::vector<std::uint8_t> Frame() {
  std::vector<std::uint8_t> frame(72);
  std::iota(frame.begin(), frame.end(), 0);
  return frame;
}

std::vector<std::uint8_t> Joined(const OutgoingDatagrams& out, std::size_t from, std::size_t to) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = from; i < to; ++i) {
    const auto d = out.datagram(i);
    bytes.insert(bytes.end(), d.begin(), d.end());
  }
  return bytes;
}

TEST(FaultInjector, WithoutFaultsTheFrameLeavesUnchangedAsOneDatagram) {
  stationsim::RandomSource random(3);
  OutgoingDatagrams out;
  FaultCounts counts;
  ApplyFaults(Frame(), FaultRates{}, random, out, counts);
  ASSERT_EQ(out.count, 1u);
  EXPECT_EQ(Joined(out, 0, 1), Frame());
}

TEST(FaultInjector, EachFaultDoesWhatItSays) {
  const auto frame = Frame();
  for (int seed = 1; seed <= 50; ++seed) {
    stationsim::RandomSource random(static_cast<std::uint64_t>(seed));
    OutgoingDatagrams out;
    FaultCounts counts;

    ApplyFaults(frame, FaultRates{.corrupt = 1}, random, out, counts);
    ASSERT_EQ(out.count, 1u);
    const auto corrupted = Joined(out, 0, 1);
    int changed = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) changed += corrupted[i] != frame[i];
    EXPECT_EQ(changed, 1);

    ApplyFaults(frame, FaultRates{.split = 1}, random, out, counts);
    ASSERT_EQ(out.count, 2u);
    EXPECT_GT(out.lengths[0], 0u);
    EXPECT_GT(out.lengths[1], 0u);
    EXPECT_EQ(Joined(out, 0, 2), frame);

    ApplyFaults(frame, FaultRates{.split = 1, .duplicate = 1}, random, out, counts);
    ASSERT_EQ(out.count, 4u);
    EXPECT_EQ(Joined(out, 0, 2), frame);
    EXPECT_EQ(Joined(out, 2, 4), frame);

    ApplyFaults(frame, FaultRates{.drop = 1, .duplicate = 1}, random, out, counts);
    EXPECT_EQ(out.count, 0u);
    EXPECT_EQ(counts.corrupted, 1u);
    EXPECT_EQ(counts.split, 2u);
    EXPECT_EQ(counts.duplicated, 2u);
  }
}

TEST(FaultInjector, RatesAreKeptOverManyFrames) {
  stationsim::RandomSource random(11);
  OutgoingDatagrams out;
  FaultCounts counts;
  std::size_t sent = 0;
  for (int i = 0; i < 20000; ++i) {
    ApplyFaults(Frame(), FaultRates{.drop = 0.01}, random, out, counts);
    sent += out.count;
  }
  EXPECT_NEAR(static_cast<double>(counts.dropped), 200.0, 60.0);
  EXPECT_EQ(sent + counts.dropped, 20000u);
}

}  // namespace
