#include "server/workstation_socket.h"

#include <sys/socket.h>

#include "server/service_window.h"

namespace tolvex {

MonitorSocketState MonitorSocket;
WorkstationEndpoints MonitorEndpoints;
std::int32_t MonitorWatchdog = 0;
std::int32_t MissedPingCount = 0;

namespace {

constexpr int kMonitorSendBufferBytes = 100000;

}  // namespace

std::int32_t OpenMonitorSocket() {
  MonitorWatchdog = 20;
  if (MonitorSocket.open) wsock::closesocket(MonitorSocket.handle);
  const wsock::SOCKET s = wsock::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  const sockaddr_in local = wsock::MakeAddress(wsock::inet_addr(MonitorEndpoints.bind_address),
                                               MonitorEndpoints.bind_port);
  if (s == wsock::INVALID_SOCKET || wsock::bind(s, reinterpret_cast<const sockaddr*>(&local),
                                                sizeof local) == wsock::SOCKET_ERROR) {
    // The failed socket is released rather than leaked at every watchdog retry. The old one
    // is closed already, so no handle is left: the senders' datagrams are lost until the
    // next open succeeds, and none can reach a descriptor the process has reused since.
    if (s != wsock::INVALID_SOCKET) wsock::closesocket(s);
    MonitorSocket.handle = wsock::INVALID_SOCKET;
    ShowSocketState("ERR");
    AddServiceLine("Mon ERR");
    MonitorSocket.open = false;
    return 1;
  }
  MonitorSocket.handle = s;
  MonitorSocket.open = true;
  unsigned long non_blocking = 1;
  wsock::ioctlsocket(s, wsock::kFIONBIO, &non_blocking);
  const int send_buffer = kMonitorSendBufferBytes;
  if (wsock::setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&send_buffer),
                        sizeof send_buffer) == wsock::SOCKET_ERROR) {
    AddServiceLine("Mon  Ошибка опции SO_SNDBUF");
  }
  return 0;
}

std::uint16_t MonitorSocketLocalPort() {
  if (!MonitorSocket.open) return 0;
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::getsockname(MonitorSocket.handle, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    return 0;
  }
  return wsock::ntohs(local.sin_port);
}

void SendToWorkstation(const std::uint8_t* bytes, int length) {
  const sockaddr_in to = wsock::MakeAddress(wsock::inet_addr(MonitorEndpoints.destination_address),
                                            MonitorEndpoints.destination_port);
  wsock::sendto(MonitorSocket.handle, reinterpret_cast<const char*>(bytes), length, 0,
                reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

}  // namespace tolvex
