// The diagnostics window's buttons over a small worker list and cell table.
#include "workstation/diagnostics_window.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/workstation/cell_table_fixture.h"
#include "tests/workstation/link_peer.h"
#include "workstation/cell_table.h"
#include "workstation/database_client.h"
#include "workstation/lamp_room_overview.h"
#include "workstation/live_events_window.h"
#include "workstation/main_window.h"
#include "workstation/station_view.h"

namespace {

using namespace lumora;

class DiagnosticsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cell_table_test::StartTablesWithWorkers({{"003aaa", 3}, {"010aaa", 10}, {"02bb", 2}});
    dbg_.ConnectHandlers();
  }

  std::vector<std::string> Lines() const { return dbg_.ListBox1.Items().Items(); }

  link_test::ManualClockFirst clock_;
  TFormDBG dbg_;
};

TEST_F(DiagnosticsWindowTest, StartTexts) {
  EXPECT_EQ(dbg_.Caption(), "FormDBG");
  EXPECT_FALSE(dbg_.Visible());
  EXPECT_EQ(dbg_.Edit1.Text(), "010aaa");
  EXPECT_EQ(dbg_.Edit7.Text(), "003aaa");
  EXPECT_EQ(dbg_.Edit10.Text(), "0");
  EXPECT_EQ(dbg_.BitBtn9.Caption(), "POW");
  EXPECT_EQ(dbg_.CheckIZM3F.Caption(), "IZM3F");
}

TEST_F(DiagnosticsWindowTest, ListSvtAndIis) {
  dbg_.BitBtn3.Click();
  EXPECT_EQ(Lines(), (std::vector<std::string>{"3  003aaa", "10  010aaa", "2  02bb"}));
  dbg_.BitBtn4.Click();
  EXPECT_EQ(dbg_.Edit2.Text(), "1");
  dbg_.Edit1.SetText("02bb");
  dbg_.BitBtn4.Click();
  EXPECT_EQ(dbg_.Edit2.Text(), "2");
  dbg_.Edit1.SetText("999zzz");
  dbg_.BitBtn4.Click();
  EXPECT_EQ(dbg_.Edit2.Text(), "-1");
  dbg_.BitBtn2.Click();
  EXPECT_TRUE(Lines().empty());
  WorkerList.count = 0;
  dbg_.BitBtn3.Click();
  EXPECT_TRUE(Lines().empty());
}

TEST_F(DiagnosticsWindowTest, SlotWordsOfOneSlot) {
  CellTable.no_link[1] = 1;
  CellTable.link_age[1] = 77;
  CellTable.mode_error_bits[1] = 0x4;
  CellTable.fault_bits[1] = 0x8000;
  CellTable.state[1] = 0x102;
  CellTable.Pow[1] = 12000;
  CellTable.uCH[1] = 6100;
  CellTable.u5V[1] = 5000;
  dbg_.Edit2.SetText("1");
  dbg_.BitBtn5.Click();
  dbg_.BitBtn6.Click();
  dbg_.BitBtn9.Click();
  dbg_.Edit2.SetText("2");  // never reported
  dbg_.BitBtn6.Click();
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "nSVZ=1  wCON 77  nsp1=0004   nsp2=8000",
                         "stat=102  nsp1=0004   nsp2=8000",
                         "Pow=12000  uCH=6100   u5V=5000",
                         "stat=FFFFFF  nsp1=0000   nsp2=0000",
                     }));
}

TEST_F(DiagnosticsWindowTest, SlotIndexesOutsideTheTablesShowNothing) {
  for (const char* text : {"Edit2", "-1", "6000", "99999999999"}) {
    dbg_.Edit2.SetText(text);
    dbg_.BitBtn5.Click();
    dbg_.BitBtn6.Click();
    dbg_.BitBtn9.Click();
    dbg_.Edit10.SetText(text);
    dbg_.BitBtn8.Click();
  }
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(dbg_.Edit8.Text(), "Edit8");
  dbg_.Edit2.SetText("5999");
  dbg_.BitBtn6.Click();
  EXPECT_EQ(Lines().size(), 1u);
}

TEST_F(DiagnosticsWindowTest, NumberTextAndLengthOfASlot) {
  dbg_.Edit10.SetText("2");
  dbg_.BitBtn8.Click();
  EXPECT_EQ(dbg_.Edit8.Text(), "02bb");
  EXPECT_EQ(dbg_.Edit9.Text(), "4");
}

TEST_F(DiagnosticsWindowTest, CntAllShowsZeroWithoutADatabase) {
  ASSERT_EQ(DbConnection, nullptr);
  dbg_.BitBtn7.Click();
  EXPECT_EQ(dbg_.Edit6.Text(), "0");
}

TEST_F(DiagnosticsWindowTest, PosFListsTheWindowPositions) {
  TMainForm main;
  main.SetBounds(0, 0, 1024, 768);
  TForm1 events;
  events.SetBounds(5, 400, 700, 250);
  TForm2 overview;
  overview.SetBounds(1, 2, 300, 400);
  TForm3 station;
  station.SetBounds(650, 0, 620, 695);
  dbg_.BitBtn1.Click();
  EXPECT_EQ(Lines(),
            (std::vector<std::string>{"MainForm W - H ", "1024  768  ", "Form1-- L T W H",
                                      "5  400   700 250", "Form2-- L T W H", "1  2   300 400",
                                      "Form3-- L T W H", "650  0   620 695"}));
}

TEST_F(DiagnosticsWindowTest, MeasureDebugOnlyWhileIzm3fIsChecked) {
  ShowMeasureDebug(3, 0x1A);
  EXPECT_EQ(dbg_.Edit4.Text(), "Edit4");
  dbg_.CheckIZM3F.SetChecked(true);
  ShowMeasureDebug(3, 0x1A);
  EXPECT_EQ(dbg_.Edit4.Text(), "3");
  EXPECT_EQ(dbg_.Edit5.Text(), "001A");
  ShowMeasureDebug(4, 0x12345);
  EXPECT_EQ(dbg_.Edit5.Text(), "12345");
}

}  // namespace
