#pragma once
// For the workstation's tests against the private MariaDB server: every table emptied, the
// application on its manual clock, message boxes scripted, every statement the workstation
// sends collected, and (unless the test connects by itself) the workstation's connection open.
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "link/cp1251.h"
#include "platform/forms/application.h"
#include "tests/support/test_database.h"
#include "tests/workstation/link_peer.h"
#include "workstation/database_client.h"

namespace workstation_db_test {

using Rows = std::vector<lamptest::TestDatabase::Row>;

class DatabaseTest : public ::testing::Test {
 protected:
  explicit DatabaseTest(bool connect_at_start = true) : connect_at_start_(connect_at_start) {}

  void SetUp() override {
    ASSERT_TRUE(db_.connected()) << db_.last_error();
    ASSERT_TRUE(db_.EmptyAllTables()) << db_.last_error();
    forms::Application().SetDialogService(&dialogs_);
    if (connect_at_start_) {
      ASSERT_TRUE(lumora::ConnectDbConnection("root", "q758"));
    }
    lumora::SetStatementObserver([this](std::string_view s) { sent_.emplace_back(s); });
  }
  void TearDown() override {
    lumora::SetStatementObserver({});
    lumora::CloseDbConnection();
    forms::Application().SetDialogService(nullptr);
  }

  // A statement in UTF-8, run as the programs' cp1251.
  void Exec(const std::string& utf8) {
    ASSERT_TRUE(db_.Execute(lamp::Utf8ToCp1251(utf8))) << db_.last_error() << "\n" << utf8;
  }
  // A query's rows with their texts as UTF-8.
  Rows Query(const std::string& statement) {
    Rows rows = db_.Query(statement);
    for (auto& row : rows) {
      for (auto& cell : row) cell = lamp::Cp1251ToUtf8(cell);
    }
    return rows;
  }

  link_test::ManualClockFirst clock_;  // before the forms of the derived fixtures
  lamptest::TestDatabase db_;
  forms::ScriptedDialogService dialogs_;
  std::vector<std::string> sent_;

 private:
  bool connect_at_start_;
};

}  // namespace workstation_db_test
