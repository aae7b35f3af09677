#pragma once
// A calendar date and time as the C library's broken-down time, fields unnormalised (a month
// of 13 or an hour of 25 stays as given) and daylight saving time off.
#include <ctime>

namespace lamptest {

inline std::tm CalendarTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

}  // namespace lamptest
