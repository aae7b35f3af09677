#pragma once
// The system's fixed code sets and their texts, exactly as the operator sees them (UTF-8;
// every blank, leading and trailing ones included, is part of a text):
//   EventCode     the 16-bit event codes of the cells and of the server, with their classes
//   CellStateCode the state of a cell (two text forms)
//   cycle mode    0 off, 1 on, 2 automatic
//   ModeErrorBits a charge-mode parameter out of its range, one line per bit
//   FaultBits     cell and battery faults, one line per bit
// and the classes the workstation sorts cells into (no link, battery fault, cell fault).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace lamp {

// Event codes that the programs name themselves.
inline constexpr std::int32_t EventSupplyAlarm = 0x1001;
inline constexpr std::int32_t EventChargeOpenCircuitAlarm = 0x1005;
inline constexpr std::int32_t EventChargeCurrentDropAlarm = 0x1006;
inline constexpr std::int32_t EventLowBatteryVoltageAlarm = 0x1008;
inline constexpr std::int32_t EventLowCapacity = 0x1011;
inline constexpr std::int32_t EventLinkLost = 0x1040;
inline constexpr std::int32_t EventSupplyRestored = 0x2001;
inline constexpr std::int32_t EventChargeOpenCircuitRestored = 0x2005;
inline constexpr std::int32_t EventChargeCurrentDropRestored = 0x2006;
inline constexpr std::int32_t EventLowBatteryVoltageRestored = 0x2008;
inline constexpr std::int32_t EventBatteryConnected = 0x3001;
inline constexpr std::int32_t EventTrickleCharge = 0x3006;
inline constexpr std::int32_t EventPanelStart = 0x3010;
inline constexpr std::int32_t EventOperatorStart = 0x3030;
inline constexpr std::int32_t EventOperatorCycleStart = 0x3031;
inline constexpr std::int32_t EventOperatorStop = 0x3035;
inline constexpr std::int32_t EventCycleModeChanged = 0x3051;
inline constexpr std::int32_t EventReady = 0x3108;
inline constexpr std::int32_t EventChargeDone = 0x3404;
inline constexpr std::int32_t EventChargeResult = 0x3414;
inline constexpr std::int32_t EventControlDischargeDone = 0x3502;
inline constexpr std::int32_t EventServerStopped = 0x4000;
inline constexpr std::int32_t EventServerStarted = 0x4001;
inline constexpr std::int32_t EventStateFree = 0x5000;
inline constexpr std::int32_t EventStateCheck = 0x5001;
inline constexpr std::int32_t EventStateNoLink = 0x5002;

// The class of an event code is its high nibble (bits 12..15).
enum EventClass : int {
  kEventClassAlarm = 1,          // АВАРИЯ..., lost link
  kEventClassRestored = 2,       // ВОССТАНОВЛЕН..., supply switched on
  kEventClassOperation = 3,      // operation and state change of the cell
  kEventClassReset = 4,          // СБРОШЕНО..., server start and stop
  kEventClassOperatorReset = 5,  // СБРОШЕНО ОПЕР..., scheduled state records
};

struct EventCodeEntry {
  std::int32_t code;
  int event_class;
  const char* text;
};

// The 64 codes with texts.
std::span<const EventCodeEntry> EventCodeTable();

// The text of a code, or the empty text for a code without one (0 included).
std::string_view EventCodeText(std::int32_t code);
// The same into a fixed buffer, NUL-terminated and cut to fit.
void GetEventCodeText(std::int32_t code, std::span<char> out);
// The high nibble of the 16-bit code.
constexpr int EventCodeClass(std::int32_t code) {
  return (code >> 12) & 0xF;
}

// State texts; a code without a text (the start value 0xFFFFFF, 0xFFF, ...) gives the empty
// text. CellStateListText is the form of the station view's cell lists, CellStateText the
// form everywhere else.
std::string_view CellStateText(std::uint32_t state);
std::string_view CellStateListText(std::uint32_t state);

// "ОТКЛ", "ВКЛ", "АВТО" for 0, 1, 2; the empty text otherwise.
std::string_view CycleModeText(std::uint32_t mode);

struct BitText {
  std::uint32_t bit;
  const char* text;
};

// The heading above the mode-error lines.
inline constexpr std::string_view kModeErrorHeading = "ОШИБКА РЕЖИМА";
// One line per mode-error bit, in display order (bits 0x1, 0x2 and 0x4000 up have none).
std::span<const BitText> ModeErrorTexts();
// One line per fault bit, in display order (bit 0x8000 has none).
std::span<const BitText> FaultTexts();
// The line of one bit, or the empty text.
std::string_view ModeErrorText(std::uint32_t bit);
std::string_view FaultText(std::uint32_t bit);

// Cell classes of the workstation.
inline constexpr std::int32_t kNoLinkAge = 41;  // seconds since the cell's last status
inline constexpr std::uint32_t kBatteryFaultMask = 0x7028;
inline constexpr std::uint32_t kCellFaultMask = 0xFFFF0FD7;
inline constexpr std::uint32_t kFaultNoAnswer = 0x8000;  // the server cannot reach the cell

constexpr bool HasNoLink(std::int32_t link_age_seconds) {
  return link_age_seconds >= kNoLinkAge;
}
constexpr bool IsBatteryFault(std::uint32_t fault_bits) {
  return (fault_bits & kBatteryFaultMask) != 0;
}
constexpr bool IsCellFault(std::uint32_t fault_bits, std::uint32_t mode_error_bits) {
  return (fault_bits & kCellFaultMask) != 0 || mode_error_bits != 0;
}

}  // namespace lamp
