// The service window's database buttons: the manual ping and the five status counters.
#include <gtest/gtest.h>

#include <string>

#include "platform/forms/application.h"
#include "server/database_connection.h"
#include "server/service_window.h"
#include "tests/support/manual_clock.h"

namespace {

using ManualClock = lamptest::ManualClockFirst;

class ServiceWindowButtonsDb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(tolvex::ConnectDatabase("localhost", "root", "q758"), 0);
    tolvex::ManualPingCount = 0;
  }
  void TearDown() override { tolvex::CloseDatabase(); }

  ManualClock clock_;
  tolvex::TFormSV sv_;
};

TEST_F(ServiceWindowButtonsDb, PingCountsItsOwnSuccesses) {
  sv_.BitBtn12Click();
  EXPECT_EQ(sv_.Edit2.Text(), "0 0  1");
  sv_.BitBtn12Click();
  EXPECT_EQ(sv_.Edit2.Text(), "0 0  2");
  EXPECT_TRUE(sv_.ListBox1.Items().Items().empty());
}

TEST_F(ServiceWindowButtonsDb, StatusCountersAddExactlyFiveLines) {
  sv_.ListBox1.Items().Add("before");
  sv_.BitBtn13Click();
  const auto& lines = sv_.ListBox1.Items().Items();
  ASSERT_EQ(lines.size(), 6u);
  const char* names[] = {"Aborted_clients", "Aborted_connects", "Bytes_received", "Bytes_sent",
                         "Connections"};
  for (int i = 0; i < 5; ++i) {
    const std::string prefix = std::string(names[i]) + "  ";
    ASSERT_EQ(lines[i + 1].compare(0, prefix.size(), prefix), 0) << lines[i + 1];
    EXPECT_GT(lines[i + 1].size(), prefix.size());
  }
}

}  // namespace
