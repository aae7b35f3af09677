// The live events list, the traffic window and the diagnostics window drawn offscreen: every
// control has its widget inside its window, and screenshots are saved for review in the
// build's "screenshots" folder.
#include <gtest/gtest.h>

#include "platform/forms/controls.h"
#include "tests/support/offscreen_windows.h"
#include "workstation/diagnostics_window.h"
#include "workstation/live_events.h"
#include "workstation/live_events_window.h"
#include "workstation/traffic_window.h"

namespace {

using namespace lumora;

class DataWindowsQt : public offscreen_test::OffscreenWindowsTest {};

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
  ShootAsShown(events, "lumora_live_events");
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
  ShootAsShown(traffic, "lumora_traffic_window");
}

TEST_F(DataWindowsQt, DiagnosticsWindow) {
  TFormDBG dbg;
  dbg.ConnectHandlers();
  runner_->MapForms();
  dbg.ListBox1.Items().Add("stat=FFFFFF  nsp1=0000   nsp2=0000");
  dbg.Show();
  runner_->ProcessPendingEvents();
  ExpectControlsInside(dbg);
  ShootAsShown(dbg, "lumora_diagnostics_window");
}

}  // namespace
