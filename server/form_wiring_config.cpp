// Connects the configuration form's handlers.
#include "server/config_window.h"

namespace tolvex {

void TFormCFG::ConnectHandlers() {
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  CheckLOG.OnClick = [this] { CheckLOGClick(); };
  CheckAUTO.OnClick = [this] { CheckAUTOClick(); };
  OnActivate = [this] { FormActivate(); };
}

}  // namespace tolvex
