#include "platform/net/winsock.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using wsock::INVALID_SOCKET;
using wsock::kFIONBIO;
using wsock::kFIONREAD;
using wsock::MakeAddress;
using wsock::SOCKET;
using wsock::SOCKET_ERROR;
using wsock::WSADATA;

// A real UDP round trip on loopback with an ephemeral port: FIONREAD reports the waiting
// datagram, recvfrom gives its bytes and its sender.
TEST(Winsock, UdpRoundTripOnLoopback) {
  WSADATA data;
  ASSERT_EQ(wsock::WSAStartup(wsock::MakeWord(2, 2), &data), 0);
  EXPECT_EQ(data.wVersion, wsock::MakeWord(2, 2));

  SOCKET receiver = wsock::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  SOCKET sender = wsock::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  ASSERT_NE(receiver, INVALID_SOCKET);
  ASSERT_NE(sender, INVALID_SOCKET);
  sockaddr_in bound = MakeAddress(wsock::inet_addr("127.0.0.1"), 0);
  ASSERT_EQ(wsock::bind(receiver, reinterpret_cast<sockaddr*>(&bound), sizeof bound), 0);
  socklen_t length = sizeof bound;
  ASSERT_EQ(getsockname(receiver, reinterpret_cast<sockaddr*>(&bound), &length), 0);
  unsigned long on = 1;
  ASSERT_EQ(wsock::ioctlsocket(receiver, kFIONBIO, &on), 0);

  unsigned long waiting = 99;
  ASSERT_EQ(wsock::ioctlsocket(receiver, kFIONREAD, &waiting), 0);
  EXPECT_EQ(waiting, 0u);

  const char payload[] = "lamp";
  ASSERT_EQ(wsock::sendto(sender, payload, 4, 0, reinterpret_cast<sockaddr*>(&bound), sizeof bound),
            4);
  for (int i = 0; i < 1000 && waiting == 0; ++i) wsock::ioctlsocket(receiver, kFIONREAD, &waiting);
  EXPECT_EQ(waiting, 4u);

  char buffer[16] = {};
  sockaddr_in from{};
  int from_length = sizeof from;
  ASSERT_EQ(wsock::recvfrom(receiver, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                            &from_length),
            4);
  EXPECT_EQ(std::memcmp(buffer, "lamp", 4), 0);
  EXPECT_STREQ(wsock::inet_ntoa(from.sin_addr), "127.0.0.1");
  // Nothing more waiting: a non-blocking receive fails at once.
  EXPECT_EQ(wsock::recvfrom(receiver, buffer, sizeof buffer, 0, nullptr, nullptr), SOCKET_ERROR);

  int size = 200000;
  EXPECT_EQ(wsock::setsockopt(receiver, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&size),
                              sizeof size),
            0);
  EXPECT_EQ(wsock::closesocket(receiver), 0);
  EXPECT_EQ(wsock::closesocket(sender), 0);
}

TEST(Winsock, AddressConversions) {
  EXPECT_EQ(wsock::inet_addr("not an address"), INADDR_NONE);
  EXPECT_EQ(wsock::inet_addr("127.0.0.5"), ::htonl(0x7F000005));
  in_addr a{};
  a.s_addr = wsock::inet_addr("192.168.1.13");
  EXPECT_STREQ(wsock::inet_ntoa(a), "192.168.1.13");
  EXPECT_EQ(wsock::ntohs(wsock::htons(4001)), 4001);
  EXPECT_EQ(wsock::bind(INVALID_SOCKET, nullptr, 0), SOCKET_ERROR);
}

}  // namespace

namespace {

// Empty and oversized datagrams must neither be misread nor block the datagrams behind them.
TEST(Winsock, EmptyAndOversizedDatagramsLeaveTheQueueMoving) {
  SOCKET receiver = wsock::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  SOCKET sender = wsock::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in bound = MakeAddress(wsock::inet_addr("127.0.0.1"), 0);
  ASSERT_EQ(wsock::bind(receiver, reinterpret_cast<sockaddr*>(&bound), sizeof bound), 0);
  socklen_t length = sizeof bound;
  ASSERT_EQ(getsockname(receiver, reinterpret_cast<sockaddr*>(&bound), &length), 0);
  auto* to = reinterpret_cast<sockaddr*>(&bound);

  char big[3000];
  std::memset(big, 'b', sizeof big);
  ASSERT_EQ(wsock::sendto(sender, big, 0, 0, to, sizeof bound), 0);
  ASSERT_EQ(wsock::sendto(sender, big, sizeof big, 0, to, sizeof bound), 3000);
  ASSERT_EQ(wsock::sendto(sender, "ok", 2, 0, to, sizeof bound), 2);

  auto waiting = [&] {
    unsigned long bytes = 0;
    for (int i = 0; i < 1000 && bytes == 0; ++i) wsock::ioctlsocket(receiver, kFIONREAD, &bytes);
    return bytes;
  };
  char buffer[2000];
  EXPECT_GT(waiting(), 0u);  // the empty datagram counts as something waiting
  EXPECT_EQ(wsock::recvfrom(receiver, buffer, sizeof buffer, 0, nullptr, nullptr), 0);
  EXPECT_GT(waiting(), 0u);
  // Too large for the 2000-byte buffer: an error, and the datagram is gone.
  EXPECT_EQ(wsock::recvfrom(receiver, buffer, sizeof buffer, 0, nullptr, nullptr), SOCKET_ERROR);
  EXPECT_EQ(waiting(), 2u);
  EXPECT_EQ(wsock::recvfrom(receiver, buffer, sizeof buffer, 0, nullptr, nullptr), 2);
  EXPECT_EQ(std::memcmp(buffer, "ok", 2), 0);
  unsigned long none = 99;
  ASSERT_EQ(wsock::ioctlsocket(receiver, kFIONREAD, &none), 0);
  EXPECT_EQ(none, 0u);
  wsock::closesocket(receiver);
  wsock::closesocket(sender);
}

}  // namespace
