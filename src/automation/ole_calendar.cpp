// Day numbers after H. Hinnant's days_from_civil and civil_from_days, which
// count from 1970-01-01 in 400-year eras.
#include "automation/ole_calendar.hpp"

namespace tamrel::detail {
namespace {
// Days from 1899-12-30 (OLE day 0) to 1970-01-01.
constexpr int64_t kUnixEpochOleDay = 25569;
// Days from 0000-03-01 to 1970-01-01.
constexpr int64_t kUnixEpochFromEraStart = 719468;
constexpr int64_t kDaysPerEra = 146097;
}  // namespace

int64_t OleDayFromCivil(const CivilDate& date) {
  const int64_t year = date.year - (date.month <= 2 ? 1 : 0);
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t month_from_march = date.month > 2 ? date.month - 3 : date.month + 9;
  const int64_t day_of_year = (153 * month_from_march + 2) / 5 + date.day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * kDaysPerEra + day_of_era - kUnixEpochFromEraStart + kUnixEpochOleDay;
}

CivilDate CivilFromOleDay(int64_t ole_day) {
  const int64_t days = ole_day - kUnixEpochOleDay + kUnixEpochFromEraStart;
  const int64_t era = (days >= 0 ? days : days - (kDaysPerEra - 1)) / kDaysPerEra;
  const int64_t day_of_era = days - era * kDaysPerEra;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t month_index = (5 * day_of_year + 2) / 153;  // from March
  CivilDate date;
  date.day = day_of_year - (153 * month_index + 2) / 5 + 1;
  date.month = month_index < 10 ? month_index + 3 : month_index - 9;
  date.year = year_of_era + era * 400 + (date.month <= 2 ? 1 : 0);
  return date;
}

bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int64_t DaysInMonth(int64_t year, int64_t month) {
  constexpr int64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

}  // namespace tamrel::detail
