#pragma once
// The station frame: one UDP datagram between the server and a charging station,
// little-endian throughout:
//   FF FF FF F7 | 22-byte header | payload (n bytes) | CRC low, CRC high | FF
// Header byte 0 carries the direction (bit 7 set in requests, clear in answers) and a 4-bit
// tag; byte 1 the frame type; bytes 2..9 the factory number; bytes 10..15 the cell address;
// byte 20 the body length n + 2; every other byte is 0. The CRC is CRC-16/MODBUS over header
// and payload, so over header, payload and CRC it leaves 0.
//
// A payload is the command byte, a marker byte (0x80 in requests), the count byte, then
// 16-bit words; "word N" is the value of payload bytes N and N + 1.
//
// Pure functions over bytes: the frame writer of both sides and the hunting reader of the
// answers a station sends.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace lamp {

inline constexpr std::uint8_t kFrameSyncByte = 0xFF;   // the three bytes before the start
inline constexpr std::uint8_t kFrameStartByte = 0xF7;  // the last byte before the header
inline constexpr std::uint8_t kFrameEndMark = 0xFF;
inline constexpr std::uint8_t kRequestDirection = 0x80;  // header byte 0, bit 7
inline constexpr std::uint8_t kFrameTagMask = 0x0F;      // header byte 0, low nibble
inline constexpr std::uint8_t kRequestPayloadMarker = 0x80;

inline constexpr std::size_t kFrameSyncSize = 4;  // FF FF FF F7
inline constexpr std::size_t kFrameHeaderSize = 22;
inline constexpr std::size_t kFrameHeaderOffset = kFrameSyncSize;
inline constexpr std::size_t kFramePayloadOffset = kFrameSyncSize + kFrameHeaderSize;  // 26
// Sync, header, CRC and end mark: a frame is this long plus its payload.
inline constexpr std::size_t kFrameOverhead = kFramePayloadOffset + 3;  // 29
inline constexpr std::size_t kFrameBufferSize = 256;
inline constexpr std::size_t kMaxFramePayload = kFrameBufferSize - kFrameOverhead;

// Header byte positions (offsets inside the 22-byte header).
inline constexpr std::size_t kHeaderTag = 0;
inline constexpr std::size_t kHeaderFrameType = 1;
inline constexpr std::size_t kHeaderFabNum = 2;    // 8 bytes
inline constexpr std::size_t kHeaderAddress = 10;  // 6 bytes
inline constexpr std::size_t kHeaderAddressLength = 6;
inline constexpr std::size_t kHeaderBodyLength = 20;

// Frame types (header byte 1).
inline constexpr std::uint8_t FrameServerPoll = 0xC1;     // status poll and report requests
inline constexpr std::uint8_t FrameCellCommand = 0x79;    // cell command for the workstation
inline constexpr std::uint8_t FrameNumberCommand = 0x7A;  // device-number command
inline constexpr std::uint8_t FrameSetStation = 0xC2;     // the service window's set-station

// Station commands (payload byte 0), the same in a request and in its answer.
inline constexpr std::uint8_t StationCmdStatusPoll = 0x92;
inline constexpr std::uint8_t StationCmdDischargeReport = 0x93;
inline constexpr std::uint8_t StationCmdChargeReport = 0x94;
inline constexpr std::uint8_t StationCmdCellControl = 0xA1;
inline constexpr std::uint8_t StationCmdCellReset = 0xA0;
inline constexpr std::uint8_t StationCmdCycleMode = 0xA3;
inline constexpr std::uint8_t StationCmdBatteryChange = 0xA6;
inline constexpr std::uint8_t StationCmdModeRead = 0x9E;
inline constexpr std::uint8_t StationCmdModeWrite = 0x9F;
inline constexpr std::uint8_t StationCmdFindDevice = 0x01;
inline constexpr std::uint8_t StationCmdShowNumber = 0x02;
inline constexpr std::uint8_t StationCmdInitDevice = 0x83;
inline constexpr std::uint8_t StationCmdWriteNumber = 0x9C;

// The second word of a cell control command: what the cell is to do. A control discharge
// also carries the first word CellControlDischargeWord.
inline constexpr std::uint16_t CellControlStop = 7;
inline constexpr std::uint16_t CellControlStart = 10;
inline constexpr std::uint16_t CellControlCycleStart = 20;
inline constexpr std::uint16_t CellControlPanelStart = 0x101;
inline constexpr std::uint16_t CellControlDischarge = 0x102;
inline constexpr std::uint16_t CellControlDischargeWord = 2;

// --- CRC-16/MODBUS (reflected polynomial 0xA001, start 0xFFFF, no final XOR) ---------------

// The CRC in its slice-by-8 form: entry [k][b] of the tables is what byte b followed by k
// zero bytes does to the register, so eight bytes cost eight look-ups that do not wait on
// each other. Table 0 alone is the usual one-byte step.
inline constexpr std::size_t kCrc16Slices = 8;
inline constexpr auto kCrc16ModbusTables = [] {
  std::array<std::array<std::uint16_t, 256>, kCrc16Slices> tables{};
  for (unsigned value = 0; value < 256; ++value) {
    std::uint16_t crc = static_cast<std::uint16_t>(value);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 1u) != 0 ? (crc >> 1) ^ 0xA001u : crc >> 1);
    }
    tables[0][value] = crc;
  }
  for (std::size_t k = 1; k < kCrc16Slices; ++k) {
    for (unsigned value = 0; value < 256; ++value) {
      const std::uint16_t before = tables[k - 1][value];
      tables[k][value] = static_cast<std::uint16_t>((before >> 8) ^ tables[0][before & 0xFFu]);
    }
  }
  return tables;
}();

// One byte through the register.
constexpr std::uint16_t UpdateCrc16(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>((crc >> 8) ^ kCrc16ModbusTables[0][(crc ^ byte) & 0xFFu]);
}

constexpr std::uint16_t Crc16Modbus(std::span<const std::uint8_t> bytes,
                                    std::uint16_t crc = 0xFFFF) {
  const auto& t = kCrc16ModbusTables;
  std::size_t i = 0;
  for (; i + kCrc16Slices <= bytes.size(); i += kCrc16Slices) {
    // The register meets the first two of the eight bytes.
    const unsigned first = crc ^ static_cast<unsigned>(bytes[i] | bytes[i + 1] << 8);
    crc = static_cast<std::uint16_t>(t[7][first & 0xFFu] ^ t[6][first >> 8] ^ t[5][bytes[i + 2]] ^
                                     t[4][bytes[i + 3]] ^ t[3][bytes[i + 4]] ^ t[2][bytes[i + 5]] ^
                                     t[1][bytes[i + 6]] ^ t[0][bytes[i + 7]]);
  }
  for (; i < bytes.size(); ++i) crc = UpdateCrc16(crc, bytes[i]);
  return crc;
}

// --- Writing ---------------------------------------------------------------------------------

using FrameHeaderBytes = std::array<std::uint8_t, kFrameHeaderSize>;

// A header: byte 0 as given (direction and tag), the type, the factory number, the address
// up to its first NUL (at most 6 characters, the rest 0) and the body length.
FrameHeaderBytes MakeFrameHeader(std::uint8_t byte0, std::uint8_t frame_type, std::uint64_t fab_num,
                                 const char* address, std::uint8_t body_length);

// Writes sync, header, payload, CRC and end mark into out. Returns the frame length, or 0
// when out is too small. The header is taken as it is (tag, type and body length included).
constexpr std::size_t WriteStationFrame(std::span<const std::uint8_t, kFrameHeaderSize> header,
                                        std::span<const std::uint8_t> payload,
                                        std::span<std::uint8_t> out) {
  const std::size_t length = kFrameOverhead + payload.size();
  if (out.size() < length) return 0;
  out[0] = kFrameSyncByte;
  out[1] = kFrameSyncByte;
  out[2] = kFrameSyncByte;
  out[3] = kFrameStartByte;
  for (std::size_t i = 0; i < kFrameHeaderSize; ++i) out[kFrameHeaderOffset + i] = header[i];
  for (std::size_t i = 0; i < payload.size(); ++i) out[kFramePayloadOffset + i] = payload[i];
  const std::size_t crc_at = kFramePayloadOffset + payload.size();
  const std::uint16_t crc = Crc16Modbus(std::span<const std::uint8_t>(
      out.data() + kFrameHeaderOffset, kFrameHeaderSize + payload.size()));
  out[crc_at] = static_cast<std::uint8_t>(crc & 0xFF);
  out[crc_at + 1] = static_cast<std::uint8_t>(crc >> 8);
  out[crc_at + 2] = kFrameEndMark;
  return length;
}

// --- Reading ---------------------------------------------------------------------------------

// Word N of a payload: the unsigned value of bytes N and N + 1, a byte past the end
// counting as 0.
constexpr std::uint16_t PayloadWord(std::span<const std::uint8_t> payload, std::size_t n) {
  const std::uint16_t low = n < payload.size() ? payload[n] : 0;
  const std::uint16_t high = n + 1 < payload.size() ? payload[n + 1] : 0;
  return static_cast<std::uint16_t>(low | (high << 8));
}

// The longest body an answer may announce in header byte 20.
inline constexpr std::uint32_t kMaxBodyLength = 200;

enum : std::uint8_t {
  kReceiverHunting = 0,
  kReceiverHeader = 1,
  kReceiverBody = 2,
};

// The reader of one station's answers. It takes the station's bytes as one stream, so a
// frame may come split over several datagrams: it hunts for FF F7 followed by a byte below
// 0x80 (the server's own requests never start a frame), reads the 22-byte header and the
// body (header byte 20 long, at least one byte, at most kMaxBodyLength), and checks the CRC.
// While a header or body is being read, no new start is looked for.
struct StationFrameReceiverState {
  std::uint8_t window[3] = {};  // the last three bytes of the stream, oldest first
  std::uint8_t state = kReceiverHunting;
  std::int32_t count = 0;      // bytes stored in the current header or body
  std::uint32_t expected = 0;  // body length of the current frame (payload + CRC)
  std::uint8_t header[kFrameHeaderSize] = {};
  std::uint8_t body[kFrameBufferSize] = {};
};

// What one call of TakeStationFrameBytes did with the bytes it was given.
struct StationFrameTake {
  std::size_t taken = 0;        // bytes consumed, from the front
  bool frame_complete = false;  // the last of them completed a frame whose CRC is good
};

// Feeds bytes of the stream into the reader, in order, up to and including the byte that
// completes the next frame with a good CRC, or all of them. Such a frame's header is then in
// `header` and its payload and CRC (`expected` bytes, at least one) in `body`, until the
// next call; the caller hands it on and calls again with the bytes not taken. A frame with a
// bad CRC is dropped without a trace.
StationFrameTake TakeStationFrameBytes(StationFrameReceiverState& receiver,
                                       std::span<const std::uint8_t> bytes);

// All the bytes through the reader; on_frame() runs for each frame with a good CRC, while
// the frame is in the reader.
template <typename OnFrame>
void FeedStationFrameBytes(StationFrameReceiverState& receiver, std::span<const std::uint8_t> bytes,
                           OnFrame&& on_frame) {
  while (!bytes.empty()) {
    const StationFrameTake take = TakeStationFrameBytes(receiver, bytes);
    bytes = bytes.subspan(take.taken);
    if (take.frame_complete) on_frame();
  }
}

}  // namespace lamp
