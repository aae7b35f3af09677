// The live events list, the traffic window and the diagnostics window as the program creates
// them: every timer, button, menu item and window event has its handler, so a tick or a click
// does what it should.
#include <gtest/gtest.h>

#include "tests/workstation/link_peer.h"
#include "tests/workstation/views_fixture.h"
#include "workstation/program_windows.h"
#include "workstation/receive_socket.h"

namespace {

using namespace lumora;

class DataWindowsWiringTest : public ::testing::Test {
 protected:
  DataWindowsWiringTest() {
    views_test::ResetWorkstationState();
    forms::Application().SetDialogService(&dialogs_);
  }
  ~DataWindowsWiringTest() override {
    if (ReceiveSocket != wsock::INVALID_SOCKET) wsock::closesocket(ReceiveSocket);
    ReceiveSocket = wsock::INVALID_SOCKET;
    ReceiveSocketState = kSocketNotBound;
    forms::Application().SetDialogService(nullptr);
  }

  views_test::ManualClock clock_;
  views_test::InScratchDirectory scratch_;  // the layout timer looks for its file here
  forms::ScriptedDialogService dialogs_;
};

TEST_F(DataWindowsWiringTest, EveryTimerButtonMenuItemAndWindowEventHasItsHandler) {
  ProgramWindows windows;

  const TFormSV& traffic = windows.traffic;
  EXPECT_EQ(FormSV, &traffic);
  for (const forms::TTimer* timer : {&traffic.TimerST, &traffic.Timer1, &traffic.Timer2}) {
    EXPECT_TRUE(timer->OnTimer) << timer->Name();
  }
  EXPECT_TRUE(traffic.BitBtn1.OnClick);

  const TForm1& events = windows.live_events;
  EXPECT_EQ(Form1, &events);
  EXPECT_TRUE(events.Timer1.OnTimer);
  EXPECT_TRUE(events.N1.OnClick);
  EXPECT_TRUE(events.OnCreate && events.OnResize && events.OnMouseUp);
  EXPECT_TRUE(events.LV1.OnCustomDrawSubItem);
  EXPECT_EQ(events.LV1.PopupMenu(), &events.PopupMenu1);
  EXPECT_FALSE(events.HasCaptionBar());

  const TFormDBG& diagnostics = windows.diagnostics;
  EXPECT_EQ(FormDBG, &diagnostics);
  for (const forms::TBitBtn* button :
       {&diagnostics.BitBtn1, &diagnostics.BitBtn2, &diagnostics.BitBtn3, &diagnostics.BitBtn4,
        &diagnostics.BitBtn5, &diagnostics.BitBtn6, &diagnostics.BitBtn7, &diagnostics.BitBtn8,
        &diagnostics.BitBtn9}) {
    EXPECT_TRUE(button->OnClick) << button->Name();
  }
}

TEST_F(DataWindowsWiringTest, ThePrograms100MsTickBuildsTheEventColumns) {
  ProgramWindows windows;
  EXPECT_EQ(windows.live_events.LV1.Columns().Count(), 0);
  forms::Application().AdvanceTime(100);
  EXPECT_EQ(windows.live_events.LV1.Columns().Count(), 6);
}

}  // namespace
