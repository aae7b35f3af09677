// The event history's notes, code colours, statement text and window, without a database.
#include "workstation/event_history.h"

#include <array>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/workstation/link_peer.h"
#include "workstation/database_client.h"
#include "workstation/event_history_window.h"

namespace {

using namespace lumora;

TEST(EventNoteTest, NotesByCode) {
  struct Case {
    EventParams params;
    bool has_note;
    std::string note;
  };
  const std::vector<Case> cases = {
      {{0x5001, 4, 3650, -1, -1}, true, "ЗАРЯД  Напр. 3.65  "},
      {{0x5001, 4, 3650, 250, -1}, true, "ЗАРЯД  Напр. 3.65  ток 0.25  "},
      {{0x5001, 4, 3650, 0, -1}, true, "ЗАРЯД  Напр. 3.65  ток 0.00  "},
      {{0x5001, 0xFFF, -1, -1, -1}, true, "  Напр. -0.00  "},
      {{0x3502, -1, 2500, 0, -1}, true, ""},
      {{0x3502, -1, 2500, 500, -1}, true, "Ёмкость АКБ 2.500, ток разр. 0.50"},
      {{0x1011, -1, 2500, 500, -1}, true, "Ёмкость АКБ 2.50 , ток разр. 0.50"},
      {{0x1011, -1, 2500, 0, -1}, true, "Ёмкость АКБ 2.50"},
      {{0x3008, -1, 3700, 120, -1}, true, "Напр. АКБ 3.70  ток 0.12"},
      {{0x3008, -1, 3700, 0, -1}, true, "Напр. АКБ 3.70"},
      {{0x2012, -1, 3700, 5, -1}, true, "Напр. АКБ 3.70"},
      {{0x3001, -1, 3700, 0, -1}, true, "Напр. АКБ 3.70 ток 0.000"},
      {{0x3001, -1, 3700, -1, -1}, true, "Напр. АКБ 3.70"},
      {{0x3404, -1, 3700, 15, -1}, true, "Напр. 3.700, ток 0.015"},
      {{0x3404, -1, 3700, 0, -1}, true, "Напр. 3.700, ток 0.000"},
      {{0x3404, -1, 3700, -1, -1}, true, "Напр. 3.700, "},
      {{0x3414, -1, 2100, 4150, 30}, true, "Получ.ЗАР 2.100,  напр. 4.150 ток 0.030"},
      {{0x2014, -1, 400, -1, -1}, true, "Ток РАЗР 0.40"},
      {{0x1006, -1, 400, -1, -1}, true, "Ток ЗАР 0.40"},
      {{0x2002, -1, 4200, -1, -1}, true, "Напр. ЗАР 4.20"},
      {{0x1001, -1, 5000, -1, -1}, true, "Напр. ПИТ 5.00"},
      {{0x3051, -1, 1, 7, -1}, true, "ЦИКЛ - ВКЛ  Кол. 7"},
      {{0x3051, -1, 0, 2, -1}, true, "ЦИКЛ - ОТКЛ  Кол. 2"},
      {{0x3051, -1, 2, 0, -1}, true, "ЦИКЛ - АВТО  Кол. 0"},
      {{0x3051, -1, 5, 1, -1}, true, "ЦИКЛ - Кол. 1"},
      {{0x1040, -1, 0, 0, 0}, true, ""},
      {{0x1040, -1, -1, 5, 5}, false, ""},
      {{0x3502, -1, -1, 500, -1}, false, ""},
  };
  for (const Case& c : cases) {
    std::string note = "stale";
    EXPECT_EQ(BuildEventNote(c.params, note), c.has_note) << std::hex << c.params.code;
    EXPECT_EQ(note, c.note) << std::hex << c.params.code;
  }
}

TEST(EventNoteTest, TrickleStateKeepsItsLeadingBlank) {
  std::string note;
  ASSERT_TRUE(BuildEventNote({0x5001, 6, 4100, -1, -1}, note));
  EXPECT_TRUE(note.starts_with(" ПОДЗАРЯД")) << note;
}

TEST(EventCodeColourTest, Backgrounds) {
  EXPECT_EQ(EventCodeBackground(0x3030), 0xFFD5AAu);
  EXPECT_EQ(EventCodeBackground(0x3011), 0xFFD5AAu);
  EXPECT_EQ(EventCodeBackground(0x3108), 0x97FF97u);
  EXPECT_EQ(EventCodeBackground(0x3035), 0x8888FFu);
  EXPECT_EQ(EventCodeBackground(0x3502), 0x00FFFFu);
  EXPECT_EQ(EventCodeBackground(0x1040), 0xFFFFFFu);
}

TEST(EventHistoryQueryTest, ExactText) {
  std::array<char, kStatementBufferSize> buffer{};
  lamp::SqlStatement s(buffer);
  BuildEventHistoryQuery(s, "010aaa", 100);
  EXPECT_EQ(s.view(),
            "SELECT  TABNUM, DATE, TIME, KSOB, NSP1, NSP2, PSTAT, PARM1, PARM2, PARM3,PARM4\t  "
            "FROM EVENT  WHERE TABNUM= \"010aaa\" ORDER BY DATA_ID DESC LIMIT 100;");
}

class EventHistoryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseDbConnection();
    window_.ConnectHandlers();
  }
  link_test::ManualClockFirst clock_;
  TFormSOB window_;
};

TEST_F(EventHistoryWindowTest, StartStateAndColumns) {
  EXPECT_EQ(window_.Caption(), "СОБЫТИЯ");
  EXPECT_FALSE(window_.Visible());
  EXPECT_EQ(window_.RadioNSTR.Caption(), "Строк");
  EXPECT_EQ(window_.RadioNSTR.Columns(), 2);
  EXPECT_EQ(window_.RadioNSTR.ItemIndex(), 0);
  EXPECT_EQ(window_.BitBtn1.Caption(), "OK");

  OpenEventHistory(180, 150, "010aaaXYZ");
  EXPECT_TRUE(window_.Visible());
  EXPECT_EQ(window_.Left(), 180);
  EXPECT_EQ(window_.Top(), 150);
  const forms::TListView& list = window_.ListView1;
  EXPECT_TRUE(list.GridLines());
  EXPECT_EQ(list.ViewStyle(), forms::TViewStyle::vsReport);
  ASSERT_EQ(list.Columns().Count(), 6);
  const std::vector<std::pair<std::string, int>> expected = {
      {"Инд.номер", 50},   {"Дата", 80},   {"Время", 80},
      {"Код События", 60}, {"Текст", 240}, {"Примечание", 180}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(list.Columns()[i]->Caption(), expected[i].first);
    EXPECT_EQ(list.Columns()[i]->Width(), expected[i].second);
  }
  EXPECT_EQ(list.Items().Count(), 0);  // no database: columns only

  // A second opening builds the columns afresh, not twice.
  OpenEventHistory(180, 150, "010aaa");
  EXPECT_EQ(list.Columns().Count(), 6);
  window_.BitBtn1.Click();
  EXPECT_FALSE(window_.Visible());
  EXPECT_EQ(list.Columns().Count(), 0);
}

TEST_F(EventHistoryWindowTest, ResizeAndCodeCellColours) {
  window_.Resize(800, 500);
  EXPECT_EQ(window_.ListView1.Width(), 780);
  EXPECT_EQ(window_.ListView1.Height(), 405);
  EXPECT_EQ(window_.BitBtn1.Top(), 424);
  EXPECT_EQ(window_.RadioNSTR.Top(), 420);

  InitEventHistoryColumns();
  for (const char* code : {"3502", "1040"}) {
    AddEventHistoryRow();
    SetEventHistoryCaption("010aaa");
    AddEventHistoryCell("2026-12-10");
    AddEventHistoryCell("08:00:00");
    AddEventHistoryCell(code);
  }
  EXPECT_EQ(window_.ListView1.DrawCell(0, 3).brush_color, 0x00FFFFu);
  EXPECT_EQ(window_.ListView1.DrawCell(0, 1).brush_color, forms::clWhite);
  EXPECT_EQ(window_.ListView1.DrawCell(1, 3).brush_color, forms::clWhite);

  bool can_close = false;
  window_.FormCloseQuery(can_close);
  EXPECT_TRUE(can_close);
  EXPECT_EQ(window_.ListView1.Items().Count(), 0);
}

}  // namespace
