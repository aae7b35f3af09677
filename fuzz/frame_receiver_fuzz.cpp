// Station bytes from the network: any stream, split anywhere, spread over several slots,
// must never run a receiver past its buffers, and every frame handed on must be one the
// receiver may accept. The station side's request parser gets the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "server/frame_receiver.h"
#include "simulator/station_codec.h"

namespace {

int delivered = 0;

// The slots the chunks go to, and the one of the well-formed answer.
constexpr int kChunkSlots[] = {0, 33, 66, 99};
constexpr int kAnswerSlot = 5;

// Only the slots this target feeds go back to the load-time state: clearing all hundred
// receivers twice per input took half of every run.
void ResetSlot(int slot) {
  tolvex::FrameReceivers[slot] = lamp::StationFrameReceiverState{};
}

void CheckFrame(const std::uint8_t* header, std::int32_t payload_length, const std::uint8_t* body,
                std::int32_t slot) {
  if (slot < 0 || slot >= tolvex::kFrameReceiverSlots) std::abort();
  if (header[0] >= 0x80) std::abort();
  const std::uint32_t body_length = header[lamp::kHeaderBodyLength];
  if (body_length > lamp::kMaxBodyLength) std::abort();
  if (payload_length != static_cast<std::int32_t>(body_length) - 2) std::abort();
  // Header, payload and CRC leave the MODBUS residue 0.
  const std::size_t taken = body_length > 0 ? body_length : 1;
  std::uint16_t crc = lamp::Crc16Modbus({header, lamp::kFrameHeaderSize});
  crc = lamp::Crc16Modbus({body, taken}, crc);
  if (crc != 0) std::abort();
  ++delivered;
}

// A well-formed answer built from the input (header from its first 22 bytes, payload from
// the rest) and split in two at a point the input chooses is delivered exactly once.
void CheckWellFormedAnswer(const std::uint8_t* data, std::size_t size) {
  if (size < lamp::kFrameHeaderSize + 1) return;
  stationsim::FrameHeaderBytes header;
  for (std::size_t i = 0; i < header.size(); ++i) header[i] = data[i + 1];
  header[0] &= 0x7F;
  std::size_t payload_size = size - lamp::kFrameHeaderSize - 1;
  if (payload_size > lamp::kMaxBodyLength - 2) payload_size = lamp::kMaxBodyLength - 2;
  std::uint8_t frame[lamp::kFrameBufferSize];
  const std::size_t length = stationsim::BuildAnswerFrame(
      header, {data + lamp::kFrameHeaderSize + 1, payload_size}, frame);
  if (length == 0) std::abort();
  ResetSlot(kAnswerSlot);
  delivered = 0;
  const std::size_t cut = data[0] % length;
  tolvex::FeedStationDatagram(kAnswerSlot, frame, static_cast<int>(cut));
  tolvex::FeedStationDatagram(kAnswerSlot, frame + cut, static_cast<int>(length - cut));
  if (delivered != 1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tolvex::SetStationFrameHandler(&CheckFrame);
  for (const int slot : kChunkSlots) ResetSlot(slot);
  // Each chunk: one control byte (slot in the low bits, chunk length in the high bits), then
  // that many bytes of the slot's stream.
  std::size_t at = 0;
  while (at < size) {
    const std::uint8_t control = data[at++];
    const int slot = kChunkSlots[control & 0x03];
    std::size_t length = (control >> 2) * 4 + 1;
    if (length > size - at) length = size - at;
    tolvex::FeedStationDatagram(slot, data + at, static_cast<int>(length));
    at += length;
  }

  CheckWellFormedAnswer(data, size);

  stationsim::RequestFrame request;
  if (stationsim::ParseRequestFrame({data, size}, request) == stationsim::RequestParse::kOk) {
    // A request that parses is rebuilt to the same bytes.
    std::uint8_t rebuilt[lamp::kFrameBufferSize];
    const std::size_t length = stationsim::BuildRawFrame(
        request.header, {request.payload.data(), request.payload_size}, rebuilt);
    if (length != size) std::abort();
    for (std::size_t i = 0; i < size; ++i) {
      if (rebuilt[i] != data[i]) std::abort();
    }
  }
  return 0;
}
