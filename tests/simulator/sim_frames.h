#pragma once
// Request frames as the server sends them and answer frames taken apart, for the simulator's
// tests.
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "link/station_frame.h"
#include "simulator/station_messages.h"

namespace simtest {

// A request datagram: header byte 0 = 0x80 | tag, the type, factory number and address, then
// the payload command, 0x80, length and the words.
inline std::vector<std::uint8_t> RequestDatagram(std::uint8_t type, std::uint8_t command,
                                                 const char* address,
                                                 std::initializer_list<std::uint16_t> words,
                                                 std::uint8_t tag = 1, std::uint64_t fab = 0) {
  std::vector<std::uint8_t> payload{command, 0x80, 0};
  for (std::uint16_t w : words) {
    payload.push_back(static_cast<std::uint8_t>(w & 0xFF));
    payload.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  payload[2] = static_cast<std::uint8_t>(payload.size());
  std::array<std::uint8_t, lamp::kFrameHeaderSize> header{};
  header[0] = static_cast<std::uint8_t>(0x80 | (tag & 0x0F));
  header[1] = type;
  for (int i = 0; i < 8; ++i) header[2 + i] = static_cast<std::uint8_t>(fab >> (8 * i));
  for (int i = 0; i < 6 && address[i] != '\0'; ++i)
    header[10 + i] = static_cast<std::uint8_t>(address[i]);
  header[20] = static_cast<std::uint8_t>(payload.size() + 2);
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
  held.payload = {command, 0x80, 0};
  for (std::uint16_t w : words) {
    held.payload.push_back(static_cast<std::uint8_t>(w & 0xFF));
    held.payload.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  held.payload[2] = static_cast<std::uint8_t>(held.payload.size());
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

inline std::optional<ParsedAnswer> ParseAnswer(const std::uint8_t* bytes, std::size_t size) {
  if (size < lamp::kFrameOverhead) return std::nullopt;
  if (bytes[0] != 0xFF || bytes[1] != 0xFF || bytes[2] != 0xFF || bytes[3] != 0xF7)
    return std::nullopt;
  const std::uint8_t* header = bytes + 4;
  const std::size_t payload_size = size - lamp::kFrameOverhead;
  if (header[20] != payload_size + 2 || bytes[size - 1] != 0xFF) return std::nullopt;
  // CRC over header, payload and CRC leaves 0.
  if (lamp::Crc16Modbus(std::span<const std::uint8_t>(header, 22 + payload_size + 2)) != 0) {
    return std::nullopt;
  }
  ParsedAnswer answer;
  answer.byte0 = header[0];
  answer.type = header[1];
  for (int i = 7; i >= 0; --i) answer.fab = (answer.fab << 8) | header[2 + i];
  std::memcpy(answer.address.data(), header + 10, 6);
  answer.payload.assign(header + 22, header + 22 + payload_size);
  return answer;
}

}  // namespace simtest
