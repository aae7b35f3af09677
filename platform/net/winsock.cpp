#include "platform/net/winsock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <cstring>

namespace wsock {

int WSAStartup(std::uint16_t requested_version, WSADATA* data) {
  (void)requested_version;
  if (data != nullptr) {
    *data = WSADATA{};
    data->wVersion = MakeWord(2, 2);
    data->wHighVersion = MakeWord(2, 2);
    std::strcpy(data->szDescription, "POSIX sockets");
    std::strcpy(data->szSystemStatus, "Running");
  }
  return 0;
}

SOCKET socket(int address_family, int type, int protocol) {
  int fd = ::socket(address_family, type | SOCK_CLOEXEC, protocol);
  return fd < 0 ? INVALID_SOCKET : fd;
}

int bind(SOCKET s, const sockaddr* address, int address_length) {
  if (s == INVALID_SOCKET) return SOCKET_ERROR;
  return ::bind(s, address, static_cast<socklen_t>(address_length)) == 0 ? 0 : SOCKET_ERROR;
}

int closesocket(SOCKET s) {
  if (s == INVALID_SOCKET) return SOCKET_ERROR;
  return ::close(s) == 0 ? 0 : SOCKET_ERROR;
}

namespace {
// Linux reports the size of the next datagram as the bytes waiting, so an empty datagram at
// the head of the queue would read as "nothing waiting" for ever and hide every datagram
// behind it. Winsock counts all waiting bytes, and its callers then receive the empty one
// (a result of 0) and go on. Reporting 1 for it keeps that.
bool EmptyDatagramWaiting(SOCKET s) {
  int type = 0;
  socklen_t length = sizeof type;
  if (::getsockopt(s, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_DGRAM) {
    return false;
  }
  char probe;
  return ::recv(s, &probe, sizeof probe, MSG_PEEK | MSG_DONTWAIT) == 0;
}
}  // namespace

int ioctlsocket(SOCKET s, long command, unsigned long* argument) {
  if (s == INVALID_SOCKET || argument == nullptr) return SOCKET_ERROR;
  if (command == kFIONBIO) {
    int flags = ::fcntl(s, F_GETFL, 0);
    if (flags < 0) return SOCKET_ERROR;
    flags = *argument != 0 ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return ::fcntl(s, F_SETFL, flags) == 0 ? 0 : SOCKET_ERROR;
  }
  if (command == kFIONREAD) {
    int waiting = 0;
    if (::ioctl(s, FIONREAD, &waiting) != 0) return SOCKET_ERROR;
    if (waiting <= 0 && EmptyDatagramWaiting(s)) waiting = 1;
    *argument = waiting < 0 ? 0 : static_cast<unsigned long>(waiting);
    return 0;
  }
  return SOCKET_ERROR;
}

int setsockopt(SOCKET s, int level, int option, const char* value, int value_length) {
  if (s == INVALID_SOCKET) return SOCKET_ERROR;
  return ::setsockopt(s, level, option, value, static_cast<socklen_t>(value_length)) == 0
             ? 0
             : SOCKET_ERROR;
}

int sendto(SOCKET s, const char* buffer, int length, int flags, const sockaddr* to, int to_length) {
  if (s == INVALID_SOCKET || length < 0) return SOCKET_ERROR;
  ssize_t sent = ::sendto(s, buffer, static_cast<size_t>(length), flags | MSG_NOSIGNAL, to,
                          static_cast<socklen_t>(to_length));
  return sent < 0 ? SOCKET_ERROR : static_cast<int>(sent);
}

int recvfrom(SOCKET s, char* buffer, int length, int flags, sockaddr* from, int* from_length) {
  if (s == INVALID_SOCKET || length < 0) return SOCKET_ERROR;
  socklen_t address_length = from_length != nullptr ? static_cast<socklen_t>(*from_length) : 0;
  // MSG_TRUNC makes a datagram socket report the datagram's real size.
  ssize_t got = ::recvfrom(s, buffer, static_cast<size_t>(length), flags | MSG_DONTWAIT | MSG_TRUNC,
                           from, from != nullptr ? &address_length : nullptr);
  if (got < 0) return SOCKET_ERROR;
  // A datagram larger than the buffer is an error, as in Winsock: its cut-off head is in the
  // buffer and the rest is gone.
  if (got > length) return SOCKET_ERROR;
  if (from_length != nullptr) *from_length = static_cast<int>(address_length);
  return static_cast<int>(got);
}

std::uint32_t inet_addr(const char* text) {
  if (text == nullptr) return INADDR_NONE;
  in_addr parsed{};
  // inet_aton accepts the same forms as the Winsock conversion (a, a.b, a.b.c, a.b.c.d).
  if (::inet_aton(text, &parsed) == 0) return INADDR_NONE;
  return parsed.s_addr;
}

const char* inet_ntoa(in_addr address) {
  thread_local char text[INET_ADDRSTRLEN];
  if (::inet_ntop(AF_INET, &address, text, sizeof text) == nullptr) text[0] = '\0';
  return text;
}

std::uint16_t htons(std::uint16_t host_value) {
  return ::htons(host_value);
}
std::uint16_t ntohs(std::uint16_t network_value) {
  return ::ntohs(network_value);
}

sockaddr_in MakeAddress(std::uint32_t network_address, std::uint16_t host_port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = network_address;
  address.sin_port = ::htons(host_port);
  return address;
}

}  // namespace wsock
