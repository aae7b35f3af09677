#include "simulator/lamp_room.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "simulator/worker_source.h"

namespace {

using stationsim::LampRoom;
using stationsim::MakeWorkerRow;
using stationsim::RoomOptions;

TEST(LampRoom, StationsComeInNumberOrderOnTheirOwnAddressesAndTheHostTableListsThem) {
  const std::vector<stationsim::WorkerRow> rows{
      MakeWorkerRow("012aaa", 12), MakeWorkerRow("003aaa", 3), MakeWorkerRow("012aab", 12),
      MakeWorkerRow("nost01", 0), MakeWorkerRow("far001", 150)};
  auto room = std::make_unique<LampRoom>();
  std::string warnings;
  ASSERT_TRUE(room->Build(rows, RoomOptions{}, 0, nullptr, warnings));
  ASSERT_EQ(room->station_count(), 2u);
  EXPECT_EQ(room->station(0).number(), 3);
  EXPECT_EQ(room->station(1).cell_count(), 2u);
  EXPECT_EQ(room->station(1).cell(1).position(), 2);
  EXPECT_NE(warnings.find("nost01"), std::string::npos);
  EXPECT_NE(warnings.find("far001"), std::string::npos);
  EXPECT_EQ(stationsim::FormatHostTable(*room), "3 127.0.0.13 4101\n12 127.0.0.22 4101\n");
  EXPECT_NE(room->FindCell(stationsim::AddressOf("012aab")), nullptr);
  // Factory numbers are unique per cell.
  EXPECT_NE(room->station(1).cell(0).fab_num(), room->station(1).cell(1).fab_num());
}

TEST(LampRoom, AStationTakesSixtyCellsAndTheRestAreNamed) {
  auto rows = stationsim::MakeSampleWorkers(1, 62);
  auto room = std::make_unique<LampRoom>();
  std::string warnings;
  ASSERT_TRUE(room->Build(rows, RoomOptions{}, 0, nullptr, warnings));
  EXPECT_EQ(room->station(0).cell_count(), 60u);
  EXPECT_NE(warnings.find("001a61"), std::string::npos);
  EXPECT_NE(warnings.find("001a62"), std::string::npos);
}

TEST(LampRoom, SampleWorkersAndTheSameSeedGiveTheSameRoom) {
  const auto rows = stationsim::MakeSampleWorkers(100, 54);
  ASSERT_EQ(rows.size(), 5400u);
  EXPECT_STREQ(rows[0].tabnum.data(), "001a01");
  EXPECT_STREQ(rows.back().tabnum.data(), "100a54");
  auto a = std::make_unique<LampRoom>();
  auto b = std::make_unique<LampRoom>();
  std::string warnings;
  ASSERT_TRUE(a->Build(rows, RoomOptions{}, 0, nullptr, warnings));
  ASSERT_TRUE(b->Build(rows, RoomOptions{}, 0, nullptr, warnings));
  EXPECT_EQ(a->cell_count(), 5400u);
  a->AdvanceTo(7200);
  b->AdvanceTo(7200);
  for (std::size_t s = 0; s < a->station_count(); s += 17) {
    for (std::size_t c = 0; c < 54; c += 13) {
      EXPECT_EQ(a->station(s).cell(c).state_code(), b->station(s).cell(c).state_code());
      EXPECT_EQ(a->station(s).cell(c).queued_events(), b->station(s).cell(c).queued_events());
    }
  }
}

TEST(LampRoom, RandomSilencesComeAtTheirRateAndLastTheirLength) {
  RoomOptions options;
  options.cell_silences_per_hour = 1;
  options.silence_seconds = 120;
  auto room = std::make_unique<LampRoom>();
  std::string warnings;
  ASSERT_TRUE(room->Build(stationsim::MakeSampleWorkers(10, 50), options, 0, nullptr, warnings));
  int silent = 0;
  for (double t = 0; t < 3600; t += 60) {
    room->AdvanceTo(t);
    for (std::size_t s = 0; s < room->station_count(); ++s) {
      for (std::size_t c = 0; c < room->station(s).cell_count(); ++c) {
        silent += room->station(s).cell(c).SilentAt(t);
      }
    }
  }
  // 500 cells, one silence of two minutes each per hour: about 2 of 60 samples each.
  EXPECT_GT(silent, 500);
  EXPECT_LT(silent, 1500);
}

TEST(WorkerText, ReadsNumbersAndStationsAndNamesTheBadLine) {
  std::vector<stationsim::WorkerRow> rows;
  std::string error;
  ASSERT_TRUE(
      stationsim::ParseWorkerText("# lamps\n001aaa 1 extra\r\n\n  002aab   2\n", rows, error));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_STREQ(rows[1].tabnum.data(), "002aab");
  EXPECT_EQ(rows[1].station, 2);

  struct Bad {
    const char* text;
    const char* message;
  };
  for (const Bad& bad :
       {Bad{"001aaa 1\n002aaa\n", "line 2: lamp 002aaa has no station"},
        Bad{"001aaa x\n", "line 1: station \"x\" is not a number"},
        Bad{"0012345 4\n", "line 1: lamp number \"0012345\" is longer than 6 characters"}}) {
    rows.clear();
    EXPECT_FALSE(stationsim::ParseWorkerText(bad.text, rows, error));
    EXPECT_EQ(error, bad.message);
  }
}

TEST(HostTableFile, IsWrittenWholeAndAnUnwritablePathIsNamed) {
  const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
  const std::filesystem::path dir = scratch ? scratch : std::filesystem::temp_directory_path();
  std::filesystem::create_directories(dir);
  auto room = std::make_unique<LampRoom>();
  std::string warnings, error;
  ASSERT_TRUE(
      room->Build(stationsim::MakeSampleWorkers(2, 3), RoomOptions{}, 0, nullptr, warnings));
  const auto path = (dir / "hostab.txt").string();
  ASSERT_TRUE(stationsim::WriteHostTable(path, *room, error)) << error;
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_EQ(text.str(), "1 127.0.0.11 4101\n2 127.0.0.12 4101\n");
  EXPECT_FALSE(stationsim::WriteHostTable((dir / "no/such/dir/hostab.txt").string(), *room, error));
  EXPECT_NE(error.find("no/such/dir"), std::string::npos);
}

}  // namespace
