// The main window's timers: the window layout and the start-up once, then the display loop
// and the ageing of every cell's link age for the whole run.
#include "workstation/cell_table.h"
#include "workstation/connect_window.h"
#include "workstation/display_loop.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/main_window.h"
#include "workstation/station_view.h"
#include "workstation/window_layout.h"

namespace lumora {

void TMainForm::TimerPOSFTimer() {
  const LayoutWindows windows = ProgramLayoutWindows();
  if (LoadLayout() != 0) {
    ApplyLayoutVid1(windows);
  } else {
    ApplyWindowLayout(windows, LoadedWindowLayout);
  }
  TimerPOSF.SetEnabled(false);
}

void TMainForm::TimerSTTimer() {
  TimerST.SetEnabled(false);
  InitLampRoomList();
  InitStationListA();
  InitStationListB();
  SetCellTableStartValues();
  DisplayReady = 1;
  if (FormSQL == nullptr) return;
  FormSQL->SetTop(Top() + 100);
  FormSQL->SetLeft(Left() + 150);
  // Returns once the operator has connected or closed it; the timers keep running meanwhile.
  FormSQL->ShowModal();
}

void TMainForm::TimerINDIKTimer() {
  RunDisplayTick();
}

void TMainForm::Timer2Timer() {
  AgeLinkAges();
}

}  // namespace lumora
