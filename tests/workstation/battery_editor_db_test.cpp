// The charge-mode editor's database side against the real MariaDB server: a confirmed write
// with a battery change, the database read and the database-only button.
#include "workstation/battery_editor.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "link/cp1251.h"
#include "link/station_frame.h"
#include "platform/forms/application.h"
#include "tests/workstation/link_peer.h"
#include "tests/workstation/workstation_db_fixture.h"
#include "workstation/command_sender.h"
#include "workstation/database_client.h"
#include "workstation/receive_socket.h"

namespace {

using namespace lumora;
using workstation_db_test::Rows;

void CardWorker(std::string& station, std::string& section, std::string& brigade) {
  station = "3";
  section = "";  // no number: the section reads as 9
  brigade = "12";
}

class BatteryEditorDb : public workstation_db_test::DatabaseTest {
 protected:
  void SetUp() override {
    DatabaseTest::SetUp();
    if (HasFatalFailure()) return;
    ModeWritePending = ModeReadWindow = ModeWriteWindow = ModeWriteState = 0;
    LastAnswerCommand = 0;
    BatteryEditorHooks = BatteryEditorLinks{};
    BatteryEditorHooks.ReadLampCardWorker = &CardWorker;
    ReceiveEndpoints = LinkEndpoints{"127.0.0.1", 0, "127.0.0.1", server_.port()};
    OpenReceiveSocket();
    editor_.ConnectHandlers();
    editor_.EditTN.SetText("010aaa");
    editor_.RadioTIP.SetItemIndex(0);
    editor_.RadioCELL.SetItemIndex(2);
    editor_.EditACC.SetText("2.0");
    ASSERT_EQ(FillDefaultMode(editor_), kModeFormOk);
  }
  void TearDown() override {
    if (ReceiveSocket != wsock::INVALID_SOCKET) wsock::closesocket(ReceiveSocket);
    ReceiveSocket = wsock::INVALID_SOCKET;
    ReceiveSocketState = kSocketNotBound;
    BatteryEditorHooks = BatteryEditorLinks{};
    DatabaseTest::TearDown();
  }

  void Tick() { forms::Application().AdvanceTime(150); }
  bool SentStarting(std::string_view start) const {
    for (const std::string& s : sent_) {
      if (s.starts_with(start)) return true;
    }
    return false;
  }

  link_test::UdpPeer server_;
  TFormBAT editor_;
};

TEST_F(BatteryEditorDb, ConfirmedWriteWithBatteryChange) {
  editor_.EditCOMT.SetText("Аккумулятор заменён после осмотра в мастерской");
  editor_.CheckSMB.SetChecked(true);
  editor_.BitBtn3.Click();
  Tick();
  SetLastAnswerCommand(lamp::StationCmdModeWrite);
  Tick();
  EXPECT_TRUE(sent_.empty());  // nothing before the change is confirmed
  SetLastAnswerCommand(lamp::StationCmdBatteryChange);
  Tick();
  Tick();
  EXPECT_EQ(ModeWriteState, kModeWriteStored);
  EXPECT_TRUE(dialogs_.shown.empty());

  EXPECT_EQ(Query("SELECT TabNum, Tip, CELL, CNOM, VNOM, ICH1, TIMCH1, ST, UCH, BRIG, COMMENT "
                  "FROM BATTPARM"),
            (Rows{{"010aaa", "1", "3", "200", "3600", "200", "720", "3", "9", "12",
                   "Аккумулятор заменён после осмот"}}));
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTLOG"), "1");
  EXPECT_EQ(Query("SELECT TabNum, CNOM, ST, UCH, BRIG FROM SMENABATT"),
            (Rows{{"010aaa", "200", "3", "9", "12"}}));
  EXPECT_EQ(Query("SELECT TABNUM, ST, UCH, BRIG, Date = DATESMB FROM BATTALL"),
            (Rows{{"010aaa", "3", "9", "12", "1"}}));
  EXPECT_TRUE(SentStarting("UPDATE  BATTCHREP"));
  EXPECT_FALSE(SentStarting("UPDATE battdisrep"));  // the lamp has no discharge report
  EXPECT_FALSE(SentStarting("UPDATE BATTALL"));

  // The next change of the same lamp updates its totals.
  sent_.clear();
  editor_.CheckSMB.SetChecked(true);
  editor_.BitBtn3.Click();
  Tick();
  SetLastAnswerCommand(lamp::StationCmdModeWrite);
  Tick();
  SetLastAnswerCommand(lamp::StationCmdBatteryChange);
  Tick();
  Tick();
  EXPECT_TRUE(SentStarting("UPDATE BATTALL SET "));
  EXPECT_FALSE(SentStarting("INSERT INTO BATTALL"));
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTALL"), "1");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTPARM"), "1");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTLOG"), "2");
}

TEST_F(BatteryEditorDb, UnconfirmedChangeWritesNothing) {
  editor_.CheckSMB.SetChecked(true);
  editor_.BitBtn3.Click();
  Tick();
  SetLastAnswerCommand(lamp::StationCmdModeWrite);
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(editor_.Edit1.Text(), "Нет ответа");
  EXPECT_TRUE(sent_.empty());
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTPARM"), "0");
}

// The change confirmed on the tick that brings the window to 2: the last tick reports no
// answer and unchecks "Смена батареи" before it stores, so only the record itself is written.
TEST_F(BatteryEditorDb, ChangeConfirmedOnTheLastTickStoresTheRecordWithoutTheChange) {
  editor_.CheckSMB.SetChecked(true);
  editor_.BitBtn3.Click();
  Tick();
  SetLastAnswerCommand(lamp::StationCmdModeWrite);
  while (ModeWriteWindow > 3) Tick();
  SetLastAnswerCommand(lamp::StationCmdBatteryChange);
  Tick();
  ASSERT_EQ(ModeWriteWindow, 2);
  EXPECT_EQ(ModeWriteState, kModeWriteConfirmed);
  EXPECT_TRUE(sent_.empty());
  Tick();
  EXPECT_EQ(ModeWriteState, kModeWriteStored);
  EXPECT_EQ(editor_.Edit1.Text(), "Нет ответа");
  EXPECT_FALSE(editor_.CheckSMB.Checked());
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTPARM"), "1");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTLOG"), "1");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM SMENABATT"), "0");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTALL"), "0");
  EXPECT_FALSE(SentStarting("UPDATE  BATTCHREP"));
}

TEST_F(BatteryEditorDb, ReadFromDatabaseAndDatabaseOnlyButton) {
  editor_.CheckSMB.SetChecked(true);
  editor_.BitBtn6.Click();
  EXPECT_EQ(Query("SELECT TabNum, CNOM, ST, UCH, BRIG, COMMENT FROM BATTPARM"),
            (Rows{{"010aaa", "200", "0", "0", "0", "newBATT"}}));
  EXPECT_EQ(Query("SELECT ST, UCH, BRIG FROM SMENABATT"), (Rows{{"0", "0", "0"}}));
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTLOG"), "0");
  EXPECT_TRUE(server_.Silent());

  ClearModeForm();
  editor_.BitBtn1.Click();
  EXPECT_EQ(editor_.EditACC.Text(), "2.00");
  EXPECT_EQ(editor_.RadioTIP.ItemIndex(), 0);
  EXPECT_EQ(editor_.RadioCELL.ItemIndex(), 2);
  EXPECT_EQ(editor_.EditP4.Text(), "4.95");
  EXPECT_EQ(editor_.EditCOMT.Text(), "newBATT");
  EXPECT_EQ(ModeFormRecord[lamp::kModeCapacity], 200);

  editor_.EditTN.SetText("999zzz");
  editor_.BitBtn1.Click();
  EXPECT_EQ(editor_.EditACC.Text(), "");
  EXPECT_EQ(editor_.RadioTIP.ItemIndex(), -1);
  EXPECT_TRUE(dialogs_.shown.empty());
}

// The database-only button on a form that fails its checks shows the error box and stores
// nothing, rather than the record collected earlier under the number now typed.
TEST_F(BatteryEditorDb, DatabaseOnlyButtonStoresNothingFromAnIncompleteForm) {
  TFormERR error;
  std::vector<std::string> shown;
  forms::Application().SetModalRunner(
      [&](forms::TForm&) { shown.push_back(error.Label.Caption()); });
  ASSERT_EQ(CollectModeForm(editor_), kModeFormOk);  // a record collected for 010aaa
  editor_.EditTN.SetText("020bbb");
  editor_.EditACC.SetText("");
  editor_.CheckSMB.SetChecked(true);
  editor_.BitBtn6.Click();
  forms::Application().SetModalRunner({});
  EXPECT_EQ(shown, (std::vector<std::string>{"Не задана ёмкость батареи"}));
  EXPECT_TRUE(sent_.empty());
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM BATTPARM"), "0");
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM SMENABATT"), "0");
}

}  // namespace
