#include "link/number_text.h"

#include <algorithm>

namespace lamp {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DecimalDigit(char c) {
  return c >= '0' && c <= '9' ? c - '0' : -1;
}

int HexDigit(char c) {
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return DecimalDigit(c);
}

// Where the digits of a number may begin: past the leading blanks and a sign.
struct NumberStart {
  std::size_t at = 0;
  bool negative = false;
};

NumberStart SkipBlanksAndSign(std::string_view text) {
  NumberStart start;
  while (start.at < text.size() && IsBlank(text[start.at])) ++start.at;
  if (start.at < text.size() && (text[start.at] == '+' || text[start.at] == '-')) {
    start.negative = text[start.at] == '-';
    ++start.at;
  }
  return start;
}

}  // namespace

std::optional<DecimalNumber> ReadDecimalNumber(std::string_view text) {
  const NumberStart start = SkipBlanksAndSign(text);
  // Kept below the point where it would overflow; past INT32_MIN's magnitude it saturates
  // all the same.
  constexpr std::int64_t kMagnitudeCap = -std::int64_t{INT32_MIN};
  std::int64_t magnitude = 0;
  bool past_cap = false;
  std::size_t at = start.at;
  for (; at < text.size() && DecimalDigit(text[at]) >= 0; ++at) {
    magnitude = magnitude * 10 + DecimalDigit(text[at]);
    if (magnitude > kMagnitudeCap) {
      magnitude = kMagnitudeCap;
      past_cap = true;
    }
  }
  if (at == start.at) return std::nullopt;
  const std::int64_t value = start.negative ? -magnitude : magnitude;
  DecimalNumber number;
  number.value = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
  number.length = at;
  number.saturated = past_cap || number.value != value;
  return number;
}

std::optional<std::int32_t> ReadDecimal(std::string_view text) {
  const std::optional<DecimalNumber> number = ReadDecimalNumber(text);
  if (!number) return std::nullopt;
  return number->value;
}

std::optional<std::uint32_t> ReadHex(std::string_view text) {
  const NumberStart start = SkipBlanksAndSign(text);
  std::size_t at = start.at;
  // "0x" counts as the prefix only when a digit follows; otherwise the "0" is the number.
  if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') &&
      HexDigit(text[at + 2]) >= 0) {
    at += 2;
  }
  const std::size_t first_digit = at;
  std::uint32_t value = 0;
  for (; at < text.size() && HexDigit(text[at]) >= 0; ++at) {
    value = (value << 4) | static_cast<std::uint32_t>(HexDigit(text[at]));
  }
  if (at == first_digit) return std::nullopt;
  return start.negative ? 0u - value : value;
}

}  // namespace lamp
