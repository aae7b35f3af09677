// Arbitrary station frames handed to the reply decoder as a frame receiver hands them: the
// 22 header bytes, a payload length and a body in the receiver's 256-byte buffer, a slot.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "server/cell_registry.h"
#include "server/reply_decoder.h"
#include "server/station_frame.h"

namespace {

// Two known cells, so that answers of a cell in the registry are decoded too.
bool PrepareRegistry() {
  tolvex::PrepareCellRegistry();
  tolvex::InitCellStatistics();
  tolvex::SetTabnum(0, "010aaa");
  tolvex::SetTabnum(1, "");
  tolvex::Cells.ST[0] = 1;
  tolvex::CellCount = 2;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool prepared = PrepareRegistry();
  (void)prepared;
  if (size < lamp::kFrameHeaderSize + 2) return 0;
  std::uint8_t header[lamp::kFrameHeaderSize];
  std::memcpy(header, data, sizeof header);
  const std::uint8_t control = data[lamp::kFrameHeaderSize];
  const std::int32_t slot = data[lamp::kFrameHeaderSize + 1] % 128 - 14;  // some out of range
  if ((control & 1) != 0) std::memcpy(header + 10, "010aaa", 6);
  if ((control & 2) != 0) header[1] = 0xC1;

  // The receiver's body buffer: at most 200 body bytes, payload = body - 2.
  std::uint8_t body[lamp::kFrameBufferSize] = {};
  std::size_t body_length = size - lamp::kFrameHeaderSize - 2;
  if (body_length > 200) body_length = 200;
  std::memcpy(body, data + lamp::kFrameHeaderSize + 2, body_length);
  const std::int32_t payload_length = static_cast<std::int32_t>(body_length) - 2;
  tolvex::DecodeStationReply(header, payload_length, body, slot);
  return 0;
}
