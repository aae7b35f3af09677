// Connects the measurement log's buttons, timer and resizing to its module.
#include "workstation/measurement_log.h"

namespace lumora {

void TFormLOG::ConnectHandlers() {
  Timer1.OnTimer = [this] { Timer1Timer(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  OnResize = [this] { FormResize(); };
}

}  // namespace lumora
