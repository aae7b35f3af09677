#include "simulator/station_codec.h"

#include <cstring>

namespace stationsim {

using tolvex::Crc16Modbus;
using tolvex::kFrameHeaderOffset;
using tolvex::kFrameOverhead;
using tolvex::kFramePayloadOffset;
using tolvex::kHeaderAddress;
using tolvex::kHeaderBodyLength;
using tolvex::kHeaderFabNum;
using tolvex::kHeaderFrameType;
using tolvex::kHeaderTag;

std::uint16_t RequestFrame::Word(std::size_t offset) const {
  const std::uint16_t low = offset < payload_size ? payload[offset] : 0;
  const std::uint16_t high = offset + 1 < payload_size ? payload[offset + 1] : 0;
  return static_cast<std::uint16_t>(low | (high << 8));
}

std::uint64_t RequestFrame::FabNumValue() const {
  std::uint64_t value = 0;
  for (std::size_t i = fab_num.size(); i-- > 0;) value = (value << 8) | fab_num[i];
  return value;
}

RequestParse ParseRequestFrame(std::span<const std::uint8_t> datagram, RequestFrame& request) {
  if (datagram.size() < kFrameOverhead) return RequestParse::kTooShort;
  if (datagram[0] != 0xFF || datagram[1] != 0xFF || datagram[2] != 0xFF || datagram[3] != 0xF7) {
    return RequestParse::kNoSync;
  }
  const auto header = datagram.subspan(kFrameHeaderOffset, kFrameHeaderSize);
  if ((header[kHeaderTag] & 0x80) == 0) return RequestParse::kNotRequest;
  const std::size_t payload_size = datagram.size() - kFrameOverhead;
  if (payload_size > kMaxFramePayload || header[kHeaderBodyLength] != payload_size + 2) {
    return RequestParse::kLengthMismatch;
  }
  const std::size_t crc_at = kFramePayloadOffset + payload_size;
  const std::uint16_t crc = Crc16Modbus(datagram.subspan(kFrameHeaderOffset, crc_at - 4));
  if (datagram[crc_at] != (crc & 0xFF) || datagram[crc_at + 1] != (crc >> 8)) {
    return RequestParse::kBadCrc;
  }
  if (datagram[crc_at + 2] != 0xFF) return RequestParse::kNoEndMark;

  request = RequestFrame{};
  std::memcpy(request.header.data(), header.data(), kFrameHeaderSize);
  request.tag = header[kHeaderTag] & 0x0F;
  request.frame_type = header[kHeaderFrameType];
  std::memcpy(request.fab_num.data(), header.data() + kHeaderFabNum, request.fab_num.size());
  for (std::size_t i = 0; i < 6 && header[kHeaderAddress + i] != 0; ++i) {
    request.address[i] = static_cast<char>(header[kHeaderAddress + i]);
  }
  request.payload_size = payload_size;
  std::memcpy(request.payload.data(), datagram.data() + kFramePayloadOffset, payload_size);
  return RequestParse::kOk;
}

FrameHeaderBytes MakeAnswerHeader(std::uint8_t tag, std::uint8_t frame_type, std::uint64_t fab_num,
                                  const char* address) {
  FrameHeaderBytes header{};
  header[kHeaderTag] = tag;
  header[kHeaderFrameType] = frame_type;
  for (std::size_t i = 0; i < 8; ++i) {
    header[kHeaderFabNum + i] = static_cast<std::uint8_t>(fab_num >> (8 * i));
  }
  for (std::size_t i = 0; address != nullptr && i < 6 && address[i] != '\0'; ++i) {
    header[kHeaderAddress + i] = static_cast<std::uint8_t>(address[i]);
  }
  return header;
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
  for (std::size_t i = 0; i < words.size(); ++i) {
    out[3 + 2 * i] = static_cast<std::uint8_t>(words[i] & 0xFF);
    out[4 + 2 * i] = static_cast<std::uint8_t>(words[i] >> 8);
  }
  return length;
}

std::size_t BuildAnswerFrame(FrameHeaderBytes header, std::span<const std::uint8_t> payload,
                             std::span<std::uint8_t> out) {
  if (payload.size() > kMaxFramePayload) return 0;
  header[kHeaderBodyLength] = static_cast<std::uint8_t>(payload.size() + 2);
  return BuildRawFrame(header, payload, out);
}

std::size_t BuildRawFrame(const FrameHeaderBytes& header, std::span<const std::uint8_t> payload,
                          std::span<std::uint8_t> out) {
  return tolvex::WriteStationFrame(std::span<const std::uint8_t, kFrameHeaderSize>(header), payload,
                                   out);
}

}  // namespace stationsim
