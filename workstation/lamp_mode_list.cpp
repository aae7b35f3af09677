#include "workstation/lamp_mode_list.h"

#include <cstdint>

#include "workstation/screen_text.h"

namespace lumora {

namespace {

using lamp::ModeDisplayRecord;

constexpr const char* kOn = "ВКЛ";
constexpr const char* kOff = "ОТКЛ";

// The record value in single precision times the scale, rounded to single precision.
float Scaled(std::int32_t value, double scale) {
  return static_cast<float>(static_cast<double>(static_cast<float>(value)) * scale);
}

float Hours(std::int32_t minutes) {
  return static_cast<float>(static_cast<double>(static_cast<float>(minutes)) / 60.0);
}

const char* BatteryTypeText(std::int32_t type_and_switches) {
  switch (type_and_switches & 7) {
    case 1:
      return "Ni-Cd";
    case 2:
      return "Ni-Mh";
    case 3:
      return "Li-Ion";
    case 4:
      return "Доливн";
    case 5:
      return "SLA";
    default:
      return "-";
  }
}

}  // namespace

const char* CircuitResistanceText(int index) {
  static constexpr const char* kTexts[] = {"0",    "0.02", "0.04", "0.06", "0.08", "0.10",
                                           "0.12", "0.14", "0.16", "0.18", "0.20"};
  if (index < 0 || index > 10) return "";
  return kTexts[index];
}

ModeListRows BuildModeListRows(const ModeDisplayRecord& r) {
  ModeListRows list;
  auto& rows = list.rows;
  const std::int32_t type_bits = r[lamp::kModeTypeAndSwitches];
  const auto flags = static_cast<std::uint32_t>(r[lamp::kModeSwitches]);
  const auto on = [flags](std::uint32_t bit) { return (flags & bit) != 0; };
  const auto on_off = [&on](std::uint32_t bit) { return on(bit) ? kOn : kOff; };

  rows[0] = {"Тип батареи", {BatteryTypeText(type_bits), "", "", ""}};
  rows[1] = {"Кол.аккумуляторов", {std::to_string(r[lamp::kModeCellCount]), "", "", ""}};
  rows[2] = {"Ёмкость", {Format("%2.2f", Scaled(r[lamp::kModeCapacity], 0.01)), "", "", ""}};
  rows[3] = {"Ном.напр.",
             {"", "", Format("%2.2f", Scaled(r[lamp::kModeNominalVoltage], 0.001)), ""}};

  rows[4] = {"Доразряд", {on_off(0x1), "", "", ""}};
  if (on(0x1)) {
    rows[4].cells[1] = Format("%2.2f", Scaled(r[lamp::kModePreDischargeCurrent], 0.001));
    rows[4].cells[2] = Format("%2.2f", Scaled(r[lamp::kModePreDischargeMinVoltage], 0.001));
  }
  rows[5] = {"Заряд",
             {"", Format("%2.2f", Scaled(r[lamp::kModeCharge1Current], 0.001)),
              Format("%2.2f", Scaled(r[lamp::kModeCharge1MaxVoltage], 0.001)),
              Format("%2.2f", Hours(r[lamp::kModeCharge1Time]))}};
  rows[6] = {"Заряд2", {on_off(0x4), "", "", ""}};
  if (on(0x4)) {
    rows[6].cells[1] = Format("%2.2f", Scaled(r[lamp::kModeCharge2Current], 0.001));
    rows[6].cells[2] = Format("%2.2f", Scaled(r[lamp::kModeCharge2MaxVoltage], 0.001));
    rows[6].cells[3] = Format("%2.2f", Hours(r[lamp::kModeCharge2Time]));
  }
  rows[7] = {"Контр.дельта", {on_off(0x2), "", "", ""}};
  if (on(0x2)) rows[7].cells[2] = Format("%3.3f", Scaled(r[lamp::kModeVoltageDelta], 0.0001));
  rows[8] = {"Контр.мин. тока зар.", {on_off(0x10), "", "", ""}};
  if (on(0x10)) {
    rows[8].cells[1] = Format("%3.2f", Scaled(r[lamp::kModeEndChargeMinCurrent], 0.001));
  }
  rows[9] = {"Инд.уменьш.тока зар.", {on_off(0x20), "", "", ""}};
  rows[10] = {"Контр.разряд",
              {"", Format("%2.2f", Scaled(r[lamp::kModeControlDischargeCurrent], 0.001)),
               Format("%2.2f", Scaled(r[lamp::kModeControlDischargeMinVoltage], 0.001)), ""}};
  rows[11] = {"Подзаряд", {on_off(0x8), "", "", ""}};
  if (on(0x8)) {
    rows[11].cells[1] = Format("%2.3f", Scaled(r[lamp::kModeTrickleCurrent], 0.001));
    rows[11].cells[2] = Format("%2.2f", Scaled(r[lamp::kModeTrickleMaxVoltage], 0.001));
  }

  std::string resistance;
  if ((type_bits & 0x1800) == 0x800) {
    resistance = Format("%1.3f", Scaled(r[lamp::kModeCircuitResistance], 0.001));
  } else {
    resistance = CircuitResistanceText(static_cast<int>((flags & 0xF000) >> 12));
  }
  rows[12] = {"Сопрот.цепи", {resistance, "", "", ""}};

  list.current_control = (type_bits & 0x300) == 0x200;
  rows[13] = {"КНТ Тока Подкл.", {list.current_control ? kOn : kOff, "", "", ""}};
  list.battery_control = (type_bits & 0x400) != 0;
  rows[14] = {"Контроль Бат.", {list.battery_control ? kOff : kOn, "", "", ""}};
  return list;
}

}  // namespace lumora
