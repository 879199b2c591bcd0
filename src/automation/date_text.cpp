// OLE dates and their text: "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss".
//
// An OLE date counts days from 1899-12-30. Its integer part (towards zero) is
// the day and the absolute value of its fraction the time of day, so that
// -1.25 is 1899-12-29 06:00:00, as the automation run-time reads it.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tamrel/error.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Days from 1970-01-01 back to the OLE day 0, 1899-12-30.
constexpr int64_t kOleEpochFromUnixDays = 25569;
// The dates the run-time can hold: 0100-01-01 to 9999-12-31 23:59:59. The
// OLE bounds are exclusive: a day beyond them starts outside the range.
constexpr double kBeforeFirstOleDate = -657435.0;
constexpr double kAfterLastOleDate = 2958466.0;
constexpr int64_t kFirstYear = 100;
constexpr int64_t kLastYear = 9999;

struct DateTime {
  int64_t year = 0;
  int64_t month = 0;
  int64_t day = 0;
  int64_t seconds = 0;  // of the day
};

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's
// days_from_civil).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

// The inverse of DaysFromCivil; leaves `seconds` alone.
void CivilFromDays(int64_t days, DateTime& date) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t month_index = (5 * day_of_year + 2) / 153;
  date.day = day_of_year - (153 * month_index + 2) / 5 + 1;
  date.month = month_index < 10 ? month_index + 3 : month_index - 9;
  date.year = year_of_era + era * 400 + (date.month <= 2 ? 1 : 0);
}

DateTime DateTimeFromOle(double ole_date) {
  if (!(ole_date > kBeforeFirstOleDate && ole_date < kAfterLastOleDate)) Raise(errc::kOverflow);
  const double whole_days = std::trunc(ole_date);
  auto day = static_cast<int64_t>(whole_days);
  int64_t seconds = std::llround(std::fabs(ole_date - whole_days) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {  // rounded up to the next midnight
    seconds -= kSecondsPerDay;
    ++day;
  }
  DateTime date;
  CivilFromDays(day - kOleEpochFromUnixDays, date);
  if (date.year > kLastYear) Raise(errc::kOverflow);
  date.seconds = seconds;
  return date;
}

double OleFromDateTime(const DateTime& date) {
  const auto day =
      static_cast<double>(DaysFromCivil(date.year, date.month, date.day) + kOleEpochFromUnixDays);
  const double time = static_cast<double>(date.seconds) / kSecondsPerDay;
  return day >= 0 ? day + time : day - time;
}

void AppendPadded(std::string& text, int64_t value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) text.append(width - digits.size(), '0');
  text += digits;
}

bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int64_t DaysInMonth(int64_t year, int64_t month) {
  constexpr int64_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

// Reads exactly `width` digits at `pos` of `text`, advancing `pos`.
std::optional<int64_t> ReadDigits(std::string_view text, std::size_t& pos, std::size_t width) {
  if (text.size() - pos < width) return std::nullopt;
  int64_t value = 0;
  for (std::size_t end = pos + width; pos < end; ++pos) {
    if (text[pos] < '0' || text[pos] > '9') return std::nullopt;
    value = value * 10 + (text[pos] - '0');
  }
  return value;
}

bool ReadChar(std::string_view text, std::size_t& pos, char expected) {
  if (pos >= text.size() || text[pos] != expected) return false;
  ++pos;
  return true;
}

// One number of `width` digits in [low, high], preceded by `separator` unless
// it is '\0'.
std::optional<int64_t> ReadField(std::string_view text, std::size_t& pos, char separator,
                                 std::size_t width, int64_t low, int64_t high) {
  if (separator != '\0' && !ReadChar(text, pos, separator)) return std::nullopt;
  std::optional<int64_t> value = ReadDigits(text, pos, width);
  if (!value || *value < low || *value > high) return std::nullopt;
  return value;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::optional<DateTime> ParseDateTime(std::string_view text) {
  std::size_t pos = 0;
  auto year = ReadField(text, pos, '\0', 4, kFirstYear, kLastYear);
  auto month = year ? ReadField(text, pos, '-', 2, 1, 12) : std::nullopt;
  auto day = month ? ReadField(text, pos, '-', 2, 1, DaysInMonth(*year, *month)) : std::nullopt;
  if (!day) return std::nullopt;
  DateTime date{*year, *month, *day, 0};
  if (pos == text.size()) return date;
  auto hour = ReadField(text, pos, ' ', 2, 0, 23);
  auto minute = hour ? ReadField(text, pos, ':', 2, 0, 59) : std::nullopt;
  auto second = minute ? ReadField(text, pos, ':', 2, 0, 59) : std::nullopt;
  if (!second || pos != text.size()) return std::nullopt;
  date.seconds = (*hour * 60 + *minute) * 60 + *second;
  return date;
}

}  // namespace

std::string FormatDate(double ole_date) {
  const DateTime date = DateTimeFromOle(ole_date);
  std::string text;
  AppendPadded(text, date.year, 4);
  text += '-';
  AppendPadded(text, date.month, 2);
  text += '-';
  AppendPadded(text, date.day, 2);
  if (date.seconds == 0) return text;
  text += ' ';
  AppendPadded(text, date.seconds / 3600, 2);
  text += ':';
  AppendPadded(text, date.seconds / 60 % 60, 2);
  text += ':';
  AppendPadded(text, date.seconds % 60, 2);
  return text;
}

std::optional<double> ParseDateText(const std::string& text) {
  std::optional<DateTime> date = ParseDateTime(TrimBlanks(text));
  if (!date) return std::nullopt;
  return OleFromDateTime(*date);
}

}  // namespace tamrel
