#pragma once
// What the workstation knows of every lamp, in fixed tables indexed by the slot: the row of
// the lamp in the worker list read from WORKER. WorkerList says which lamp is in which slot
// and at which station; CellTable holds the last state the server reported for it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/lamp_numbers.h"

namespace lumora {

inline constexpr std::int32_t kSlotCount = 6000;
inline constexpr std::size_t kNumberSlotBytes = 8;  // 6 characters, NUL, one spare byte
inline constexpr std::size_t kNumberLength = 6;

// The state code of a slot that has never reported (matches no state text and no count).
inline constexpr std::uint32_t kStateNeverReported = 0xFFFFFF;
// The link age stops counting here.
inline constexpr std::int32_t kLinkAgeLimit = 1000000;

// FindDeviceSlot results other than a slot.
inline constexpr std::int32_t kSlotNumberTooLong = -2;
inline constexpr std::int32_t kSlotNoMatchSameLength = -3;
inline constexpr std::int32_t kSlotNoMatchAnyLength = -4;
// FindWorkerIndex result for a number not in the list.
inline constexpr std::int32_t kSlotNotFound = -1;

// A lamp's number as WORKER and the datagrams hold it: 8-bit cp1251 text.
using NumberText = lamp::LampNumberSlot;
static_assert(sizeof(NumberText) == kNumberSlotBytes);
static_assert(kSlotCount == static_cast<std::int32_t>(lamp::kLampNumberRows));

struct WorkerListTable {
  lamp::LampNumberColumn number{};  // written by BeginWorkerListLoad and StoreWorkerRow
  std::array<std::int32_t, kSlotCount> station{};
  std::int32_t count = 0;  // rows loaded, 0..kSlotCount
};

template <typename T>
using SlotColumn = std::array<T, kSlotCount>;

struct CellTableColumns {
  SlotColumn<std::uint32_t> state{};            // CellStateCode; kStateNeverReported at start
  SlotColumn<std::uint32_t> mode_error_bits{};  // ModeErrorBits
  SlotColumn<std::uint32_t> fault_bits{};       // FaultBits (0x8000: the server lost the cell)
  SlotColumn<std::int32_t> voltage{};           // thousandths of a volt
  SlotColumn<std::int32_t> current{};           // thousandths of an ampere
  SlotColumn<std::int32_t> charge_time{};       // minutes
  SlotColumn<std::int32_t> cycle_mode{};        // 0 off, 1 on, 2 automatic
  SlotColumn<std::int32_t> first_counter{};     // "N=" on the cell card
  SlotColumn<std::int32_t> second_counter{};    // "всего" on the cell card
  SlotColumn<std::int32_t> Pow{};               // supply voltage (UPW), thousandths of a volt
  SlotColumn<std::int32_t> uCH{};               // charge supply voltage (UZR)
  SlotColumn<std::int32_t> u5V{};               // 5-volt supply (U5V)
  SlotColumn<std::int32_t> fourth_supply{};     // signed measurement (GR)
  SlotColumn<std::int32_t> datagram_count{};    // IdCellStatus datagrams since start
  SlotColumn<std::int32_t> link_age{};          // seconds since the last IdCellStatus
  SlotColumn<std::int32_t> no_link{};           // 1 when the link age is 41 or more
};

extern WorkerListTable WorkerList;
extern CellTableColumns CellTable;

// Whether slot is an index of the tables (0..kSlotCount-1).
constexpr bool IsSlotIndex(std::int64_t slot) {
  return slot >= 0 && slot < kSlotCount;
}

// The slot of a NUL-terminated number compared as a text: a slot 0..count-1, or
// kSlotNumberTooLong (7 characters or more), kSlotNoMatchSameLength (some entry of the same
// length, none equal), kSlotNoMatchAnyLength (no entry of that length).
std::int32_t FindDeviceSlot(const char* number);

// The slot whose first six bytes equal the first six bytes at number (all six, NULs and what
// follows them included), or kSlotNotFound. At least six bytes must be readable at number.
std::int32_t FindWorkerIndex(const char* number);

// Writes the start-up values into every slot: state kStateNeverReported; mode-error and fault
// bits, datagram count, link age and no-link flag 0; the measurements are left as they are.
void SetCellTableStartValues();

// One second of ageing: every slot's link age below kLinkAgeLimit goes up by 1.
void AgeLinkAges();

// For the worker-list loader: empties every number text (all its bytes), every station
// number and the count.
void BeginWorkerListLoad();
// Stores one WORKER row in slot: the first six characters of number and a NUL, the station;
// the count becomes slot + 1. A slot outside the tables is refused (false).
bool StoreWorkerRow(std::int32_t slot, std::string_view number, std::int32_t station);

}  // namespace lumora
