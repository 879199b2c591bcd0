#include "platform/posix/local_time.hpp"

#include <cmath>
#include <cstdint>

namespace tamrel::platform::native {
namespace {

// OLE day 0 (1899-12-30) lies this many days before 1970-01-01.
constexpr int64_t kOleDaysBeforeUnixEpoch = 25569;
constexpr double kSecondsPerDay = 86400.0;

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

struct CivilDate {
  int64_t year;
  int64_t month;
  int64_t day;
};

// The inverse of DaysFromCivil.
CivilDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t month_index = (5 * day_of_year + 2) / 153;
  const int64_t day = day_of_year - (153 * month_index + 2) / 5 + 1;
  const int64_t month = month_index < 10 ? month_index + 3 : month_index - 9;
  return {year_of_era + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

struct tm LocalFields(const struct timespec& when) {
  struct tm fields {};
  time_t seconds = when.tv_sec;
  localtime_r(&seconds, &fields);
  return fields;
}

double SecondsOfDay(const struct tm& fields, long nanoseconds) {
  return fields.tm_hour * 3600.0 + fields.tm_min * 60.0 + fields.tm_sec +
         static_cast<double>(nanoseconds) / 1e9;
}

}  // namespace

double OleDateFromTime(const struct timespec& when) {
  const struct tm fields = LocalFields(when);
  const int64_t days = DaysFromCivil(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday) +
                       kOleDaysBeforeUnixEpoch;
  return static_cast<double>(days) + SecondsOfDay(fields, when.tv_nsec) / kSecondsPerDay;
}

struct timespec TimeFromOleDate(double ole_date) {
  const double day_part = std::floor(ole_date);
  // Whole microseconds of the day, so that a round trip does not drift.
  int64_t micros = std::llround((ole_date - day_part) * kSecondsPerDay * 1e6);
  const CivilDate date = CivilFromDays(static_cast<int64_t>(day_part) - kOleDaysBeforeUnixEpoch);
  const int64_t seconds_of_day = micros / 1000000;
  struct tm fields {};
  fields.tm_year = static_cast<int>(date.year - 1900);
  fields.tm_mon = static_cast<int>(date.month - 1);
  fields.tm_mday = static_cast<int>(date.day);
  fields.tm_hour = static_cast<int>(seconds_of_day / 3600);
  fields.tm_min = static_cast<int>(seconds_of_day / 60 % 60);
  fields.tm_sec = static_cast<int>(seconds_of_day % 60);
  fields.tm_isdst = -1;
  struct timespec result {};
  result.tv_sec = mktime(&fields);
  result.tv_nsec = static_cast<long>(micros % 1000000 * 1000);
  return result;
}

double SecondsSinceLocalMidnight(const struct timespec& when) {
  return SecondsOfDay(LocalFields(when), when.tv_nsec);
}

}  // namespace tamrel::platform::native
