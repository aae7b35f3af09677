#include "link/datagrams.h"

#include <algorithm>

#include "link/sql_text.h"

namespace lamp {

namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
constexpr std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

struct CivilDate {
  std::int64_t year;
  unsigned month;
  unsigned day;
};

constexpr CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto day_of_era = static_cast<unsigned>(days - era * 146097);
  const unsigned year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const unsigned day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const unsigned mp = (5 * day_of_year + 2) / 153;
  const unsigned day = day_of_year - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<std::int64_t>(year_of_era) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

constexpr std::int64_t kDatagramEpochDays = DaysFromCivil(1899, 12, 30);
constexpr std::int64_t kSecondsPerDay = 86400;

}  // namespace

void WriteIndNumBytes(std::span<std::uint8_t> datagram, std::span<const char, 6> six_bytes) {
  if (!FieldFits(datagram.size(), kIndNumOffset, kIndNumLength + 1)) return;
  for (std::size_t i = 0; i < kIndNumLength; ++i) {
    datagram[kIndNumOffset + i] = static_cast<std::uint8_t>(six_bytes[i]);
  }
  datagram[kIndNumTerminatorOffset] = 0;
}

void WriteIndNumText(std::span<std::uint8_t> datagram, std::string_view number) {
  if (!FieldFits(datagram.size(), kIndNumOffset, kIndNumLength + 1)) return;
  for (std::size_t i = 0; i < kIndNumLength; ++i) {
    datagram[kIndNumOffset + i] = i < number.size() ? static_cast<std::uint8_t>(number[i]) : 0;
  }
  datagram[kIndNumTerminatorOffset] = 0;
}

std::string_view ReadIndNum(std::span<const std::uint8_t> datagram) {
  if (!FieldFits(datagram.size(), kIndNumOffset, kIndNumLength)) return {};
  const auto* first = reinterpret_cast<const char*>(datagram.data() + kIndNumOffset);
  const auto* end = std::find(first, first + kIndNumLength, '\0');
  return {first, static_cast<std::size_t>(end - first)};
}

std::uint32_t DatagramTimeOf(const std::tm& local) {
  // Fields outside their ranges carry over as the C library's mktime does (month 12 is
  // January of the next year, day 0 the last day of the month before), in 64-bit
  // arithmetic so that no value of the structure can overflow.
  const std::int64_t month_count = static_cast<std::int64_t>(local.tm_mon);
  const std::int64_t year_carry = month_count >= 0 ? month_count / 12 : (month_count - 11) / 12;
  const auto month = static_cast<unsigned>(month_count - year_carry * 12 + 1);
  const std::int64_t days = DaysFromCivil(local.tm_year + 1900LL + year_carry, month, 1) +
                            (static_cast<std::int64_t>(local.tm_mday) - 1) - kDatagramEpochDays;
  const std::int64_t seconds =
      days * kSecondsPerDay + local.tm_hour * 3600LL + local.tm_min * 60LL + local.tm_sec;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(seconds) & 0xFFFFFFFFu);
}

std::uint32_t DatagramTimeAt(std::time_t moment) {
  return DatagramTimeOf(LocalTimeOf(moment));
}

std::tm LocalTimeOfDatagram(std::uint32_t seconds) {
  const std::int64_t days = seconds / kSecondsPerDay;
  const std::int64_t of_day = seconds % kSecondsPerDay;
  const CivilDate date = CivilFromDays(kDatagramEpochDays + days);
  std::tm local{};
  local.tm_year = static_cast<int>(date.year - 1900);
  local.tm_mon = static_cast<int>(date.month) - 1;
  local.tm_mday = static_cast<int>(date.day);
  local.tm_hour = static_cast<int>(of_day / 3600);
  local.tm_min = static_cast<int>(of_day / 60 % 60);
  local.tm_sec = static_cast<int>(of_day % 60);
  // 1899-12-30 was a Saturday.
  local.tm_wday = static_cast<int>((days + 6) % 7);
  local.tm_yday = static_cast<int>(kDatagramEpochDays + days - DaysFromCivil(date.year, 1, 1));
  local.tm_isdst = -1;
  return local;
}

}  // namespace lamp
