#include "link/sql_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "tests/support/calendar_time.h"

namespace lamp {
namespace {

using lamptest::CalendarTime;

TEST(SqlDateTime, DateIsYearFirstWithTwoDigitMonthAndDay) {
  struct Case {
    std::tm when;
    const char* date;
    const char* time;
  };
  const Case cases[] = {
      {CalendarTime(2026, 1, 5, 7, 3, 9), "2026-01-05", "07:03:09"},
      {CalendarTime(2026, 12, 31, 23, 59, 59), "2026-12-31", "23:59:59"},
      {CalendarTime(1999, 10, 10, 0, 0, 0), "1999-10-10", "00:00:00"},
      {CalendarTime(10000, 2, 29, 12, 30, 0), "10000-02-29", "12:30:00"},
  };
  for (const Case& c : cases) {
    std::array<char, kSqlDateTextSize> date{};
    std::array<char, kSqlTimeTextSize> time{};
    FormatSqlDate(date, c.when);
    FormatSqlTime(time, c.when);
    EXPECT_STREQ(date.data(), c.date);
    EXPECT_STREQ(time.data(), c.time);
  }
}

TEST(SqlDateTime, NowIsTheLocalDateAndTime) {
  std::array<char, kSqlDateTextSize> date{};
  std::array<char, kSqlTimeTextSize> time{};
  const std::time_t before = std::time(nullptr);
  FormatSqlDate(date);
  FormatSqlTime(time);
  const std::time_t after = std::time(nullptr);
  // Either moment may be the one formatted when the second turns in between.
  std::array<char, kSqlDateTextSize> date_before{}, date_after{};
  std::array<char, kSqlTimeTextSize> time_before{}, time_after{};
  FormatSqlDate(date_before, LocalTimeOf(before));
  FormatSqlDate(date_after, LocalTimeOf(after));
  FormatSqlTime(time_before, LocalTimeOf(before));
  FormatSqlTime(time_after, LocalTimeOf(after));
  EXPECT_TRUE(std::strcmp(date.data(), date_before.data()) == 0 ||
              std::strcmp(date.data(), date_after.data()) == 0);
  EXPECT_TRUE(std::strcmp(time.data(), time_before.data()) == 0 ||
              std::strcmp(time.data(), time_after.data()) == 0);
}

TEST(SqlDateTime, SmallBufferIsCutAndTerminated) {
  std::array<char, 5> date{};
  FormatSqlDate(date, CalendarTime(2026, 1, 5, 0, 0, 0));
  EXPECT_STREQ(date.data(), "2026");
}

TEST(SystemDateTime, ShortDateBlankTimeAndEmptyWhenItDoesNotFit) {
  std::array<char, kDateTimeTextSize> text{};
  FormatSystemDateTime(text, CalendarTime(2026, 12, 10, 8, 5, 9));
  EXPECT_STREQ(text.data(), "10.12.2026 08:05:09");
  FormatSystemDateTime(text, CalendarTime(999, 1, 2, 23, 59, 0));
  EXPECT_STREQ(text.data(), "02.01.999 23:59:00");
  std::array<char, 19> short_text{};
  short_text.fill('x');
  FormatSystemDateTime(short_text, CalendarTime(2026, 12, 10, 8, 5, 9));
  EXPECT_STREQ(short_text.data(), "");
}

struct QuoteCase {
  std::string value;
  std::string quoted;
};

const QuoteCase kQuoteCases[] = {
    {"", R"("")"},
    {"010aaa", R"("010aaa")"},
    {"010aaa  ", R"("010aaa  ")"},
    {"TOLVEX", R"("TOLVEX")"},
    // cp1251 text with every high byte passes untouched.
    {"\xCD\xEE\xE2\xFB\xE9 \xE0\xEA\xEA\xF3\xEC'",
     "\"\xCD\xEE\xE2\xFB\xE9 \xE0\xEA\xEA\xF3\xEC'\""},
    {"it's", R"("it's")"},
    {"a\"b", R"("a\"b")"},
    {"a\\b", R"("a\\b")"},
    {"\\\"", R"("\\\"")"},
    {"end\\", R"("end\\")"},
    {std::string("a\0b", 3), R"("a\0b")"},
};

TEST(SqlQuoting, AppendQuotedEscapesOnlyQuoteBackslashAndNul) {
  for (const QuoteCase& c : kQuoteCases) {
    std::string statement = "WHERE TABNUM= ";
    AppendQuoted(statement, c.value);
    EXPECT_EQ(statement, "WHERE TABNUM= " + c.quoted) << c.value;
    EXPECT_EQ(QuotedLength(c.value), c.quoted.size()) << c.value;

    std::string server = "x";
    AppendQueryText(server, c.value);
    EXPECT_EQ(server, "x" + c.quoted);
  }
}

TEST(SqlQuoting, FixedStatementMatchesTheStringForm) {
  for (const QuoteCase& c : kQuoteCases) {
    std::array<char, 64> storage{};
    SqlStatement statement(storage);
    statement.Append("VALUES (");
    statement.AppendQuoted(c.value);
    statement.Append(", ");
    statement.AppendInt(-1);
    statement.Append(", ");
    statement.AppendUnsigned(0xFFFFFFFFFFFFFFFFull);
    statement.Append(");");
    EXPECT_FALSE(statement.overflowed());
    EXPECT_EQ(statement.view(), "VALUES (" + c.quoted + ", -1, 18446744073709551615);");
    EXPECT_EQ(std::strlen(statement.c_str()), statement.size());  // no raw NUL inside
  }
}

TEST(SqlQuoting, OverflowKeepsACleanPrefixAndIsReported) {
  std::array<char, 16> storage{};
  SqlStatement statement(storage);
  statement.Append("SELECT ");
  statement.AppendQuoted("0123456789");  // 12 bytes quoted: does not fit after 7
  statement.Append("1");
  EXPECT_TRUE(statement.overflowed());
  EXPECT_EQ(statement.view(), "SELECT ");
  EXPECT_STREQ(statement.c_str(), "SELECT ");

  statement.Clear();
  EXPECT_FALSE(statement.overflowed());
  statement.Append("0123456789ABCDEFGH");
  EXPECT_TRUE(statement.overflowed());
  EXPECT_EQ(statement.view(), "0123456789ABCDE");
}

TEST(SqlQuoting, IntegersAreSignedDecimal) {
  std::array<char, 64> storage{};
  SqlStatement statement(storage);
  statement.AppendInt(0);
  statement.Append(",");
  statement.AppendInt(-2147483647 - 1);
  statement.Append(",");
  statement.AppendInt(21845);
  EXPECT_EQ(statement.view(), "0,-2147483648,21845");
}

}  // namespace
}  // namespace lamp
