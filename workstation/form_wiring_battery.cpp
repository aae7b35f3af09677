// Connects the battery editor's and its error box's handlers.
#include "workstation/battery_editor.h"

namespace lumora {

void TFormBAT::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  RadioTIP.OnClick = [this] { RadioTIPClick(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
}

void TFormERR::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
}

}  // namespace lumora
