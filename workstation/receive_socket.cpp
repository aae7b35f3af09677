#include "workstation/receive_socket.h"

#include <sys/socket.h>

#include "platform/forms/application.h"
#include "workstation/datagram_decoder.h"

namespace lumora {

wsock::SOCKET ReceiveSocket = wsock::INVALID_SOCKET;
std::int32_t ReceiveSocketState = kSocketNotBound;
std::int32_t LinkSilenceCount = 0;
LinkEndpoints ReceiveEndpoints;

namespace {

// One receive buffer for the whole run: the drain allocates nothing per datagram.
std::uint8_t receive_bytes[kReceiveLimitBytes];

void SetSocketOption(wsock::SOCKET s, int option, int value) {
  wsock::setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char*>(&value), sizeof value);
}

}  // namespace

std::int32_t StartWinsock(int major, int minor) {
  wsock::WSADATA data;
  const std::uint16_t version =
      wsock::MakeWord(static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor));
  if (wsock::WSAStartup(version, &data) != 0) {
    forms::Application().MessageBox("Ошибка инициализации WinSock", "", forms::MB_OK);
  }
  if (data.wVersion != version) {
    forms::Application().MessageBox("Не верная версия WinSock", "", forms::MB_OK);
  }
  return 0;
}

void OpenReceiveSocket() {
  // A socket whose bind failed is kept for sending until the next attempt, as a bound one
  // is; either is closed here, so a long silence never leaks one descriptor per retry.
  if (ReceiveSocket != wsock::INVALID_SOCKET) wsock::closesocket(ReceiveSocket);
  ReceiveSocket = wsock::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  const sockaddr_in local = wsock::MakeAddress(wsock::inet_addr(ReceiveEndpoints.bind_address),
                                               ReceiveEndpoints.bind_port);
  if (ReceiveSocket == wsock::INVALID_SOCKET ||
      wsock::bind(ReceiveSocket, reinterpret_cast<const sockaddr*>(&local), sizeof local) ==
          wsock::SOCKET_ERROR) {
    ReceiveSocketState = kSocketNotBound;
    return;
  }
  ReceiveSocketState = kSocketBound;
  unsigned long non_blocking = 1;
  wsock::ioctlsocket(ReceiveSocket, wsock::kFIONBIO, &non_blocking);
  SetSocketOption(ReceiveSocket, SO_RCVBUF, kReceiveBufferBytes);
  SetSocketOption(ReceiveSocket, SO_SNDBUF, kSendBufferBytes);
}

void DrainReceiveSocket() {
  if (ReceiveSocketState != kSocketBound) return;
  // The socket is non-blocking, so the receive itself asks whether a datagram waits: nothing
  // waiting, a receive error and an empty datagram (taken and dropped) all end the tick's
  // drain alike.
  for (;;) {
    sockaddr_in from{};
    int from_length = sizeof from;
    const int n =
        wsock::recvfrom(ReceiveSocket, reinterpret_cast<char*>(receive_bytes), kReceiveLimitBytes,
                        0, reinterpret_cast<sockaddr*>(&from), &from_length);
    if (n <= 0) return;
    HandleDatagram(n, receive_bytes);
    LinkSilenceCount = 0;
  }
}

bool SuperviseLinkSilence() {
  LinkSilenceCount += 1;
  if (LinkSilenceCount < kSilentSecondsToReopen) return false;
  LinkSilenceCount = 0;
  return true;
}

std::uint16_t ReceiveSocketLocalPort() {
  if (ReceiveSocketState != kSocketBound) return 0;
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::getsockname(ReceiveSocket, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
  return wsock::ntohs(local.sin_port);
}

void SendToServer(const std::uint8_t* bytes, int length) {
  const sockaddr_in to = wsock::MakeAddress(wsock::inet_addr(ReceiveEndpoints.server_address),
                                            ReceiveEndpoints.server_port);
  wsock::sendto(ReceiveSocket, reinterpret_cast<const char*>(bytes), length, 0,
                reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

}  // namespace lumora
