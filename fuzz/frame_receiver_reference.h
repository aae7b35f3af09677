#pragma once
// The station frame reader as its rules read, one byte per call and the CRC bit by bit: the
// reference the reader of the programs is checked against.
#include <cstddef>
#include <cstdint>

#include "link/station_frame.h"

namespace frame_reference {

inline std::uint16_t Crc16BitByBit(std::uint16_t crc, const std::uint8_t* bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    crc = static_cast<std::uint16_t>(crc ^ bytes[i]);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 1u) != 0 ? (crc >> 1) ^ 0xA001u : crc >> 1);
    }
  }
  return crc;
}

// One byte into the reader: true when it completes a frame whose CRC is good.
inline bool ReceiveByte(lamp::StationFrameReceiverState& r, std::uint8_t byte) {
  r.window[0] = r.window[1];
  r.window[1] = r.window[2];
  r.window[2] = byte;

  if (r.state == lamp::kReceiverHunting) {
    r.count = 0;
    if (r.window[0] == 0xFF && r.window[1] == 0xF7 && byte < 0x80) r.state = lamp::kReceiverHeader;
  }
  if (r.state == lamp::kReceiverBody) {
    r.body[r.count++] = byte;
    if (static_cast<std::uint32_t>(r.count) < r.expected) return false;
    r.state = lamp::kReceiverHunting;
    std::uint16_t crc = Crc16BitByBit(0xFFFF, r.header, lamp::kFrameHeaderSize);
    crc = Crc16BitByBit(crc, r.body, static_cast<std::size_t>(r.count));
    r.count = 0;
    return crc == 0;
  }
  if (r.state == lamp::kReceiverHeader) {
    r.header[r.count++] = byte;
    if (r.count < static_cast<std::int32_t>(lamp::kFrameHeaderSize)) return false;
    r.expected = r.header[20];
    r.count = 0;
    r.state = r.expected > 200 ? lamp::kReceiverHunting : lamp::kReceiverBody;
  }
  return false;
}

}  // namespace frame_reference
