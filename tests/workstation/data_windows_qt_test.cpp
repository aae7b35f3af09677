// The live events list, the traffic window and the diagnostics window drawn offscreen: every
// control has its widget inside its window, and screenshots are saved to the scratch
// directory for review.
#include <gtest/gtest.h>

#include <QRect>
#include <QWidget>
#include <cstdlib>
#include <filesystem>

#include "platform/forms/controls.h"
#include "platform/qt/qt_application.h"
#include "workstation/diagnostics_window.h"
#include "workstation/live_events.h"
#include "workstation/live_events_window.h"
#include "workstation/traffic_window.h"

namespace {

using namespace lumora;
namespace fs = std::filesystem;

int argc = 1;
char program_name[] = "data_windows_qt_test";
char* argv[] = {program_name, nullptr};

fs::path Scratch() {
  const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
  fs::path dir = scratch != nullptr ? fs::path(scratch) : fs::temp_directory_path();
  fs::create_directories(dir);
  return dir;
}

class DataWindowsQt : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { runner_ = new qtpeers::QtApplicationRunner(argc, argv); }
  static void TearDownTestSuite() {
    delete runner_;
    runner_ = nullptr;
  }
  void SetUp() override { forms::Application().UseManualClock(0); }

  void ExpectControlsInside(const forms::TWinControl& parent) {
    QWidget* outer = runner_->WidgetFor(parent);
    ASSERT_NE(outer, nullptr) << parent.Name();
    for (const forms::TControl* control : parent.Controls()) {
      if (!control->Visible()) continue;
      ASSERT_NE(runner_->WidgetFor(*control), nullptr) << control->Name();
      const QRect place(control->Left(), control->Top(), control->Width(), control->Height());
      EXPECT_TRUE(outer->rect().contains(place)) << parent.Name() << " / " << control->Name();
    }
  }
  void Shoot(forms::TForm& form, const char* name) {
    runner_->ProcessPendingEvents();
    EXPECT_TRUE(qtpeers::SaveFormScreenshot(form, (Scratch() / name).string()));
  }

  static qtpeers::QtApplicationRunner* runner_;
};
qtpeers::QtApplicationRunner* DataWindowsQt::runner_ = nullptr;

TEST_F(DataWindowsQt, LiveEventsList) {
  TFormSV traffic;
  TForm1 events;
  events.ConnectHandlers();
  runner_->MapForms();
  events.AfterConstruction();
  forms::Application().AdvanceTime(100);
  AddLiveEvent("010aaa", 0, 0x3004, 0, 0);
  AddLiveEvent("010aaa", 0, 0x3502, 0, 0);
  AddLiveEvent("020bbb", 0, 0x2001, 0, 0);
  AddLiveEvent("030ccc", 0, 0x1040, 0, 0x8000);
  events.Show();
  runner_->ProcessPendingEvents();
  ExpectControlsInside(events);
  EXPECT_EQ(events.LV1.DrawCell(0, 2).font_color, forms::clRed);
  Shoot(events, "live_events.png");
}

TEST_F(DataWindowsQt, TrafficWindow) {
  TFormSV traffic;
  traffic.ConnectHandlers();
  runner_->MapForms();
  traffic.CheckLOG.SetChecked(true);
  LogTraffic("nn= 220 ", kTrafficLength);
  LogTraffic("id= A5B6  inum=010aaa k92 ", kTrafficCellStatus);
  traffic.Show();
  runner_->ProcessPendingEvents();
  ExpectControlsInside(traffic);
  Shoot(traffic, "traffic_window.png");
}

TEST_F(DataWindowsQt, DiagnosticsWindow) {
  TFormDBG dbg;
  dbg.ConnectHandlers();
  runner_->MapForms();
  dbg.ListBox1.Items().Add("stat=FFFFFF  nsp1=0000   nsp2=0000");
  dbg.Show();
  runner_->ProcessPendingEvents();
  ExpectControlsInside(dbg);
  Shoot(dbg, "diagnostics_window.png");
}

}  // namespace
