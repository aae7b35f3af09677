// Connects the database connect window's handlers.
#include "workstation/connect_window.h"

namespace lumora {

void TFormSQL::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
}

}  // namespace lumora
