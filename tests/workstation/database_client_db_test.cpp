// The connect window and every read of the database client, against the real MariaDB server.
#include "workstation/database_client.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "link/connection_keeper.h"
#include "link/cp1251.h"
#include "link/database_options.h"
#include "platform/forms/application.h"
#include "tests/support/test_database.h"
#include "tests/workstation/workstation_db_fixture.h"
#include "workstation/battery_editor.h"
#include "workstation/cell_table.h"
#include "workstation/connect_window.h"
#include "workstation/lamp_card.h"

namespace {

using namespace lumora;

// Connects by itself, through the connect window.
class DatabaseClientDb : public workstation_db_test::DatabaseTest {
 protected:
  DatabaseClientDb() : DatabaseTest(false) {
    WorkerList = WorkerListTable{};
    ConnectTick = kConnectTickStart;
    connect_.ConnectHandlers();
  }

  void Connect(const char* password = "q758") {
    connect_.EditU.SetText("root");
    connect_.EditP.SetText(password);
    connect_.BitBtn1.Click();
  }

  // How often the worker list has been read so far.
  long WorkerListReads() const {
    std::array<char, kStatementBufferSize> storage{};
    lamp::SqlStatement query(storage);
    BuildWorkerListQuery(query);
    return std::count(sent_.begin(), sent_.end(), query.view());
  }

  TFormSQL connect_;
  TFormSVET card_;
  TFormBAT editor_;
};

TEST_F(DatabaseClientDb, ConnectLoadsWorkerListInNumberOrder) {
  Exec("INSERT INTO WORKER (TABNUM, ST) VALUES ('010aaa', 10), ('003aaa', 3), ('12345678', 7)");
  Connect();
  ASSERT_NE(DbConnection, nullptr);
  EXPECT_EQ(connect_.Edit3.Text(), "Подключено");
  EXPECT_EQ(connect_.Edit1.Text(), "3");
  EXPECT_EQ(ConnectTick, 0);
  EXPECT_TRUE(dialogs_.shown.empty());
  ASSERT_EQ(WorkerList.count, 3);
  EXPECT_STREQ(WorkerList.number[0].data(), "003aaa");
  EXPECT_EQ(WorkerList.station[0], 3);
  EXPECT_STREQ(WorkerList.number[1].data(), "010aaa");
  EXPECT_STREQ(WorkerList.number[2].data(), "123456");  // cut to six characters
  EXPECT_EQ(WorkerList.station[2], 7);
}

TEST_F(DatabaseClientDb, WrongPasswordKeepsListAndLeavesNoConnection) {
  Exec("INSERT INTO WORKER (TABNUM, ST) VALUES ('003aaa', 3)");
  Connect();
  ASSERT_EQ(WorkerList.count, 1);
  Connect("wrong");
  EXPECT_EQ(DbConnection, nullptr);
  EXPECT_EQ(connect_.Edit3.Text(), "Ошибка");
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Can not connect.");
  EXPECT_EQ(WorkerList.count, 1);
  EXPECT_STREQ(WorkerList.number[0].data(), "003aaa");
  EXPECT_EQ(LoadWorkerCard("003aaa"), kNoDatabase);
  // A refused login is not tried again by itself, and nothing completes it later.
  const int tries_before = DbConnectionKeeper().tries_started();
  forms::Application().AdvanceTime(30000);
  EXPECT_FALSE(DbConnectionKeeper().trying());
  EXPECT_EQ(DbConnectionKeeper().tries_started(), tries_before);
  EXPECT_EQ(DbConnection, nullptr);
  EXPECT_EQ(connect_.Edit3.Text(), "Ошибка");
  EXPECT_EQ(WorkerListReads(), 1);
}

TEST_F(DatabaseClientDb, ReconnectWithFewerRowsEmptiesTheSlotsPastTheNewCount) {
  Exec("INSERT INTO WORKER (TABNUM, ST) VALUES ('001aaa', 1), ('002aaa', 2), ('003aaa', 3)");
  Connect();
  Exec("DELETE FROM WORKER WHERE TABNUM <> '001aaa'");
  Connect();
  EXPECT_EQ(connect_.Edit1.Text(), "1");
  EXPECT_EQ(WorkerList.count, 1);
  EXPECT_EQ(WorkerList.number[1][0], '\0');
  EXPECT_EQ(WorkerList.station[1], 0);
  EXPECT_EQ(WorkerList.station[2], 0);
}

TEST_F(DatabaseClientDb, RowsPastTheLastSlotAreLeftOut) {
  std::string values;
  for (int i = 0; i < kSlotCount + 5; ++i) {
    char number[16];
    std::snprintf(number, sizeof number, "%06d", i);
    if (!values.empty()) values += ",";
    values += "('" + std::string(number) + "', 1)";
  }
  Exec("INSERT INTO WORKER (TABNUM, ST) VALUES " + values);
  Connect();
  EXPECT_EQ(connect_.Edit1.Text(), std::to_string(kSlotCount));
  EXPECT_EQ(WorkerList.count, kSlotCount);
  EXPECT_STREQ(WorkerList.number[kSlotCount - 1].data(), "005999");
}

TEST_F(DatabaseClientDb, EmptyWorkerTable) {
  Connect();
  EXPECT_EQ(connect_.Edit3.Text(), "Подключено");
  EXPECT_EQ(connect_.Edit1.Text(), "0");
  EXPECT_EQ(WorkerList.count, 0);
}

TEST_F(DatabaseClientDb, WorkerCardLastRowStands) {
  Exec(
      "INSERT INTO WORKER (TABNUM, FAMILE, NAME, PATRON, ST, UCH, BRIG, WTEL, WTBNUM, NUMFIND, "
      "NUMCALL, COMMENT) VALUES "
      "('010aaa', 'Первый', 'Иван', 'Ильич', 1, 2, 3, '11', 4, '5', '6', 'раз'), "
      "('010aaa', 'Петров', 'Пётр', 'Петрович', 10, 20, 30, '22-33', 1234, '77', '88', 'два')");
  Connect();
  sent_.clear();
  EXPECT_EQ(LoadWorkerCard("010aaa"), 2);
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(card_.EditFIO.Text(), "Петров Пётр Петрович");
  EXPECT_EQ(card_.EditZST.Text(), "10");
  EXPECT_EQ(card_.EditUCH.Text(), "20");
  EXPECT_EQ(card_.EditBR.Text(), "30");
  EXPECT_EQ(card_.EditWTEL.Text(), "22-33");
  EXPECT_EQ(card_.EditWTN.Text(), "1234");
  EXPECT_EQ(card_.EditNFIND.Text(), "77");
  EXPECT_EQ(card_.EditNCALL.Text(), "88");
  EXPECT_EQ(card_.MemoCM.Lines().Get(0), "два");
  EXPECT_EQ(LoadWorkerCard("999zzz"), 0);
  // A number holding a quote is escaped and simply finds nothing.
  EXPECT_EQ(LoadWorkerCard("0\"1"), 0);
  EXPECT_TRUE(dialogs_.shown.empty());
}

TEST_F(DatabaseClientDb, ChargeReportReceivedCharge) {
  Connect();
  struct Case {
    int cnak;
    const char* shown;
  };
  for (const Case& c : {Case{-1, "before"}, Case{0, "0.000"}, Case{12345, "12.345"}}) {
    SCOPED_TRACE(c.cnak);
    Exec("DELETE FROM battchrep");
    Exec(
        "INSERT INTO battchrep (Date, Time, TabNum, KZR, CNAK) VALUES ('2026-12-01', "
        "'10:00:00', '010aaa', 17, " +
        std::to_string(c.cnak) + ")");
    card_.EditCNAK.SetText("before");
    LoadChargeReport("010aaa");
    EXPECT_EQ(card_.EditDAT2.Text(), "2026-12-01");
    EXPECT_EQ(card_.EditKK.Text(), "17");
    EXPECT_EQ(card_.EditCNAK.Text(), c.shown);
  }
}

TEST_F(DatabaseClientDb, DischargeReportCapacityAndPercentColours) {
  Connect();
  struct Case {
    int proc;
    const char* text;
    forms::TColor colour;
  };
  for (const Case& c : {Case{80, "80%", forms::clRed}, Case{81, "81%", forms::clGreen},
                        Case{-1, "before", forms::clBlue}}) {
    SCOPED_TRACE(c.proc);
    Exec("DELETE FROM battdisrep");
    Exec(
        "INSERT INTO battdisrep (Date, Time, TabNum, Cacc, Proc) VALUES ('2026-12-02', "
        "'11:00:00', '010aaa', 1500, " +
        std::to_string(c.proc) + ")");
    card_.EditPROC.SetText("before");
    card_.EditPROC.SetFontColor(forms::clGreen);
    LoadDischargeReport("010aaa");
    EXPECT_EQ(card_.EditDAT1.Text(), "2026-12-02");
    EXPECT_EQ(card_.EditCBATX.Text(), "1.50");
    EXPECT_EQ(card_.EditPROC.Text(), c.text);
    EXPECT_EQ(card_.EditPROC.FontColor(), c.colour);
  }
}

TEST_F(DatabaseClientDb, ShiftBatteryDateAndTime) {
  Exec("INSERT INTO SMENABATT (Date, Time, TabNum) VALUES ('2026-11-30', '09:08:07', '010aaa')");
  Connect();
  LoadShiftBattery("010aaa");
  EXPECT_EQ(card_.EditSMBATT.Text(), "2026-11-30");
  EXPECT_EQ(card_.EditSMTIME.Text(), "09:08:07");
}

TEST_F(DatabaseClientDb, BatteryParamsFillRecordAndNflagReplacesHighBits) {
  Exec(
      "INSERT INTO BATTPARM (Date, Time, TabNum, Tip, CELL, CNOM, VNOM, IDISD, VMIND, ICH1, "
      "VMAXCH1, TIMCH1, ICH2, VMAXCH2, TIMCH2, ICHPOD, VMAXCHPOD, IDISCNT, VMINCNT, DELTA, "
      "IMINCH, PFLAG, NFLAG, R_NET, COMMENT) VALUES ('2026-12-03', '12:13:14', '010aaa', 3, 2, "
      "200, 3600, 400, 3000, 200, 4950, 720, 201, 4951, 721, 6, 4952, 202, 3001, 300, 90, "
      "0x2009, 2, 950, 'Комментарий')");
  Exec("INSERT INTO BATTPARM (TabNum, Tip, NFLAG) VALUES ('020aaa', 0x203, 0)");
  Connect();
  lamp::ModeDisplayRecord r;
  r[18] = 55;
  r[20] = 1;
  EXPECT_EQ(LoadBatteryParams("010aaa", r), 1);
  const lamp::ModeDisplayRecord expected{{200,  0x203, 2,   90,     400, 3000, 200,
                                          4950, 720,   201, 4951,   721, 202,  3001,
                                          6,    4952,  300, 0x2009, 55,  3600, 950}};
  EXPECT_EQ(r, expected);
  EXPECT_EQ(card_.EditDATIZM.Text(), "2026-12-03");
  EXPECT_EQ(card_.EditTIMIZM.Text(), "12:13:14");
  EXPECT_EQ(editor_.EditCOMT.Text(), "Комментарий");

  EXPECT_EQ(LoadBatteryParams("020aaa", r), 1);
  EXPECT_EQ(r[1], 3);

  r[0] = 123;
  r[20] = 9;
  EXPECT_EQ(LoadBatteryParams("999zzz", r), 0);
  EXPECT_EQ(r[0], 123);
  EXPECT_EQ(r[20], 0);
}

TEST_F(DatabaseClientDb, FailedStatementShowsItsErrorAndChangesNothing) {
  Connect();
  ASSERT_TRUE(db_.Execute("RENAME TABLE SMENABATT TO SMENABATT_AWAY"));
  card_.EditSMBATT.SetText("kept");
  LoadShiftBattery("010aaa");
  ASSERT_TRUE(db_.Execute("RENAME TABLE SMENABATT_AWAY TO SMENABATT"));
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_TRUE(dialogs_.shown[0].text.starts_with("Error #: 1146\rMessage: Table "))
      << dialogs_.shown[0].text;
  EXPECT_EQ(card_.EditSMBATT.Text(), "kept");
}

TEST_F(DatabaseClientDb, PingKeepsTheConnection) {
  Connect();
  forms::Application().AdvanceTime(10000);
  EXPECT_NE(DbConnection, nullptr);
  EXPECT_EQ(LoadWorkerList(), 0);
  EXPECT_TRUE(dialogs_.shown.empty());
}

// The database restarts while the workstation runs: the read made while it is away shows its
// error and changes nothing; a read before the next try fails at once the same way, and once
// the 10 s ping has made that try, the next read works, still in cp1251.
TEST_F(DatabaseClientDb, ReadsAgainAfterTheDatabaseRestarts) {
  Exec(
      "INSERT INTO WORKER (TABNUM, FAMILE, NAME, PATRON) VALUES ('010aaa', 'Петров', 'Пётр', "
      "'Петрович')");
  Connect();
  ASSERT_EQ(LoadWorkerCard("010aaa"), 1);
  {
    lamptest::DatabaseServerOutage outage;
    ASSERT_TRUE(outage.stopped());
    card_.EditFIO.SetText("kept");
    EXPECT_EQ(LoadWorkerCard("010aaa"), kNoDatabase);
    EXPECT_EQ(card_.EditFIO.Text(), "kept");
    ASSERT_EQ(dialogs_.shown.size(), 1u);
    EXPECT_THAT(dialogs_.shown[0].text,
                ::testing::MatchesRegex("Error #: [1-9][0-9]*\rMessage: .+"));
    ASSERT_TRUE(outage.End());
  }
  // The restarted server kept its rows; the renamed worker shows which read is new.
  Exec(
      "UPDATE WORKER SET FAMILE = 'Щукин', NAME = 'Ёж', PATRON = 'Эдуардович' WHERE TABNUM = "
      "'010aaa'");
  WaitForDbConnectionTry();
  const std::size_t sent_before = sent_.size();
  EXPECT_EQ(LoadWorkerCard("010aaa"), kNoDatabase);
  EXPECT_EQ(sent_.size(), sent_before);
  ASSERT_EQ(dialogs_.shown.size(), 2u);
  EXPECT_THAT(dialogs_.shown[1].text, ::testing::MatchesRegex("Error #: [1-9][0-9]*\rMessage: .+"));

  forms::Application().AdvanceTime(10000);
  WaitForDbConnectionTry();
  EXPECT_EQ(LoadWorkerCard("010aaa"), 1);
  EXPECT_EQ(card_.EditFIO.Text(), "Щукин Ёж Эдуардович");
  EXPECT_EQ(dialogs_.shown.size(), 2u);
  // A connection that comes back after a good connect reads nothing by itself.
  forms::Application().AdvanceTime(10000);
  EXPECT_EQ(WorkerListReads(), 1);
  EXPECT_EQ(connect_.Edit1.Text(), "1");
}

// The operator connects while the database is down: the connect fails as before. Once the
// database is up, the connection comes back by itself and completes as a press of the button
// would have: the worker list read, "Подключено", and the window closes on the second tick.
TEST_F(DatabaseClientDb, AConnectWhileTheDatabaseIsDownCompletesOnceItIsUp) {
  connect_.Show();
  {
    lamptest::DatabaseServerOutage outage;
    ASSERT_TRUE(outage.stopped());
    Connect();
    EXPECT_EQ(DbConnection, nullptr);
    EXPECT_EQ(connect_.Edit3.Text(), "Ошибка");
    EXPECT_TRUE(DbConnectionKeeper().trying());
    EXPECT_EQ(LoadWorkerCard("010aaa"), kNoDatabase);
    forms::Application().AdvanceTime(5000);
    WaitForDbConnectionTry();
    EXPECT_TRUE(connect_.Visible());
    ASSERT_TRUE(outage.End());
  }
  Exec(
      "INSERT INTO WORKER (TABNUM, ST, FAMILE, NAME, PATRON) VALUES ('010aaa', 1, 'Ивлев', "
      "'Ян', 'Ильич'), ('011aaa', 1, 'Ким', 'Ли', '')");
  // The window looks every second; a try is due every interval.
  constexpr int kSecondsAllowed = 3 * static_cast<int>(lamp::kDatabaseReconnectIntervalSeconds);
  int seconds = 0;
  while (WorkerList.count == 0 && seconds < kSecondsAllowed) {
    forms::Application().AdvanceTime(1000);
    WaitForDbConnectionTry();
    ++seconds;
  }
  ASSERT_EQ(WorkerList.count, 2);
  EXPECT_STREQ(WorkerList.number[1].data(), "011aaa");
  EXPECT_EQ(connect_.Edit1.Text(), "2");
  EXPECT_EQ(connect_.Edit3.Text(), "Подключено");
  forms::Application().AdvanceTime(1000);
  EXPECT_TRUE(connect_.Visible());
  forms::Application().AdvanceTime(1000);
  EXPECT_FALSE(connect_.Visible());
  EXPECT_EQ(LoadWorkerCard("010aaa"), 1);
  EXPECT_EQ(card_.EditFIO.Text(), "Ивлев Ян Ильич");
  // Only the failed connect's box: no read met a lost connection.
  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Can not connect.");
  // Once, not at every tick that follows.
  forms::Application().AdvanceTime(10000);
  EXPECT_EQ(WorkerListReads(), 1);
}

}  // namespace
