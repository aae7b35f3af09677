// Connects the main window's timers, buttons and window events to the modules that own them.
#include "server/main_window.h"

namespace tolvex {

void TForm1::ConnectHandlers() {
  TmStart.OnTimer = [this] { TmStartTimer(); };
  Timer1.OnTimer = [this] { Timer1Timer(); };
  TimerINTERVAL.OnTimer = [this] { TimerINTERVALTimer(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn3.OnClick = [this] { BitBtn3Click(); };
  BitBtn4.OnClick = [this] { BitBtn4Click(); };
  BitBtn5.OnClick = [this] { BitBtn5Click(); };
  BitBtn6.OnClick = [this] { BitBtn6Click(); };
  Edit9.OnDblClick = [this] { Edit9DblClick(); };
  Edit10.OnDblClick = [this] { Edit10DblClick(); };
  N1.OnClick = [this] { N1Click(); };
  OnCloseQuery = [this](bool& can_close) { FormCloseQuery(can_close); };
  OnDestroy = [this] { FormDestroy(); };
  OnMouseUp = [this](forms::TMouseButton button, int shift, int x, int y) {
    FormMouseUp(button, shift, x, y);
  };
  OnWindowMessage = [this](std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam,
                           std::intptr_t& result) {
    return WindowMessage(message, wparam, lparam, result);
  };
}

}  // namespace tolvex
