#pragma once
// Station frames: the sockets layer start, the station socket and everything that sends.
//
// A station frame is one UDP datagram, little-endian throughout:
//   FF FF FF F7 | 22-byte header | payload (n bytes) | CRC low, CRC high | FF
// Header byte 0 carries the direction (bit 7 set in requests, clear in answers) and a 4-bit
// tag; byte 1 the frame type; bytes 2..9 the factory number; bytes 10..15 the cell address;
// byte 20 the body length n + 2. The CRC is CRC-16/MODBUS over header and payload.
//
// The sender state is module-level: the poll cycle, the workstation link and the service
// window set the addressing (TargetHost, RequestAddress, RequestFabNum) and then call one of
// the payload builders. Everything runs on the GUI thread.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/net/winsock.h"

namespace tolvex {

inline constexpr std::uint16_t kStationPort = 4001;
// TargetHost value that sends to every host numbered 1..100, in number order.
inline constexpr std::int32_t kAllHosts = 1000;

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
inline constexpr std::size_t kHeaderBodyLength = 20;

// SendCommandBytes assembles its payload in a 128-byte area: command, 0x80, length, one
// word, then the bytes.
inline constexpr std::size_t kCommandAreaSize = 128;
inline constexpr int kMaxCommandBytes = static_cast<int>(kCommandAreaSize) - 5;  // 123

// --- CRC-16/MODBUS (reflected polynomial 0xA001, start 0xFFFF, no final XOR) ---------------

// One byte through the register, bit by bit (no table: the frames are short).
constexpr std::uint16_t Crc16ModbusStep(std::uint16_t crc, std::uint8_t byte) {
  crc = static_cast<std::uint16_t>(crc ^ byte);
  for (int bit = 0; bit < 8; ++bit) {
    if ((crc & 1u) != 0) {
      crc = static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u);
    } else {
      crc = static_cast<std::uint16_t>(crc >> 1);
    }
  }
  return crc;
}

constexpr std::uint16_t Crc16Modbus(std::span<const std::uint8_t> bytes,
                                    std::uint16_t crc = 0xFFFF) {
  for (std::uint8_t byte : bytes) crc = Crc16ModbusStep(crc, byte);
  return crc;
}

// Writes sync, header, payload, CRC and end mark into out. Returns the frame length, or 0
// when out is too small. The header is taken as it is (tag, type and body length included).
constexpr std::size_t WriteStationFrame(std::span<const std::uint8_t, kFrameHeaderSize> header,
                                        std::span<const std::uint8_t> payload,
                                        std::span<std::uint8_t> out) {
  const std::size_t length = kFrameOverhead + payload.size();
  if (out.size() < length) return 0;
  out[0] = 0xFF;
  out[1] = 0xFF;
  out[2] = 0xFF;
  out[3] = 0xF7;
  for (std::size_t i = 0; i < kFrameHeaderSize; ++i) out[kFrameHeaderOffset + i] = header[i];
  for (std::size_t i = 0; i < payload.size(); ++i) out[kFramePayloadOffset + i] = payload[i];
  const std::size_t crc_at = kFramePayloadOffset + payload.size();
  const std::uint16_t crc = Crc16Modbus(std::span<const std::uint8_t>(
      out.data() + kFrameHeaderOffset, kFrameHeaderSize + payload.size()));
  out[crc_at] = static_cast<std::uint8_t>(crc & 0xFF);
  out[crc_at + 1] = static_cast<std::uint8_t>(crc >> 8);
  out[crc_at + 2] = 0xFF;
  return length;
}

// --- Sender state (module-level, GUI thread) ------------------------------------------------

// Low nibble of header byte 0; 3 at load, 1 after every send.
extern std::int32_t FrameTag;
// Host number of the next frame; kAllHosts for every host. The sender never changes it.
extern std::int32_t TargetHost;
// Cell address of the next frame: up to 6 characters and NUL.
extern char RequestAddress[7];
// Factory number for header bytes 2..9 (the last workstation command's).
extern std::uint8_t RequestFabNum[8];
// Frame type of the last request a payload builder sent.
extern std::int32_t LastFrameType;
// Address text of the host of the last single-host send (NUL-terminated).
extern char LastTargetAddressText[32];

// The service window's set-station command, sent by the next poll tick when Flag is 1.
struct PreparedCommandRecord {
  std::int32_t FrameType = 0;
  std::int32_t Command = 0;
  std::int32_t Word1 = 0;
  std::int32_t Word2 = 0;
  char Address[7] = {};
  std::int32_t Flag = 0;
};
extern PreparedCommandRecord PreparedCommand;

// The station socket and its state: 3 open, 0 not open.
inline constexpr std::int32_t kStationSocketOpen = 3;
extern wsock::SOCKET StationSocket;
extern std::int32_t StationSocketState;
// Seconds until the station socket is reopened: 20 at every open, 15 at every datagram.
extern std::int32_t StationLinkCountdown;

// The one CRC register shared by the sender and every frame receiver; each frame starts it
// at 0xFFFF.
extern std::uint16_t CrcRegister;
// The header of the frame being sent, as BuildFrameHeader left it.
extern std::uint8_t FrameHeader[kFrameHeaderSize];

// --- Operations ------------------------------------------------------------------------------

// Starts the sockets layer (version 2.2); failures are shown, start-up goes on.
void StartWinsock();

// Opens (or reopens) the station socket on the station port, all local addresses.
// Returns 0 when bound, 1 when the bind failed.
int OpenStationSocket();
// The port OpenStationSocket binds (kStationPort unless a test chose another; 0 = any).
void SetStationSocketPort(std::uint16_t port);

void SetFrameTag(int tag);
// Fills FrameHeader for a frame of this type and body length.
void BuildFrameHeader(std::uint8_t type, std::uint8_t length);
// Frames the payload and sends it to TargetHost (one host, or every host for kAllHosts).
// A payload longer than kMaxFramePayload is not sent.
void SendStationFrame(int type, const std::uint8_t* payload, int n);

void SendCommandWords2(int type, int command, int w1, int w2);
void SendCommandWords3(int type, int command, int w1, int w2, int w3);
// count is 0..kMaxCommandBytes; a count outside that range sends nothing.
void SendCommandBytes(int type, int command, int w1, int count, const std::uint8_t* bytes);

// The four fixed requests.
void PollCellStatus(int code);
void RequestDischargeReport();
void RequestChargeReport();
void SendPreparedCommand();

// CrcRegister := one CRC step over byte.
void UpdateCrc16(std::uint8_t byte);

}  // namespace tolvex
