// The main window: the start-up timer, the ageing of the link age, the menus, the about box
// and the hidden way to the diagnostics window.
#include "workstation/main_window.h"

#include "tests/workstation/views_fixture.h"

namespace {

using namespace lumora;
using views_test::ViewsTest;

class MainWindowTest : public ViewsTest {};

TEST_F(MainWindowTest, StartTimerBuildsTheListsClearsTheTableAndSetsDisplayReady) {
  ASSERT_TRUE(StoreWorkerRow(0, "001aaa", 1));
  CellTable.state.fill(5);
  CellTable.link_age.fill(7);
  CellTable.no_link.fill(1);
  CellTable.datagram_count.fill(3);
  CellTable.mode_error_bits.fill(2);
  CellTable.fault_bits.fill(0x20);
  CellTable.voltage.fill(4100);

  main_.SetLeft(30);
  main_.SetTop(20);
  int modal_runs = 0;
  forms::Application().SetModalRunner([&](forms::TForm& form) {
    ++modal_runs;
    EXPECT_EQ(&form, &sql_);
    EXPECT_EQ(sql_.Left(), 180);
    EXPECT_EQ(sql_.Top(), 120);
    EXPECT_EQ(DisplayReady, 1);
    // The program's timers keep running while the connect window is open.
    forms::Application().AdvanceTime(2000);
    EXPECT_EQ(CellTable.link_age[0], 2);
    EXPECT_EQ(DisplayLoop.DisplayTick, 4u);
    form.Hide();
  });
  forms::Application().AdvanceTime(399);
  EXPECT_EQ(DisplayReady, 0);
  EXPECT_EQ(overview_.LV1.Items().Count(), 0);
  EXPECT_EQ(modal_runs, 0);
  forms::Application().AdvanceTime(1);
  forms::Application().SetModalRunner(nullptr);
  EXPECT_EQ(modal_runs, 1);
  EXPECT_FALSE(main_.TimerST.Enabled());
  EXPECT_EQ(DisplayReady, 1);
  EXPECT_EQ(overview_.LV1.Items().Count(), 100);
  EXPECT_EQ(station_.LV1A.Items().Count(), 27);
  EXPECT_EQ(station_.LV1B.Items().Count(), 27);
  for (std::size_t i : {std::size_t{0}, std::size_t{5999}}) {
    EXPECT_EQ(CellTable.state[i], 0xFFFFFFu);
    EXPECT_EQ(CellTable.link_age[i], 2);
    EXPECT_EQ(CellTable.datagram_count[i], 0);
    EXPECT_EQ(CellTable.mode_error_bits[i], 0u);
    EXPECT_EQ(CellTable.fault_bits[i], 0u);
    EXPECT_EQ(CellTable.voltage[i], 4100);  // keeps its value
  }
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(overview_.LV1.Items().Count(), 100);  // once only
}

TEST_F(MainWindowTest, DisplayLoopLeavesTheListsAloneUntilStartUp) {
  ASSERT_TRUE(StoreWorkerRow(0, "001aaa", 1));
  CellTable.state[0] = 9;
  forms::Application().AdvanceTime(399);  // TimerINDIK has not fired either
  EXPECT_EQ(overview_.Edit1.Color(), forms::clSilver);
  forms::Application().AdvanceTime(101);  // start-up, then the first display tick
  EXPECT_EQ(overview_.LV1.Items().Item(0)->SubItems().Get(0), "1");
  EXPECT_EQ(overview_.Edit1.Color(), 0x008000u);
}

TEST_F(MainWindowTest, LinkAgeGrowsEverySecondAndStopsAtOneMillion) {
  CellTable.link_age[0] = 0;
  CellTable.link_age[1] = 999998;
  CellTable.link_age[2] = 1000000;
  main_.TimerST.SetEnabled(false);
  forms::Application().AdvanceTime(3000);
  EXPECT_EQ(CellTable.link_age[0], 3);
  EXPECT_EQ(CellTable.link_age[1], 1000000);
  EXPECT_EQ(CellTable.link_age[2], 1000000);
}

TEST_F(MainWindowTest, ShiftReleaseNearTheLeftEdgeShowsTheDiagnosticsWindow) {
  struct Case {
    int shift, x;
    bool shown;
  };
  const Case cases[] = {{forms::ssShift, 49, true},
                        {forms::ssShift | forms::ssCtrl, 0, true},
                        {forms::ssShift, 50, false},
                        {0, 10, false},
                        {forms::ssCtrl, 10, false}};
  for (const Case& c : cases) {
    dbg_.Hide();
    for (auto button : {forms::TMouseButton::mbLeft, forms::TMouseButton::mbRight}) {
      main_.MouseUp(button, c.shift, c.x, 300);
      EXPECT_EQ(dbg_.Visible(), c.shown) << c.shift << " " << c.x;
    }
  }
  EXPECT_FALSE(dbg_.Modal());
}

TEST_F(MainWindowTest, MenusAndToolBar) {
  EXPECT_EQ(main_.Caption(), "Монитор ЖВК (08.05.16)");
  ASSERT_EQ(main_.Menu(), &main_.MainMenu1);
  std::vector<std::string> headings;
  for (const forms::TMenuItem* item : main_.MainMenu1.Items()) headings.push_back(item->Caption());
  EXPECT_EQ(headings,
            (std::vector<std::string>{"&Файл", "Подключение", "Инструменты", "Окно", "&Help"}));

  main_.SetLeft(10);
  main_.SetTop(5);
  main_.Conn.Click();
  EXPECT_TRUE(sql_.Visible());
  EXPECT_FALSE(sql_.Modal());
  EXPECT_EQ(sql_.Left(), 160);
  EXPECT_EQ(sql_.Top(), 155);

  main_.Number.Click();
  EXPECT_TRUE(num_.Visible());
  EXPECT_FALSE(num_.Modal());

  int modal_runs = 0;
  forms::Application().SetModalRunner([&](forms::TForm& form) {
    ++modal_runs;
    EXPECT_EQ(&form, &about_);
    about_.OKButton.Click();
  });
  main_.HelpAboutItem.Click();
  EXPECT_EQ(modal_runs, 1);
  EXPECT_FALSE(about_.Visible());
  EXPECT_EQ(about_.Caption(), "About");
  forms::Application().SetModalRunner(nullptr);

  // The window buttons arrange the three children; New and Open do nothing.
  main_.WindowCascadeItem.Click();
  main_.ToolButton9.Click();
  for (const forms::TForm* child :
       {static_cast<forms::TForm*>(&events_), static_cast<forms::TForm*>(&overview_),
        static_cast<forms::TForm*>(&station_)}) {
    EXPECT_EQ(child->Left(), 0);
    EXPECT_EQ(child->Width(), overview_.Width());
  }
  main_.ToolButton1.Click();
  main_.ToolButton2.Click();
  main_.ToolButton3.Click();
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(MainWindowTest, MdiChildrenHaveNoCaptionBar) {
  EXPECT_FALSE(overview_.HasCaptionBar());
  EXPECT_FALSE(station_.HasCaptionBar());
  EXPECT_EQ(overview_.WindowStyle(), forms::WS_DEFAULT_STYLE & 0xFF3FFFFF);
  EXPECT_TRUE(main_.HasCaptionBar());
}

}  // namespace
