// The lamp card's command panel: each button queues one command for the card's lamp through
// the pending lamp command, which the card's 100 ms tick sends and supervises.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "link/number_text.h"
#include "workstation/battery_editor.h"
#include "workstation/command_sender.h"
#include "workstation/lamp_card.h"

namespace lumora {

namespace {

void ShowWaiting(TFormSVET& card) {
  card.EditWAIT.SetColor(kWaitColor);
}

// The cell commands without parameters: wait field yellow and empty, the state text held
// off, the command queued for the card's lamp.
void QueueCellCommand(TFormSVET& card, std::int32_t command) {
  ShowWaiting(card);
  card.EditWAIT.SetText("");
  LampMessageHold = kButtonMessageHold;
  const std::string number = LampCardNumber();
  QueueLampCommand(command, kTargetCell, number.c_str(), 0, 0, 0);
}

// The cycle count typed into EditKC, read as a decimal number and kept to at most
// kMaxCycleCount. Text that is no number counts as 0. `rewrite` tells when the field must
// show the value used instead of what was typed: no number, a number cut to the limit, or
// one past the 32-bit range.
std::int32_t ReadCycleCount(const std::string& text, bool& rewrite) {
  const std::optional<lamp::DecimalNumber> typed = lamp::ReadDecimalNumber(text);
  if (!typed) {
    rewrite = true;
    return 0;
  }
  const std::int32_t count = std::min(typed->value, kMaxCycleCount);
  rewrite = typed->saturated || count != typed->value;
  return count;
}

}  // namespace

void TFormSVET::BitBtn1Click() {
  QueueCellCommand(*this, CmdStart);
}

void TFormSVET::BitBtn2Click() {
  QueueCellCommand(*this, CmdStop);
}

void TFormSVET::BitBtn8Click() {
  QueueCellCommand(*this, CmdControlDischarge);
}

void TFormSVET::BitBtn10Click() {
  QueueCellCommand(*this, CmdReset);
}

void TFormSVET::BitBtn3Click() {
  bool rewritten = false;
  const std::int32_t count = ReadCycleCount(EditKC.Text(), rewritten);
  if (rewritten) EditKC.SetText(std::to_string(count));
  const std::string number = LampCardNumber();
  QueueLampCommand(CmdSetCycleMode, kTargetCell, number.c_str(), RadioMD.ItemIndex(), count, 0);
  ShowWaiting(*this);
  EditCIK.SetText("");
}

void TFormSVET::BitBtn4Click() {
  ClearBatteryFields();
  LampMessageHold = kButtonMessageHold;
  ListView1.Items().Clear();
  const std::string number = LampCardNumber();
  QueueLampCommand(CmdReadModeRecord, kTargetNone, number.c_str(), kModeRecordReadLength, 0, 0);
  ShowWaiting(*this);
}

void TFormSVET::BitBtn9Click() {
  LampMessageHold = kButtonMessageHold;
  ClearBatteryFields();
  const std::string number = LampCardNumber();
  QueueLampCommand(CmdReadDischargeReport, kTargetNone, number.c_str(), 0, 0, 0);
  ShowWaiting(*this);
}

void TFormSVET::BitBtn6Click() {
  ReloadLampCard();
}

void TFormSVET::BitBtn5Click() {
  ShowBatteryEditor(Left() + 80, Top() + 60, EditTN.Text());
}

}  // namespace lumora
