// Start-up with the database down: six connect attempts 15.3 s apart, then "MySQL-server
// ERROR" and the error window, and start-up goes on without a database.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "tests/server/startup_fixture.h"

namespace {

using startup_test::ReportMessages;

// The client library takes the socket from the environment once, at its first use: the
// socket named here does not exist, so every connect fails at once.
class DatabaseDown : public startup_test::StartupTest {
 protected:
  static void SetUpTestSuite() {
    setenv("MYSQL_UNIX_PORT", "/nonexistent/lamp-room/mysql.sock", 1);
  }

  // "connect ERR" is listed once per failed attempt.
  int Attempts() const {
    int attempts = 0;
    for (const std::string& line : err_.ListBox1.Items().Items()) attempts += line == "connect ERR";
    return attempts;
  }
};

TEST_F(DatabaseDown, SixAttemptsThenErrorAfterAbout79Seconds) {
  startup_test::WriteConfig(state_.dir / "ddport.sbp", "localhost", false);
  AdvanceTo(2699);
  EXPECT_EQ(Attempts(), 0);
  AdvanceTo(2700);
  EXPECT_EQ(Attempts(), 1);
  EXPECT_EQ(main_.StatusBar1.Panel(0).text, "1");
  EXPECT_FALSE(err_.Visible());  // hidden after every attempt but the last

  // Each further attempt 51 ticks (15.3 s) after the previous one.
  const std::int64_t attempt_times[] = {18000, 33300, 48600, 63900};
  for (int k = 0; k < 4; ++k) {
    AdvanceTo(attempt_times[k] - 1);
    EXPECT_EQ(Attempts(), k + 1);
    AdvanceTo(attempt_times[k]);
    EXPECT_EQ(Attempts(), k + 2);
    EXPECT_EQ(main_.StatusBar1.Panel(0).text, std::to_string(k + 2));
  }
  AdvanceTo(79199);
  EXPECT_EQ(Attempts(), 5);
  EXPECT_EQ(ReportMessages(Report()).size(), 3u);
  AdvanceTo(79200);
  EXPECT_EQ(Attempts(), 6);
  EXPECT_EQ(main_.StatusBar1.Panel(0).text, "5");
  EXPECT_TRUE(err_.Visible());
  EXPECT_EQ(err_.Left(), 300);
  EXPECT_EQ(err_.Top(), 200);
  EXPECT_EQ(ReportMessages(Report()),
            (std::vector<std::string>{"Start  Programm ", "Monitor-socet OK ", "QVK-socet OK ",
                                      "MySQL-server ERROR "}));
  EXPECT_EQ(tolvex::DatabaseHandle, nullptr);

  // The rest of start-up follows the last attempt, tick by tick.
  AdvanceTo(79800);
  EXPECT_EQ(main_.Edit1.Text(), "0");
  EXPECT_EQ(main_.Edit2.Text(), "2");
  EXPECT_TRUE(main_.TmStart.Enabled());
  AdvanceTo(80700);
  EXPECT_FALSE(main_.TmStart.Enabled());
  EXPECT_EQ(tolvex::StartTick, 12);
  EXPECT_EQ(state_.tray.calls, (std::vector<std::string>{"add 1006", "modify 1006"}));
  EXPECT_EQ(tolvex::CellCount, 0);
  // The configured poll period is in force; the window stays shown without "hide".
  EXPECT_EQ(main_.PollPeriod, 7);
}

TEST_F(DatabaseDown, WithoutAConfigurationNoReportIsWritten) {
  AdvanceTo(90000);
  EXPECT_FALSE(main_.TmStart.Enabled());
  EXPECT_EQ(Attempts(), 6);
  EXPECT_FALSE(std::filesystem::exists(Report()));
  EXPECT_EQ(main_.PollPeriod, 5);
  EXPECT_EQ(main_.ReportEnabled, 0);
}

}  // namespace
