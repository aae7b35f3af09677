// The main window with its three MDI children, the lamp-room overview and the station view
// drawn offscreen with a small lamp room in them, saved as PNGs for review (in the build's
// "screenshots" folder).
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>

#include "platform/qt/qt_application.h"
#include "tests/workstation/views_fixture.h"
#include "workstation/window_layout.h"

namespace {

namespace fs = std::filesystem;
using namespace lumora;

int argc = 1;
char program_name[] = "lumora";
char* argv[] = {program_name, nullptr};

class MainViewsPictures : public views_test::ViewsTest {
 protected:
  static void SetUpTestSuite() { runner_ = new qtpeers::QtApplicationRunner(argc, argv); }
  static void TearDownTestSuite() {
    delete runner_;
    runner_ = nullptr;
  }

  void Save(forms::TForm& form, const char* name) {
    const fs::path dir = fs::path(LAMP_BINARY_DIR) / "screenshots";
    fs::create_directories(dir);
    const fs::path path = dir / (std::string("lumora_") + name + ".png");
    fs::remove(path);
    runner_->ProcessPendingEvents();
    ASSERT_TRUE(qtpeers::SaveFormScreenshot(form, path.string())) << name;
    QImage image(QString::fromStdString(path.string()));
    ASSERT_FALSE(image.isNull()) << name;
    EXPECT_GE(image.width(), form.Width() / 2) << name;
    EXPECT_GE(image.height(), form.Height() / 2) << name;
  }

  // Three stations; station 1 with 30 cells in every kind of state.
  void FillLampRoom() {
    const std::uint32_t states[] = {0, 1, 2, 4, 6, 9, 5, 0x102, 4, 9};
    std::int32_t slot = 0;
    for (std::int32_t station = 1; station <= 3; ++station) {
      const int cells = station == 1 ? 30 : 8;
      for (int k = 0; k < cells; ++k, ++slot) {
        char number[8];
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

  static qtpeers::QtApplicationRunner* runner_;
};

qtpeers::QtApplicationRunner* MainViewsPictures::runner_ = nullptr;

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
  Save(main_, "main_window");
  Save(overview_, "lamp_room_overview");
  Save(station_, "station_view");
  Save(about_, "about_box");
}

}  // namespace
