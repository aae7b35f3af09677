#pragma once
// Request frames as the server sends them and answer frames taken apart, for the simulator's
// tests.
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "link/little_endian.h"
#include "link/station_frame.h"
#include "simulator/station_messages.h"

namespace simtest {

// A request payload: the command, 0x80, the count byte, then the words.
inline std::vector<std::uint8_t> RequestPayload(std::uint8_t command,
                                                std::initializer_list<std::uint16_t> words) {
  std::vector<std::uint8_t> payload(3 + 2 * words.size());
  payload[0] = command;
  payload[1] = lamp::kRequestPayloadMarker;
  payload[2] = static_cast<std::uint8_t>(payload.size());
  std::size_t at = 3;
  for (std::uint16_t w : words) {
    lamp::WriteU16(payload, at, w);
    at += 2;
  }
  return payload;
}

// A request datagram: header byte 0 = 0x80 | tag, the type, factory number and address, then
// the payload command, 0x80, length and the words.
inline std::vector<std::uint8_t> RequestDatagram(std::uint8_t type, std::uint8_t command,
                                                 const char* address,
                                                 std::initializer_list<std::uint16_t> words,
                                                 std::uint8_t tag = 1, std::uint64_t fab = 0) {
  const std::vector<std::uint8_t> payload = RequestPayload(command, words);
  const lamp::FrameHeaderBytes header = lamp::MakeFrameHeader(
      static_cast<std::uint8_t>(lamp::kRequestDirection | (tag & lamp::kFrameTagMask)), type, fab,
      address, static_cast<std::uint8_t>(payload.size() + 2));
  std::vector<std::uint8_t> out(lamp::kFrameBufferSize);
  out.resize(lamp::WriteStationFrame(header, payload, out));
  return out;
}

// The same request as the station model sees it (payload owned by the returned holder).
struct HeldRequest {
  std::vector<std::uint8_t> payload;
  stationsim::StationRequest request;
};
inline HeldRequest Request(std::uint8_t type, std::uint8_t command, const char* address,
                           std::initializer_list<std::uint16_t> words, std::uint8_t tag = 1) {
  HeldRequest held;
  held.payload = RequestPayload(command, words);
  held.request.tag = tag;
  held.request.frame_type = type;
  held.request.address = stationsim::AddressOf(address);
  held.request.payload = held.payload;
  return held;
}

// An answer frame taken apart; empty when the bytes are no well-formed answer frame.
struct ParsedAnswer {
  std::uint8_t byte0 = 0;
  std::uint8_t type = 0;
  std::uint64_t fab = 0;
  std::array<char, 7> address{};
  std::vector<std::uint8_t> payload;
  std::uint16_t word(std::size_t offset) const { return lamp::PayloadWord(payload, offset); }
};

// Well-formed means: the server's own reader takes exactly one frame from the bytes, and the
// bytes are that frame and nothing else: the four start bytes, the frame, the end mark.
inline std::optional<ParsedAnswer> ParseAnswer(const std::uint8_t* bytes, std::size_t size) {
  if (size < lamp::kFrameOverhead) return std::nullopt;
  const std::uint8_t start[lamp::kFrameSyncSize] = {lamp::kFrameSyncByte, lamp::kFrameSyncByte,
                                                    lamp::kFrameSyncByte, lamp::kFrameStartByte};
  if (std::memcmp(bytes, start, sizeof start) != 0 || bytes[size - 1] != lamp::kFrameEndMark) {
    return std::nullopt;
  }
  lamp::StationFrameReceiverState reader;
  int frames = 0;
  lamp::FeedStationFrameBytes(reader, {bytes, size - 1}, [&] { ++frames; });
  // After the start bytes, a frame whose body fills the bytes up to the end mark.
  const std::size_t payload_size = size - lamp::kFrameOverhead;
  if (frames != 1 || reader.state != lamp::kReceiverHunting ||
      reader.expected != payload_size + 2) {
    return std::nullopt;
  }
  ParsedAnswer answer;
  answer.byte0 = reader.header[lamp::kHeaderTag];
  answer.type = reader.header[lamp::kHeaderFrameType];
  answer.fab = lamp::ReadU64(reader.header, lamp::kHeaderFabNum);
  std::memcpy(answer.address.data(), reader.header + lamp::kHeaderAddress,
              lamp::kHeaderAddressLength);
  answer.payload.assign(reader.body, reader.body + payload_size);
  return answer;
}

}  // namespace simtest
