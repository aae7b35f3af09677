#include "simulator/station_link.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/simulator/sim_frames.h"

namespace {

// Two stations on their own loopback addresses, on a port of this test process, and a client
// socket in the server's place.
class StationLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options.address_base = 200;
    options.port = static_cast<std::uint16_t>(20000 + getpid() % 20000);
    std::string warnings;
    ASSERT_TRUE(room->Build(stationsim::MakeSampleWorkers(2, 3), options, 0, nullptr, warnings));
    std::string error;
    ASSERT_TRUE(link.Open(*room, error)) << error;
    client = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(client, 0);
  }
  void TearDown() override {
    if (client >= 0) close(client);
  }
  void SendTo(const char* address, const std::vector<std::uint8_t>& bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(options.port);
    inet_pton(AF_INET, address, &to.sin_addr);
    ASSERT_EQ(
        sendto(client, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
        static_cast<ssize_t>(bytes.size()));
  }
  // Every datagram that comes back within the wait, with its sender.
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> Receive() {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> got;
    for (;;) {
      pollfd fd{client, POLLIN, 0};
      if (poll(&fd, 1, 200) <= 0) return got;
      std::vector<std::uint8_t> buffer(2048);
      sockaddr_in from{};
      socklen_t size = sizeof from;
      const ssize_t n = recvfrom(client, buffer.data(), buffer.size(), 0,
                                 reinterpret_cast<sockaddr*>(&from), &size);
      if (n <= 0) return got;
      buffer.resize(static_cast<std::size_t>(n));
      got.emplace_back(inet_ntoa(from.sin_addr), buffer);
    }
  }

  stationsim::RoomOptions options;
  std::unique_ptr<stationsim::LampRoom> room = std::make_unique<stationsim::LampRoom>();
  stationsim::StationLink link;
  stationsim::SimClock clock = stationsim::SimClock::Fixed(10);
  int client = -1;
};

TEST_F(StationLinkTest, EachStationAnswersFromItsOwnAddressForItsOwnCells) {
  SendTo("127.0.0.202", simtest::RequestDatagram(0xC1, 0x92, "002a03", {0, 0xFFFF}));
  SendTo("127.0.0.201",
         simtest::RequestDatagram(0xC1, 0x92, "002a03", {0, 0xFFFF}));  // not its cell
  EXPECT_GE(link.Serve(500, clock), 1);
  link.Serve(50, clock);
  const auto got = Receive();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].first, "127.0.0.202");
  const auto answer = simtest::ParseAnswer(got[0].second.data(), got[0].second.size());
  ASSERT_TRUE(answer);
  EXPECT_EQ(std::string(answer->address.data()), "002a03");
  EXPECT_EQ(link.counts().requests, 2u);
  EXPECT_EQ(link.counts().answers, 1u);
}

TEST_F(StationLinkTest, FaultsApplyOnTheWayOut) {
  link.SetFaults(stationsim::FaultRates{.split = 1, .duplicate = 1}, 5);
  SendTo("127.0.0.201", simtest::RequestDatagram(0xC1, 0x92, "001a01", {0, 0xFFFF}));
  link.Serve(500, clock);
  const auto got = Receive();
  ASSERT_EQ(got.size(), 4u);  // two halves, twice
  std::vector<std::uint8_t> first = got[0].second;
  first.insert(first.end(), got[1].second.begin(), got[1].second.end());
  EXPECT_TRUE(simtest::ParseAnswer(first.data(), first.size()));
  EXPECT_EQ(link.counts().faults.split, 1u);
  EXPECT_EQ(link.counts().datagrams_sent, 4u);
}

TEST(StationLinkOpen, ABusyAddressIsNamedAndNothingStaysOpen) {
  stationsim::RoomOptions options;
  options.address_base = 220;
  options.port = static_cast<std::uint16_t>(20000 + (getpid() + 7) % 20000);
  auto room = std::make_unique<stationsim::LampRoom>();
  std::string warnings, error;
  ASSERT_TRUE(room->Build(stationsim::MakeSampleWorkers(3, 1), options, 0, nullptr, warnings));
  stationsim::StationLink first, second;
  ASSERT_TRUE(first.Open(*room, error)) << error;
  EXPECT_FALSE(second.Open(*room, error));
  EXPECT_NE(error.find("station 1: cannot bind 127.0.0.221"), std::string::npos) << error;
  first.Close();
  EXPECT_TRUE(second.Open(*room, error)) << error;
}

}  // namespace
