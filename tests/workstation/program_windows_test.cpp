// The program's windows together, on the manual clock: created in their fixed order with the
// three children inside the main window, then the start-up as the program runs it: layout,
// lists, connect window, receive socket, and a cell status from the server reaching the
// lamp-room row, the station view and the live events list.
#include "workstation/program_windows.h"

#include <string>
#include <vector>

#include "tests/workstation/link_peer.h"
#include "tests/workstation/views_fixture.h"
#include "workstation/receive_socket.h"

namespace {

using namespace lumora;

std::uint16_t FreePort() {
  link_test::UdpPeer probe;
  return probe.port();
}

class ProgramWindowsTest : public ::testing::Test {
 protected:
  ProgramWindowsTest() {
    views_test::ResetWorkstationState();
    ReceiveSocket = wsock::INVALID_SOCKET;
    ReceiveSocketState = kSocketNotBound;
    LinkSilenceCount = 0;
    ReceiveEndpoints = LinkEndpoints{"127.0.0.1", FreePort(), "127.0.0.1", server_.port()};
    forms::Application().SetDialogService(&dialogs_);
  }
  ~ProgramWindowsTest() override {
    if (ReceiveSocket != wsock::INVALID_SOCKET) wsock::closesocket(ReceiveSocket);
    ReceiveSocket = wsock::INVALID_SOCKET;
    ReceiveEndpoints = LinkEndpoints{};
    forms::Application().SetModalRunner(nullptr);
    forms::Application().SetDialogService(nullptr);
  }

  views_test::ManualClock clock_;
  views_test::InScratchDirectory scratch_;
  link_test::UdpPeer server_;
  forms::ScriptedDialogService dialogs_;
};

TEST_F(ProgramWindowsTest, WindowsAreCreatedInTheirOrderWithTheChildrenInsideTheMainWindow) {
  ProgramWindows windows;
  std::vector<std::string> names;
  for (const forms::TForm* form : forms::Application().Forms()) names.push_back(form->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"MainForm", "AboutBox", "Form1", "Form2", "Form3",
                                             "FormDBG", "FormSV", "FormSVET", "FormBAT", "FormSQL",
                                             "FormERR", "FormNUM", "FormLOG", "FormSOB"}));
  EXPECT_EQ(forms::Application().MainForm(), &windows.main_window);
  EXPECT_EQ(MainForm, &windows.main_window);
  EXPECT_EQ(AboutBox, &windows.about_box);
  EXPECT_EQ(Form2, &windows.overview);
  EXPECT_EQ(Form3, &windows.station_view);
  EXPECT_EQ(windows.main_window.FormStyle(), forms::TFormStyle::fsMDIForm);
  std::vector<std::string> visible;
  for (const forms::TForm* form : forms::Application().Forms()) {
    if (form->Visible()) visible.push_back(form->Name());
  }
  EXPECT_EQ(visible, (std::vector<std::string>{"MainForm", "Form1", "Form2", "Form3"}));
  const std::vector<forms::TForm*> children = windows.main_window.MdiChildren();
  EXPECT_EQ(children, (std::vector<forms::TForm*>{&windows.live_events, &windows.overview,
                                                  &windows.station_view}));
  EXPECT_FALSE(windows.overview.HasCaptionBar());
  EXPECT_FALSE(windows.station_view.HasCaptionBar());
}

TEST_F(ProgramWindowsTest, StartUpLeadsFromTheConnectWindowToLiveCellsOnScreen) {
  ProgramWindows windows;
  ASSERT_TRUE(StoreWorkerRow(0, "001aaa", 4));
  ASSERT_TRUE(StoreWorkerRow(1, "002aaa", 4));
  SetCurrentStation(4);
  int connect_windows = 0;
  forms::Application().SetModalRunner([&](forms::TForm& form) {
    ++connect_windows;
    EXPECT_EQ(&form, &windows.connect_window);
    // The operator takes a second; meanwhile the socket opens and the display runs.
    forms::Application().AdvanceTime(1000);
    form.Hide();
  });
  forms::Application().AdvanceTime(400);
  EXPECT_EQ(connect_windows, 1);
  EXPECT_EQ(DisplayReady, 1);
  EXPECT_EQ(windows.station_view.Width(), 620);  // "Вид1" without a layout file
  ASSERT_NE(ReceiveSocketLocalPort(), 0);

  lamp::StatusDatagram status;
  status.set_id(lamp::IdCellStatus);
  status.set_ind_num_text("002aaa");
  status.set_state(9);
  status.set_fault_bits(0x20);
  status.set_event_code(0x3404);
  server_.SendTo(ReceiveSocketLocalPort(), {status.bytes.begin(), status.bytes.end()});
  ASSERT_TRUE(link_test::WaitReadable(ReceiveSocket));
  forms::Application().AdvanceTime(1000);

  const forms::TListItem& row = *windows.overview.LV1.Items().Item(3);
  EXPECT_EQ(row.SubItems().Items(),
            (std::vector<std::string>{"2", "0", "0", "0", "0", "0", "1", "0", "1", "0"}));
  EXPECT_EQ(windows.overview.Edit2.Color(), kSummaryFault);
  EXPECT_EQ(windows.station_view.LV1A.Items().Item(1)->SubItems().Get(0), "002aaa");
  EXPECT_EQ(windows.station_view.LV1A.Items().Item(1)->SubItems().Get(1), "ГОТОВ");
  EXPECT_EQ(windows.station_view.LV1A.Items().Item(1)->SubItems().Get(2), "Батарея неиспр.");
  EXPECT_EQ(windows.station_view.EditNUMST.Text(), "4");
  ASSERT_EQ(windows.live_events.LV1.Items().Count(), 1);
  EXPECT_EQ(windows.live_events.LV1.Items().Item(0)->Caption(), "002aaa");

  // Without further datagrams both lamps lose their link 41 s after the start.
  forms::Application().AdvanceTime(40000);
  EXPECT_EQ(row.SubItems().Get(9), "2");
  EXPECT_EQ(windows.station_view.LV1A.Items().Item(0)->SubItems().Get(2), "Нет Связи");
  EXPECT_EQ(windows.overview.Edit3.Color(), kSummaryFault);
  EXPECT_TRUE(dialogs_.shown.empty()) << dialogs_.shown[0].text;
}

}  // namespace
