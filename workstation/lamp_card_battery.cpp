// The battery answers on the lamp card: the capacity of the last discharge (then the charge
// report is asked for) and the charge count with the last charge.
#include <string>

#include "workstation/command_sender.h"
#include "workstation/lamp_card.h"
#include "workstation/screen_text.h"

namespace lumora {

void ShowBatteryCapacity(std::int32_t current, std::int32_t minutes, std::int32_t nominal) {
  const float capacity = static_cast<float>(current) * static_cast<float>(minutes) / 60000.0f;
  std::int32_t percent = 0;
  if (nominal != 0) {
    percent = static_cast<std::int32_t>(capacity * 10000.0f / static_cast<float>(nominal));
  }
  if (FormSVET == nullptr) return;
  FormSVET->EditCBATX.SetText(Format("%2.2f", static_cast<double>(capacity)));
  FormSVET->EditPROC.SetText(Format("%d%%", percent));
  LampMessageHold = kButtonMessageHold;
  const std::string number = LampCardNumber();
  QueueLampCommand(CmdReadChargeReport, kTargetNone, number.c_str(), 0, 0, 0);
  FormSVET->EditWAIT.SetColor(kWaitColor);
}

void ShowChargeCount(std::int32_t count, std::int32_t last) {
  if (FormSVET == nullptr) return;
  if (last >= 0) {
    const float charge = static_cast<float>(static_cast<double>(last) * 0.001);
    FormSVET->EditCNAK.SetText(Format("%1.3f", static_cast<double>(charge)));
  }
  FormSVET->EditKK.SetText(Format("%d", count));
}

}  // namespace lumora
