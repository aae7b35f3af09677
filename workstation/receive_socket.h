#pragma once
// The workstation's one UDP socket: bound to 127.0.0.1:4011, drained every 20 ms into the
// datagram decoder, reopened after 13 s without any datagram, and used by the command
// senders to reach the server at 127.0.0.1:4010.
#include <cstdint>

#include "link/datagrams.h"
#include "platform/net/winsock.h"

namespace lumora {

using lamp::ServerLinkPort;
using lamp::WorkstationLinkPort;
inline constexpr const char* kLoopbackAddressText = "127.0.0.1";

// ReceiveSocketState values.
inline constexpr std::int32_t kSocketBound = 3;
inline constexpr std::int32_t kSocketNotBound = 0;

// Seconds without any datagram after which the socket is reopened.
inline constexpr std::int32_t kSilentSecondsToReopen = 13;
// The largest datagram one receive takes.
inline constexpr int kReceiveLimitBytes = 6000;
inline constexpr int kReceiveBufferBytes = 1000000;
inline constexpr int kSendBufferBytes = 64000;

// Where the socket binds and where every command goes. The program keeps the fixed
// constants; tests move them (a bind port of 0 takes any free port).
struct LinkEndpoints {
  const char* bind_address = kLoopbackAddressText;
  std::uint16_t bind_port = WorkstationLinkPort;
  const char* server_address = kLoopbackAddressText;
  std::uint16_t server_port = ServerLinkPort;
};

extern wsock::SOCKET ReceiveSocket;
extern std::int32_t ReceiveSocketState;
extern std::int32_t LinkSilenceCount;
extern LinkEndpoints ReceiveEndpoints;

// Starts the socket library asking for major.minor; shows a message when it fails or grants
// another version. Always 0.
std::int32_t StartWinsock(int major, int minor);

// Opens, or closes and opens again, ReceiveSocket; sets ReceiveSocketState.
void OpenReceiveSocket();

// Takes every waiting datagram into HandleDatagram; nothing while the socket is not bound.
void DrainReceiveSocket();

// One second of silence supervision: true when the silence has lasted kSilentSecondsToReopen
// seconds, so the socket is due to be reopened; the count then starts again.
bool SuperviseLinkSilence();

// The local port the socket is bound to (0 when it is not bound); for tests on free ports.
std::uint16_t ReceiveSocketLocalPort();

// Sends bytes from ReceiveSocket to the server's end; the result is not looked at.
void SendToServer(const std::uint8_t* bytes, int length);

}  // namespace lumora
