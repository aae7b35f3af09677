// Connects the traffic window's timers and button to their handlers.
#include "workstation/traffic_window.h"

namespace lumora {

void TFormSV::ConnectHandlers() {
  TimerST.OnTimer = [this] { TimerSTTimer(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
}

}  // namespace lumora
