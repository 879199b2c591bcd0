#include "platform/win32/local_time.hpp"

#include <cmath>
#include <cstdint>

#include "automation/ole_calendar.hpp"

namespace tamrel::platform::native {
namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;  // a file time counts 100 ns
constexpr int64_t kTicksPerDay = detail::kSecondsPerDay * kTicksPerSecond;
// File time 0 is 1601-01-01, this many days before OLE day 0 (1899-12-30).
constexpr int64_t kFileTimeDaysBeforeOleDayZero = 109'205;
constexpr int64_t kOleDayZeroTicks = kFileTimeDaysBeforeOleDayZero * kTicksPerDay;

int64_t TicksOf(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<int64_t>(value.QuadPart);
}

FILETIME FileTimeOf(int64_t ticks) {
  ULARGE_INTEGER value;
  value.QuadPart = static_cast<ULONGLONG>(ticks);
  return FILETIME{value.LowPart, value.HighPart};
}

// Converts whole seconds between UTC and local time through SYSTEMTIME, the
// form in which Windows applies the time-zone rules of that date; the part
// below the second is carried across unchanged.
int64_t ConvertTicks(int64_t ticks, bool to_local) {
  const int64_t below_second = ticks % kTicksPerSecond;
  const FILETIME whole = FileTimeOf(ticks - below_second);
  SYSTEMTIME from{}, to{};
  FILETIME result{};
  if (!FileTimeToSystemTime(&whole, &from)) return ticks;
  const BOOL converted = to_local ? SystemTimeToTzSpecificLocalTime(nullptr, &from, &to)
                                  : TzSpecificLocalTimeToSystemTime(nullptr, &from, &to);
  if (!converted || !SystemTimeToFileTime(&to, &result)) return ticks;
  return TicksOf(result) + below_second;
}

}  // namespace

double OleDateFromFileTime(const FILETIME& file_time) {
  const int64_t local = ConvertTicks(TicksOf(file_time), true) - kOleDayZeroTicks;
  const int64_t day =
      local >= 0 ? local / kTicksPerDay : -((-local + kTicksPerDay - 1) / kTicksPerDay);
  return static_cast<double>(day) +
         static_cast<double>(local - day * kTicksPerDay) / static_cast<double>(kTicksPerDay);
}

FILETIME FileTimeFromOleDate(double ole_date) {
  const double day = std::floor(ole_date);
  const int64_t ticks_of_day = std::llround((ole_date - day) * static_cast<double>(kTicksPerDay));
  const int64_t local = static_cast<int64_t>(day) * kTicksPerDay + ticks_of_day + kOleDayZeroTicks;
  return FileTimeOf(ConvertTicks(local, false));
}

double OleDateFromLocalTime(const SYSTEMTIME& local) {
  const int64_t day = detail::OleDayFromCivil({local.wYear, local.wMonth, local.wDay});
  const double seconds =
      local.wHour * 3600.0 + local.wMinute * 60.0 + local.wSecond + local.wMilliseconds / 1000.0;
  return static_cast<double>(day) + seconds / 86400.0;
}

}  // namespace tamrel::platform::native
