// Start-up whose database answers only after the connect phase has given up: the first
// connection after that, by a try in the background or by "Тест", completes the start-up (its
// report line, the start row, the worker table), and the cells are polled from then on. A
// later outage and its end write no second start row and load nothing.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "link/code_tables.h"
#include "server/cell_registry.h"
#include "server/database_connection.h"
#include "server/database_writer.h"
#include "server/poll_cycle.h"
#include "server/worker_table.h"
#include "tests/server/server_state.h"
#include "tests/server/startup_fixture.h"
#include "tests/support/database_host_proxy.h"
#include "tests/support/test_database.h"

namespace {

using startup_test::ReportMessages;

// A cell's request state once a status poll has gone to it (and no answer has come).
constexpr std::int32_t kStatusPollSent = 21;

int worker_loads = 0;
void CountWorkerLoads(std::string_view statement) {
  worker_loads += statement == tolvex::kWorkerQuery;
}

struct Case {
  const char* name;
  // How the host is away during the connect phase.
  void (lamptest::DatabaseHostProxy::*away)();
  // "Обновить" pressed while the host is still away.
  bool refresh_first;
  // The connection made by the configuration's "Тест" rather than a try in the background.
  bool by_test_button;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class LateDatabaseDb : public startup_test::StartupTest,
                       public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    ASSERT_NE(host_.port(), 0);
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyTables({"event", "WORKER"})) << db_.last_error();
    ASSERT_TRUE(db_.Execute(startup_test::kThreeWorkers)) << db_.last_error();
    server_test::ResetPollCycle();
    startup_test::WriteConfig(state_.dir / "ddport.sbp", "127.0.0.1", false);
    // The first connect attempt is the last, so the connect phase gives up at 2.7 s.
    tolvex::ConnectRetries = tolvex::kMaxConnectRetries;
    worker_loads = 0;
    tolvex::SetStatementObserver(CountWorkerLoads);
    // The server's main loop runs, polls and the look at the connection included.
    sv_.ConnectHandlers();
  }
  void TearDown() override {
    tolvex::SetStatementObserver(nullptr);
    tolvex::CloseDatabase();
    host_.Answer();
  }

  void AdvanceBy(std::int64_t ms) { AdvanceTo(forms::Application().NowMs() + ms); }

  // Seconds of the server's time, each try in the background waited for, until `done`.
  template <typename Done>
  bool SecondsUntil(int seconds, Done done) {
    for (int second = 0; second < seconds; ++second) {
      AdvanceBy(1000);
      tolvex::WaitForDatabaseTry();
      if (done()) return true;
    }
    return false;
  }

  std::string StartRows() {
    return db_.QueryValue("SELECT COUNT(*) FROM event WHERE TabNum = 'TOLVEX' AND KSOB = " +
                          std::to_string(lamp::EventServerStarted));
  }

  lamptest::DatabaseHostProxy& host_ = lamptest::PrivateServerHost();
  lamptest::TestDatabase db_;
};

TEST_P(LateDatabaseDb, TheFirstConnectionCompletesTheStartUpOnce) {
  const Case& c = GetParam();
  (host_.*c.away)();
  AdvanceTo(2700);
  ASSERT_EQ(tolvex::DatabaseHandle, nullptr);
  EXPECT_TRUE(err_.Visible());
  AdvanceTo(4200);  // the rest of start-up, without a database
  ASSERT_FALSE(main_.TmStart.Enabled());
  EXPECT_EQ(main_.Edit1.Text(), "0");
  EXPECT_EQ(tolvex::CellCount, 0);
  if (c.refresh_first) {
    main_.BitBtn1.Click();
    EXPECT_EQ(main_.Edit1.Text(), "0");
  }
  // Nothing is polled without workers.
  AdvanceBy(3000);
  EXPECT_EQ(tolvex::Cells.RequestState[0], 0);

  host_.Answer();
  if (c.by_test_button) {
    cfg_.BitBtn2.Click();
    EXPECT_EQ(cfg_.Edit2.Text(), "Подключено");
  }
  ASSERT_TRUE(SecondsUntil(10, [this] { return main_.Edit1.Text() != "0"; }));
  EXPECT_EQ(main_.Edit1.Text(), "3");
  EXPECT_EQ(main_.Edit2.Text(), "2");
  EXPECT_EQ(tolvex::CellCount, 3);
  EXPECT_FALSE(err_.Visible());
  EXPECT_EQ(StartRows(), "1");
  EXPECT_EQ(ReportMessages(Report()),
            (std::vector<std::string>{"Start  Programm ", "Monitor-socet OK ", "QVK-socet OK ",
                                      "MySQL-server ERROR ", "MySQL-server OK "}));
  // Within one poll period (7 s here) every station's first cell has been asked.
  AdvanceBy(7000);
  EXPECT_EQ(tolvex::Cells.RequestState[0], kStatusPollSent);
  EXPECT_EQ(tolvex::Cells.RequestState[1], kStatusPollSent);

  // An outage after that: the connection comes back, and that is all.
  host_.Refuse();
  tolvex::AddServerEvent(lamp::EventServerStopped);
  ASSERT_TRUE(tolvex::DatabaseConnectionLost());
  host_.Answer();
  ASSERT_TRUE(SecondsUntil(10, [] { return !tolvex::DatabaseConnectionLost(); }));
  AdvanceBy(3000);
  EXPECT_EQ(StartRows(), "1");
  EXPECT_EQ(worker_loads, 1);
  EXPECT_EQ(ReportMessages(Report()).back(), "MySQL-server OK ");
}

INSTANTIATE_TEST_SUITE_P(
    HostAway, LateDatabaseDb,
    ::testing::Values(Case{"RefusingHost", &lamptest::DatabaseHostProxy::Refuse, false, false},
                      Case{"SilentHost", &lamptest::DatabaseHostProxy::FallSilent, false, false},
                      Case{"RefreshPressedFirst", &lamptest::DatabaseHostProxy::Refuse, true,
                           false},
                      Case{"ConnectedByTest", &lamptest::DatabaseHostProxy::Refuse, false, true}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
