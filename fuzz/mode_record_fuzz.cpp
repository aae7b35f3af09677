// A charge-mode record from any 48 bytes (a cell's answer, a workstation datagram): every
// value unpacks to 0..65535 with the unused index at 0, packing the result gives back the
// bytes with only the four words no value uses cleared, and packing any values keeps their
// low 16 bits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "link/mode_record.h"

namespace {

constexpr std::size_t kUnusedWords[] = {7, 14, 15, 23};

bool IsUnusedWord(std::size_t word) {
  for (std::size_t unused : kUnusedWords) {
    if (unused == word) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lamp::ModeRecord input;
  std::memcpy(input.bytes.data(), data,
              size < lamp::kModeRecordSize ? size : lamp::kModeRecordSize);

  const lamp::ModeDisplayRecord values = lamp::UnpackModeRecord(input.bytes);
  for (std::size_t i = 0; i < lamp::kModeDisplayValueCount; ++i) {
    if (values[i] < 0 || values[i] > 0xFFFF) std::abort();
  }
  if (values[lamp::kModeUnused] != 0) std::abort();

  const lamp::ModeRecord packed = lamp::PackModeRecord(values);
  for (std::size_t word = 0; word < lamp::kModeRecordWordCount; ++word) {
    const std::uint16_t expected = IsUnusedWord(word) ? 0 : input.word(word);
    if (packed.word(word) != expected) std::abort();
  }
  if (!(lamp::UnpackModeRecord(packed.bytes) == values)) std::abort();

  // Unpacking into a record leaves its unused index alone.
  lamp::ModeDisplayRecord kept;
  kept[lamp::kModeUnused] = -7;
  lamp::UnpackModeRecord(input.bytes, kept);
  if (kept[lamp::kModeUnused] != -7) std::abort();

  // Any signed values (from the bytes after the record): only their low 16 bits travel.
  if (size >= lamp::kModeRecordSize + sizeof(std::int32_t) * lamp::kModeDisplayValueCount) {
    lamp::ModeDisplayRecord any;
    std::memcpy(any.values.data(), data + lamp::kModeRecordSize,
                sizeof(std::int32_t) * lamp::kModeDisplayValueCount);
    const lamp::ModeDisplayRecord back = lamp::UnpackModeRecord(lamp::PackModeRecord(any).bytes);
    for (std::size_t i = 0; i < lamp::kModeDisplayValueCount; ++i) {
      const std::int32_t low =
          static_cast<std::int32_t>(static_cast<std::uint32_t>(any[i]) & 0xFFFF);
      if (back[i] != (i == lamp::kModeUnused ? 0 : low)) std::abort();
    }
  }
  return 0;
}
