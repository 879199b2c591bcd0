#include "platform/posix/local_time.hpp"

#include <cmath>
#include <cstdint>

#include "automation/ole_calendar.hpp"

namespace tamrel::platform::native {
namespace {

using detail::CivilDate;
constexpr auto kSecondsPerDay = static_cast<double>(detail::kSecondsPerDay);

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
  const int64_t days =
      detail::OleDayFromCivil({fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday});
  return static_cast<double>(days) + SecondsOfDay(fields, when.tv_nsec) / kSecondsPerDay;
}

struct timespec TimeFromOleDate(double ole_date) {
  const double day_part = std::floor(ole_date);
  // Whole microseconds of the day, so that a round trip does not drift.
  int64_t micros = std::llround((ole_date - day_part) * kSecondsPerDay * 1e6);
  const CivilDate date = detail::CivilFromOleDay(static_cast<int64_t>(day_part));
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
