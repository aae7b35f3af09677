#include "server/station_frame.h"

#include <cstring>
#include <initializer_list>

#include "link/little_endian.h"
#include "platform/forms/application.h"
#include "platform/net/winsock.h"
#include "server/host_table.h"
#include "server/service_window.h"

namespace tolvex {

std::int32_t FrameTag = 3;
std::int32_t TargetHost = 1;
char RequestAddress[7] = {};
std::uint8_t RequestFabNum[8] = {};
std::int32_t LastFrameType = 0;
char LastTargetAddressText[32] = {};
PreparedCommandRecord PreparedCommand;
wsock::SOCKET StationSocket = wsock::INVALID_SOCKET;
std::int32_t StationSocketState = 0;
std::int32_t StationLinkCountdown = 0;
std::uint8_t FrameHeader[lamp::kFrameHeaderSize] = {};

namespace {

constexpr int kReceiveBufferBytes = 200000;
constexpr int kSendBufferBytes = 100000;

std::uint16_t station_socket_port = kStationPort;

// Resolves the host's address text, remembers it as the slot's ResolvedAddress (which is
// what lets its answers in) and sends the frame there.
void SendToHost(int slot, const std::uint8_t* frame, int length) {
  HostEntry& host = HostTable[slot];
  host.ResolvedAddress = wsock::inet_addr(host.AddressText);
  const sockaddr_in to =
      wsock::MakeAddress(host.ResolvedAddress, static_cast<std::uint16_t>(host.Port));
  wsock::sendto(StationSocket, reinterpret_cast<const char*>(frame), length, 0,
                reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

void CopyAddressText(char (&out)[32], const char* text) {
  std::size_t i = 0;
  for (; i + 1 < sizeof out && text[i] != '\0'; ++i) out[i] = text[i];
  out[i] = '\0';
}

// The low 16 bits of a word, little-endian.
void PutWord(std::uint8_t* at, int word) {
  lamp::WriteU16(std::span<std::uint8_t>(at, 2), 0, static_cast<std::uint16_t>(word));
}

}  // namespace

void StartWinsock() {
  wsock::WSADATA data;
  const std::uint16_t version = wsock::MakeWord(2, 2);
  if (wsock::WSAStartup(version, &data) != 0) {
    forms::Application().MessageBox("Ошибка инициализации WinSock", "", forms::MB_OK);
  }
  if (data.wVersion != version) {
    forms::Application().MessageBox("Не верная версия WinSock", "", forms::MB_OK);
  }
}

void SetStationSocketPort(std::uint16_t port) {
  station_socket_port = port;
}

int OpenStationSocket() {
  StationLinkCountdown = 20;
  if (StationSocketState == kStationSocketOpen) {
    wsock::closesocket(StationSocket);
    StationSocket = wsock::INVALID_SOCKET;
  }
  StationSocketState = 0;
  StationSocket = wsock::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  const sockaddr_in local = wsock::MakeAddress(INADDR_ANY, station_socket_port);
  if (wsock::bind(StationSocket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    // An unbound socket would only send from a port no station answers to; close it rather
    // than leak one descriptor per retry of the watchdog.
    if (StationSocket != wsock::INVALID_SOCKET) wsock::closesocket(StationSocket);
    StationSocket = wsock::INVALID_SOCKET;
    ShowSocketState("ERR");
    AddServiceLine("Mox ERR");
    return 1;
  }
  StationSocketState = kStationSocketOpen;
  unsigned long non_blocking = 1;
  wsock::ioctlsocket(StationSocket, wsock::kFIONBIO, &non_blocking);
  const int receive_bytes = kReceiveBufferBytes;
  if (wsock::setsockopt(StationSocket, SOL_SOCKET, SO_RCVBUF,
                        reinterpret_cast<const char*>(&receive_bytes), sizeof receive_bytes) != 0) {
    AddServiceLine("SV Ошибка  опции SO_RCVBUF");
  }
  const int send_bytes = kSendBufferBytes;
  if (wsock::setsockopt(StationSocket, SOL_SOCKET, SO_SNDBUF,
                        reinterpret_cast<const char*>(&send_bytes), sizeof send_bytes) != 0) {
    AddServiceLine("SV Ошибка  опции SO_SNDBUF");
  }
  ShowSocketState("SOK");
  return 0;
}

void SetFrameTag(int tag) {
  FrameTag = tag;
}

void BuildFrameHeader(std::uint8_t type, std::uint8_t length) {
  FrameTag &= lamp::kFrameTagMask;
  const lamp::FrameHeaderBytes header =
      lamp::MakeFrameHeader(static_cast<std::uint8_t>(lamp::kRequestDirection | FrameTag), type,
                            lamp::ReadU64(RequestFabNum, 0), RequestAddress, length);
  std::memcpy(FrameHeader, header.data(), sizeof FrameHeader);
}

void SendStationFrame(int type, const std::uint8_t* payload, int n) {
  if (n < 0 || static_cast<std::size_t>(n) > lamp::kMaxFramePayload) return;
  BuildFrameHeader(static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(n + 2));

  std::uint8_t frame[lamp::kFrameBufferSize];
  const std::size_t size = lamp::WriteStationFrame(
      std::span<const std::uint8_t, lamp::kFrameHeaderSize>(FrameHeader),
      std::span<const std::uint8_t>(payload, static_cast<std::size_t>(n)), frame);
  const int length = static_cast<int>(size);

  if (TargetHost != kAllHosts) {
    const int slot = FindHostByNumber(TargetHost);
    if (slot >= 0) {
      SendToHost(slot, frame, length);
      CopyAddressText(LastTargetAddressText, HostTable[slot].AddressText);
    }
  } else {
    // The header is already built: this frame keeps its tag.
    FrameTag = 1;
    for (int number = 1; number <= kMaxHosts; ++number) {
      const int slot = FindHostByNumber(number);
      if (slot >= 0) SendToHost(slot, frame, length);
    }
  }
  FrameTag = 1;
}

namespace {

// Payload command, 0x80, length, then the 16-bit words; the frame type is remembered.
void SendCommandWords(int type, int command, std::initializer_list<int> words) {
  std::uint8_t payload[3 + 2 * 3];
  const int n = 3 + 2 * static_cast<int>(words.size());
  payload[0] = static_cast<std::uint8_t>(command);
  payload[1] = lamp::kRequestPayloadMarker;
  payload[2] = static_cast<std::uint8_t>(n);
  std::uint8_t* at = payload + 3;
  for (int word : words) {
    PutWord(at, word);
    at += 2;
  }
  SendStationFrame(type, payload, n);
  LastFrameType = type;
}

}  // namespace

void SendCommandWords2(int type, int command, int w1, int w2) {
  SendCommandWords(type, command, {w1, w2});
}

void SendCommandWords3(int type, int command, int w1, int w2, int w3) {
  SendCommandWords(type, command, {w1, w2, w3});
}

void SendCommandBytes(int type, int command, int w1, int count, const std::uint8_t* bytes) {
  if (count < 0 || count > kMaxCommandBytes) return;
  std::uint8_t payload[kCommandAreaSize];
  payload[0] = static_cast<std::uint8_t>(command);
  payload[1] = lamp::kRequestPayloadMarker;
  payload[2] = static_cast<std::uint8_t>(count + 5);
  PutWord(payload + 3, w1);
  if (count > 0) std::memcpy(payload + 5, bytes, static_cast<std::size_t>(count));
  SendStationFrame(type, payload, count + 5);
  LastFrameType = type;
}

void PollCellStatus(int code) {
  SendCommandWords2(lamp::FrameServerPoll, lamp::StationCmdStatusPoll, 0, code);
}

void RequestDischargeReport() {
  SendCommandWords2(lamp::FrameServerPoll, lamp::StationCmdDischargeReport, 0, 0);
}

void RequestChargeReport() {
  SendCommandWords2(lamp::FrameServerPoll, lamp::StationCmdChargeReport, 0, 0);
}

void SendPreparedCommand() {
  std::memcpy(RequestAddress, PreparedCommand.Address, sizeof RequestAddress);
  RequestAddress[sizeof RequestAddress - 1] = '\0';
  SendCommandWords2(PreparedCommand.FrameType, PreparedCommand.Command, PreparedCommand.Word1,
                    PreparedCommand.Word2);
}

}  // namespace tolvex
