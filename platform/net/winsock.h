#pragma once
// The Windows Sockets calls the programs use, over POSIX sockets. Handles are file
// descriptors; every call is non-throwing and reports failure the Winsock way
// (INVALID_SOCKET / SOCKET_ERROR).
//
// Where Linux differs from Winsock:
// - FIONREAD on a UDP socket gives the size of the next datagram, not the total of all
//   waiting bytes, and 0 for an empty datagram, the same answer as for an empty queue: by
//   itself it cannot tell "an empty datagram is waiting" from "nothing is waiting". The
//   call below reports an empty datagram as 1 byte (see the last point); a caller that must
//   not miss anything tests by receiving, as the server's receive tick does.
// - SO_RCVBUF / SO_SNDBUF are capped by net.core.rmem_max / wmem_max; the kernel doubles the
//   value it keeps. The call still succeeds, as on Windows.
// - WSAStartup has nothing to start; it fills in version 2.2 and succeeds.
// - recvfrom never blocks, whatever the socket's mode: it is called on the UI thread, after
//   FIONREAD or on its own as the test for a waiting datagram, and must never hang there.
// - A datagram larger than the receive buffer fails (SOCKET_ERROR) and is consumed, as in
//   Winsock; an empty datagram is reported by FIONREAD as 1 byte waiting, so the next
//   recvfrom takes it (with the result 0) instead of it blocking the queue.
#include <cstdint>

#include <netinet/in.h>
#include <sys/socket.h>

// glibc makes these macros when optimising; the real functions stay declared.
#undef htons
#undef ntohs
#undef htonl
#undef ntohl

namespace wsock {

using SOCKET = int;
inline constexpr SOCKET INVALID_SOCKET = -1;
inline constexpr int SOCKET_ERROR = -1;

// ioctlsocket commands (values of their own, mapped inside).
inline constexpr long kFIONBIO = 0x8004667E;
inline constexpr long kFIONREAD = 0x4004667F;

struct WSADATA {
  std::uint16_t wVersion = 0;
  std::uint16_t wHighVersion = 0;
  char szDescription[257] = {};
  char szSystemStatus[129] = {};
};

constexpr std::uint16_t MakeWord(std::uint8_t low, std::uint8_t high) {
  return static_cast<std::uint16_t>(low | (high << 8));
}

int WSAStartup(std::uint16_t requested_version, WSADATA* data);
SOCKET socket(int address_family, int type, int protocol);
int bind(SOCKET s, const sockaddr* address, int address_length);
int closesocket(SOCKET s);
int ioctlsocket(SOCKET s, long command, unsigned long* argument);
int setsockopt(SOCKET s, int level, int option, const char* value, int value_length);
int sendto(SOCKET s, const char* buffer, int length, int flags, const sockaddr* to, int to_length);
int recvfrom(SOCKET s, char* buffer, int length, int flags, sockaddr* from, int* from_length);

// Dotted-decimal text to an address in network order; INADDR_NONE (all ones) for text
// that is no address.
std::uint32_t inet_addr(const char* text);
// Address in network order to dotted-decimal text, in one static buffer per thread.
const char* inet_ntoa(in_addr address);
std::uint16_t htons(std::uint16_t host_value);
std::uint16_t ntohs(std::uint16_t network_value);

// A sockaddr_in for an address in network order and a port in host order.
sockaddr_in MakeAddress(std::uint32_t network_address, std::uint16_t host_port);

}  // namespace wsock
