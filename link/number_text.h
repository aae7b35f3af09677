#pragma once
// Numbers in text, typed into fields or stored in files and database columns, read the way
// scanf's "%d" and "%x" read them: leading blanks (space, tab, line ends, vertical tab, form
// feed) are skipped, a sign is taken, then digits up to the first character that is not one
// ("%x" also takes a "0x" or "0X" before its digits). Text without a digit there holds no
// number. What comes after the digits is not looked at.
//
// Past the 32-bit range, a decimal number saturates at the nearest end of the int32 range,
// and a hexadecimal one keeps its low 32 bits (its last eight digits; a minus sign negates
// modulo 2^32, as "%x" does).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lamp {

std::optional<std::int32_t> ReadDecimal(std::string_view text);

// The same reading, telling also how many characters the number took (leading blanks
// included) and whether it lay outside the int32 range, for a caller that must know where
// the number ends or shows the value it used in place of what was typed.
struct DecimalNumber {
  std::int32_t value = 0;  // saturated as ReadDecimal's
  std::size_t length = 0;
  bool saturated = false;
};
std::optional<DecimalNumber> ReadDecimalNumber(std::string_view text);

std::optional<std::uint32_t> ReadHex(std::string_view text);

}  // namespace lamp
