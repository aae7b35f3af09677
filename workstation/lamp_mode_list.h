#pragma once
// The lamp card's parameter list as text: 15 rows of caption and four value cells ("Знач.",
// "Ток", "Напр.", "Время") from a ModeDisplayRecord, with the two switch flags that colour
// rows 13 and 14. Numbers are the record value in single precision times its scale, the
// product rounded to single precision, then formatted.
#include <array>
#include <string>

#include "link/mode_record.h"

namespace lumora {

inline constexpr int kModeListRowCount = 15;
inline constexpr int kModeListValueColumns = 4;

// Rows the list colours.
inline constexpr int kRowPreDischarge = 4;
inline constexpr int kRowCharge = 5;
inline constexpr int kRowEndChargeCurrentDrop = 9;
inline constexpr int kRowControlDischarge = 10;
inline constexpr int kRowTrickle = 11;
inline constexpr int kRowCurrentControl = 13;
inline constexpr int kRowBatteryControl = 14;

struct ModeListRow {
  std::string caption;
  std::array<std::string, kModeListValueColumns> cells;  // sub-items 0..3
};

struct ModeListRows {
  std::array<ModeListRow, kModeListRowCount> rows;
  bool current_control = false;  // row 13 shows "ВКЛ"
  bool battery_control = false;  // row 14 shows "ОТКЛ"
};

ModeListRows BuildModeListRows(const lamp::ModeDisplayRecord& record);

// The text of the fixed circuit resistance list at index 0..10; the empty text otherwise.
const char* CircuitResistanceText(int index);

}  // namespace lumora
