// Connects the lamp card's buttons, timers and list drawing to their handlers,
// gives the pending lamp command its wait field, and gives the battery editor the card's
// parameter list and worker fields.
#include "workstation/battery_editor.h"
#include "workstation/command_sender.h"
#include "workstation/lamp_card.h"

namespace lumora {

void TFormSVET::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn8.OnClick = [this] { BitBtn8Click(); };
  BitBtn10.OnClick = [this] { BitBtn10Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn9.OnClick = [this] { BitBtn9Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn7.OnClick = [this] { BitBtn7Click(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  TimerST.OnTimer = [this] { TimerSTTimer(); };
  OnCloseQuery = [this](bool& can_close) { FormCloseQuery(can_close); };
  ListView1.OnAdvancedCustomDrawItem = [this](forms::TListView& sender, forms::TListItem& item,
                                              int state, forms::TCustomDrawStage stage,
                                              bool& default_draw) {
    ListView1AdvancedCustomDrawItem(sender, item, state, stage, default_draw);
  };
  ListView1.OnAdvancedCustomDrawSubItem =
      [this](forms::TListView& sender, forms::TListItem& item, int column, int state,
             forms::TCustomDrawStage stage, bool& default_draw) {
        ListView1AdvancedCustomDrawSubItem(sender, item, column, state, stage, default_draw);
      };

  SetLampWaitField(&EditWAIT);
  BatteryEditorHooks.ShowModeOnLampCard = &ShowModeOnLampCard;
  BatteryEditorHooks.ReadLampCardWorker = &ReadLampCardWorker;
}

}  // namespace lumora
