// The start-up timer of the main window and the ageing of every cell's link age.
#include "workstation/startup.h"

#include "workstation/cell_table.h"
#include "workstation/connect_window.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/main_window.h"
#include "workstation/station_view.h"

namespace lumora {

void AgeLinkAges() {
  for (std::int32_t& age : CellTable.link_age) {
    if (age < kLinkAgeLimit) ++age;
  }
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

void TMainForm::Timer2Timer() {
  AgeLinkAges();
}

}  // namespace lumora
