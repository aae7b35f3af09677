// The lamp number column: the first row of a number, six bytes compared, and lookups that
// follow every change of the rows.
#include "link/lamp_numbers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace lamp {
namespace {

LampNumberSlot Number(const char* text) {
  LampNumberSlot slot{};
  std::memcpy(slot.data(), text, std::strlen(text));
  return slot;
}

class LampNumberColumnTest : public ::testing::Test {
 protected:
  // Kept off the stack: the column holds 6000 rows and its index.
  std::unique_ptr<LampNumberColumn> column_ = std::make_unique<LampNumberColumn>();
};

TEST_F(LampNumberColumnTest, TheLowestRowOfTheSixBytesIsFound) {
  LampNumberColumn& column = *column_;
  column.Set(3, Number("010aaa"));
  column.Set(5000, Number("010aaa"));
  column.Set(7, Number("1234567"));  // a seventh character is not compared
  column.Set(8, Number("12"));
  const LampNumberSlot stale = {'1', '2', '\0', 'x', 0, 0, 0, 0};
  column.Set(9, stale);
  column.Set(5999, Number("last01"));
  struct Case {
    const char* number;  // six bytes are read
    int row;
  } cases[] = {
      {"010aaa", 3},    {"123456", 7},  {"12\0\0\0\0", 8},   {"12\0x\0\0", 9},
      {"last01", 5999}, {"010aab", -1}, {"\0\0\0\0\0\0", 0},  // the rows never set
  };
  for (const Case& c : cases) EXPECT_EQ(column.FindFirst(c.number), c.row) << c.number;
}

TEST_F(LampNumberColumnTest, LookupsFollowEverySetAndClear) {
  LampNumberColumn& column = *column_;
  column.Set(3, Number("010aaa"));
  column.Set(5000, Number("010aaa"));
  EXPECT_EQ(column.FindFirst("010aaa"), 3);
  column.Set(3, Number("020bbb"));
  EXPECT_EQ(column.FindFirst("010aaa"), 5000);
  EXPECT_EQ(column.FindFirst("020bbb"), 3);
  column.Set(2, Number("020bbb"));
  EXPECT_EQ(column.FindFirst("020bbb"), 2);
  column.Set(kLampNumberRows, Number("999zzz"));  // no such row: ignored
  EXPECT_EQ(column.FindFirst("999zzz"), -1);
  column.Clear();
  EXPECT_EQ(column.FindFirst("010aaa"), -1);
  EXPECT_EQ(column.FindFirst("\0\0\0\0\0\0"), 0);
  EXPECT_EQ(column[5000], LampNumberSlot{});
}

TEST_F(LampNumberColumnTest, EveryRowOfAFullColumnIsFoundAtItsRow) {
  LampNumberColumn& column = *column_;
  for (std::size_t row = 0; row < kLampNumberRows; ++row) {
    char text[8];
    std::snprintf(text, sizeof text, "%03zua%02zu", 1 + row / 60, 1 + row % 60);
    column.Set(row, Number(text));
  }
  for (std::size_t row = 0; row < kLampNumberRows; ++row) {
    EXPECT_EQ(column.FindFirst(column[row].data()), static_cast<int>(row)) << column[row].data();
  }
  EXPECT_EQ(column.FindFirst("101a01"), -1);
  EXPECT_EQ(column.FindFirst("\0\0\0\0\0\0"), -1);
}

}  // namespace
}  // namespace lamp
