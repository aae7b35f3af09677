// The lamp card's re-read against the private database: the five reads in their order fill
// the worker and battery fields, the parameter list and the battery editor; a lamp without a
// parameter row leaves the list empty; a Cyrillic number is looked up as cp1251.
#include <string>

#include <gtest/gtest.h>

#include "link/cp1251.h"
#include "platform/forms/application.h"
#include "tests/workstation/workstation_db_fixture.h"
#include "workstation/battery_editor.h"
#include "workstation/command_sender.h"
#include "workstation/connect_window.h"
#include "workstation/database_client.h"
#include "workstation/datagram_decoder.h"
#include "workstation/lamp_card.h"
#include "workstation/main_window.h"

namespace {

using namespace lumora;

class LampCardDbTest : public workstation_db_test::DatabaseTest {
 protected:
  LampCardDbTest() {
    card_.ConnectHandlers();
    LampCardReloadFlag = false;
  }
  ~LampCardDbTest() override {
    BatteryEditorHooks = BatteryEditorLinks{};
    SetLampWaitField(nullptr);
  }

  void Reread(const char* number) {
    card_.EditTN.SetText(number);
    ReloadLampCard();
    forms::Application().AdvanceTime(100);
  }

  TMainForm main_;
  TFormSQL connect_;
  TFormBAT editor_;
  TFormSVET card_;
};

TEST_F(LampCardDbTest, ReReadFillsTheCardFromEveryTable) {
  Exec(
      "INSERT INTO WORKER (TABNUM, FAMILE, NAME, PATRON, ST, UCH, BRIG, WTEL, WTBNUM, NUMFIND, "
      "NUMCALL, COMMENT) VALUES ('101abc', 'Петров', 'Иван', 'Ильич', 3, 12, 4, '22-15', 5512, "
      "'F1', 'C2', 'запасной')");
  Exec(
      "INSERT INTO battchrep (Date, Time, TabNum, KZR, Tip, CNAK) VALUES "
      "('2026-12-01', '07:10:00', '101abc', 41, 2, 12345)");
  Exec(
      "INSERT INTO battdisrep (Date, Time, TabNum, Cacc, Proc) VALUES "
      "('2026-11-30', '06:00:00', '101abc', 1500, 75)");
  Exec("INSERT INTO SMENABATT (Date, Time, TabNum) VALUES ('2026-10-02', '09:30:00', '101abc')");
  Exec(
      "INSERT INTO BATTPARM (Date, Time, TabNum, Tip, CELL, CNOM, VNOM, ICH1, PFLAG, NFLAG, "
      "COMMENT) VALUES ('2026-09-03', '10:45:00', '101abc', 3, 1, 1000, 3600, 2000, 8, 2, "
      "'новая')");
  card_.EditWTN.SetText("old");
  Reread("101abc");
  EXPECT_EQ(card_.EditFIO.Text(), "Петров Иван Ильич");
  EXPECT_EQ(card_.EditZST.Text(), "3");
  EXPECT_EQ(card_.EditUCH.Text(), "12");
  EXPECT_EQ(card_.EditBR.Text(), "4");
  EXPECT_EQ(card_.EditWTEL.Text(), "22-15");
  EXPECT_EQ(card_.EditWTN.Text(), "5512");
  EXPECT_EQ(card_.EditNFIND.Text(), "F1");
  EXPECT_EQ(card_.EditNCALL.Text(), "C2");
  EXPECT_EQ(card_.MemoCM.Text(), "запасной\n");
  EXPECT_EQ(card_.EditDAT2.Text(), "2026-12-01");
  EXPECT_EQ(card_.EditKK.Text(), "41");
  EXPECT_EQ(card_.EditCNAK.Text(), "12.345");
  EXPECT_EQ(card_.EditDAT1.Text(), "2026-11-30");
  EXPECT_EQ(card_.EditCBATX.Text(), "1.50");
  EXPECT_EQ(card_.EditPROC.Text(), "75%");
  EXPECT_EQ(card_.EditSMBATT.Text(), "2026-10-02");
  EXPECT_EQ(card_.EditSMTIME.Text(), "09:30:00");
  EXPECT_EQ(card_.EditDATIZM.Text(), "2026-09-03");
  EXPECT_EQ(card_.EditTIMIZM.Text(), "10:45:00");

  forms::TListItems& rows = card_.ListView1.Items();
  ASSERT_EQ(rows.Count(), 15);
  EXPECT_EQ(rows[0]->SubItems()[0], "Li-Ion");
  EXPECT_EQ(rows[2]->SubItems()[0], "10.00");
  EXPECT_EQ(rows[5]->SubItems()[1], "2.00");
  EXPECT_EQ(rows[11]->SubItems()[0], "ВКЛ");
  EXPECT_EQ(rows[13]->SubItems()[0], "ВКЛ");  // NFLAG 2: type word 0x203
  EXPECT_TRUE(CurrentControlFlag);
  EXPECT_EQ(editor_.EditACC.Text(), "10.00");
  EXPECT_EQ(editor_.EditCOMT.Text(), "новая");
  EXPECT_FALSE(connect_.Visible());
}

TEST_F(LampCardDbTest, LampWithoutParameterRowKeepsTheListEmpty) {
  Exec("INSERT INTO WORKER (TABNUM, FAMILE, ST) VALUES ('202abc', 'Сидоров', 7)");
  Reread("202abc");
  EXPECT_EQ(card_.EditFIO.Text(), "Сидоров  ");
  EXPECT_EQ(card_.EditZST.Text(), "7");
  EXPECT_EQ(card_.ListView1.Items().Count(), 0);
  EXPECT_EQ(card_.EditKK.Text(), "");
}

TEST_F(LampCardDbTest, CyrillicNumberIsLookedUpAsCp1251) {
  Exec("INSERT INTO WORKER (TABNUM, FAMILE, ST) VALUES ('01жк', 'Кузнецов', 2)");
  Reread("01жк");
  EXPECT_EQ(card_.EditFIO.Text(), "Кузнецов  ");
}

TEST_F(LampCardDbTest, LostConnectionOpensTheConnectWindow) {
  CloseDbConnection();
  main_.SetBounds(40, 30, 800, 600);
  Reread("101abc");
  EXPECT_TRUE(connect_.Visible());
  EXPECT_EQ(connect_.Left(), 190);
  EXPECT_EQ(connect_.Top(), 180);
}

// A worker read that fails on a live connection counts as no database as well.
TEST_F(LampCardDbTest, FailedWorkerReadOpensTheConnectWindow) {
  Exec("INSERT INTO WORKER (TABNUM, FAMILE, ST) VALUES ('101abc', 'Петров', 3)");
  ASSERT_TRUE(db_.Execute("RENAME TABLE WORKER TO WORKER_AWAY"));
  const std::int32_t result = LoadWorkerCard("101abc");
  Reread("101abc");
  ASSERT_TRUE(db_.Execute("RENAME TABLE WORKER_AWAY TO WORKER"));
  EXPECT_EQ(result, -5);
  EXPECT_TRUE(connect_.Visible());
  EXPECT_EQ(dialogs_.shown.size(), 2u);  // one error box per failed statement
  EXPECT_EQ(sent_.size(), 2u);           // and the card reads nothing more
}

}  // namespace
