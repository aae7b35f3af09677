// The battery answers on the lamp card: the capacity of the last discharge (then the charge
// report is asked for) and the charge count with the last charge.
#include <cstdio>
#include <string>

#include "workstation/command_sender.h"
#include "workstation/lamp_card.h"

namespace lumora {

void ShowBatteryCapacity(std::int32_t current, std::int32_t minutes, std::int32_t nominal) {
  const float capacity = static_cast<float>(current) * static_cast<float>(minutes) / 60000.0f;
  std::int32_t percent = 0;
  if (nominal != 0) {
    percent = static_cast<std::int32_t>(capacity * 10000.0f / static_cast<float>(nominal));
  }
  if (FormSVET == nullptr) return;
  char text[32];
  std::snprintf(text, sizeof text, "%2.2f", static_cast<double>(capacity));
  FormSVET->EditCBATX.SetText(text);
  std::snprintf(text, sizeof text, "%d%%", percent);
  FormSVET->EditPROC.SetText(text);
  LampMessageHold = kButtonMessageHold;
  const std::string number = LampCardNumber();
  QueueLampCommand(CmdReadChargeReport, kTargetNone, number.c_str(), 0, 0, 0);
  FormSVET->EditWAIT.SetColor(kWaitColor);
}

void ShowChargeCount(std::int32_t count, std::int32_t last) {
  if (FormSVET == nullptr) return;
  char text[32];
  if (last >= 0) {
    const float charge = static_cast<float>(static_cast<double>(last) * 0.001);
    std::snprintf(text, sizeof text, "%1.3f", static_cast<double>(charge));
    FormSVET->EditCNAK.SetText(text);
  }
  std::snprintf(text, sizeof text, "%d", count);
  FormSVET->EditKK.SetText(text);
}

}  // namespace lumora
