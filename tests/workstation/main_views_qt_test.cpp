// The main window with its three MDI children, the lamp-room overview and the station view
// drawn offscreen with a small lamp room in them, saved as PNGs for review (in the build's
// "screenshots" folder).
#include <gtest/gtest.h>

#include <QPixmap>
#include <cstdio>
#include <fstream>

#include "tests/support/offscreen_windows.h"
#include "tests/workstation/views_fixture.h"
#include "workstation/window_layout.h"

namespace {

using namespace lumora;

class MainViewsPictures : public offscreen_test::OffscreenWindows<views_test::ViewsTest> {
 protected:
  // Three stations; station 1 with 30 cells in every kind of state.
  void FillLampRoom() {
    const std::uint32_t states[] = {0, 1, 2, 4, 6, 9, 5, 0x102, 4, 9};
    std::int32_t slot = 0;
    for (std::int32_t station = 1; station <= 3; ++station) {
      const int cells = station == 1 ? 30 : 8;
      for (int k = 0; k < cells; ++k, ++slot) {
        char number[16];
        std::snprintf(number, sizeof number, "%03d%s", slot + 1, station == 2 ? "bbb" : "aaa");
        AddLamp(slot, number, station, states[k % 10]);
      }
    }
    CellTable.fault_bits[3] = 0x20;
    CellTable.fault_bits[7] = 0x800;
    CellTable.link_age[12] = 60;
    CellTable.mode_error_bits[28] = 0x24;
    const std::size_t card = 28;
    CellTable.voltage[card] = 4150;
    CellTable.current[card] = 520;
    CellTable.charge_time[card] = 185;
    CellTable.cycle_mode[card] = 2;
    CellTable.first_counter[card] = 4;
    CellTable.second_counter[card] = 112;
    CellTable.Pow[card] = 12100;
    CellTable.uCH[card] = 9000;
    CellTable.u5V[card] = 5010;
    CellTable.datagram_count[card] = 3;
  }
};

TEST_F(MainViewsPictures, MainWindowOverviewAndStationViewAreDrawn) {
  MakeReady();
  FillLampRoom();
  ApplyLayoutVid1(ProgramLayoutWindows());
  RunDisplayTick();
  station_.LV1B.ClickItem(1);  // a selected row, its number on the cell card
  RunDisplayTick();
  forms::Application().AdvanceTime(100);
  runner_->MapForms();
  main_.Show();
  runner_->ProcessPendingEvents();
  ShootAsShown(main_, "lumora_main_window");
  ShootAsShown(overview_, "lumora_lamp_room_overview");
  ShootAsShown(station_, "lumora_station_view");
  ShootAsShown(about_, "lumora_about_box");
}

// A damaged "fprm.cfg" asking for windows of 40000 x 40000 at 40000, 40000: the windows are
// drawn no larger than the work area (the program's memory stays that of a screen's worth of
// pixels), and the children still show in the main window.
TEST_F(MainViewsPictures, ADamagedLayoutFileGivesWindowsNoLargerThanTheWorkArea) {
  views_test::InScratchDirectory scratch;
  WindowLayout damaged;
  damaged.field.fill(40000);
  const auto bytes = FormatWindowLayout(damaged);
  std::ofstream(kWindowLayoutFile, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  main_.TimerPOSFTimer();
  const forms::ScreenRect area = forms::Application().WorkArea();
  ASSERT_EQ(main_.Width(), area.width);
  ASSERT_EQ(main_.Height(), area.height);
  runner_->MapForms();
  main_.Show();
  runner_->ProcessPendingEvents();
  const QSize limit(area.width, area.height);
  for (forms::TForm* form :
       {static_cast<forms::TForm*>(&main_), static_cast<forms::TForm*>(&events_),
        static_cast<forms::TForm*>(&overview_), static_cast<forms::TForm*>(&station_)}) {
    QWidget* widget = runner_->WidgetFor(*form);
    ASSERT_NE(widget, nullptr) << form->Name();
    EXPECT_TRUE(limit.expandedTo(widget->size()) == limit) << form->Name();
    if (form == &main_) continue;
    // A part of each child shows in the MDI area, to be seen and arranged.
    QWidget* frame = widget->parentWidget();
    EXPECT_TRUE(frame->parentWidget()->rect().intersects(frame->geometry())) << form->Name();
  }
  const QPixmap picture = runner_->WidgetFor(main_)->grab();
  EXPECT_TRUE(limit.expandedTo(picture.size()) == limit);
  ShootAsShown(main_, "lumora_damaged_layout");
}

}  // namespace
