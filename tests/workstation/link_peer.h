#pragma once
// A loopback UDP socket on a free port that plays the other end of the workstation link in
// tests: the server receiving commands, or the server sending datagrams.
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/application.h"

namespace link_test {

using Bytes = std::vector<std::uint8_t>;

inline std::uint32_t U32(const Bytes& b, std::size_t offset) {
  return b[offset] | b[offset + 1] << 8 | b[offset + 2] << 16 |
         static_cast<std::uint32_t>(b[offset + 3]) << 24;
}

inline void PutU32(Bytes& b, std::size_t offset, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[offset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

class UdpPeer {
 public:
  UdpPeer() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    local.sin_port = 0;
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    socklen_t length = sizeof local;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
    port_ = ntohs(local.sin_port);
  }
  ~UdpPeer() { ::close(fd_); }
  UdpPeer(const UdpPeer&) = delete;
  UdpPeer& operator=(const UdpPeer&) = delete;

  std::uint16_t port() const { return port_; }

  std::optional<Bytes> Receive(int timeout_ms = 500) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeout_ms) <= 0) return std::nullopt;
    Bytes data(8192);
    const ssize_t n = ::recv(fd_, data.data(), data.size(), 0);
    if (n < 0) return std::nullopt;
    data.resize(static_cast<std::size_t>(n));
    return data;
  }
  bool Silent(int timeout_ms = 50) { return !Receive(timeout_ms).has_value(); }

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

// Waits until a datagram is readable on a socket descriptor (loopback delivery is quick but
// not synchronous with sendto).
inline bool WaitReadable(int fd, int timeout_ms = 500) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, timeout_ms) > 0;
}

// Declared as a fixture's first member: puts the application on its manual clock at 0 before
// the forms after it enable their timers.
struct ManualClockFirst {
  ManualClockFirst() { forms::Application().UseManualClock(); }
};

}  // namespace link_test
