// The start-up timer of the main window and the ageing of every cell's link age.
#include "workstation/startup.h"

#include "workstation/cell_table.h"
#include "workstation/connect_window.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/main_window.h"
#include "workstation/station_view.h"

namespace lumora {

void ClearCellTableForStart() {
  CellTable.state.fill(kStateNeverReported);
  CellTable.link_age.fill(0);
  CellTable.no_link.fill(0);
  CellTable.datagram_count.fill(0);
  CellTable.mode_error_bits.fill(0);
  CellTable.fault_bits.fill(0);
}

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
  ClearCellTableForStart();
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
