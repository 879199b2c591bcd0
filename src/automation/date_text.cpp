// OLE dates and their text: "yyyy-mm-dd" or "yyyy-mm-dd hh:mm:ss".
//
// The integer part of an OLE date (towards zero) is the day and the absolute
// value of its fraction the time of day, so that -1.25 is
// 1899-12-29 06:00:00, as the automation run-time reads it.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "automation/ole_calendar.hpp"
#include "automation/text_scan.hpp"
#include "tamrel/error.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

using detail::CivilDate;

using detail::kSecondsPerDay;
// The dates the run-time can hold: 0100-01-01 to 9999-12-31 23:59:59. The
// OLE bounds are exclusive: a day beyond them starts outside the range.
constexpr double kBeforeFirstOleDate = -657435.0;
constexpr double kAfterLastOleDate = 2958466.0;
constexpr int64_t kFirstYear = 100;
constexpr int64_t kLastYear = 9999;

struct DateTime {
  CivilDate date;
  int64_t seconds = 0;  // of the day
};

// Error 6 outside the run-time's range of dates.
DateTime DateTimeFromOle(double ole_date) {
  if (!(ole_date > kBeforeFirstOleDate && ole_date < kAfterLastOleDate)) Raise(errc::kOverflow);
  const double whole_days = std::trunc(ole_date);
  auto day = static_cast<int64_t>(whole_days);
  int64_t seconds = std::llround(std::fabs(ole_date - whole_days) * kSecondsPerDay);
  if (seconds >= kSecondsPerDay) {  // rounded up to the next midnight
    seconds -= kSecondsPerDay;
    ++day;
  }
  const CivilDate date = detail::CivilFromOleDay(day);
  if (date.year > kLastYear) Raise(errc::kOverflow);
  return DateTime{date, seconds};
}

double OleFromDateTime(const DateTime& value) {
  const auto day = static_cast<double>(detail::OleDayFromCivil(value.date));
  const double time = static_cast<double>(value.seconds) / kSecondsPerDay;
  return day >= 0 ? day + time : day - time;
}

void AppendPadded(std::string& text, int64_t value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) text.append(width - digits.size(), '0');
  text += digits;
}

// Reads the text field by field: a number of fixed width within its range,
// preceded by its separator.
class DateReader {
 public:
  explicit DateReader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ == text_.size(); }

  std::optional<int64_t> Field(char separator, std::size_t width, int64_t low, int64_t high) {
    if (separator != '\0') {
      if (AtEnd() || text_[pos_] != separator) return std::nullopt;
      ++pos_;
    }
    if (text_.size() - pos_ < width) return std::nullopt;
    int64_t value = 0;
    for (std::size_t end = pos_ + width; pos_ < end; ++pos_) {
      if (!detail::IsDigit(text_[pos_])) return std::nullopt;
      value = value * 10 + (text_[pos_] - '0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

std::optional<DateTime> ParseDateTime(std::string_view text) {
  DateReader reader(text);
  auto year = reader.Field('\0', 4, kFirstYear, kLastYear);
  auto month = year ? reader.Field('-', 2, 1, 12) : std::nullopt;
  auto day = month ? reader.Field('-', 2, 1, detail::DaysInMonth(*year, *month)) : std::nullopt;
  if (!day) return std::nullopt;
  DateTime value{CivilDate{*year, *month, *day}, 0};
  if (reader.AtEnd()) return value;
  auto hour = reader.Field(' ', 2, 0, 23);
  auto minute = hour ? reader.Field(':', 2, 0, 59) : std::nullopt;
  auto second = minute ? reader.Field(':', 2, 0, 59) : std::nullopt;
  if (!second || !reader.AtEnd()) return std::nullopt;
  value.seconds = (*hour * 60 + *minute) * 60 + *second;
  return value;
}

}  // namespace

std::string FormatDate(double ole_date) {
  const DateTime value = DateTimeFromOle(ole_date);
  std::string text;
  AppendPadded(text, value.date.year, 4);
  text += '-';
  AppendPadded(text, value.date.month, 2);
  text += '-';
  AppendPadded(text, value.date.day, 2);
  if (value.seconds == 0) return text;
  text += ' ';
  AppendPadded(text, value.seconds / 3600, 2);
  text += ':';
  AppendPadded(text, value.seconds / 60 % 60, 2);
  text += ':';
  AppendPadded(text, value.seconds % 60, 2);
  return text;
}

std::optional<double> ParseDateText(const std::string& text) {
  std::optional<DateTime> value = ParseDateTime(detail::TrimBlanks(text));
  if (!value) return std::nullopt;
  return OleFromDateTime(*value);
}

}  // namespace tamrel
