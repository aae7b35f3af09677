#pragma once
// A battery's charge-mode parameter set in its two forms:
//   ModeRecord         48 bytes, 24 little-endian u16 words: inside CommandDatagram values
//                      (write) and BatteryDatagram data (IdModeRecord), and in the cell;
//   ModeDisplayRecord  21 signed 32-bit values: the editor's fields and the BATTPARM columns.
// Packing keeps the low 16 bits of each value; unpacking reads each word unsigned. Words 7,
// 14, 15 and 23 are always 0 and index 18 has no word, so pack then unpack gives back every
// record whose values lie in 0..65535, index 18 aside.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace lamp {

inline constexpr std::size_t kModeRecordSize = 48;
inline constexpr std::size_t kModeRecordWordCount = 24;
inline constexpr std::size_t kModeDisplayValueCount = 21;

// Indexes of ModeDisplayRecord (unit of the stored integer, BATTPARM column).
enum ModeIndex : std::size_t {
  kModeCapacity = 0,                     // 0.01 A*h, CNOM
  kModeTypeAndSwitches = 1,              // bits, Tip; bits 8-15 also NFLAG
  kModeCellCount = 2,                    // 1..3, CELL
  kModeEndChargeMinCurrent = 3,          // mA, IMINCH
  kModePreDischargeCurrent = 4,          // mA, IDISD
  kModePreDischargeMinVoltage = 5,       // mV, VMIND
  kModeCharge1Current = 6,               // mA, ICH1
  kModeCharge1MaxVoltage = 7,            // mV, VMAXCH1
  kModeCharge1Time = 8,                  // minutes, TIMCH1
  kModeCharge2Current = 9,               // mA, ICH2
  kModeCharge2MaxVoltage = 10,           // mV, VMAXCH2
  kModeCharge2Time = 11,                 // minutes, TIMCH2
  kModeControlDischargeCurrent = 12,     // mA, IDISCNT
  kModeControlDischargeMinVoltage = 13,  // mV, VMINCNT
  kModeTrickleCurrent = 14,              // mA, ICHPOD
  kModeTrickleMaxVoltage = 15,           // mV, VMAXCHPOD
  kModeVoltageDelta = 16,                // 0.1 mV, DELTA
  kModeSwitches = 17,                    // bits, PFLAG
  kModeUnused = 18,
  kModeNominalVoltage = 19,     // mV, VNOM
  kModeCircuitResistance = 20,  // milliohm, R_NET
};

struct ModeRecord {
  std::array<std::uint8_t, kModeRecordSize> bytes{};

  std::uint16_t word(std::size_t n) const;
};

struct ModeDisplayRecord {
  std::array<std::int32_t, kModeDisplayValueCount> values{};

  std::int32_t& operator[](std::size_t i) { return values[i]; }
  std::int32_t operator[](std::size_t i) const { return values[i]; }
  bool operator==(const ModeDisplayRecord&) const = default;
};

static_assert(sizeof(ModeRecord) == kModeRecordSize);

// The ModeRecord word that carries each index, -1 for index 18.
inline constexpr std::array<int, kModeDisplayValueCount> kModeWordOfIndex = {
    0, 1, 2, 22, 4, 5, 8, 9, 10, 11, 12, 13, 16, 17, 18, 19, 20, 21, -1, 3, 6};

// The BATTPARM columns that hold a record, Tip to R_NET, in the order in which both the read
// and the writes of the table name them: the record index of each, or kBattParmTypeFlags for
// NFLAG, which holds bits 8-15 of the type word (index 1) a second time.
inline constexpr int kBattParmTypeFlags = -1;
inline constexpr std::array<int, kModeDisplayValueCount> kBattParmColumnIndexes = {
    1, 2, 0, 19, 4, 5, 6, 7, 8, 9, 10, 11, 14, 15, 12, 13, 16, 3, 17, kBattParmTypeFlags, 20};

// The value a record gives BATTPARM column `column` of that list.
std::int32_t BattParmColumnValue(const ModeDisplayRecord& record, std::size_t column);
// Takes the value of BATTPARM column `column` into the record; NFLAG replaces bits 8-15 of
// the type word.
void SetBattParmColumnValue(ModeDisplayRecord& record, std::size_t column, std::int32_t value);

ModeRecord PackModeRecord(const ModeDisplayRecord& record);
// Writes the 48 bytes into `out`.
void PackModeRecord(const ModeDisplayRecord& record, std::span<std::uint8_t, kModeRecordSize> out);

// Every value from its word; index 18 is 0.
ModeDisplayRecord UnpackModeRecord(std::span<const std::uint8_t, kModeRecordSize> bytes);
// The same, but into `record`, leaving index 18 as it was.
void UnpackModeRecord(std::span<const std::uint8_t, kModeRecordSize> bytes,
                      ModeDisplayRecord& record);

}  // namespace lamp
