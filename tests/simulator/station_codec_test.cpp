#include "simulator/station_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "server/frame_receiver.h"
#include "server/station_frame.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using stationsim::RequestFrame;
using stationsim::RequestParse;

// A request as the server's own header builder makes it.
Bytes ServerRequest(std::uint8_t type, const Bytes& payload, const char* address) {
  tolvex::SetFrameTag(5);
  std::strcpy(tolvex::RequestAddress, address);
  for (std::uint8_t i = 0; i < 8; ++i)
    tolvex::RequestFabNum[i] = static_cast<std::uint8_t>(0x10 + i);
  tolvex::BuildFrameHeader(type, static_cast<std::uint8_t>(payload.size() + 2));
  std::uint8_t frame[lamp::kFrameBufferSize];
  const std::size_t length = lamp::WriteStationFrame(
      std::span<const std::uint8_t, lamp::kFrameHeaderSize>(tolvex::FrameHeader), payload, frame);
  return Bytes(frame, frame + length);
}

TEST(StationCodec, ReadsTheServersRequest) {
  const Bytes datagram =
      ServerRequest(0x79, {0xA1, 0x80, 9, 0x02, 0x00, 0x0A, 0x00, 0xFF, 0xFF}, "123aaa");
  RequestFrame request;
  ASSERT_EQ(stationsim::ParseRequestFrame(datagram, request), RequestParse::kOk);
  EXPECT_EQ(request.header[0], 0x85);
  EXPECT_EQ(request.tag, 5);
  EXPECT_EQ(request.frame_type, 0x79);
  EXPECT_EQ(request.FabNumValue(), 0x1716151413121110u);
  EXPECT_STREQ(request.address, "123aaa");
  EXPECT_EQ(request.payload_size, 9u);
  EXPECT_EQ(request.Command(), 0xA1);
  EXPECT_EQ(request.CountByte(), 9);
  EXPECT_EQ(request.Word(3), 2);
  EXPECT_EQ(request.Word(5), 10);
  EXPECT_EQ(request.Word(7), 0xFFFF);
  EXPECT_EQ(request.Word(8), 0x00FF);  // half past the end
  EXPECT_EQ(request.Word(20), 0);

  ASSERT_EQ(stationsim::ParseRequestFrame(ServerRequest(0xC1, {0x92, 0x80, 7, 0, 0, 0, 0}, "ab"),
                                          request),
            RequestParse::kOk);
  EXPECT_STREQ(request.address, "ab");
}

TEST(StationCodec, RejectsWhatIsNoRequest) {
  const Bytes good = ServerRequest(0xC1, {0x92, 0x80, 7, 0, 0, 0xFF, 0xFF}, "123aaa");
  auto changed = [&](std::size_t at, std::uint8_t value) {
    Bytes bytes = good;
    bytes[at] = value;
    return bytes;
  };
  Bytes longer = good;
  longer.push_back(0xFF);
  struct Case {
    const char* name;
    Bytes datagram;
    RequestParse result;
  };
  const std::vector<Case> cases = {
      {"empty", {}, RequestParse::kTooShort},
      {"shorter than an empty frame", Bytes(good.begin(), good.begin() + 28),
       RequestParse::kTooShort},
      {"no sync", changed(1, 0x00), RequestParse::kNoSync},
      {"answer direction", changed(4, 0x05), RequestParse::kNotRequest},
      {"body length off", changed(24, 10), RequestParse::kLengthMismatch},
      {"datagram longer than its frame", longer, RequestParse::kLengthMismatch},
      {"payload byte flipped", changed(30, 0x01), RequestParse::kBadCrc},
      {"CRC byte flipped", changed(33, good[33] ^ 0x80), RequestParse::kBadCrc},
      {"no end mark", changed(35, 0x00), RequestParse::kNoEndMark},
  };
  for (const Case& c : cases) {
    RequestFrame request;
    EXPECT_EQ(stationsim::ParseRequestFrame(c.datagram, request), c.result) << c.name;
  }
}

TEST(StationCodec, AnswerPayloadIsCommandMarkerCountAndWords) {
  std::uint8_t out[16];
  const std::uint16_t words[] = {0x1234, 0xFFFF};
  ASSERT_EQ(stationsim::BuildAnswerPayload(0x92, words, out), 7u);
  EXPECT_EQ(Bytes(out, out + 7), (Bytes{0x92, 0x00, 7, 0x34, 0x12, 0xFF, 0xFF}));
  ASSERT_EQ(stationsim::BuildAnswerPayload(0x93, words, out, 41), 7u);
  EXPECT_EQ(out[2], 41);
  EXPECT_EQ(stationsim::BuildAnswerPayload(0x92, words, std::span<std::uint8_t>(out, 6)), 0u);
}

// Answers built by the codec are what the server's receiver takes: one delivery each, and
// none for a header the receiver must refuse.
std::vector<std::int32_t> delivered_lengths;
void RecordLength(const std::uint8_t*, std::int32_t payload_length, const std::uint8_t*,
                  std::int32_t) {
  delivered_lengths.push_back(payload_length);
}

TEST(StationCodec, AnswersPassTheServersReceiver) {
  tolvex::SetStationFrameHandler(&RecordLength);
  tolvex::ResetFrameReceivers();
  delivered_lengths.clear();

  const Bytes request_bytes = ServerRequest(0xC1, {0x92, 0x80, 7, 0, 0, 0xFF, 0xFF}, "123aaa");
  RequestFrame request;
  ASSERT_EQ(stationsim::ParseRequestFrame(request_bytes, request), RequestParse::kOk);
  const stationsim::FrameHeaderBytes header = stationsim::AnswerHeaderFor(request);
  EXPECT_EQ(header[0], 0x05);
  EXPECT_EQ(header[1], 0xC1);
  EXPECT_EQ(Bytes(header.begin() + 2, header.begin() + 16),
            Bytes(request.header.begin() + 2, request.header.begin() + 16));

  std::uint8_t payload[64];
  const std::uint16_t words[] = {0, 3700, 120, 0, 4, 0, 0, 0x3001};
  const std::size_t n = stationsim::BuildAnswerPayload(0x92, words, payload);
  std::uint8_t frame[lamp::kFrameBufferSize];
  std::size_t length = stationsim::BuildAnswerFrame(header, {payload, n}, frame);
  ASSERT_EQ(length, 29 + n);
  EXPECT_EQ(frame[24], n + 2);
  tolvex::FeedStationDatagram(0, frame, static_cast<int>(length));
  // An answer is no request.
  RequestFrame none;
  EXPECT_EQ(stationsim::ParseRequestFrame({frame, length}, none), RequestParse::kNotRequest);

  // The raw builder keeps a wrong body length as given.
  stationsim::FrameHeaderBytes wrong = header;
  wrong[20] = 201;
  length = stationsim::BuildRawFrame(wrong, {payload, n}, frame);
  EXPECT_EQ(frame[24], 201);
  tolvex::FeedStationDatagram(0, frame, static_cast<int>(length));

  EXPECT_EQ(delivered_lengths, (std::vector<std::int32_t>{static_cast<std::int32_t>(n)}));
  tolvex::SetStationFrameHandler(nullptr);

  const std::uint8_t too_big[lamp::kMaxFramePayload + 1] = {};
  EXPECT_EQ(stationsim::BuildAnswerFrame(header, too_big, frame), 0u);
  EXPECT_EQ(stationsim::BuildAnswerFrame(header, {payload, n}, std::span<std::uint8_t>(frame, 10)),
            0u);
}

TEST(StationCodec, AnswerHeaderPadsShortAddressesWithZeros) {
  const stationsim::FrameHeaderBytes header =
      stationsim::MakeAnswerHeader(0x01, 0x7A, 0x0102030405060708u, "ab");
  EXPECT_EQ(Bytes(header.begin() + 2, header.begin() + 16),
            (Bytes{8, 7, 6, 5, 4, 3, 2, 1, 'a', 'b', 0, 0, 0, 0}));
  EXPECT_EQ(stationsim::MakeAnswerHeader(0x01, 0x7A, 0, "1234567")[15], '6');
  EXPECT_EQ(stationsim::MakeAnswerHeader(0x01, 0x7A, 0, nullptr)[10], 0);
}

}  // namespace
