#pragma once
// The station side of the station frame format (link/station_frame.h): what a charging
// station needs to read the server's requests and to write its answers. Pure functions over
// byte spans; no sockets.
//
// Requests carry bit 7 set in header byte 0, answers carry it clear. An answer's payload is
// the command byte, one free byte, the count byte, then 16-bit little-endian words at payload
// offsets 3, 5, 7, ...
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "link/station_frame.h"

namespace stationsim {

using lamp::FrameHeaderBytes;

enum class RequestParse {
  kOk,
  kTooShort,        // shorter than an empty frame
  kNoSync,          // does not begin FF FF FF F7
  kNotRequest,      // header byte 0 has bit 7 clear
  kLengthMismatch,  // header byte 20 does not match the datagram's length
  kBadCrc,
  kNoEndMark,  // last byte is not FF
};

// One request as the station sees it.
struct RequestFrame {
  FrameHeaderBytes header{};
  std::uint8_t tag = 0;         // header byte 0 AND 0x0F
  std::uint8_t frame_type = 0;  // header byte 1
  std::array<std::uint8_t, 8> fab_num{};
  char address[7] = {};  // header bytes 10..15 up to the first NUL, NUL-terminated
  std::array<std::uint8_t, lamp::kMaxFramePayload> payload{};
  std::size_t payload_size = 0;

  std::uint8_t Command() const { return payload_size > 0 ? payload[0] : 0; }
  std::uint8_t CountByte() const { return payload_size > 2 ? payload[2] : 0; }
  // The word at payload offset `offset` (3 is the first); 0 past the payload.
  std::uint16_t Word(std::size_t offset) const;
  // The factory number as an unsigned little-endian value.
  std::uint64_t FabNumValue() const;
};

// Reads one whole request datagram.
RequestParse ParseRequestFrame(std::span<const std::uint8_t> datagram, RequestFrame& request);

// An answer header: byte 0 = tag (below 0x80 for a real answer; any value may be given to
// play a faulty station), frame type, factory number, address (up to 6 characters, zero
// padded). Byte 20 is left 0: BuildAnswerFrame fills it, BuildRawFrame keeps what is there.
FrameHeaderBytes MakeAnswerHeader(std::uint8_t tag, std::uint8_t frame_type, std::uint64_t fab_num,
                                  const char* address);
// The header of an answer to this request: its tag with bit 7 clear, its type, factory number
// and address.
FrameHeaderBytes AnswerHeaderFor(const RequestFrame& request);

// Payload: command, 0, count byte, then the words at offsets 3, 5, ... A count byte of -1
// means the payload's own length. Returns the payload length, 0 when out is too small.
std::size_t BuildAnswerPayload(std::uint8_t command, std::span<const std::uint16_t> words,
                               std::span<std::uint8_t> out, int count_byte = -1);

// A whole frame with header byte 20 := payload length + 2. Returns the datagram length, 0
// when out is too small or the payload does not fit a frame.
std::size_t BuildAnswerFrame(FrameHeaderBytes header, std::span<const std::uint8_t> payload,
                             std::span<std::uint8_t> out);
// A whole frame with the header exactly as given (for wrong body lengths).
std::size_t BuildRawFrame(const FrameHeaderBytes& header, std::span<const std::uint8_t> payload,
                          std::span<std::uint8_t> out);

}  // namespace stationsim
