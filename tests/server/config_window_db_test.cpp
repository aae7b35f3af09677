// The connection test of the configuration form: it replaces the server's one connection, so
// a test whose login is refused leaves the server without a database until a test succeeds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/forms/application.h"
#include "server/config_window.h"
#include "server/database_connection.h"
#include "server/database_writer.h"
#include "server/error_window.h"
#include "server/server_config.h"
#include "tests/support/test_database.h"

namespace {

class ConfigWindowDb : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyTables({"statcell"})) << db_.last_error();
    cfg_.ConnectHandlers();
  }
  void TearDown() override { tolvex::CloseDatabase(); }

  void WriteRow() { tolvex::AddStat("CFG001", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0); }
  std::string Rows() { return db_.QueryValue("SELECT COUNT(*) FROM statcell"); }

  lamptest::TestDatabase db_;
  tolvex::TFormCFG cfg_;
  tolvex::TFormERR err_;
};

TEST_F(ConfigWindowDb, AFailedTestStopsTheWritesUntilASuccessfulOne) {
  // The built-in host is this machine's own name; it reaches the local server.
  cfg_.BitBtn2.Click();
  EXPECT_EQ(cfg_.Edit2.Text(), "Подключено");
  ASSERT_NE(tolvex::DatabaseHandle, nullptr);
  WriteRow();
  EXPECT_EQ(Rows(), "1");

  cfg_.EditP.SetText("wrong");
  cfg_.BitBtn2.Click();
  EXPECT_EQ(cfg_.Edit2.Text(), "Ошибка");
  EXPECT_EQ(tolvex::DatabaseHandle, nullptr);
  EXPECT_TRUE(err_.Visible());
  EXPECT_EQ(err_.Left(), 300);
  WriteRow();
  EXPECT_EQ(Rows(), "1");

  cfg_.EditP.SetText("q758");
  cfg_.EditH.SetText("localhost");
  cfg_.BitBtn2.Click();
  EXPECT_EQ(cfg_.Edit2.Text(), "Подключено");
  WriteRow();
  EXPECT_EQ(Rows(), "2");
}

TEST_F(ConfigWindowDb, TheConnectionUsesTheEditsNotTheSavedRecord) {
  tolvex::StoreConfigText(tolvex::ServerConfig.Password, "wrong");
  tolvex::ServerConfig.Magic = tolvex::kServerConfigMagic;
  EXPECT_EQ(tolvex::ConnectDatabaseFromForm(), 0);
  cfg_.EditU.SetText("nobody");
  EXPECT_NE(tolvex::ConnectDatabaseFromForm(), 0);
  tolvex::ServerConfig = {};
}

}  // namespace
