#include "link/cp1251.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <string>

namespace lamp {
namespace {

// The system's own converter, as an independent reference for the table.
std::string IconvCp1251ToUtf8(unsigned char byte, bool& ok) {
  iconv_t cd = iconv_open("UTF-8", "CP1251");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ok = false;
    return {};
  }
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* in_ptr = in;
  char* out_ptr = out;
  std::size_t in_left = 1;
  std::size_t out_left = sizeof out;
  ok = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  return std::string(out, sizeof out - out_left);
}

TEST(Cp1251, EveryByteMatchesTheSystemConverterAndRoundTrips) {
  for (int b = 1; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    const std::string one(1, static_cast<char>(byte));
    bool iconv_ok = false;
    const std::string reference = IconvCp1251ToUtf8(byte, iconv_ok);
    if (b == 0x98) {
      EXPECT_EQ(Cp1251ToCodePoint(byte), U'\xFFFD');
      EXPECT_EQ(Cp1251ToUtf8(one), "\xEF\xBF\xBD");
      EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(one)), "?");
      continue;
    }
    ASSERT_TRUE(iconv_ok) << "byte " << b;
    EXPECT_EQ(Cp1251ToUtf8(one), reference) << "byte " << b;
    EXPECT_EQ(Utf8ToCp1251(reference), one) << "byte " << b;
    EXPECT_EQ(CodePointToCp1251(Cp1251ToCodePoint(byte)), b);
  }
}

TEST(Cp1251, RussianTextBothWays) {
  // "ЗАРЯДНАЯ ЯЧЕЙКА", "ИЗМЕНЁН", "ёмкость", "№" in cp1251.
  const std::string utf8 = "ЗАРЯДНАЯ ЯЧЕЙКА ИЗМЕНЁН ёмкость №5";
  const std::string cp1251 =
      "\xC7\xC0\xD0\xDF\xC4\xCD\xC0\xDF \xDF\xD7\xC5\xC9\xCA\xC0 "
      "\xC8\xC7\xCC\xC5\xCD\xA8\xCD \xB8\xEC\xEA\xEE\xF1\xF2\xFC \xB9"
      "5";
  EXPECT_EQ(Utf8ToCp1251(utf8), cp1251);
  EXPECT_EQ(Cp1251ToUtf8(cp1251), utf8);
}

TEST(Cp1251, MissingCharactersAndMalformedUtf8BecomeQuestionMarks) {
  struct Case {
    std::string utf8;
    std::string cp1251;
  };
  const Case cases[] = {
      {"a\xE4\xB8\xAD"
       "b",
       "a?b"},                    // U+4E2D: no cp1251 character
      {"\xF0\x9F\x98\x80", "?"},  // U+1F600
      {"\xC3\xA9", "?"},          // é
      {"\xFF"
       "a",
       "?a"},         // not a lead byte
      {"\xD0", "?"},  // cut sequence at the end
      {"\xD0"
       "A",
       "?A"},                   // lead byte without its continuation
      {"\xC0\x80", "??"},       // overlong NUL
      {"\xED\xA0\x80", "???"},  // surrogate
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251);
}

TEST(Cp1251, FixedBufferNeverCutsACharacter) {
  std::array<char, 4> out{};
  EXPECT_EQ(Utf8ToCp1251("ПУСК", out), 3u);
  EXPECT_EQ(std::string(out.data()), "\xCF\xD3\xD1");
  std::array<char, 16> wide{};
  EXPECT_EQ(Utf8ToCp1251("СТОП", wide), 4u);
  EXPECT_EQ(std::string(wide.data()), "\xD1\xD2\xCE\xCF");
}

}  // namespace
}  // namespace lamp
