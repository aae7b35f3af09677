#pragma once
// Frame receivers and the receive tick (run by the service window's TFormSV::Timer1Timer).
//
// Every 12 ms the tick takes at most one datagram from the workstation socket and hands it to
// the workstation link, then drains the station socket. Each station datagram is matched to a
// host slot by its sender's address, and its bytes go to that slot's receiver
// (lamp::StationFrameReceiverState), which takes its station's bytes as one stream and hands
// every frame with a good CRC on. The 100 receivers are independent, so datagrams of
// different stations may interleave freely, and a frame may be split over several datagrams.
#include <cstdint>

#include "link/station_frame.h"

namespace tolvex {

inline constexpr int kFrameReceiverSlots = 100;
inline constexpr int kReceiveBufferSize = 2000;

// One receiver per host slot; they live for the whole run.
extern lamp::StationFrameReceiverState FrameReceivers[kFrameReceiverSlots];
// The tick's one receive buffer, for the workstation datagram and then each station datagram.
extern std::uint8_t ReceiveBuffer[kReceiveBufferSize];

// Where good station frames go: header (22 bytes), payload length (body length - 2), body
// (payload and the two CRC bytes), host slot.
using StationFrameHandler = void (*)(const std::uint8_t* header, std::int32_t payload_length,
                                     const std::uint8_t* body, std::int32_t slot);
// nullptr restores the default, DecodeStationReply.
void SetStationFrameHandler(StationFrameHandler handler);

// Where workstation datagrams go: length, bytes, sender's dotted-decimal address, sender's
// port in host order.
using WorkstationDatagramHandler = void (*)(int length, const std::uint8_t* bytes,
                                            const char* sender_ip, int sender_port);
// nullptr restores the default, ParseCommandDatagram.
void SetWorkstationDatagramHandler(WorkstationDatagramHandler handler);

// The receive tick's first half: at most one waiting datagram of the workstation socket,
// handed on. Returns its length, 0 when none was taken.
int ReceiveWorkstationDatagram();
// Its second half: every waiting station datagram, fed to the receiver of its host slot.
void DrainStationSocket();

// The bytes of one datagram of host slot `slot` (0..kFrameReceiverSlots-1; others are
// ignored), in order, through that slot's receiver.
void FeedStationDatagram(int slot, const std::uint8_t* bytes, int length);

// Back to the load-time state (all receivers hunting, windows empty). The program never
// needs it; a test fixture does.
void ResetFrameReceivers();

}  // namespace tolvex
