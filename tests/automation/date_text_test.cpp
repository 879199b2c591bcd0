#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "error_number.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

TEST(DateTextTest, KnownDatesBothWaysTimesRoundedToTheSecondAndTheLimits) {
  const struct {
    double ole_date;
    const char* text;
  } cases[] = {
      {0.0, "1899-12-30"},
      {61.0, "1900-03-01"},  // 1900 is no leap year
      {36585.0, "2000-02-29"},
      {45351.75, "2024-02-29 18:00:00"},
      {-1.25, "1899-12-29 06:00:00"},  // the time counts forward from the day
      {-657434.0, "0100-01-01"},
      {2958465.0, "9999-12-31"},
      {1.0 + 86399.0 / 86400.0, "1899-12-31 23:59:59"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatDate(c.ole_date), c.text) << c.ole_date;
    EXPECT_EQ(ParseDateText(c.text), c.ole_date) << c.text;
  }
  EXPECT_EQ(FormatDate(-0.5), "1899-12-30 12:00:00");  // day 0 and "day -0" are the same day
  for (int second = 0; second < 86400; second += 7) {
    const double ole_date = 44000.0 + second / 86400.0;
    EXPECT_NEAR(ParseDateText(FormatDate(ole_date)).value_or(0), ole_date, 1e-9) << second;
  }
  // Times round to the nearest second, across midnight too.
  EXPECT_EQ(FormatDate(2.0 - 0.2 / 86400.0), "1900-01-01");
  EXPECT_EQ(FormatDate(-1.0 - (86399.8 / 86400.0)), "1899-12-30");
  for (double ole_date : {-657435.0, 2958466.0, 2958465.99999999}) {
    EXPECT_EQ(testing::ErrorNumberOf([&] { FormatDate(ole_date); }), errc::kOverflow) << ole_date;
  }
}

TEST(DateTextTest, MalformedDateText) {
  for (const char* text :
       {"2024-1-02", "2024-13-01", "2023-02-29", "2024-04-31", "0099-12-31", "2024-01-02 24:00:00",
        "2024-01-02 12:00:60", "2024-01-02 12:00", "2024-01-02T12:00:00", "2024-01-02 12:00:00x"}) {
    EXPECT_FALSE(ParseDateText(text).has_value()) << '"' << text << '"';
  }
  EXPECT_EQ(ParseDateText(" 2024-01-02\t"), ParseDateText("2024-01-02"));
}

}  // namespace
}  // namespace tamrel
