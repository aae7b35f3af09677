#pragma once
// The server's socket towards the workstation (127.0.0.1:4010) and its watchdog counters,
// shared by the receive tick, the workstation link and the poll cycle.
#include <cstdint>

#include "platform/net/winsock.h"

namespace tolvex {

struct MonitorSocketState {
  wsock::SOCKET handle = wsock::INVALID_SOCKET;
  bool open = false;  // true after a successful bind
};

extern MonitorSocketState MonitorSocket;
// Seconds until the socket is reopened; 20 at every open, 15 at every datagram.
extern std::int32_t MonitorWatchdog;
// Passes whose ping brought no datagram from the workstation.
extern std::int32_t MissedPingCount;

}  // namespace tolvex
