// The database client without a database: the read statement texts, the error box, what every
// read leaves when there is no connection, and the connect window's timers.
#include "workstation/database_client.h"

#include <array>
#include <string>

#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "tests/workstation/link_peer.h"
#include "workstation/battery_editor.h"
#include "workstation/cell_table.h"
#include "workstation/connect_window.h"
#include "workstation/lamp_card.h"

namespace {

using namespace lumora;

TEST(DatabaseReadQueryTest, ExactTexts) {
  std::array<char, kStatementBufferSize> buffer{};
  lamp::SqlStatement s(buffer);
  BuildWorkerListQuery(s);
  EXPECT_EQ(s.view(), "SELECT TABNUM, ST   FROM WORKER ORDER BY TABNUM;");
  BuildWorkerCardQuery(s, "010aaa");
  EXPECT_EQ(s.view(),
            "SELECT  TABNUM , FAMILE, NAME, PATRON,ST, UCH, BRIG, WTEL , WTBNUM , NUMFIND, "
            "NUMCALL, COMMENT  FROM WORKER  WHERE TABNUM= \"010aaa\";");
  BuildChargeReportQuery(s, "010aaa");
  EXPECT_EQ(s.view(),
            "SELECT  TABNUM, DATE, TIME,KZR , TIP , CNAK    FROM BATTCHREP  WHERE TABNUM= "
            "\"010aaa\";");
  BuildDischargeReportQuery(s, "010aaa");
  EXPECT_EQ(s.view(),
            "SELECT  TABNUM, DATE, TIME, IDIS, TDIS, CACC, CET, PROC, TIP    FROM battdisrep  "
            "WHERE TABNUM= \"010aaa\";");
  BuildShiftBatteryQuery(s, "010aaa");
  EXPECT_EQ(s.view(),
            "SELECT  TABNUM, DATE, TIME,  TIP, CELL, CNOM, VNOM    FROM SMENABATT  WHERE TABNUM= "
            "\"010aaa\";");
  BuildBatteryParamsQuery(s, "010aaa");
  EXPECT_EQ(s.view(),
            "SELECT  TABNUM, DATE, TIME,  TIP, CELL, CNOM, VNOM, IDISD, VMIND, ICH1, VMAXCH1, "
            "TIMCH1, ICH2, VMAXCH2, TIMCH2, ICHPOD, VMAXCHPOD, IDISCNT, VMINCNT,   DELTA, IMINCH, "
            "PFLAG,NFLAG,R_NET, COMMENT \t  FROM BATTPARM  WHERE TABNUM= \"010aaa\";");
  // A number that would end the literal is escaped, not sent as it stands.
  BuildWorkerCardQuery(s, "0\"1");
  EXPECT_TRUE(s.view().ends_with("WHERE TABNUM= \"0\\\"1\";"));
}

class NoDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseDbConnection();
    forms::Application().SetDialogService(&dialogs_);
    SetStatementObserver([this](std::string_view) { ++sent_; });
  }
  void TearDown() override {
    SetStatementObserver({});
    forms::Application().SetDialogService(nullptr);
  }

  link_test::ManualClockFirst clock_;
  forms::ScriptedDialogService dialogs_;
  int sent_ = 0;
  TFormSVET card_;
  TFormBAT editor_;
};

TEST_F(NoDatabaseTest, ReadsSendNothingAndChangeNothing) {
  BeginWorkerListLoad();
  StoreWorkerRow(0, "003aaa", 3);
  StoreWorkerRow(1, "010aaa", 10);
  card_.EditFIO.SetText("before");
  card_.EditCNAK.SetText("1.000");
  editor_.EditCOMT.SetText("kept");

  EXPECT_EQ(LoadWorkerList(), 0);
  EXPECT_EQ(WorkerList.count, 0);
  EXPECT_EQ(WorkerList.number[0][0], '\0');
  EXPECT_EQ(WorkerList.number[1][0], '\0');
  EXPECT_EQ(WorkerList.station[1], 0);  // the emptied list keeps no stations

  EXPECT_EQ(LoadWorkerCard("010aaa"), kNoDatabase);
  LoadChargeReport("010aaa");
  LoadDischargeReport("010aaa");
  LoadShiftBattery("010aaa");
  lamp::ModeDisplayRecord r;
  r[0] = 77;
  r[20] = 500;
  EXPECT_EQ(LoadBatteryParams("010aaa", r), 0);
  EXPECT_EQ(r[0], 77);
  EXPECT_EQ(r[20], 0);

  EXPECT_EQ(card_.EditFIO.Text(), "before");
  EXPECT_EQ(card_.EditCNAK.Text(), "1.000");
  EXPECT_EQ(editor_.EditCOMT.Text(), "kept");
  EXPECT_EQ(sent_, 0);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(NoDatabaseTest, SqlErrorBoxText) {
  ShowSqlError(1146, "Table 'zuvurov.X' doesn't exist");
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Error #: 1146\rMessage: Table 'zuvurov.X' doesn't exist");
}

TEST_F(NoDatabaseTest, PingWithoutConnectionDoesNothing) {
  PingDbConnection();
  EXPECT_EQ(DbConnection, nullptr);
  EXPECT_TRUE(dialogs_.shown.empty());
}

class ConnectWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConnectTick = kConnectTickStart;
    window_.ConnectHandlers();
  }
  link_test::ManualClockFirst clock_;
  TFormSQL window_;
};

TEST_F(ConnectWindowTest, StartState) {
  EXPECT_EQ(window_.Caption(), "Подключение к базе");
  EXPECT_FALSE(window_.Visible());
  EXPECT_EQ(window_.Left(), 0);
  EXPECT_EQ(window_.Top(), 0);
  EXPECT_EQ(window_.Edit3.Text(), "");
  EXPECT_EQ(window_.EditU.Text(), "root");
  EXPECT_EQ(window_.EditP.Text(), "");
  EXPECT_EQ(window_.EditP.PasswordChar(), '*');
  EXPECT_EQ(window_.BitBtn1.Caption(), "Подключить");
  EXPECT_FALSE(window_.Edit1.Visible());
  EXPECT_EQ(window_.Timer1.Interval(), 1000);
  EXPECT_EQ(window_.Timer2.Interval(), 10000);
}

TEST_F(ConnectWindowTest, AfterConnectClosesOnSecondTickAndEmptiesStatusAt600) {
  window_.Show();
  ConnectTick = 0;
  window_.Edit3.SetText("Подключено");
  forms::Application().AdvanceTime(1000);
  EXPECT_TRUE(window_.Visible());
  forms::Application().AdvanceTime(1000);
  EXPECT_FALSE(window_.Visible());
  forms::Application().AdvanceTime(597 * 1000);
  EXPECT_EQ(window_.Edit3.Text(), "Подключено");
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(ConnectTick, 600);
  EXPECT_EQ(window_.Edit3.Text(), "");
}

TEST_F(ConnectWindowTest, WithoutConnectNeverClosesAndEmptiesStatusOnce) {
  window_.Show();
  window_.Edit3.SetText("Ошибка");
  forms::Application().AdvanceTime(596 * 1000);
  EXPECT_TRUE(window_.Visible());
  EXPECT_EQ(window_.Edit3.Text(), "Ошибка");
  forms::Application().AdvanceTime(1000);
  EXPECT_EQ(window_.Edit3.Text(), "");
  window_.Edit3.SetText("later");
  forms::Application().AdvanceTime(5000);
  EXPECT_EQ(window_.Edit3.Text(), "later");
  EXPECT_TRUE(window_.Visible());
}

}  // namespace
