// The calendar behind OLE dates: day numbers counted from 1899-12-30 (day 0)
// in the proleptic Gregorian calendar.
#pragma once

#include <cstdint>

namespace tamrel::detail {

inline constexpr int64_t kSecondsPerDay = 86400;

struct CivilDate {
  int64_t year = 0;
  int64_t month = 0;  // 1..12
  int64_t day = 0;    // 1..31
};

// The OLE day number of a date. REQUIRES: month 1..12, day 1..31.
int64_t OleDayFromCivil(const CivilDate& date);
// The date of an OLE day number.
CivilDate CivilFromOleDay(int64_t ole_day);

bool IsLeapYear(int64_t year);
// REQUIRES: month 1..12.
int64_t DaysInMonth(int64_t year, int64_t month);

}  // namespace tamrel::detail
