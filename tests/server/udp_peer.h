#pragma once
// Test helpers shared by the link tests of both programs: a loopback UDP socket on a free port
// that plays the workstation's end, a station or the server, and the datagram views of what
// it received.
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "link/datagrams.h"

namespace server_test {

using Bytes = std::vector<std::uint8_t>;

class UdpPeer {
 public:
  explicit UdpPeer(const char* address = "127.0.0.1") {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = ::inet_addr(address);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local), 0) << address;
    socklen_t length = sizeof local;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
    port_ = ntohs(local.sin_port);
  }
  ~UdpPeer() { ::close(fd_); }
  UdpPeer(const UdpPeer&) = delete;
  UdpPeer& operator=(const UdpPeer&) = delete;

  std::uint16_t port() const { return port_; }

  // The next datagram, waiting up to timeout_ms for it.
  std::optional<Bytes> Receive(int timeout_ms = 500) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeout_ms) <= 0) return std::nullopt;
    Bytes data(4096);
    const ssize_t n = ::recv(fd_, data.data(), data.size(), 0);
    if (n < 0) return std::nullopt;
    data.resize(static_cast<size_t>(n));
    return data;
  }
  bool Silent(int timeout_ms = 50) { return !Receive(timeout_ms).has_value(); }

  // Everything waiting now. Loopback delivers during the send, so what was sent is here.
  std::vector<Bytes> Drain() {
    std::vector<Bytes> all;
    while (std::optional<Bytes> data = Receive(0)) all.push_back(std::move(*data));
    return all;
  }

  void SendTo(std::uint16_t port, const Bytes& bytes) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    to.sin_port = htons(port);
    ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

// A received datagram as the layout it must have (its size is checked).
template <typename Datagram>
Datagram As(const Bytes& d) {
  Datagram datagram;
  EXPECT_EQ(d.size(), datagram.bytes.size());
  std::memcpy(datagram.bytes.data(), d.data(), std::min(d.size(), datagram.bytes.size()));
  return datagram;
}
inline lamp::StatusDatagram AsStatus(const Bytes& d) {
  return As<lamp::StatusDatagram>(d);
}
inline lamp::BatteryDatagram AsBattery(const Bytes& d) {
  return As<lamp::BatteryDatagram>(d);
}

}  // namespace server_test
