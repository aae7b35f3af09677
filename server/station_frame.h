#pragma once
// Station frames: the sockets layer start, the station socket and everything that sends
// (the frame format itself is link/station_frame.h).
//
// The sender state is module-level: the poll cycle, the workstation link and the service
// window set the addressing (TargetHost, RequestAddress, RequestFabNum) and then call one of
// the payload builders. Everything runs on the GUI thread.
#include <cstddef>
#include <cstdint>

#include "link/station_frame.h"
#include "platform/net/winsock.h"

namespace tolvex {

inline constexpr std::uint16_t kStationPort = 4001;
// TargetHost value that sends to every host numbered 1..100, in number order.
inline constexpr std::int32_t kAllHosts = 1000;

// SendCommandBytes assembles its payload in a 128-byte area: command, 0x80, length, one
// word, then the bytes.
inline constexpr std::size_t kCommandAreaSize = 128;
inline constexpr int kMaxCommandBytes = static_cast<int>(kCommandAreaSize) - 5;  // 123

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

// The header of the frame being sent, as BuildFrameHeader left it.
extern std::uint8_t FrameHeader[lamp::kFrameHeaderSize];

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
// A payload longer than lamp::kMaxFramePayload is not sent.
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

}  // namespace tolvex
