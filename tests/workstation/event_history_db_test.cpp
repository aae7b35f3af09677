// The event history read from EVENT in the real MariaDB server: order, limits, cells, notes.
#include "workstation/event_history.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/code_tables.h"
#include "link/cp1251.h"
#include "platform/forms/application.h"
#include "tests/workstation/workstation_db_fixture.h"
#include "workstation/database_client.h"
#include "workstation/event_history_window.h"

namespace {

using namespace lumora;

class EventHistoryDb : public workstation_db_test::DatabaseTest {
 protected:
  EventHistoryDb() { window_.ConnectHandlers(); }

  void AddEvents(const std::string& number, int count, int code = 0x3010) {
    std::string values;
    for (int i = 0; i < count; ++i) {
      if (!values.empty()) values += ",";
      values += "('2026-12-10','08:00:00','" + number + "'," + std::to_string(code) + ")";
    }
    ASSERT_TRUE(db_.Execute("INSERT INTO event (Date, Time, TabNum, KSOB) VALUES " + values))
        << db_.last_error();
  }

  std::vector<std::string> Row(int index) {
    const forms::TListItem* item = window_.ListView1.Items()[index];
    std::vector<std::string> cells{item->Caption()};
    for (const std::string& s : item->SubItems().Items()) cells.push_back(s);
    return cells;
  }

  TFormSOB window_;
};

TEST_F(EventHistoryDb, NewestFirstWithTextsAndNotes) {
  ASSERT_TRUE(
      db_.Execute("INSERT INTO event (Date, Time, TabNum, KSOB, PSTAT, PARM1, PARM2, PARM3) VALUES "
                  "('2026-12-09','07:00:00','010aaa',13570,0,2500,500,0),"  // 0x3502
                  "('2026-12-09','07:30:00','020bbb',12369,0,1,7,0),"       // another lamp
                  "('2026-12-10','08:00:00','010aaa',12369,0,1,7,0),"       // 0x3051
                  "('2026-12-10','08:05:00','010aaa',4160,0,-1,0,0)"))      // 0x1040
      << db_.last_error();
  OpenEventHistory(80, 50, "010aaa");
  ASSERT_EQ(window_.ListView1.Items().Count(), 3);
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_TRUE(sent_[0].ends_with("WHERE TABNUM= \"010aaa\" ORDER BY DATA_ID DESC LIMIT 100;"));
  const std::string alarm_text(lamp::EventCodeText(0x1040));
  EXPECT_EQ(Row(0),
            (std::vector<std::string>{"010aaa", "2026-12-10", "08:05:00", "1040", alarm_text}));
  EXPECT_EQ(Row(1), (std::vector<std::string>{"010aaa", "2026-12-10", "08:00:00", "3051",
                                              std::string(lamp::EventCodeText(0x3051)),
                                              "ЦИКЛ - ВКЛ  Кол. 7"}));
  EXPECT_EQ(Row(2)[3], "3502");
  EXPECT_EQ(Row(2)[5], "Ёмкость АКБ 2.500, ток разр. 0.50");
  EXPECT_EQ(window_.ListView1.DrawCell(2, 3).brush_color, 0x00FFFFu);
  EXPECT_EQ(window_.ListView1.DrawCell(0, 3).brush_color, forms::clWhite);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(EventHistoryDb, RowCountsByChoiceAndLimit) {
  AddEvents("010aaa", 120);
  OpenEventHistory(80, 50, "010aaa");
  EXPECT_EQ(window_.ListView1.Items().Count(), 100);
  window_.RadioNSTR.SetItemIndex(-1);
  OpenEventHistory(80, 50, "010aaa");
  EXPECT_EQ(window_.ListView1.Items().Count(), 50);
  window_.RadioNSTR.SetItemIndex(1);
  OpenEventHistory(80, 50, "010aaa");
  EXPECT_EQ(window_.ListView1.Items().Count(), 120);

  sent_.clear();
  ClearEventHistory();
  InitEventHistoryColumns();
  EXPECT_EQ(LoadEventHistory("010aaa", 9000), 120);
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_TRUE(sent_[0].ends_with(" LIMIT 5000;"));
}

TEST_F(EventHistoryDb, UnknownLampAndFailedQuery) {
  AddEvents("010aaa", 3);
  OpenEventHistory(80, 50, "999zzz");
  EXPECT_EQ(window_.ListView1.Items().Count(), 0);
  EXPECT_EQ(window_.ListView1.Columns().Count(), 6);

  ASSERT_TRUE(db_.Execute("RENAME TABLE event TO event_away"));
  OpenEventHistory(80, 50, "010aaa");
  ASSERT_TRUE(db_.Execute("RENAME TABLE event_away TO event"));
  EXPECT_EQ(window_.ListView1.Items().Count(), 0);
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_TRUE(dialogs_.shown[0].text.starts_with("Error #: 1146\rMessage: "))
      << dialogs_.shown[0].text;
}

}  // namespace
