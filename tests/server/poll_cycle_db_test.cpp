// The poll cycle against the real database: the lost-link event row and the database ping.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/application.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/error_window.h"
#include "server/host_table.h"
#include "server/main_window.h"
#include "server/poll_cycle.h"
#include "server/service_window.h"
#include "server/station_frame.h"
#include "server/tick_timing.h"
#include "server/workstation_socket.h"
#include "tests/server/server_state.h"
#include "tests/support/manual_clock.h"
#include "tests/support/test_database.h"

namespace {

using Rows = std::vector<lamptest::TestDatabase::Row>;

using ManualClock = lamptest::ManualClockFirst;

class PollCycleDb : public ::testing::Test {
 protected:
  void SetUp() override {
    using namespace tolvex;
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyAllTables()) << db_.last_error();
    ASSERT_EQ(ConnectDatabase("localhost", "root", "q758"), 0);
    server_test::ResetPollCycle();
    SetTabnum(0, "010aaa");
    Cells.ST[0] = 1;
    Cells.UCH[0] = 4;
    Cells.BRIG[0] = 5;
    Cells.WTBNUM[0] = 66;
    CellCount = 1;
    MonitorEndpoints = WorkstationEndpoints{"127.0.0.1", 0, "127.0.0.1", 9};
    ASSERT_EQ(OpenMonitorSocket(), 0);
    SetStationSocketPort(0);
    ASSERT_EQ(OpenStationSocket(), 0);
    // Station 1 listens on a port nobody reads: the cell never answers.
    const char* scratch = std::getenv("LAMP_TEST_SCRATCH");
    const std::filesystem::path dir = scratch != nullptr ? scratch : "/tmp/poll_cycle_db_test";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "hostab.txt") << "1 127.0.0.1 9\n";
    SetHostTablePath((dir / "hostab.txt").string());
    ASSERT_EQ(LoadHostTable(), 0);
    sv_.Timer3.OnTimer = [this] { sv_.Timer3Timer(); };
  }
  void TearDown() override {
    using namespace tolvex;
    server_test::CloseMonitorSocket();
    server_test::CloseStationSocket();
    CloseDatabase();
  }

  ManualClock clock_;
  lamptest::TestDatabase db_;
  tolvex::TFormSV sv_;
  tolvex::TForm1 main_;
  tolvex::TFormERR err_;
};

TEST_F(PollCycleDb, SilentCellGetsOneLostLinkRow) {
  using namespace tolvex;
  for (int pass = 1; pass <= 5; ++pass) {
    main_.PollPeriodFlag = 1;
    forms::Application().AdvanceTime(96 * 56);
    const std::string expected = pass >= 4 ? "1" : "0";
    EXPECT_EQ(db_.QueryValue("SELECT COUNT(*) FROM event"), expected) << pass;
  }
  EXPECT_EQ(db_.Query("SELECT TabNum, FabNum, KSOB, NSP1, NSP2, PSTAT, PARM1, PARM2, PARM3, "
                      "PARM4, PARM5, FL, ST, UCH, BRIG, WTBNUM FROM event"),
            (Rows{{"010aaa", "0", "4160", "0", "32768", "0", "-1", "-1", "0", "0", "0", "0", "1",
                   "4", "5", "66"}}));
  // Age 0: written two seconds back.
  const std::string seconds_back =
      db_.QueryValue("SELECT TIMESTAMPDIFF(SECOND, TIMESTAMP(Date, Time), NOW()) FROM event");
  EXPECT_GE(std::stoi(seconds_back), 2);
  EXPECT_LE(std::stoi(seconds_back), 4);
  EXPECT_EQ(err_.ListBox1.Items().Count(), 0);
}

TEST_F(PollCycleDb, DatabasePingCountsSuccessfulPings) {
  using namespace tolvex;
  sv_.Timer4.OnTimer = [this] { sv_.Timer4Timer(); };
  forms::Application().AdvanceTime(600000);
  EXPECT_EQ(sv_.Edit2.Text(), "0 0  1");
  forms::Application().AdvanceTime(600000);
  EXPECT_EQ(sv_.Edit2.Text(), "0 0  2");
  EXPECT_EQ(kPING, 2);
}

}  // namespace
