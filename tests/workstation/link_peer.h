#pragma once
// The other end of the workstation link in tests: the server's loopback peer (receiving
// commands or sending datagrams), the workstation socket opened towards it, raw word reads of
// what it received, and the manual clock.
#include <poll.h>

#include <cstdint>
#include <optional>

#include <gtest/gtest.h>

#include "link/datagrams.h"
#include "platform/forms/application.h"
#include "tests/server/udp_peer.h"
#include "tests/support/manual_clock.h"
#include "workstation/command_sender.h"
#include "workstation/receive_socket.h"

namespace link_test {

using server_test::Bytes;
using server_test::UdpPeer;

// A little-endian word read straight from the bytes, independent of the datagram views.
inline std::uint32_t U32(const Bytes& b, std::size_t offset) {
  return b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 |
         static_cast<std::uint32_t>(b[offset + 3]) << 24;
}

// The server's end, taking every datagram as a CommandDatagram (its size is checked).
class ServerPeer {
 public:
  std::uint16_t port() const { return peer_.port(); }

  // The next command, or none within the time.
  std::optional<lamp::CommandDatagram> Next(int timeout_ms = 300) {
    const std::optional<Bytes> data = peer_.Receive(timeout_ms);
    if (!data.has_value()) return std::nullopt;
    if (data->size() != lamp::CommandDatagram::kSize) return std::nullopt;
    return server_test::As<lamp::CommandDatagram>(*data);
  }
  bool Silent(int timeout_ms = 30) { return !Next(timeout_ms).has_value(); }

 private:
  UdpPeer peer_;
};

// Opens the workstation socket on a free loopback port towards a peer's port, with a fresh
// command buffer and no pending lamp command; closes it again at the end.
class LinkToPeer {
 public:
  explicit LinkToPeer(std::uint16_t server_port) {
    lumora::CommandBuffer = lamp::CommandDatagram{};
    lumora::PendingCommand = lumora::PendingLampCommand{};
    lumora::LampCommandTries = 0;
    lumora::LampCommandWait = 0;
    lumora::LampMessageHold = 0;
    lumora::ReceiveEndpoints = lumora::LinkEndpoints{"127.0.0.1", 0, "127.0.0.1", server_port};
    lumora::OpenReceiveSocket();
    EXPECT_EQ(lumora::ReceiveSocketState, lumora::kSocketBound);
  }
  explicit LinkToPeer(const ServerPeer& peer) : LinkToPeer(peer.port()) {}
  explicit LinkToPeer(const UdpPeer& peer) : LinkToPeer(peer.port()) {}
  ~LinkToPeer() {
    if (lumora::ReceiveSocket != wsock::INVALID_SOCKET) wsock::closesocket(lumora::ReceiveSocket);
    lumora::ReceiveSocket = wsock::INVALID_SOCKET;
    lumora::ReceiveSocketState = lumora::kSocketNotBound;
    lumora::ReceiveEndpoints = lumora::LinkEndpoints{};
  }
  LinkToPeer(const LinkToPeer&) = delete;
  LinkToPeer& operator=(const LinkToPeer&) = delete;
};

// Waits until a datagram is readable on a socket descriptor (loopback delivery is quick but
// not synchronous with sendto).
inline bool WaitReadable(int fd, int timeout_ms = 500) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, timeout_ms) > 0;
}

using lamptest::ManualClockFirst;

}  // namespace link_test
