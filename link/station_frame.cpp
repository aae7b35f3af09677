#include "link/station_frame.h"

#include <algorithm>
#include <cstring>

#include "link/little_endian.h"

namespace lamp {

FrameHeaderBytes MakeFrameHeader(std::uint8_t byte0, std::uint8_t frame_type, std::uint64_t fab_num,
                                 const char* address, std::uint8_t body_length) {
  FrameHeaderBytes header{};
  header[kHeaderTag] = byte0;
  header[kHeaderFrameType] = frame_type;
  WriteU64(header, kHeaderFabNum, fab_num);
  for (std::size_t i = 0; address != nullptr && i < kHeaderAddressLength && address[i] != '\0';
       ++i) {
    header[kHeaderAddress + i] = static_cast<std::uint8_t>(address[i]);
  }
  header[kHeaderBodyLength] = body_length;
  return header;
}

namespace {

// The byte `back` (1 or 2) places before position `at` of the bytes being taken: one of
// them, or a byte of the window, which still holds the stream before them.
std::uint8_t ByteBefore(const StationFrameReceiverState& r, std::span<const std::uint8_t> bytes,
                        std::size_t at, std::size_t back) {
  return at >= back ? bytes[at - back] : r.window[sizeof r.window + at - back];
}

// The window once `taken` has gone through it.
void ShiftWindow(StationFrameReceiverState& r, std::span<const std::uint8_t> taken) {
  const std::size_t from = taken.size() > sizeof r.window ? taken.size() - sizeof r.window : 0;
  for (std::size_t i = from; i < taken.size(); ++i) {
    r.window[0] = r.window[1];
    r.window[1] = r.window[2];
    r.window[2] = taken[i];
  }
}

// Hunting from `at`: the start byte found is header byte 0. Returns where the hunt stopped.
std::size_t HuntFrameStart(StationFrameReceiverState& r, std::span<const std::uint8_t> bytes,
                           std::size_t at) {
  for (; at < bytes.size(); ++at) {
    if (bytes[at] < kRequestDirection && ByteBefore(r, bytes, at, 1) == kFrameStartByte &&
        ByteBefore(r, bytes, at, 2) == kFrameSyncByte) {
      r.state = kReceiverHeader;
      r.header[0] = bytes[at];
      r.count = 1;
      return at + 1;
    }
  }
  return at;
}

std::size_t ReadHeader(StationFrameReceiverState& r, std::span<const std::uint8_t> bytes,
                       std::size_t at) {
  const std::size_t stored = static_cast<std::size_t>(r.count);
  const std::size_t take = std::min(kFrameHeaderSize - stored, bytes.size() - at);
  std::memcpy(r.header + stored, bytes.data() + at, take);
  r.count += static_cast<std::int32_t>(take);
  if (stored + take == kFrameHeaderSize) {
    r.expected = r.header[kHeaderBodyLength];
    r.count = 0;
    r.state = r.expected > kMaxBodyLength ? kReceiverHunting : kReceiverBody;
  }
  return at + take;
}

// A body of length 0 or 1 still takes one byte: the frame ends only after a byte is stored.
std::size_t ReadBody(StationFrameReceiverState& r, std::span<const std::uint8_t> bytes,
                     std::size_t at, bool& frame_complete) {
  const std::size_t length = std::max<std::uint32_t>(r.expected, 1);
  const std::size_t stored = static_cast<std::size_t>(r.count);
  const std::size_t take = std::min(length - stored, bytes.size() - at);
  std::memcpy(r.body + stored, bytes.data() + at, take);
  r.count += static_cast<std::int32_t>(take);
  if (stored + take == length) {
    r.state = kReceiverHunting;
    const std::uint16_t crc =
        Crc16Modbus(std::span<const std::uint8_t>(r.body, length), Crc16Modbus(r.header));
    r.count = 0;
    frame_complete = crc == 0;
  }
  return at + take;
}

}  // namespace

StationFrameTake TakeStationFrameBytes(StationFrameReceiverState& r,
                                       std::span<const std::uint8_t> bytes) {
  StationFrameTake result;
  std::size_t at = 0;
  while (at < bytes.size() && !result.frame_complete) {
    switch (r.state) {
      case kReceiverHunting:
        at = HuntFrameStart(r, bytes, at);
        break;
      case kReceiverHeader:
        at = ReadHeader(r, bytes, at);
        break;
      case kReceiverBody:
        at = ReadBody(r, bytes, at, result.frame_complete);
        break;
      default:  // no state of the reader: the bytes only pass through the window
        at = bytes.size();
        break;
    }
  }
  ShiftWindow(r, bytes.first(at));
  result.taken = at;
  return result;
}

}  // namespace lamp
