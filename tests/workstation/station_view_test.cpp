// The station view: its two lists, the station buttons, the colours of the state column, the
// list clicks and their selection, and the buttons of the cell card.
#include "workstation/station_view.h"

#include "tests/workstation/views_fixture.h"

namespace {

using namespace lumora;
using views_test::ViewsTest;

class StationViewTest : public ViewsTest {
 protected:
  StationViewTest() {
    InitStationListA();
    InitStationListB();
  }
};

TEST_F(StationViewTest, BothListsHaveFiveColumnsAnd27Rows) {
  const std::pair<const char*, int> columns[] = {
      {"", 5}, {"Инд.номер", 60}, {"Состояние", 85}, {"Неиспр.", 100}, {"", 10}};
  for (const forms::TListView* list : {&station_.LV1A, &station_.LV1B}) {
    ASSERT_EQ(list->Columns().Count(), 5);
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(list->Columns()[i]->Caption(), columns[i].first);
      EXPECT_EQ(list->Columns()[i]->Width(), columns[i].second);
    }
    ASSERT_EQ(list->Items().Count(), 27);
    EXPECT_EQ(list->Items()[26]->SubItems().Items(), std::vector<std::string>(3, ""));
    EXPECT_TRUE(list->GridLines());
  }
}

TEST_F(StationViewTest, StationButtonsStopAtOneAndAHundred) {
  EXPECT_EQ(station_.EditNUMST.Text(), "0");
  station_.BitBtn2.Click();
  EXPECT_EQ(CurrentStation, 1);
  forms::Application().AdvanceTime(100);
  EXPECT_EQ(station_.EditNUMST.Text(), "1");
  station_.BitBtn3.Click();
  station_.BitBtn3.Click();
  EXPECT_EQ(CurrentStation, 3);
  SetCurrentStation(100);
  station_.BitBtn3.Click();
  EXPECT_EQ(CurrentStation, 100);
  station_.BitBtn2.Click();
  EXPECT_EQ(CurrentStation, 99);
  forms::Application().AdvanceTime(100);
  EXPECT_EQ(station_.EditNUMST.Text(), "99");
}

TEST_F(StationViewTest, StateColumnIsColouredByPositionAndStatusColumnIsRed) {
  SetCellColorState(kCellColorConnected, 0);
  SetCellColorState(kCellColorReady, 27);
  SetCellColorState(7, 1);
  SetCellColorState(2, 100);  // outside the positions: ignored
  SetCellColorState(2, -1);
  EXPECT_EQ(station_.LV1A.DrawCell(0, 2).brush_color, 0x00FFFFu);
  EXPECT_EQ(station_.LV1A.DrawCell(1, 2).brush_color, forms::clWhite);
  EXPECT_EQ(station_.LV1B.DrawCell(0, 2).brush_color, 0x97FF97u);
  EXPECT_EQ(station_.LV1B.DrawCell(1, 2).brush_color, forms::clWhite);
  for (int column : {0, 1, 3, 4}) {
    EXPECT_EQ(station_.LV1A.DrawCell(0, column).brush_color, forms::clWhite) << column;
  }
  EXPECT_EQ(station_.LV1A.DrawCell(0, 3).font_color, 0x0000FFu);
  EXPECT_EQ(station_.LV1B.DrawCell(0, 1).font_color, station_.LV1B.FontColor());
}

TEST_F(StationViewTest, ListClickPutsTheNumberOnTheCardAndTheSelectionGoesAfter41Ticks) {
  station_.LV1B.Items()[2]->SubItems().Set(0, "030aaa");
  station_.LV1B.ClickItem(2);
  EXPECT_EQ(station_.EditINDN.Text(), "030aaa");
  forms::Application().AdvanceTime(4000);
  EXPECT_NE(station_.LV1B.Selected(), nullptr);
  forms::Application().AdvanceTime(100);
  EXPECT_EQ(station_.LV1B.Selected(), nullptr);
  EXPECT_EQ(station_.EditINDN.Text(), "030aaa");
  station_.LV1A.ClickItem(-1);
  EXPECT_EQ(station_.EditINDN.Text(), "030aaa");
}

TEST_F(StationViewTest, ResizeSharesTheWidthBetweenTheLists) {
  station_.Resize(577, 600);
  EXPECT_EQ(station_.LV1A.Width(), 278);
  EXPECT_EQ(station_.LV1B.Width(), 278);
  EXPECT_EQ(station_.LV1B.Left(), 288);
}

TEST_F(StationViewTest, ExtraParametersOpensTheLampCardBesideTheMainWindow) {
  main_.SetLeft(10);
  main_.SetTop(20);
  ASSERT_TRUE(StoreWorkerRow(0, "001aaa", 1));
  station_.EditINDN.SetText("001aaa");
  station_.BitBtn1.Click();
  EXPECT_TRUE(card_.Visible());
  EXPECT_FALSE(card_.Modal());
  EXPECT_EQ(card_.Left(), 210);
  EXPECT_EQ(card_.Top(), 220);
  EXPECT_EQ(card_.EditTN.Text(), "001aaa");
  EXPECT_TRUE(LampCardReloadFlag);

  // Two characters or more reload the card; shorter numbers blank it. A Cyrillic letter is
  // one character.
  struct Case {
    const char* number;
    bool reloads;
  };
  for (const Case& c : {Case{"12", true}, Case{"7", false}, Case{"Ж", false}}) {
    LampCardReloadFlag = false;
    card_.ListView1.Items().Add();
    card_.EditFIO.SetText("Иванов");
    station_.EditINDN.SetText(c.number);
    station_.BitBtn1.Click();
    EXPECT_EQ(card_.EditTN.Text(), c.number);
    EXPECT_EQ(LampCardReloadFlag, c.reloads) << c.number;
    EXPECT_EQ(card_.ListView1.Items().Count(), 0);
    EXPECT_EQ(card_.EditFIO.Text(), "");
  }
}

TEST_F(StationViewTest, EventsAndLogButtonsShowTheirWindows) {
  main_.SetLeft(10);
  main_.SetTop(20);
  station_.EditINDN.SetText("001aaa");
  station_.BitBtn5.Click();
  EXPECT_TRUE(sob_.Visible());
  EXPECT_EQ(sob_.Left(), 90);
  EXPECT_EQ(sob_.Top(), 70);
  station_.BitBtn4.Click();
  EXPECT_TRUE(log_.Visible());
  EXPECT_FALSE(log_.Modal());
}

}  // namespace
