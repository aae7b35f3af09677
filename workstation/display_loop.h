#pragma once
// The display loop: every 500 ms it turns the cell table into what the operator sees: the
// no-link flag of every cell, the counts per station in the lamp-room overview and its
// summary lamps, the two cell lists of the station view, the state on the lamp card and the
// cell card. Rows are rewritten only when what they show has changed, or periodically.
#include <array>
#include <cstdint>
#include <string>

#include "workstation/cell_table.h"
#include "workstation/station_view.h"

namespace lumora {

// DisplayTick runs 1..121; at 121 every station row with a slot is rewritten, at 110 the
// station view is redrawn, at 2 the lamp card's state text is refreshed.
inline constexpr std::uint32_t kDisplayCycleTicks = 121;
inline constexpr std::uint32_t kStationViewRedrawTick = 110;
inline constexpr std::uint32_t kLampCardRefreshTick = 2;
inline constexpr int kDisplayStations = 100;
// The live events list is cut to its newest rows past this many.
inline constexpr int kLiveEventsRowLimit = 5000;
inline constexpr int kLiveEventsRowsKept = 5;

// ChangeMask bits of positions 0..26; positions 27..53 use the same bits shifted by 8.
inline constexpr std::uint32_t kChangedNumber = 0x1;
inline constexpr std::uint32_t kChangedState = 0x2;
inline constexpr std::uint32_t kChangedModeError = 0x4;
inline constexpr std::uint32_t kChangedFault = 0x8;
inline constexpr std::uint32_t kChangedNoLink = 0x10;
inline constexpr std::uint32_t kChangedPeriodic = 0x80;
inline constexpr std::uint32_t kChangedStation = 0x10000;

// Status texts of the station view's cells; the no-link text also fills the cell card's memo.
inline constexpr std::string_view kStationViewNoLinkText = "Нет Связи";
inline constexpr std::string_view kBatteryFaultStatusText = "Батарея неиспр.";
inline constexpr std::string_view kCellFaultStatusText = "Зар. ячейка неиспр.";

// Counts of one station on one tick.
struct StationCounts {
  std::int32_t numbered = 0;
  std::int32_t connected = 0;  // shown, but no change of it alone rewrites the row
  std::int32_t free = 0;
  std::int32_t discharge = 0;
  std::int32_t charge = 0;
  std::int32_t trickle_charge = 0;
  std::int32_t ready = 0;
  std::int32_t cell_fault = 0;
  std::int32_t battery_fault = 0;
  std::int32_t no_link = 0;
};

struct PositionCacheEntry {
  NumberText number{};
  std::uint32_t state = 0;
  std::uint32_t mode_error_bits = 0;
  std::uint32_t fault_bits = 0;
  std::int32_t no_link = 0;
};

struct DisplayLoopState {
  std::uint32_t DisplayTick = 0;
  // Index 1..100 (0 unused); every count but connected is compared.
  std::array<StationCounts, kDisplayStations + 1> StationCountCache{};
  std::uint32_t RowRewriteCount = 0;
  std::array<PositionCacheEntry, kStationPositions> PositionCache{};
  std::uint32_t ChangeMask = 0;
  std::int32_t ChangeCount = 0;
  struct {
    std::int32_t station_drawn = 0;
    std::int32_t datagram_count = 0;
    int marquee_step = 0;
  } CellCardCache;
  struct {
    std::uint32_t state = 0xFFFF;
    std::int32_t slot = 0;
    std::int32_t cycle_mode = 255;
  } LampCardCache;
};

extern DisplayLoopState DisplayLoop;

// Back to the start values (the program starts there; tests start each case there).
void ResetDisplayLoop();

// One tick of the loop (TMainForm::TimerINDIKTimer).
void RunDisplayTick();

// Pure pieces of the loop.
// The counts of stations 1..100 in one pass over the table, whether each has a slot, and the
// lamp room's any-fault flags; sets the no-link flag of every slot of those stations.
struct LampRoomCounts {
  std::array<StationCounts, kDisplayStations + 1> station{};  // index 1..100
  std::array<bool, kDisplayStations + 1> has_slot{};
  bool any_cell_fault = false;
  bool any_battery_fault = false;
  bool any_no_link = false;
};
void CountLampRoom(LampRoomCounts& counts);
// The "Неиспр." text of a linked cell (the last rule that applies wins).
std::string_view StationStatusText(std::uint32_t mode_error_bits, std::uint32_t fault_bits);
// The cell card's memo lines: "ОШИБКА РЕЖИМА" and a line per mode-error bit, then a line per
// fault bit.
void BuildCellCardMemo(forms::TStrings& lines, std::uint32_t mode_error_bits,
                       std::uint32_t fault_bits);
// "%2.2d:%2.2d" of minutes / 60 and minutes % 60.
std::string ChargeTimeText(std::int32_t minutes);
// Thousandths as "%2.2f" (voltage), or "%2.3f" for a current in trickle charge.
std::string VoltageText(std::int32_t millivolts);
std::string CurrentText(std::int32_t milliamperes, std::uint32_t state);
// The slot of a number given as screen text (UTF-8), through FindDeviceSlot on its 8-bit
// form.
std::int32_t FindSlotOfScreenNumber(const std::string& number);

}  // namespace lumora
