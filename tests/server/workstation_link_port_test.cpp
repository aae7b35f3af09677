// The workstation link on its fixed ports: the server binds 127.0.0.1:4010 and sends to
// 127.0.0.1:4011.
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "server/frame_receiver.h"
#include "server/service_window.h"
#include "server/workstation_link.h"
#include "server/workstation_socket.h"

namespace {

int BoundSocket(std::uint16_t port) {
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

TEST(WorkstationLinkPorts, ServerListensOn4010AndSendsTo4011) {
  using namespace tolvex;
  forms::Application().UseManualClock();
  TFormSV sv;
  MonitorEndpoints = WorkstationEndpoints{};
  const int workstation = BoundSocket(WorkstationLinkPort);
  ASSERT_GE(workstation, 0);
  ASSERT_EQ(OpenMonitorSocket(), 0);
  EXPECT_EQ(MonitorSocketLocalPort(), ServerLinkPort);

  // A keep-alive of the workstation reaches the server through the receive tick.
  std::vector<std::uint8_t> datagram(kCommandDatagramSize, 0);
  datagram[0] = 0xB7;
  datagram[1] = 0xA5;
  std::memcpy(&datagram[4], "010aaa", 6);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = ::inet_addr("127.0.0.1");
  to.sin_port = htons(ServerLinkPort);
  ::sendto(workstation, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
           sizeof to);
  SetWorkstationDatagramHandler(&ParseCommandDatagram);
  for (int i = 0; i < 100 && PendingStationCommand.address[0] == 0; ++i) {
    sv.Timer1Timer();
    ::usleep(2000);
  }
  SetWorkstationDatagramHandler(nullptr);
  EXPECT_STREQ(PendingStationCommand.address.data(), "010aaa");

  // A ping reaches the workstation's port.
  SendPing(0xFFF, 0, 0, 0, "010aaa", 0, 0);
  pollfd p{workstation, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 1000), 1);
  std::uint8_t received[300];
  EXPECT_EQ(::recv(workstation, received, sizeof received, 0), kStatusDatagramSize);
  EXPECT_EQ(received[0], 0xCC);
  EXPECT_EQ(received[1], 0xA5);

  // A second server cannot take the port while the first holds it.
  const MonitorSocketState first = MonitorSocket;
  MonitorSocket.open = false;
  EXPECT_EQ(OpenMonitorSocket(), 1);
  EXPECT_EQ(sv.EditSV.Text(), "ERR");
  wsock::closesocket(first.handle);
  EXPECT_EQ(OpenMonitorSocket(), 0);
  wsock::closesocket(MonitorSocket.handle);
  MonitorSocket = MonitorSocketState{};
  ::close(workstation);
}

}  // namespace
