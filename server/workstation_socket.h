#pragma once
// The server's socket towards the workstation (127.0.0.1:4010) and its watchdog counters,
// shared by the receive tick, the workstation link and the poll cycle.
#include <cstdint>

#include "link/datagrams.h"
#include "platform/net/winsock.h"

namespace tolvex {

// Fixed ends of the workstation link: the server binds ServerLinkPort, the workstation
// listens on WorkstationLinkPort, both on the loopback address.
using lamp::ServerLinkPort;
using lamp::WorkstationLinkPort;
inline constexpr const char* kLoopbackAddressText = "127.0.0.1";

struct MonitorSocketState {
  wsock::SOCKET handle = wsock::INVALID_SOCKET;
  bool open = false;  // true after a successful bind
};

// Where the socket binds and where every datagram to the workstation goes. The program
// keeps the fixed constants; tests move them (a bind port of 0 takes any free port).
struct WorkstationEndpoints {
  const char* bind_address = kLoopbackAddressText;
  std::uint16_t bind_port = ServerLinkPort;
  const char* destination_address = kLoopbackAddressText;
  std::uint16_t destination_port = WorkstationLinkPort;
};

extern MonitorSocketState MonitorSocket;
extern WorkstationEndpoints MonitorEndpoints;
// Seconds until the socket is reopened; 20 at every open, 15 at every datagram.
extern std::int32_t MonitorWatchdog;
// Passes whose ping brought no datagram from the workstation.
extern std::int32_t MissedPingCount;

// (Re)opens the socket: 0 when bound (also when the send-buffer option fails), 1 when the
// bind failed. Sets MonitorWatchdog to 20 in any case.
std::int32_t OpenMonitorSocket();

// The local port the socket is bound to (0 when it is not open); for tests on free ports.
std::uint16_t MonitorSocketLocalPort();

// Sends bytes from the socket to the workstation's end; the result is not looked at.
void SendToWorkstation(const std::uint8_t* bytes, int length);

}  // namespace tolvex
