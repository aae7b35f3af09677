// The live events list: columns, row content, colours of the code and fault columns, the
// popup's clear and the hidden way to the traffic window.
#include "workstation/live_events.h"

#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "link/datagrams.h"
#include "tests/workstation/link_peer.h"
#include "workstation/live_events_window.h"
#include "workstation/traffic_window.h"

namespace {

using namespace lumora;

class LiveEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    events_.ConnectHandlers();
    events_.AfterConstruction();
  }

  // Adds a row and returns the colours its columns 0..5 are drawn in.
  forms::TListItem& Add(std::uint32_t code, std::uint32_t mode_error_bits = 0,
                        std::uint32_t fault_bits = 0) {
    AddLiveEvent("010aaa", 0, code, mode_error_bits, fault_bits);
    return *events_.LV1.Items()[0];
  }

  forms::TColor FontOf(int column) { return events_.LV1.DrawCell(0, column).font_color; }

  link_test::ManualClockFirst clock_;
  TFormSV traffic_;
  TForm1 events_;
};

TEST_F(LiveEventsTest, FirstTickBuildsTheSixColumnsOnce) {
  EXPECT_EQ(events_.LV1.Columns().Count(), 0);
  forms::Application().AdvanceTime(100);
  ASSERT_EQ(events_.LV1.Columns().Count(), 6);
  const char* captions[] = {"Инд.номер", "Время",      "Код События",
                            "Текст",     "Код неиспр", "Текст неиспр "};
  const int widths[] = {50, 80, 60, 240, 80, 95};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(events_.LV1.Columns()[i]->Caption(), captions[i]);
    EXPECT_EQ(events_.LV1.Columns()[i]->Width(), widths[i]);
  }
  forms::Application().AdvanceTime(20000);
  EXPECT_EQ(events_.LV1.Columns().Count(), 6);
  EXPECT_EQ(events_.TimerTicks, 100);
  EXPECT_TRUE(events_.LV1.GridLines());
  EXPECT_EQ(events_.LV1.ViewStyle(), forms::TViewStyle::vsReport);
}

TEST_F(LiveEventsTest, RowsShowCodeTextFaultCodeAndNoAnswer) {
  struct Case {
    std::uint32_t code, mode_error_bits, fault_bits;
    const char *code_text, *text, *fault, *fault_text;
    forms::TColor code_colour;
  };
  const Case cases[] = {
      {0x1040, 0, 0x8000, "1040", "ПОТЕРЯ СВЯЗИ", "8000", "НЕТ  ОТВЕТА", forms::clRed},
      {0x3502, 0x4, 0, "3502", "К. РАЗРЯД ВЫПОЛНЕН", "40000", "", forms::clBlue},
      {0x2001, 0, 0, "2001", "ВОССТАНОВЛЕНО ПИТАНИЕ", "", "", forms::clGreen},
      {0x4001, 0, 0, "4001", "ПУСК СЕРВЕРА", "", "", forms::clBlack},
      {0x5001, 0, 0, "5001", "КОНТРОЛЬ СОСТОЯНИЯ", "", "", forms::clBlack},
      {0x3003, 0, 0, "3003", "", "", "", forms::clBlue},
      {0xabc, 0x12345, 0x7F0008, "abc", "", "23450008", "", forms::clBlack},
      {0x1001, 0, 0xC0, "1001", "АВАРИЯ ПИТАНИЯ", "C0", "", forms::clRed},
  };
  for (const Case& c : cases) {
    const forms::TListItem& row = Add(c.code, c.mode_error_bits, c.fault_bits);
    EXPECT_EQ(row.Caption(), "010aaa");
    ASSERT_EQ(row.SubItems().Count(), 5);
    EXPECT_EQ(row.SubItems()[1], c.code_text);
    EXPECT_EQ(row.SubItems()[2], c.text);
    EXPECT_EQ(row.SubItems()[3], c.fault);
    EXPECT_EQ(row.SubItems()[4], c.fault_text);
    EXPECT_EQ(FontOf(2), c.code_colour) << c.code_text;
    EXPECT_EQ(FontOf(4), forms::clRed);
    for (int column : {1, 3, 5}) EXPECT_EQ(FontOf(column), forms::clBlack) << column;
  }
  EXPECT_EQ(events_.LV1.Items().Count(), 8);
}

TEST_F(LiveEventsTest, TheTimeColumnShowsTheDatagramsLocalTime) {
  std::tm moment{};
  moment.tm_year = 2026 - 1900;
  moment.tm_mon = 11;
  moment.tm_mday = 10;
  moment.tm_hour = 8;
  moment.tm_min = 5;
  moment.tm_sec = 9;
  moment.tm_isdst = -1;
  AddLiveEvent("010aaa", lamp::DatagramTimeOf(moment), 0x3004, 0, 0);
  EXPECT_EQ(events_.LV1.Items()[0]->SubItems()[0], "10.12.2026 08:05:09");
  EXPECT_EQ(LiveEventTimeText(0), "30.12.1899 00:00:00");
}

TEST_F(LiveEventsTest, EmptyCodeTextAndTheClearItem) {
  char text[64] = "x";
  GetEventCodeText(0, text);
  EXPECT_STREQ(text, "");
  Add(0x3004);
  Add(0x3006);
  events_.N1.Click();
  EXPECT_EQ(events_.LV1.Items().Count(), 0);
  EXPECT_EQ(events_.LV1.PopupMenu(), &events_.PopupMenu1);
  EXPECT_EQ(events_.N1.Caption(), "Очистить");
}

TEST_F(LiveEventsTest, RowsBeforeTheColumnsAreKept) {
  Add(0x3004);
  forms::Application().AdvanceTime(100);
  EXPECT_EQ(events_.LV1.Items().Count(), 1);
  EXPECT_EQ(events_.LV1.Columns().Count(), 6);
}

TEST_F(LiveEventsTest, ShiftReleaseNearTheLeftEdgeShowsTheTrafficWindow) {
  events_.MouseUp(forms::TMouseButton::mbLeft, 0, 10, 10);
  EXPECT_FALSE(traffic_.Visible());
  events_.MouseUp(forms::TMouseButton::mbLeft, forms::ssShift, 50, 10);
  EXPECT_FALSE(traffic_.Visible());
  events_.MouseUp(forms::TMouseButton::mbLeft, forms::ssShift, 49, 10);
  EXPECT_TRUE(traffic_.Visible());
  EXPECT_EQ(traffic_.Caption(), "Serv");
}

TEST_F(LiveEventsTest, CreationTakesTheCaptionBarOffAndResizeFitsTheList) {
  EXPECT_FALSE(events_.HasCaptionBar());
  EXPECT_TRUE(events_.Visible());
  EXPECT_EQ(events_.Caption(), "Log");
  events_.Resize(700, 300);
  EXPECT_EQ(events_.LV1.Width(), 680);
  EXPECT_EQ(events_.LV1.Height(), 250);
  EXPECT_EQ(events_.Label1.Caption(), "СОБЫТИЯ");
  EXPECT_EQ(events_.Label1.FontColor(), forms::clMaroon);
}

}  // namespace
