// Message box and clock of a POSIX console: no windows, no message loop.
#include <sys/time.h>
#include <time.h>

#include <cstdio>
#include <string>

#include "platform/native.hpp"

namespace tamrel::platform::native {
namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

struct LocalNow {
  struct tm fields;
  double fraction;  // of the current second
};

LocalNow ReadLocalNow() {
  struct timeval now_tv;
  gettimeofday(&now_tv, nullptr);
  LocalNow now{};
  time_t seconds = now_tv.tv_sec;
  localtime_r(&seconds, &now.fields);
  now.fraction = static_cast<double>(now_tv.tv_usec) / 1e6;
  return now;
}

double SecondsOfDay(const LocalNow& now) {
  return now.fields.tm_hour * 3600.0 + now.fields.tm_min * 60.0 + now.fields.tm_sec + now.fraction;
}

}  // namespace

Variant ShowMessageBox(const std::string& prompt, int16_t /*style*/, const std::string& title) {
  std::fprintf(stderr, "%s\n%s\n", title.c_str(), prompt.c_str());
  std::fflush(stderr);
  return Variant(int16_t{1});
}

double Now() {
  const LocalNow now = ReadLocalNow();
  // OLE dates count days from 1899-12-30, which is 25569 days before 1970-01-01.
  const int64_t days = DaysFromCivil(now.fields.tm_year + 1900, now.fields.tm_mon + 1,
                                     now.fields.tm_mday) + 25569;
  return static_cast<double>(days) + SecondsOfDay(now) / 86400.0;
}

float SecondsSinceMidnight() { return static_cast<float>(SecondsOfDay(ReadLocalNow())); }

}  // namespace tamrel::platform::native
