#include "simulator/station_codec.h"

#include <cstring>

#include "link/little_endian.h"

namespace stationsim {

using lamp::kFrameHeaderOffset;
using lamp::kFrameHeaderSize;
using lamp::kFrameOverhead;
using lamp::kFramePayloadOffset;
using lamp::kHeaderAddress;
using lamp::kHeaderTag;

std::uint16_t RequestFrame::Word(std::size_t offset) const {
  return lamp::PayloadWord(std::span<const std::uint8_t>(payload.data(), payload_size), offset);
}

std::uint64_t RequestFrame::FabNumValue() const {
  return lamp::ReadU64(fab_num, 0);
}

RequestParse ParseRequestFrame(std::span<const std::uint8_t> datagram, RequestFrame& request) {
  if (datagram.size() < kFrameOverhead) return RequestParse::kTooShort;
  if (datagram[0] != lamp::kFrameSyncByte || datagram[1] != lamp::kFrameSyncByte ||
      datagram[2] != lamp::kFrameSyncByte || datagram[3] != lamp::kFrameStartByte) {
    return RequestParse::kNoSync;
  }
  const auto header = datagram.subspan(kFrameHeaderOffset, kFrameHeaderSize);
  if ((header[kHeaderTag] & lamp::kRequestDirection) == 0) return RequestParse::kNotRequest;
  const std::size_t payload_size = datagram.size() - kFrameOverhead;
  if (payload_size > lamp::kMaxFramePayload ||
      header[lamp::kHeaderBodyLength] != payload_size + 2) {
    return RequestParse::kLengthMismatch;
  }
  const std::size_t crc_at = kFramePayloadOffset + payload_size;
  const std::uint16_t crc =
      lamp::Crc16Modbus(datagram.subspan(kFrameHeaderOffset, crc_at - kFrameHeaderOffset));
  if (datagram[crc_at] != (crc & 0xFF) || datagram[crc_at + 1] != (crc >> 8)) {
    return RequestParse::kBadCrc;
  }
  if (datagram[crc_at + 2] != lamp::kFrameEndMark) return RequestParse::kNoEndMark;

  request = RequestFrame{};
  std::memcpy(request.header.data(), header.data(), kFrameHeaderSize);
  request.tag = header[kHeaderTag] & lamp::kFrameTagMask;
  request.frame_type = header[lamp::kHeaderFrameType];
  std::memcpy(request.fab_num.data(), header.data() + lamp::kHeaderFabNum, request.fab_num.size());
  for (std::size_t i = 0; i < lamp::kHeaderAddressLength && header[kHeaderAddress + i] != 0; ++i) {
    request.address[i] = static_cast<char>(header[kHeaderAddress + i]);
  }
  request.payload_size = payload_size;
  std::memcpy(request.payload.data(), datagram.data() + kFramePayloadOffset, payload_size);
  return RequestParse::kOk;
}

FrameHeaderBytes MakeAnswerHeader(std::uint8_t tag, std::uint8_t frame_type, std::uint64_t fab_num,
                                  const char* address) {
  return lamp::MakeFrameHeader(tag, frame_type, fab_num, address, 0);
}

FrameHeaderBytes AnswerHeaderFor(const RequestFrame& request) {
  return MakeAnswerHeader(request.tag, request.frame_type, request.FabNumValue(), request.address);
}

std::size_t BuildAnswerPayload(std::uint8_t command, std::span<const std::uint16_t> words,
                               std::span<std::uint8_t> out, int count_byte) {
  const std::size_t length = 3 + 2 * words.size();
  if (out.size() < length) return 0;
  out[0] = command;
  out[1] = 0;
  out[2] =
      static_cast<std::uint8_t>(count_byte < 0 ? length : static_cast<std::size_t>(count_byte));
  for (std::size_t i = 0; i < words.size(); ++i) lamp::WriteU16(out, 3 + 2 * i, words[i]);
  return length;
}

std::size_t BuildAnswerFrame(FrameHeaderBytes header, std::span<const std::uint8_t> payload,
                             std::span<std::uint8_t> out) {
  if (payload.size() > lamp::kMaxFramePayload) return 0;
  header[lamp::kHeaderBodyLength] = static_cast<std::uint8_t>(payload.size() + 2);
  return BuildRawFrame(header, payload, out);
}

std::size_t BuildRawFrame(const FrameHeaderBytes& header, std::span<const std::uint8_t> payload,
                          std::span<std::uint8_t> out) {
  return lamp::WriteStationFrame(header, payload, out);
}

}  // namespace stationsim
