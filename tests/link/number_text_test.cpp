#include "link/number_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace lamp {
namespace {

TEST(NumberText, DecimalReadsLikeScanfAndSaturates) {
  const struct {
    std::string text;
    std::optional<std::int32_t> value;
    std::size_t length;
    bool saturated;
  } cases[] = {
      {"42", 42, 2, false},
      {"  \t\n-17xyz", -17, 7, false},  // blanks skipped, digits up to the first other character
      {"+8", 8, 2, false},
      {"007", 7, 3, false},
      {"12 34", 12, 2, false},
      {"2147483647", 2147483647, 10, false},
      {"-2147483648", -2147483647 - 1, 11, false},
      {"2147483648", 2147483647, 10, true},  // past the range: the nearest end
      {"99999999999999999999999", 2147483647, 23, true},
      {"-2147483649", -2147483647 - 1, 11, true},
      {"-99999999999", -2147483647 - 1, 12, true},
      {"0x1F", 0, 1, false},
      {"", std::nullopt, 0, false},
      {"   ", std::nullopt, 0, false},
      {"-", std::nullopt, 0, false},
      {"+-5", std::nullopt, 0, false},
      {"- 5", std::nullopt, 0, false},
      {"abc", std::nullopt, 0, false},
      {std::string("\0"
                   "5",
                   2),
       std::nullopt, 0, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadDecimal(c.text), c.value) << '"' << c.text << '"';
    const std::optional<DecimalNumber> number = ReadDecimalNumber(c.text);
    ASSERT_EQ(number.has_value(), c.value.has_value()) << '"' << c.text << '"';
    if (!number) continue;
    EXPECT_EQ(number->value, *c.value) << '"' << c.text << '"';
    EXPECT_EQ(number->length, c.length) << '"' << c.text << '"';
    EXPECT_EQ(number->saturated, c.saturated) << '"' << c.text << '"';
  }
}

TEST(NumberText, HexReadsLikeScanfAndKeepsTheLow32Bits) {
  const struct {
    std::string text;
    std::optional<std::uint32_t> value;
  } cases[] = {
      {"1a2B", 0x1A2B},
      {" 0x10", 0x10},
      {"0XfF", 0xFF},
      {"0x", 0},  // the "0" is the number
      {"0xg", 0},
      {"ff zz", 0xFF},
      {"-1", 0xFFFFFFFF},  // negated modulo 2^32
      {"-0x10", 0xFFFFFFF0},
      {"+3", 3},
      {"FFFFFFFF", 0xFFFFFFFF},
      {"123456789", 0x23456789},  // past 32 bits: the last eight digits
      {"fedcba98765432100", 0x65432100},
      {"", std::nullopt},
      {"x1", std::nullopt},
      {"-", std::nullopt},
      {"g", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadHex(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace lamp
