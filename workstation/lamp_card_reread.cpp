// The lamp card's 100 ms tick: first the database re-read when one is requested, then the
// pending lamp command.
#include <string>

#include "workstation/battery_editor.h"
#include "workstation/command_sender.h"
#include "workstation/connect_window.h"
#include "workstation/database_client.h"
#include "workstation/lamp_card.h"
#include "workstation/main_window.h"

namespace lumora {

namespace {

void ReadLampCard(const std::string& number) {
  if (LoadWorkerCard(number.c_str()) == kNoDatabase) {
    ShowConnectWindowForCard();
    return;
  }
  LoadDischargeReport(number.c_str());
  LoadChargeReport(number.c_str());
  LoadShiftBattery(number.c_str());
  lamp::ModeDisplayRecord record;
  if (LoadBatteryParams(number.c_str(), record) != 0) {
    ShowModeOnLampCard(record);
    ShowModeOnBatteryForm(record);
  }
}

}  // namespace

void ShowConnectWindowForCard() {
  if (FormSQL == nullptr) return;
  FormSQL->SetLeft(MainWindowLeft() + 150);
  FormSQL->SetTop(MainWindowTop() + 150);
  FormSQL->Show();
  FormSQL->Edit3.SetText("");
}

void TFormSVET::Timer1Timer() {
  if (LampCardReloadFlag) {
    LampCardReloadFlag = false;
    ReadLampCard(LampCardNumber());
  }
  RunLampCommandTick();
}

void TFormSVET::BitBtn7Click() {
  lamp::ModeDisplayRecord record;
  LoadBatteryParams(kSampleModeNumber, record);
  ShowModeOnLampCard(record);
}

}  // namespace lumora
