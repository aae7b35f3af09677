#include "simulator/station_model.h"

#include <gtest/gtest.h>

#include "simulator/station_link.h"
#include "tests/simulator/sim_frames.h"

namespace {

using simtest::ParseAnswer;
using simtest::RequestDatagram;

// A station of three cells, answering request datagrams as it would on the network.
class StationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    station.Setup(7, "127.0.0.17", 4101);
    for (const char* number : {"007a01", "007a02", "007a03"}) {
      ++fab;
      ASSERT_TRUE(station.AddCell(stationsim::AddressOf(number), 0x5A1700070000ull + fab, fab,
                                  &life, 0, nullptr));
    }
  }
  std::optional<simtest::ParsedAnswer> Ask(const std::vector<std::uint8_t>& request,
                                           double now = 1) {
    std::array<std::uint8_t, 256> frame{};
    const std::size_t length =
        stationsim::AnswerRequestDatagram(station, request, now, frame, counts);
    if (length == 0) return std::nullopt;
    auto answer = ParseAnswer(frame.data(), length);
    EXPECT_TRUE(answer.has_value()) << "answer frame malformed";
    return answer;
  }

  stationsim::LifeSettings life;
  stationsim::StationModel station;
  stationsim::LinkCounts counts;
  std::uint64_t fab = 0;
};

TEST_F(StationTest, AnswersRepeatTheRequestsTypeCommandAndTagWithBitSevenClear) {
  struct Case {
    std::uint8_t type, command, tag;
    std::size_t payload;
  };
  const Case cases[] = {
      {0xC1, 0x92, 1, 43}, {0xC1, 0x93, 1, 39}, {0xC1, 0x94, 3, 39}, {0x79, 0x93, 1, 39},
      {0x79, 0x94, 1, 39}, {0x79, 0xA1, 1, 7},  {0x79, 0xA0, 1, 7},  {0x79, 0xA3, 1, 7},
      {0x79, 0xA6, 1, 7},  {0x79, 0x9E, 1, 53}, {0xC2, 0xA1, 1, 7},  {0x79, 0x55, 1, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.type) << "/" << int(c.command));
    const auto answer = Ask(RequestDatagram(c.type, c.command, "007a02", {0, 0}, c.tag, 0x1234));
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->byte0, c.tag);
    EXPECT_EQ(answer->type, c.type);
    EXPECT_EQ(answer->payload[0], c.command);
    EXPECT_EQ(answer->payload.size(), c.payload);
    EXPECT_EQ(answer->payload[2], c.payload);  // the count byte admits every word it carries
    EXPECT_EQ(std::string(answer->address.data()), "007a02");
    EXPECT_EQ(answer->fab, 0x5A1700070002ull);  // the cell's own factory number
  }
}

TEST_F(StationTest, RequestsForOtherCellsAndBrokenFramesGetNoAnswer) {
  EXPECT_FALSE(Ask(RequestDatagram(0xC1, 0x92, "008a01", {0, 0xFFFF})));
  auto broken = RequestDatagram(0xC1, 0x92, "007a01", {0, 0xFFFF});
  broken[30] ^= 0x40;
  EXPECT_FALSE(Ask(broken));
  EXPECT_EQ(counts.bad_requests, 1u);
  station.AddSilence(0, 10);
  EXPECT_FALSE(Ask(RequestDatagram(0xC1, 0x92, "007a01", {0, 0xFFFF}), 5));
  EXPECT_TRUE(Ask(RequestDatagram(0xC1, 0x92, "007a01", {0, 0xFFFF}), 10));
}

TEST_F(StationTest, DeviceNumberCommandsFindByNumberOrFactoryNumberAndRenumber) {
  const auto by_number = Ask(RequestDatagram(0x7A, 0x01, "007a03", {0, 0}, 1));
  ASSERT_TRUE(by_number);
  EXPECT_EQ(by_number->byte0, 1);
  EXPECT_EQ(by_number->word(5), 0x0201);  // firmware version words
  EXPECT_EQ(by_number->word(7), 0x0403);
  EXPECT_GT(by_number->payload[2], 7);  // the server reads word 7 only past count 7

  const auto by_fab = Ask(RequestDatagram(0x7A, 0x01, "", {0, 0}, 2, 0x5A1700070002ull));
  ASSERT_TRUE(by_fab);
  EXPECT_EQ(std::string(by_fab->address.data()), "007a02");
  EXPECT_FALSE(Ask(RequestDatagram(0x7A, 0x01, "", {0, 0}, 2, 0x99)));

  const auto every = Ask(RequestDatagram(0x7A, 0x02, "", {2, 20}, 11));
  ASSERT_TRUE(every);
  EXPECT_EQ(every->byte0, 11);

  // Write number: payload word 208, then the 8 bytes of the new number, 8 zero bytes.
  std::vector<std::uint16_t> words{208};
  const char new_number[8] = {'1', '2', '3', 'b', 0, 0, 0, 0};
  for (int i = 0; i < 16; i += 2) {
    const std::uint8_t low = i < 8 ? static_cast<std::uint8_t>(new_number[i]) : 0;
    const std::uint8_t high = i + 1 < 8 ? static_cast<std::uint8_t>(new_number[i + 1]) : 0;
    words.push_back(static_cast<std::uint16_t>(low | (high << 8)));
  }
  std::vector<std::uint8_t> write = RequestDatagram(0x7A, 0x9C, "007a03", {}, 1);
  // RequestDatagram takes an initializer list; build the longer one by hand.
  {
    std::vector<std::uint8_t> payload{0x9C, 0x80, 0};
    for (std::uint16_t w : words) {
      payload.push_back(static_cast<std::uint8_t>(w & 0xFF));
      payload.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    payload[2] = static_cast<std::uint8_t>(payload.size());
    std::array<std::uint8_t, 22> header{};
    header[0] = 0x81;
    header[1] = 0x7A;
    std::memcpy(header.data() + 10, "007a03", 6);
    header[20] = static_cast<std::uint8_t>(payload.size() + 2);
    write.assign(256, 0);
    write.resize(lamp::WriteStationFrame(header, payload, write));
  }
  ASSERT_TRUE(Ask(write));
  const auto init = Ask(RequestDatagram(0x7A, 0x83, "007a03", {1, 8}, 1));
  ASSERT_TRUE(init);
  EXPECT_EQ(std::string(init->address.data()), "123b");
  EXPECT_TRUE(Ask(RequestDatagram(0x7A, 0x01, "123b", {0, 0}, 1)));
  EXPECT_FALSE(Ask(RequestDatagram(0xC1, 0x92, "007a03", {0, 0})));
}

}  // namespace
