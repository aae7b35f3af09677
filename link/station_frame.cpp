#include "link/station_frame.h"

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

bool ReceiveStationFrameByte(StationFrameReceiverState& r, std::uint8_t byte) {
  r.window[0] = r.window[1];
  r.window[1] = r.window[2];
  r.window[2] = byte;

  if (r.state == kReceiverHunting) {
    r.count = 0;
    // The byte after the start is header byte 0, handled below in this same call.
    if (r.window[0] == kFrameSyncByte && r.window[1] == kFrameStartByte &&
        byte < kRequestDirection) {
      r.state = kReceiverHeader;
    }
  }

  if (r.state == kReceiverBody) {
    r.body[r.count++] = byte;
    if (static_cast<std::uint32_t>(r.count) < r.expected) return false;
    r.state = kReceiverHunting;
    const std::uint16_t crc =
        Crc16Modbus(std::span<const std::uint8_t>(r.body, static_cast<std::size_t>(r.count)),
                    Crc16Modbus(r.header));
    r.count = 0;
    return crc == 0;
  }
  if (r.state == kReceiverHeader) {
    r.header[r.count++] = byte;
    if (r.count < static_cast<std::int32_t>(kFrameHeaderSize)) return false;
    r.expected = r.header[kHeaderBodyLength];
    r.count = 0;
    r.state = r.expected > kMaxBodyLength ? kReceiverHunting : kReceiverBody;
  }
  return false;
}

}  // namespace lamp
