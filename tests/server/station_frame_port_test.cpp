#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

#include "platform/forms/application.h"
#include "server/service_window.h"
#include "server/station_frame.h"

namespace {

using namespace tolvex;

// Stations answer to port 4001 at whatever address of the server they were given.
TEST(StationSocketPort, BindsPort4001OnAllAddresses) {
  forms::Application().UseManualClock();
  auto form = std::make_unique<TFormSV>();
  ASSERT_EQ(OpenStationSocket(), 0);

  sockaddr_in bound{};
  socklen_t length = sizeof bound;
  ASSERT_EQ(::getsockname(StationSocket, reinterpret_cast<sockaddr*>(&bound), &length), 0);
  EXPECT_EQ(ntohs(bound.sin_port), 4001);
  EXPECT_EQ(bound.sin_addr.s_addr, htonl(INADDR_ANY));

  const int station = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  for (const char* server_address : {"127.0.0.1", "127.0.0.77"}) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(4001);
    ::inet_pton(AF_INET, server_address, &to.sin_addr);
    const char byte = 0x5A;
    ASSERT_EQ(::sendto(station, &byte, 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to), 1);
    char got = 0;
    EXPECT_EQ(wsock::recvfrom(StationSocket, &got, 1, 0, nullptr, nullptr), 1) << server_address;
    EXPECT_EQ(got, byte);
  }
  ::close(station);
  wsock::closesocket(StationSocket);
  StationSocketState = 0;
}

}  // namespace
