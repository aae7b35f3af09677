#include "server/frame_receiver.h"

#include "platform/net/winsock.h"
#include "server/host_table.h"
#include "server/reply_decoder.h"
#include "server/station_frame.h"
#include "server/workstation_link.h"
#include "server/workstation_socket.h"

namespace tolvex {

lamp::StationFrameReceiverState FrameReceivers[kFrameReceiverSlots];
std::uint8_t ReceiveBuffer[kReceiveBufferSize];

namespace {

StationFrameHandler station_frame_handler = &DecodeStationReply;
WorkstationDatagramHandler workstation_datagram_handler = &ParseCommandDatagram;

// One waiting datagram into ReceiveBuffer: its length (0 for an empty datagram), or -1 when
// nothing is waiting. The sockets are non-blocking, so the receive itself is the test: on
// Linux FIONREAD gives only the size of the next datagram, and an empty one at the head of
// the queue would read as "nothing waiting" forever and hide everything behind it.
int ReceiveDatagram(wsock::SOCKET socket, sockaddr_in& from) {
  int from_length = sizeof from;
  from = sockaddr_in{};
  const int length =
      wsock::recvfrom(socket, reinterpret_cast<char*>(ReceiveBuffer), kReceiveBufferSize, 0,
                      reinterpret_cast<sockaddr*>(&from), &from_length);
  return length < 0 ? -1 : length;
}

}  // namespace

int ReceiveWorkstationDatagram() {
  if (!MonitorSocket.open) return 0;
  sockaddr_in from;
  const int length = ReceiveDatagram(MonitorSocket.handle, from);
  if (length <= 0) return 0;
  MissedPingCount = 0;
  workstation_datagram_handler(length, ReceiveBuffer, wsock::inet_ntoa(from.sin_addr),
                               wsock::ntohs(from.sin_port));
  return length;
}

void DrainStationSocket() {
  if (StationSocketState != kStationSocketOpen) return;
  for (;;) {
    sockaddr_in from;
    const int length = ReceiveDatagram(StationSocket, from);
    if (length <= 0) return;
    StationLinkCountdown = 15;
    // Only the sender's address counts; its port is not compared.
    const int slot = FindHostByAddress(from.sin_addr.s_addr);
    if (slot >= 0 && slot < kFrameReceiverSlots) FeedStationDatagram(slot, ReceiveBuffer, length);
  }
}

void SetStationFrameHandler(StationFrameHandler handler) {
  station_frame_handler = handler != nullptr ? handler : &DecodeStationReply;
}

void SetWorkstationDatagramHandler(WorkstationDatagramHandler handler) {
  workstation_datagram_handler = handler != nullptr ? handler : &ParseCommandDatagram;
}

void FeedStationDatagram(int slot, const std::uint8_t* bytes, int length) {
  if (slot < 0 || slot >= kFrameReceiverSlots || length <= 0) return;
  lamp::StationFrameReceiverState& r = FrameReceivers[slot];
  lamp::FeedStationFrameBytes(r, {bytes, static_cast<std::size_t>(length)}, [&] {
    station_frame_handler(r.header, static_cast<std::int32_t>(r.expected) - 2, r.body, slot);
  });
}

void ResetFrameReceivers() {
  for (lamp::StationFrameReceiverState& r : FrameReceivers) r = lamp::StationFrameReceiverState{};
}

}  // namespace tolvex
