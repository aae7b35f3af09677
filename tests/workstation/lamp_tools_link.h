#pragma once
// For the lamp tools' tests: the workstation socket on a free loopback port, sending to a
// peer that plays the server and collects every CommandDatagram.
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "link/datagrams.h"
#include "workstation/command_sender.h"
#include "workstation/receive_socket.h"

namespace lamp_tools_test {

class ServerPeer {
 public:
  ServerPeer() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    socklen_t length = sizeof local;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
    port_ = ntohs(local.sin_port);
  }
  ~ServerPeer() { ::close(fd_); }
  ServerPeer(const ServerPeer&) = delete;
  ServerPeer& operator=(const ServerPeer&) = delete;

  std::uint16_t port() const { return port_; }

  // The next command, or none within the time.
  std::optional<lamp::CommandDatagram> Next(int timeout_ms = 300) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeout_ms) <= 0) return std::nullopt;
    std::vector<std::uint8_t> data(8192);
    const ssize_t n = ::recv(fd_, data.data(), data.size(), 0);
    EXPECT_EQ(n, static_cast<ssize_t>(lamp::CommandDatagram::kSize));
    if (n != static_cast<ssize_t>(lamp::CommandDatagram::kSize)) return std::nullopt;
    lamp::CommandDatagram d;
    std::copy(data.begin(), data.begin() + n, d.bytes.begin());
    return d;
  }
  bool Silent(int timeout_ms = 30) { return !Next(timeout_ms).has_value(); }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

// Opens the workstation socket towards the peer, with a fresh command buffer and no pending
// lamp command; closes it again at the end.
class LinkToPeer {
 public:
  explicit LinkToPeer(const ServerPeer& peer) {
    lumora::CommandBuffer = lamp::CommandDatagram{};
    lumora::PendingCommand = lumora::PendingLampCommand{};
    lumora::LampCommandTries = 0;
    lumora::LampCommandWait = 0;
    lumora::LampMessageHold = 0;
    lumora::ReceiveEndpoints = lumora::LinkEndpoints{"127.0.0.1", 0, "127.0.0.1", peer.port()};
    lumora::OpenReceiveSocket();
    EXPECT_EQ(lumora::ReceiveSocketState, lumora::kSocketBound);
  }
  ~LinkToPeer() {
    if (lumora::ReceiveSocket != wsock::INVALID_SOCKET) wsock::closesocket(lumora::ReceiveSocket);
    lumora::ReceiveSocket = wsock::INVALID_SOCKET;
    lumora::ReceiveSocketState = lumora::kSocketNotBound;
    lumora::ReceiveEndpoints = lumora::LinkEndpoints{};
  }
  LinkToPeer(const LinkToPeer&) = delete;
  LinkToPeer& operator=(const LinkToPeer&) = delete;
};

}  // namespace lamp_tools_test
