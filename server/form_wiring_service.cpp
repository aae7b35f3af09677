// Connects the service window's timers and buttons to the modules that own them.
#include "server/service_window.h"

namespace tolvex {

void TFormSV::ConnectHandlers() {
  Timer1.OnTimer = [this] { Timer1Timer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };
  Timer3.OnTimer = [this] { Timer3Timer(); };
  Timer4.OnTimer = [this] { Timer4Timer(); };
  TimerSTAT.OnTimer = [this] { TimerSTATTimer(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  BitBtn7.OnClick = [this] { BitBtn7Click(); };
  BitBtn8.OnClick = [this] { BitBtn8Click(); };
  BitBtn9.OnClick = [this] { BitBtn9Click(); };
  BitBtn10.OnClick = [this] { BitBtn10Click(); };
  BitBtn11.OnClick = [this] { BitBtn11Click(); };
  BitBtn12.OnClick = [this] { BitBtn12Click(); };
  BitBtn13.OnClick = [this] { BitBtn13Click(); };
  BitBtn14.OnClick = [this] { BitBtn14Click(); };
  BitBtn15.OnClick = [this] { BitBtn15Click(); };
  BitBtn16.OnClick = [this] { BitBtn16Click(); };
  BitBtn17.OnClick = [this] { BitBtn17Click(); };
  Edit11.OnDblClick = [this] { Edit11DblClick(); };
  OnResize = [this] { FormResize(); };
}

}  // namespace tolvex
