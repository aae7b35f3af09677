// Start-up against the database: connected at the first attempt, the server's start row, the
// worker and host tables loaded, the window hidden when configured; a second copy refused.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/single_instance.h"
#include "tests/server/startup_fixture.h"
#include "tests/support/test_database.h"

namespace {

using startup_test::ReportMessages;

class StartupDb : public startup_test::StartupTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyTables({"event", "WORKER"})) << db_.last_error();
    ASSERT_TRUE(db_.Execute(startup_test::kThreeWorkers)) << db_.last_error();
    forms::Application().SetDialogService(&dialogs_);
  }
  void TearDown() override {
    forms::Application().SetDialogService(nullptr);
    tolvex::CloseDatabase();
  }

  lamptest::TestDatabase db_;
  forms::ScriptedDialogService dialogs_;
};

TEST_F(StartupDb, ConnectsAtTheFirstAttemptAndWritesTheStartRow) {
  startup_test::WriteConfig(state_.dir / "ddport.sbp", "localhost", true);
  main_.Show();
  AdvanceTo(2700);
  EXPECT_NE(tolvex::DatabaseHandle, nullptr);
  EXPECT_EQ(main_.StatusBar1.Panel(0).text, "0");
  EXPECT_FALSE(err_.Visible());
  const auto rows = db_.Query(
      "SELECT TabNum, FabNum, KSOB, NSP1, NSP2, PSTAT, PARM1, PARM2, PARM3, PARM4, PARM5, FL, "
      "ST, UCH, BRIG, WTBNUM FROM event");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (lamptest::TestDatabase::Row{"TOLVEX", "21845", "16385", "0", "0", "0", "-1",
                                                  "0", "0", "0", "0", "0", "0", "0", "0", "0"}));
  EXPECT_EQ(ReportMessages(Report()),
            (std::vector<std::string>{"Start  Programm ", "Monitor-socet OK ", "QVK-socet OK ",
                                      "MySQL-server OK "}));
  EXPECT_TRUE(tolvex::MonitorSocket.open);
  EXPECT_EQ(tolvex::StationSocketState, tolvex::kStationSocketOpen);

  AdvanceTo(3300);  // ticks 8 and 9
  EXPECT_EQ(main_.Edit1.Text(), "3");
  EXPECT_EQ(main_.Edit2.Text(), "2");
  EXPECT_EQ(tolvex::CellCount, 3);
  EXPECT_TRUE(main_.Visible());
  AdvanceTo(3600);  // tick 10: "hide at start"
  EXPECT_FALSE(main_.Visible());
  AdvanceTo(4200);
  EXPECT_FALSE(main_.TmStart.Enabled());
  EXPECT_TRUE(dialogs_.shown.empty());
}

// A copy of this test program that only waits: started by the test below.
TEST(SingleInstanceChild, WaitsWhileAskedTo) {
  if (std::getenv("LAMP_SINGLE_INSTANCE_CHILD") == nullptr) GTEST_SKIP();
  std::this_thread::sleep_for(std::chrono::seconds(30));
}

TEST_F(StartupDb, ASecondCopyFromTheSamePathIsRefusedBeforeAnySocketOrDatabase) {
  ASSERT_EQ(tolvex::CountRunningCopies(), 1);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("LAMP_SINGLE_INSTANCE_CHILD", "1", 1);
    execl("/proc/self/exe", "copy", "--gtest_filter=SingleInstanceChild.*", nullptr);
    _exit(127);
  }
  // Wait until the child runs this same executable.
  for (int i = 0; i < 500 && tolvex::CountRunningCopies() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(tolvex::CountRunningCopies(), 2);
  tolvex::MonitorSocket = {};
  tolvex::StationSocketState = 0;

  AdvanceTo(600);  // tick 2
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);

  ASSERT_EQ(dialogs_.shown.size(), 1u);
  EXPECT_EQ(dialogs_.shown[0].text, "Программа уже загружена!");
  EXPECT_EQ(dialogs_.shown[0].caption, "ОШИБКА");
  EXPECT_EQ(dialogs_.shown[0].flags, forms::MB_OK);
  EXPECT_TRUE(forms::Application().Terminated());
  EXPECT_FALSE(main_.TmStart.Enabled());
  EXPECT_FALSE(main_.TimerINTERVAL.Enabled());
  AdvanceTo(10000);
  EXPECT_EQ(tolvex::StartTick, 2);
  EXPECT_FALSE(tolvex::MonitorSocket.open);
  EXPECT_NE(tolvex::StationSocketState, tolvex::kStationSocketOpen);
  EXPECT_EQ(tolvex::DatabaseHandle, nullptr);
  EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM event"), "0");
  EXPECT_FALSE(std::filesystem::exists(Report()));
  forms::Application().ResetTerminated();
}

}  // namespace
