// The database error list: three lines per failure, the 200-line rule, where the window
// stands, and the lines held until a window exists.
#include "server/error_window.h"

#include <gtest/gtest.h>

namespace tolvex {
namespace {

class ErrorListTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearHeldDbErrorLines(); }
  void TearDown() override { ClearHeldDbErrorLines(); }
};

TEST_F(ErrorListTest, ThreeLinesPerFailure) {
  TFormERR window;
  ReportDbError(1146, "Table 'zuvurov.x' doesn't exist", "AddEvent");
  ReportDbError(-1, "", "GetCOUNT");
  const auto& items = window.ListBox1.Items().Items();
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[0], "Error kod= 47A (1146)");
  EXPECT_EQ(items[1], "Table 'zuvurov.x' doesn't exist");
  EXPECT_EQ(items[2], "AddEvent");
  EXPECT_EQ(items[3], "Error kod= FFFFFFFF (-1)");
  EXPECT_EQ(items[4], "");
  EXPECT_EQ(items[5], "GetCOUNT");
}

TEST_F(ErrorListTest, EmptiedWhenItPassesTwoHundredLines) {
  TFormERR window;
  auto& items = window.ListBox1.Items();
  for (int i = 0; i < 66; ++i) AddDbErrorLines(1, "x", "op");
  EXPECT_EQ(items.Count(), 198);
  AddDbErrorLines(2, "y", "op");  // 201 lines: emptied at once
  EXPECT_EQ(items.Count(), 0);
  for (int i = 0; i < 66; ++i) AddDbErrorLines(1, "x", "op");
  items.Add("by hand");
  items.Add("by hand");
  AddDbErrorLines(1, "x", "op");  // from a full list of 200 lines the next failure empties it
  EXPECT_EQ(items.Count(), 0);
  for (int i = 0; i < 66; ++i) AddDbErrorLines(1, "x", "op");
  items.Add("by hand");
  items.Add("by hand");  // 200 lines are allowed to stay
  EXPECT_EQ(items.Count(), 200);
}

TEST_F(ErrorListTest, ReportShowsWhereItStandsAndShowMovesTo300By200) {
  TFormERR window;
  window.SetLeft(40);
  window.SetTop(50);
  window.Hide();
  ReportDbError(5, "e", "op");
  EXPECT_TRUE(window.Visible());
  EXPECT_EQ(window.Left(), 40);
  EXPECT_EQ(window.Top(), 50);
  window.Hide();
  ShowDatabaseError();
  EXPECT_TRUE(window.Visible());
  EXPECT_EQ(window.Left(), 300);
  EXPECT_EQ(window.Top(), 200);
}

TEST_F(ErrorListTest, LinesWithoutAWindowAreHeldUntilOneExists) {
  ASSERT_EQ(FormERR, nullptr);
  ReportDbError(1, "lost?", "AddStat");
  ShowDatabaseError();  // nothing to show, nothing to crash on
  ASSERT_EQ(HeldDbErrorLines().size(), 3u);
  EXPECT_EQ(HeldDbErrorLines()[1], "lost?");
  TFormERR window;
  AddDbErrorLines(2, "next", "AddEvent");
  const auto& items = window.ListBox1.Items().Items();
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[0], "Error kod= 1 (1)");
  EXPECT_EQ(items[2], "AddStat");
  EXPECT_EQ(items[5], "AddEvent");
  EXPECT_TRUE(HeldDbErrorLines().empty());
}

}  // namespace
}  // namespace tolvex
