// The program's fixed ends of the link: the workstation binds 127.0.0.1:4011 and sends its
// commands to 127.0.0.1:4010.
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/workstation/link_peer.h"
#include "workstation/cell_table.h"
#include "workstation/command_sender.h"
#include "workstation/receive_socket.h"

namespace {

using namespace lumora;

// A loopback socket on a fixed port, or -1 when something else holds the port.
int BindLoopback(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = ::inet_addr("127.0.0.1");
  local.sin_port = htons(port);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

class ReceiveSocketPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReceiveEndpoints = LinkEndpoints{};
    OpenReceiveSocket();
  }
  void TearDown() override {
    wsock::closesocket(ReceiveSocket);
    ReceiveSocket = wsock::INVALID_SOCKET;
    ReceiveSocketState = kSocketNotBound;
  }
};

TEST_F(ReceiveSocketPortTest, BindsTheWorkstationPortOnce) {
  if (ReceiveSocketState != kSocketBound) {
    const int probe = BindLoopback(4011);
    ASSERT_LT(probe, 0) << "the port was free, yet the socket did not bind";
    GTEST_SKIP() << "port 4011 is held by a running workstation";
  }
  EXPECT_EQ(ReceiveSocketLocalPort(), 4011);
  // A second socket on the same port fails to bind, as a second copy of the program would.
  EXPECT_EQ(BindLoopback(4011), -1);
}

TEST_F(ReceiveSocketPortTest, SendsCommandsToTheServerPort) {
  if (ReceiveSocketState != kSocketBound) GTEST_SKIP() << "port 4011 is held";
  const int server = BindLoopback(4010);
  if (server < 0) GTEST_SKIP() << "port 4010 is held by a running server";
  SendCommand(CmdKeepAlive, kTargetNone, "");
  ASSERT_TRUE(link_test::WaitReadable(server));
  std::uint8_t bytes[300];
  sockaddr_in from{};
  socklen_t from_length = sizeof from;
  const ssize_t n =
      ::recvfrom(server, bytes, sizeof bytes, 0, reinterpret_cast<sockaddr*>(&from), &from_length);
  EXPECT_EQ(n, 204);
  EXPECT_EQ(ntohs(from.sin_port), 4011);
  ::close(server);
}

}  // namespace
