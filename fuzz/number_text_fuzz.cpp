// The number readers on any bytes agree with the C library's strtoll and strtoull, which read
// the same way: the decimal value is strtoll's clamped to the int32 range, with the same
// length taken, and told saturated exactly when strtoll's value lies outside that range; the
// hexadecimal value is the low 32 bits of strtoull's wherever that does not overflow 64 bits;
// both find a number exactly where the library does.
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The library stops at the first NUL; so do the readers, at which it is no digit.
  const std::string text(bytes);
  const char* start = text.c_str();

  char* end = nullptr;
  errno = 0;
  const long long decimal = std::strtoll(start, &end, 10);
  const auto read = lamp::ReadDecimal(bytes);
  const auto number = lamp::ReadDecimalNumber(bytes);
  if (read.has_value() != (end != start) || number.has_value() != read.has_value()) std::abort();
  if (read.has_value()) {
    const long long clamped = decimal < INT32_MIN   ? INT32_MIN
                              : decimal > INT32_MAX ? INT32_MAX
                                                    : decimal;
    if (*read != clamped || number->value != *read) std::abort();
    if (number->length != static_cast<std::size_t>(end - start)) std::abort();
    if (number->saturated != (clamped != decimal)) std::abort();
  }

  errno = 0;
  const unsigned long long hex = std::strtoull(start, &end, 16);
  const bool overflowed = errno == ERANGE;
  const auto read_hex = lamp::ReadHex(bytes);
  if (read_hex.has_value() != (end != start)) std::abort();
  if (read_hex.has_value() && !overflowed && *read_hex != static_cast<std::uint32_t>(hex)) {
    std::abort();
  }
  return 0;
}
