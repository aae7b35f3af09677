// The editor's fields: defaults per battery type, collecting and showing a record, emptying
// the form, and the texts of the error box. All arithmetic in single precision, as the
// device's own tables are.
#include <algorithm>
#include <cstdio>
#include <limits>

#include "workstation/battery_editor.h"
#include "workstation/screen_text.h"

namespace lumora {

namespace {

enum BatteryType { kNiCd = 0, kNiMh = 1, kLiIon = 2, kTopUp = 3 };

// Per-cell defaults of one battery type; currents marked "of Q" are fractions of the
// capacity.
struct TypeDefaults {
  float delta;
  float pre_discharge_min_voltage;
  float charge_max_voltage;
  float nominal_voltage;
  float pre_discharge_current_of_q;
  float charge_current_of_q;
  float control_current_of_q;
  float control_min_voltage;
  float trickle_current;  // of Q, or fixed (trickle_fixed)
  bool trickle_fixed;
  float trickle_max_voltage;
  float current_limit;
  float charge_time_factor;
  bool pre_discharge_and_trickle;  // CB1, CB4, CheckAVAR1
  bool min_current_test;           // CB5
};

constexpr TypeDefaults kTypeDefaults[] = {
    {0.01f, 1.0f, 1.65f, 1.2f, 0.2f, 0.1f, 0.1f, 1.0f, 0.003f, false, 1.65f, 1.6f, 1.2f, true,
     false},
    {0.004f, 1.0f, 1.7f, 1.2f, 0.2f, 0.1192f, 0.1f, 1.0f, 0.003f, false, 1.7f, 1.6f, 1.43f, true,
     false},
    {0.0f, 3.0f, 4.2f, 3.6f, 0.5f, 0.5f, 0.1f, 3.0f, 0.03f, true, 4.2f, 2.0f, 1.8f, false, true},
    {0.01f, 1.1f, 1.5f, 1.2f, 0.1f, 0.15f, 0.1f, 1.1f, 0.05f, true, 1.55f, 1.6f, 1.8f, false,
     false},
};

constexpr float kMinCapacity = 0.1f;
constexpr float kEndChargeCurrentOfQ = 0.045f;
constexpr float kEndChargeCurrentMin = 0.031f;
constexpr float kEndChargeCurrentMax = 0.6f;
constexpr float kTrickleCurrentMin = 0.005f;
constexpr float kTrickleCurrentMax = 0.3f;
constexpr float kLowVoltageBattery = 1.6f;
constexpr float kLowVoltageControlCurrent = 0.4f;

// "%f" of an edit's text; 0 when it holds no number.
float ReadFloat(const forms::TEdit& edit) {
  float value = 0.0f;
  if (std::sscanf(edit.Text().c_str(), "%f", &value) != 1) return 0.0f;
  return value;
}

// A single-precision value truncated toward zero. Typed numbers are not checked, so values
// beyond the 32-bit range saturate (and "nan" gives 0) instead of converting undefined.
std::int32_t Truncated(float value) {
  constexpr float kBelowMin = -2147483648.0f;
  constexpr float kAboveMax = 2147483648.0f;
  if (!(value == value)) return 0;
  if (value <= kBelowMin) return std::numeric_limits<std::int32_t>::min();
  if (value >= kAboveMax) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

// The field's value times scale, rounded to single precision, then truncated toward zero.
std::int32_t Scaled(const forms::TEdit& edit, float scale) {
  const float product = ReadFloat(edit) * scale;
  return Truncated(product);
}

void SetFloat(forms::TEdit& edit, const char* format, float value) {
  edit.SetText(Format(format, static_cast<double>(value)));
}

// value x 0.001 with "%3.2f".
void SetMilli(forms::TEdit& edit, std::int32_t value) {
  SetFloat(edit, "%3.2f", static_cast<float>(value) * 0.001f);
}

struct SwitchBox {
  forms::TCheckBox TFormBAT::*box;
  std::int32_t bit;
};
constexpr SwitchBox kSwitchBoxes[] = {
    {&TFormBAT::CB1, 0x1},         {&TFormBAT::CB2, 0x2},         {&TFormBAT::CB3, 0x4},
    {&TFormBAT::CB4, 0x8},         {&TFormBAT::CB5, 0x10},        {&TFormBAT::CheckAVAR1, 0x20},
    {&TFormBAT::CheckKZAR, 0x100}, {&TFormBAT::CheckKRAZ, 0x200},
};

constexpr std::int32_t kTypeBatteryOff = 0x400;
constexpr std::int32_t kTypeCurrentOn = 0x200;
constexpr std::int32_t kTypeOwnResistance = 0x800;

}  // namespace

int FillDefaultMode(TFormBAT& f) {
  if (f.EditACC.Text().empty()) return kModeNoCapacity;
  f.CheckKBAT.SetChecked(false);
  f.CheckKZAR.SetChecked(false);
  f.CheckKRAZ.SetChecked(false);
  f.CheckCNTOK.SetChecked(false);
  float q = ReadFloat(f.EditACC);
  if (q < kMinCapacity) q = kMinCapacity;
  const int type = f.RadioTIP.ItemIndex();
  if (type < 0) return kModeNoType;
  const int cells = f.RadioCELL.ItemIndex();
  if (cells < 0) return kModeNoCellCount;

  float end_charge_current = kEndChargeCurrentOfQ * q;
  f.CB2.SetChecked(false);
  f.CB3.SetChecked(false);

  const TypeDefaults& d = kTypeDefaults[std::min(type, static_cast<int>(kTopUp))];
  float delta = d.delta;
  float pre_min_voltage = d.pre_discharge_min_voltage;
  float charge_max_voltage = d.charge_max_voltage;
  float nominal_voltage = d.nominal_voltage;
  float pre_current = std::min(d.pre_discharge_current_of_q * q, d.current_limit);
  float charge_current = std::min(d.charge_current_of_q * q, d.current_limit);
  float control_current = std::min(d.control_current_of_q * q, d.current_limit);
  float control_min_voltage = d.control_min_voltage;
  float trickle_current = d.trickle_fixed ? d.trickle_current : d.trickle_current * q;
  trickle_current = std::clamp(trickle_current, kTrickleCurrentMin, kTrickleCurrentMax);
  float trickle_max_voltage = d.trickle_max_voltage;
  const float charge_time = q / charge_current * d.charge_time_factor;
  f.CB1.SetChecked(d.pre_discharge_and_trickle);
  f.CB4.SetChecked(d.pre_discharge_and_trickle);
  f.CheckAVAR1.SetChecked(d.pre_discharge_and_trickle);
  f.CB5.SetChecked(d.min_current_test);
  if (type == kLiIon) f.RadioCELL.SetItemIndex(0);

  // The cell count chosen before the type's own setting decides the voltages.
  if (cells == 1 || cells == 2) {
    const float factor = cells == 1 ? 2.0f : 3.0f;
    pre_min_voltage *= factor;
    charge_max_voltage *= factor;
    control_min_voltage *= factor;
    trickle_max_voltage *= factor;
    delta *= factor;
    nominal_voltage *= factor;
  }
  if (nominal_voltage < kLowVoltageBattery && control_current > kLowVoltageControlCurrent) {
    control_current = kLowVoltageControlCurrent;
  }
  end_charge_current = std::clamp(end_charge_current, kEndChargeCurrentMin, kEndChargeCurrentMax);

  SetFloat(f.EditP13, "%3.3f", delta);
  SetFloat(f.EditP2, "%3.2f", pre_min_voltage);
  SetFloat(f.EditP4, "%3.2f", charge_max_voltage);
  SetFloat(f.EditP7, "%3.2f", charge_max_voltage);
  SetFloat(f.EditVN, "%3.2f", nominal_voltage);
  SetFloat(f.EditP1, "%3.2f", pre_current);
  SetFloat(f.EditP3, "%3.2f", charge_current);
  SetFloat(f.EditP6, "%3.2f", charge_current);
  SetFloat(f.EditP9, "%3.2f", control_current);
  SetFloat(f.EditP10, "%3.2f", control_min_voltage);
  SetFloat(f.EditP11, "%3.3f", trickle_current);
  SetFloat(f.EditP12, "%3.2f", trickle_max_voltage);
  SetFloat(f.EditP5, "%3.2f", charge_time);
  SetFloat(f.EditP8, "%3.2f", charge_time);
  SetFloat(f.EditPMT, "%3.2f", end_charge_current);
  return kModeFormOk;
}

int CollectModeForm(TFormBAT& f) {
  if (f.EditACC.Text().empty()) return kModeNoCapacity;
  if (f.RadioTIP.ItemIndex() < 0) return kModeNoType;
  if (f.RadioCELL.ItemIndex() < 0) return kModeNoCellCount;

  lamp::ModeDisplayRecord& r = ModeFormRecord;
  r[lamp::kModeCapacity] = Truncated(ReadFloat(f.EditACC) * 100.0f + 0.5f);
  std::int32_t type_word = (f.RadioTIP.ItemIndex() & 3) + 1;
  if (f.CheckKBAT.Checked()) type_word += kTypeBatteryOff;
  if (f.CheckCNTOK.Checked()) type_word += kTypeCurrentOn;
  r[lamp::kModeCellCount] = (f.RadioCELL.ItemIndex() & 3) + 1;
  r[lamp::kModePreDischargeCurrent] = Scaled(f.EditP1, 1000.0f);
  r[lamp::kModePreDischargeMinVoltage] = Scaled(f.EditP2, 1000.0f);
  r[lamp::kModeCharge1Current] = Scaled(f.EditP3, 1000.0f);
  r[lamp::kModeCharge1MaxVoltage] = Scaled(f.EditP4, 1000.0f);
  r[lamp::kModeCharge1Time] = Scaled(f.EditP5, 60.0f);
  r[lamp::kModeCharge2Current] = Scaled(f.EditP6, 1000.0f);
  r[lamp::kModeCharge2MaxVoltage] = Scaled(f.EditP7, 1000.0f);
  r[lamp::kModeCharge2Time] = Scaled(f.EditP8, 60.0f);
  r[lamp::kModeControlDischargeCurrent] = Scaled(f.EditP9, 1000.0f);
  r[lamp::kModeControlDischargeMinVoltage] = Scaled(f.EditP10, 1000.0f);
  r[lamp::kModeTrickleCurrent] = Scaled(f.EditP11, 1000.0f);
  r[lamp::kModeEndChargeMinCurrent] = Scaled(f.EditPMT, 1000.0f);
  r[lamp::kModeTrickleMaxVoltage] = Scaled(f.EditP12, 1000.0f);
  r[lamp::kModeVoltageDelta] = Scaled(f.EditP13, 10000.0f);
  std::int32_t switches = 0;
  for (const SwitchBox& s : kSwitchBoxes) {
    if ((f.*s.box).Checked()) switches |= s.bit;
  }
  r[lamp::kModeCircuitResistance] = 0;
  const int resistance_item = std::max(f.ComboRR.ItemIndex(), 0) & 0xF;
  if (resistance_item < kOwnResistanceItem) {
    switches += resistance_item << 12;
  } else if (resistance_item == kOwnResistanceItem) {
    type_word += kTypeOwnResistance;
    r[lamp::kModeCircuitResistance] =
        std::clamp(Scaled(f.EditRRNET, 1000.0f), 0, kOwnResistanceLimit);
  }
  r[lamp::kModeTypeAndSwitches] = type_word;
  r[lamp::kModeSwitches] = switches;
  r[lamp::kModeNominalVoltage] = Scaled(f.EditVN, 1000.0f);
  return kModeFormOk;
}

void ShowModeOnBatteryForm(const lamp::ModeDisplayRecord& r) {
  if (FormBAT == nullptr) return;
  TFormBAT& f = *FormBAT;
  f.EditRRNET.SetText("0");
  SetFloat(f.EditACC, "%3.2f", static_cast<float>(r[lamp::kModeCapacity]) * 0.01f);
  const std::int32_t type_word = r[lamp::kModeTypeAndSwitches];
  int type = type_word & 7;
  if (type == 0 || type > 4) type = 1;
  f.RadioTIP.SetItemIndex(type - 1);
  f.CheckKBAT.SetChecked((type_word & kTypeBatteryOff) != 0);
  f.CheckCNTOK.SetChecked((type_word & 0x300) == kTypeCurrentOn);
  if ((type_word & 0x1800) == kTypeOwnResistance) {
    f.ComboRR.SetItemIndex(kOwnResistanceItem);
    SetFloat(f.EditRRNET, "%2.3f", static_cast<float>(r[lamp::kModeCircuitResistance]) * 0.001f);
  } else {
    f.ComboRR.SetItemIndex((r[lamp::kModeSwitches] >> 12) & 0xF);
  }
  int cells = r[lamp::kModeCellCount] & 7;
  if (cells == 0 || cells >= 4) cells = 1;
  f.RadioCELL.SetItemIndex(cells - 1);
  SetMilli(f.EditPMT, r[lamp::kModeEndChargeMinCurrent]);
  SetMilli(f.EditP1, r[lamp::kModePreDischargeCurrent]);
  SetMilli(f.EditP2, r[lamp::kModePreDischargeMinVoltage]);
  SetMilli(f.EditP3, r[lamp::kModeCharge1Current]);
  SetMilli(f.EditP4, r[lamp::kModeCharge1MaxVoltage]);
  SetMilli(f.EditP6, r[lamp::kModeCharge2Current]);
  SetMilli(f.EditP7, r[lamp::kModeCharge2MaxVoltage]);
  SetMilli(f.EditP9, r[lamp::kModeControlDischargeCurrent]);
  SetMilli(f.EditP10, r[lamp::kModeControlDischargeMinVoltage]);
  SetMilli(f.EditP12, r[lamp::kModeTrickleMaxVoltage]);
  SetFloat(f.EditP5, "%3.2f", static_cast<float>(r[lamp::kModeCharge1Time]) / 60.0f);
  SetFloat(f.EditP8, "%3.2f", static_cast<float>(r[lamp::kModeCharge2Time]) / 60.0f);
  SetFloat(f.EditP11, "%3.3f", static_cast<float>(r[lamp::kModeTrickleCurrent]) * 0.001f);
  SetFloat(f.EditP13, "%3.3f", static_cast<float>(r[lamp::kModeVoltageDelta]) * 0.0001f);
  for (const SwitchBox& s : kSwitchBoxes) {
    (f.*s.box).SetChecked((r[lamp::kModeSwitches] & s.bit) != 0);
  }
  SetMilli(f.EditVN, r[lamp::kModeNominalVoltage]);
}

void ClearModeForm() {
  if (FormBAT == nullptr) return;
  TFormBAT& f = *FormBAT;
  for (forms::TEdit* edit : {&f.EditCOMT, &f.EditACC, &f.EditVN, &f.EditP1, &f.EditP2, &f.EditP3,
                             &f.EditP4, &f.EditP5, &f.EditP6, &f.EditP7, &f.EditP8, &f.EditP9,
                             &f.EditP10, &f.EditP11, &f.EditP12, &f.EditP13, &f.EditPMT}) {
    edit->SetText("");
  }
  for (forms::TCheckBox* box : {&f.CB1, &f.CB2, &f.CB3, &f.CB4, &f.CB5, &f.CheckAVAR1, &f.CheckKZAR,
                                &f.CheckKRAZ, &f.CheckKBAT}) {
    box->SetChecked(false);
  }
  f.RadioTIP.SetItemIndex(-1);
  f.RadioCELL.SetItemIndex(-1);
}

const char* ModeErrorMessage(int code) {
  switch (code) {
    case kModeNoCapacity:
      return "Не задана ёмкость батареи";
    case kModeNoType:
      return "Не задан тип батареи";
    case kModeNoCellCount:
      return "Не задано кол. аккумуляторов";
    default:
      return "";
  }
}

void SetErrorMessage(int code) {
  if (FormERR != nullptr) FormERR->Label.SetCaption(ModeErrorMessage(code));
}

void TFormBAT::RadioTIPClick() {
  const int type = RadioTIP.ItemIndex();
  if (type == kLiIon) {
    RadioCELL.SetItemIndex(0);
  } else if (type >= 0) {
    RadioCELL.SetItemIndex(2);
  }
}

}  // namespace lumora
