#include "link/mode_record.h"

#include "link/little_endian.h"

namespace lamp {

std::uint16_t ModeRecord::word(std::size_t n) const {
  return ReadU16(bytes, 2 * n);
}

void PackModeRecord(const ModeDisplayRecord& record, std::span<std::uint8_t, kModeRecordSize> out) {
  for (std::uint8_t& byte : out) byte = 0;
  for (std::size_t index = 0; index < kModeDisplayValueCount; ++index) {
    const int word = kModeWordOfIndex[index];
    if (word < 0) continue;
    WriteU16(out, 2 * static_cast<std::size_t>(word),
             static_cast<std::uint16_t>(static_cast<std::uint32_t>(record[index]) & 0xFFFF));
  }
}

ModeRecord PackModeRecord(const ModeDisplayRecord& record) {
  ModeRecord packed;
  PackModeRecord(record, packed.bytes);
  return packed;
}

void UnpackModeRecord(std::span<const std::uint8_t, kModeRecordSize> bytes,
                      ModeDisplayRecord& record) {
  for (std::size_t index = 0; index < kModeDisplayValueCount; ++index) {
    const int word = kModeWordOfIndex[index];
    if (word < 0) continue;
    record[index] = ReadU16(bytes, 2 * static_cast<std::size_t>(word));
  }
}

std::int32_t BattParmColumnValue(const ModeDisplayRecord& record, std::size_t column) {
  const int index = kBattParmColumnIndexes[column];
  if (index == kBattParmTypeFlags) return (record[kModeTypeAndSwitches] >> 8) & 0xFF;
  return record[static_cast<std::size_t>(index)];
}

void SetBattParmColumnValue(ModeDisplayRecord& record, std::size_t column, std::int32_t value) {
  const int index = kBattParmColumnIndexes[column];
  if (index == kBattParmTypeFlags) {
    std::int32_t& type_word = record[kModeTypeAndSwitches];
    type_word =
        (type_word & 0xFF) | static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << 8);
    return;
  }
  record[static_cast<std::size_t>(index)] = value;
}

ModeDisplayRecord UnpackModeRecord(std::span<const std::uint8_t, kModeRecordSize> bytes) {
  ModeDisplayRecord record;
  UnpackModeRecord(bytes, record);
  return record;
}

}  // namespace lamp
