#include "workstation/cell_table.h"

#include <cstring>

namespace lumora {

WorkerListTable WorkerList;
CellTableColumns CellTable;

namespace {

std::int32_t LoadedCount() {
  const std::int32_t count = WorkerList.count;
  if (count < 0) return 0;
  return count > kSlotCount ? kSlotCount : count;
}

// Length of a slot's number text up to its NUL (the slot holds at most 8 bytes).
std::size_t SlotNumberLength(const NumberText& text) {
  std::size_t n = 0;
  while (n < text.size() && text[n] != '\0') ++n;
  return n;
}

}  // namespace

std::int32_t FindDeviceSlot(const char* number) {
  std::int32_t result = kSlotNoMatchAnyLength;
  const std::size_t n = std::strlen(number);
  if (n >= 7) return kSlotNumberTooLong;
  const std::int32_t count = LoadedCount();
  for (std::int32_t i = 0; i < count; ++i) {
    const NumberText& entry = WorkerList.number[static_cast<std::size_t>(i)];
    if (SlotNumberLength(entry) != n) continue;
    result = kSlotNoMatchSameLength;
    if (std::memcmp(entry.data(), number, n) == 0) return i;
  }
  return result;
}

std::int32_t FindWorkerIndex(const char* number) {
  const int slot = WorkerList.number.FindFirst(number);
  // The first slot of the number among all slots: when it is not a loaded one, none is.
  return slot >= 0 && slot < LoadedCount() ? slot : kSlotNotFound;
}

void SetCellTableStartValues() {
  CellTable.state.fill(kStateNeverReported);
  CellTable.mode_error_bits.fill(0);
  CellTable.fault_bits.fill(0);
  CellTable.datagram_count.fill(0);
  CellTable.link_age.fill(0);
  CellTable.no_link.fill(0);
}

void AgeLinkAges() {
  for (std::int32_t& age : CellTable.link_age) {
    if (age < kLinkAgeLimit) ++age;
  }
}

void BeginWorkerListLoad() {
  // Every slot starts empty: a slot the new list does not fill keeps no station, so no stale
  // lamp counts in a station's rows, and a shorter number keeps no older bytes after its NUL
  // that would hide it from the six-byte lookup.
  WorkerList.number.Clear();
  WorkerList.station.fill(0);
  WorkerList.count = 0;
}

bool StoreWorkerRow(std::int32_t slot, std::string_view number, std::int32_t station) {
  if (!IsSlotIndex(slot)) return false;
  NumberText text = WorkerList.number[static_cast<std::size_t>(slot)];
  const std::size_t n = number.size() < kNumberLength ? number.size() : kNumberLength;
  std::memcpy(text.data(), number.data(), n);
  text[n] = '\0';
  WorkerList.number.Set(static_cast<std::size_t>(slot), text);
  WorkerList.station[static_cast<std::size_t>(slot)] = station;
  WorkerList.count = slot + 1;
  return true;
}

}  // namespace lumora
