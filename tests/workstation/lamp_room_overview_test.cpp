// The lamp-room overview: its list, the station click, the cell colours, the selection that
// goes after five seconds and the hidden way to the diagnostics window.
#include "workstation/lamp_room_overview.h"

#include "tests/workstation/views_fixture.h"

namespace {

using namespace lumora;
using views_test::ViewsTest;

class LampRoomOverviewTest : public ViewsTest {
 protected:
  LampRoomOverviewTest() { InitLampRoomList(); }
};

TEST_F(LampRoomOverviewTest, ListHasElevenColumnsAndOneRowPerStation) {
  const std::pair<const char*, int> columns[] = {
      {"Зар.станц.", 70}, {"Кол", 25},      {"Подкл", 50},    {"Своб", 45},
      {"Разряд", 50},     {"Заряд", 45},    {"Подзаряд", 65}, {"Заряжено ", 60},
      {"НСП Зар.Яч", 70}, {"НСП Батт", 65}, {"Нет связи", 75}};
  const forms::TListView& list = overview_.LV1;
  ASSERT_EQ(list.Columns().Count(), 11);
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(list.Columns()[i]->Caption(), columns[i].first);
    EXPECT_EQ(list.Columns()[i]->Width(), columns[i].second);
  }
  EXPECT_TRUE(list.GridLines());
  EXPECT_EQ(list.ViewStyle(), forms::TViewStyle::vsReport);
  ASSERT_EQ(list.Items().Count(), 100);
  EXPECT_EQ(list.Items()[0]->Caption(), "1");
  EXPECT_EQ(list.Items()[99]->Caption(), "100");
  EXPECT_EQ(list.Items()[99]->SubItems().Items(), std::vector<std::string>(10, ""));
  EXPECT_EQ(overview_.Label5.Caption(), "ЛАМПОВАЯ");
}

TEST_F(LampRoomOverviewTest, ClickPicksTheStationAndTheSelectionGoesOnTheFifthTick) {
  overview_.LV1.ClickItem(99);
  EXPECT_EQ(CurrentStation, 100);
  forms::Application().AdvanceTime(4000);
  EXPECT_NE(overview_.LV1.Selected(), nullptr);
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(overview_.LV1.Selected(), nullptr);
  EXPECT_EQ(CurrentStation, 100);

  overview_.LV1.ClickItem(-1);  // empty area
  EXPECT_EQ(CurrentStation, 100);
  overview_.LV1.Items()[4]->SetCaption("x");
  overview_.LV1.ClickItem(4);
  EXPECT_EQ(CurrentStation, 1);  // unreadable caption
  overview_.LV1.ClickItem(6);
  EXPECT_EQ(CurrentStation, 7);
}

TEST_F(LampRoomOverviewTest, CountCellsAreColouredOnlyWhenNotZero) {
  forms::TListItem& row = *overview_.LV1.Items()[0];
  row.SubItems().Set(1, "12");  // Подкл
  row.SubItems().Set(8, "3");   // НСП Батт
  row.SubItems().Set(9, "0");   // Нет связи
  row.SubItems().Set(0, "7");   // Кол
  struct Case {
    int column;
    forms::TColor font, brush;
  };
  const Case cases[] = {{0, forms::clBlack, forms::clWhite},  {1, forms::clBlack, forms::clWhite},
                        {2, forms::clBlack, forms::clYellow}, {8, forms::clBlack, forms::clWhite},
                        {9, forms::clRed, forms::clWhite},    {10, forms::clBlack, forms::clWhite}};
  for (const Case& c : cases) {
    const forms::TCellDraw draw = overview_.LV1.DrawCell(0, c.column);
    EXPECT_EQ(draw.font_color, c.font) << c.column;
    EXPECT_EQ(draw.brush_color, c.brush) << c.column;
  }
  row.SubItems().Set(1, "0");
  EXPECT_EQ(overview_.LV1.DrawCell(0, 2).brush_color, forms::clWhite);
  row.SubItems().Set(7, "10");  // decimal 10 reads as hex 0x10: still non-zero
  EXPECT_EQ(overview_.LV1.DrawCell(0, 8).font_color, forms::clRed);
}

TEST_F(LampRoomOverviewTest, ShiftReleaseInTheTopLeftCornerShowsTheDiagnosticsWindow) {
  overview_.SetLeft(40);
  overview_.SetTop(12);
  for (const auto& [shift, x, y] : {std::tuple{forms::ssShift, 30, 5},
                                    std::tuple{forms::ssShift, 5, 30}, std::tuple{0, 29, 29}}) {
    overview_.MouseUp(forms::TMouseButton::mbLeft, shift, x, y);
    EXPECT_FALSE(dbg_.Visible()) << x << " " << y;
  }
  overview_.MouseUp(forms::TMouseButton::mbRight, forms::ssShift, 29, 29);
  EXPECT_TRUE(dbg_.Visible());
  EXPECT_EQ(dbg_.Left(), 140);
  EXPECT_EQ(dbg_.Top(), 92);
}

TEST_F(LampRoomOverviewTest, ResizeFitsTheList) {
  overview_.Resize(500, 300);
  EXPECT_EQ(overview_.LV1.Width(), 480);
  EXPECT_EQ(overview_.LV1.Height(), 260);
}

}  // namespace
