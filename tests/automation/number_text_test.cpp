#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

TEST(NumberTextTest, DoublesShowFifteenSignificantDigitsSinglesSeven) {
  const struct {
    Variant value;
    const char* text;
  } cases[] = {
      {0.1 + 0.2, "0.3"},
      {1e20, "1E+20"},
      {1e-5, "1E-05"},
      {0.0001, "0.0001"},
      {123456789012345.0, "123456789012345"},
      {1234567890123456.0, "1.23456789012346E+15"},
      {-0.0, "0"},
      {1.0 / 3.0, "0.333333333333333"},
      {-1.5e-300, "-1.5E-300"},
      {3.1415927f, "3.141593"},
      {0.1f, "0.1"},
      {12345678.0f, "1.234568E+07"},
      {1234567.0f, "1234567"},
  };
  for (const auto& c : cases) EXPECT_EQ(CStr(c.value), c.text) << c.text;
}

TEST(NumberTextTest, NumericTextGrammar) {
  const struct {
    const char* text;
    std::optional<double> value;
  } cases[] = {
      {"  12\t", 12},          {"+5", 5},
      {"-.5", -0.5},           {"5.", 5},
      {"2.5E-1", 0.25},        {"1e-400", 0},
      {"1e", std::nullopt},    {".", std::nullopt},
      {"", std::nullopt},      {"e5", std::nullopt},
      {"1 2", std::nullopt},   {"--1", std::nullopt},
      {"1,5", std::nullopt},   {"0x10", std::nullopt},
      {"inf", std::nullopt},   {"nan", std::nullopt},
      {"1e400", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseNumericText(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(IsNumeric(Variant(c.text)), c.value.has_value()) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace tamrel
