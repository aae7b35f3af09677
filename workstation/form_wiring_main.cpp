// Connects the main window's timers, menus, tool bar and window events to their handlers.
#include "platform/forms/application.h"
#include "workstation/main_window.h"

namespace lumora {

void TMainForm::ConnectHandlers() {
  TimerPOSF.OnTimer = [this] { TimerPOSFTimer(); };
  TimerST.OnTimer = [this] { TimerSTTimer(); };
  TimerINDIK.OnTimer = [this] { TimerINDIKTimer(); };
  Timer2.OnTimer = [this] { Timer2Timer(); };

  FileExitItem.OnClick = [this] { FileExit1Execute(); };
  Conn.OnClick = [this] { ConnClick(); };
  Number.OnClick = [this] { NumberClick(); };
  WindowCascadeItem.OnClick = [this] { WindowCascadeItemClick(); };
  WindowTileItem.OnClick = [this] { WindowTileItemClick(); };
  HelpAboutItem.OnClick = [this] { HelpAbout1Execute(); };
  ToolButton1.OnClick = [this] { FileNew1Execute(); };
  ToolButton2.OnClick = [this] { FileOpen1Execute(); };
  // "&Save" has no handler; the clipboard and window buttons carry their standard actions.

  OnMouseUp = [this](forms::TMouseButton button, int shift, int x, int y) {
    FormMouseUp(button, shift, x, y);
  };
  OnCloseQuery = [this](bool& can_close) { FormCloseQuery(can_close); };
}

}  // namespace lumora
