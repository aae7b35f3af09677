// The lamp card's 100 ms tick: first the database re-read when one is requested, then the
// pending lamp command.
#include <string>

#include "workstation/command_sender.h"
#include "workstation/lamp_card.h"

namespace lumora {

namespace {

// What LoadWorkerCard returns when there is no connection or its statement failed.
constexpr std::int32_t kNoDatabase = -5;

void ReadLampCard(const std::string& number) {
  const std::int32_t worker_rows = LampCardHooks.LoadWorkerCard != nullptr
                                       ? LampCardHooks.LoadWorkerCard(number.c_str())
                                       : kNoDatabase;
  if (worker_rows == kNoDatabase) {
    if (LampCardHooks.ShowConnectWindow != nullptr) LampCardHooks.ShowConnectWindow();
    return;
  }
  if (LampCardHooks.LoadDischargeReport != nullptr) {
    LampCardHooks.LoadDischargeReport(number.c_str());
  }
  if (LampCardHooks.LoadChargeReport != nullptr) LampCardHooks.LoadChargeReport(number.c_str());
  if (LampCardHooks.LoadShiftBattery != nullptr) LampCardHooks.LoadShiftBattery(number.c_str());
  if (LampCardHooks.LoadBatteryParams == nullptr) return;
  lamp::ModeDisplayRecord record;
  if (LampCardHooks.LoadBatteryParams(number.c_str(), record) != 0) {
    ShowModeOnLampCard(record);
    if (LampCardHooks.ShowModeOnBatteryForm != nullptr) {
      LampCardHooks.ShowModeOnBatteryForm(record);
    }
  }
}

}  // namespace

void TFormSVET::Timer1Timer() {
  if (LampCardReloadFlag) {
    LampCardReloadFlag = false;
    ReadLampCard(LampCardNumber());
  }
  RunLampCommandTick();
}

void TFormSVET::BitBtn7Click() {
  if (LampCardHooks.LoadBatteryParams == nullptr) return;
  lamp::ModeDisplayRecord record;
  LampCardHooks.LoadBatteryParams(kSampleModeNumber, record);
  ShowModeOnLampCard(record);
}

}  // namespace lumora
