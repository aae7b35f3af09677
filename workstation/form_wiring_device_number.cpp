// Connects the device-number tool's buttons, list and timer to its sequence module.
#include "workstation/device_number_tool.h"

namespace lumora {

void TFormNUM::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  ListBox1.OnDblClick = [this] { ListBox1DblClick(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
}

}  // namespace lumora
