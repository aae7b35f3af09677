#pragma once
// What a simulated station sees of a request and what it hands back: the header fields and
// the payload of one frame, without the sync bytes, the CRC and the end mark (the codec adds
// and checks those). Payload layout, both directions: byte 0 the command, byte 1 a marker,
// byte 2 the count byte, then 16-bit little-endian words; "word N" is the value of payload
// bytes N and N + 1.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "link/station_frame.h"

namespace stationsim {

inline constexpr int kMaxStations = 100;
inline constexpr int kMaxCellsPerStation = 60;
inline constexpr std::size_t kAddressSize = 6;
inline constexpr std::size_t kFabNumSize = 8;
// The largest payload an answer carries (a mode record: 5 + 48 bytes) with room to spare;
// the server's receiver takes bodies of at most lamp::kMaxBodyLength bytes.
inline constexpr std::size_t kMaxAnswerPayload = 128;

using Address = std::array<char, kAddressSize>;
using FabNum = std::array<std::uint8_t, kFabNumSize>;

// Six characters of a cell address from text: copied up to its end, the rest zero.
Address AddressOf(const char* text);

// One request as the station received it. The payload view points into the receive buffer
// and is valid only while the request is being handled.
struct StationRequest {
  std::uint8_t tag = 0;  // low nibble of header byte 0
  std::uint8_t frame_type = 0;
  FabNum fab_num{};
  Address address{};
  std::span<const std::uint8_t> payload;

  std::uint8_t command() const { return payload.empty() ? 0 : payload[0]; }
  std::uint16_t word(std::size_t offset) const { return lamp::PayloadWord(payload, offset); }
};

// One answer frame to send: header fields and payload. Header byte 0 of an answer is the
// request's tag with bit 7 clear.
struct StationAnswer {
  std::uint8_t tag = 0;
  std::uint8_t frame_type = 0;
  FabNum fab_num{};
  Address address{};
  std::array<std::uint8_t, kMaxAnswerPayload> payload{};
  std::size_t payload_length = 0;

  // Starts a payload of `length` zero bytes: command, marker 0, count byte = length.
  void BeginPayload(std::uint8_t command, std::size_t length);
  void SetWord(std::size_t offset, std::uint16_t value);
  void SetByte(std::size_t offset, std::uint8_t value);
  std::span<const std::uint8_t> payload_bytes() const { return {payload.data(), payload_length}; }
};

}  // namespace stationsim
