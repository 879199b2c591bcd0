#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "error_number.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;

TEST(ConversionTest, IntegersRoundHalvesToEvenAndOverflowAtTheirLimits) {
  const std::pair<double, int32_t> cases[] = {{2.5, 2},   {3.5, 4},         {-2.5, -2},
                                              {-2.6, -3}, {32766.5, 32766}, {-32768.5, -32768}};
  for (const auto& [value, rounded] : cases) {
    EXPECT_EQ(CInt(Variant(value)), rounded) << value;
    EXPECT_EQ(CLng(Variant(value)), rounded) << value;
  }
  EXPECT_EQ(CLng(Variant(-2147483648.5)), INT32_MIN);
  for (const auto& [integer, long_integer] :
       {std::pair{32767.5, 2147483647.5}, std::pair{-32769.0, -2147483649.0}}) {
    EXPECT_EQ(ErrorNumberOf([&] { CInt(Variant(integer)); }), errc::kOverflow) << integer;
    EXPECT_EQ(ErrorNumberOf([&] { CLng(Variant(long_integer)); }), errc::kOverflow);
  }
  EXPECT_EQ(CInt(Variant(" -12.5 ")), -12);
  EXPECT_EQ(ErrorNumberOf([] { CInt(Variant("abc")); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorNumberOf([] { CLng(Variant::Null()); }), errc::kInvalidUseOfNull);
}

TEST(ConversionTest, BooleanConversion) {
  for (bool result : {false, true}) {
    const std::vector<Variant> values =
        result ? std::vector<Variant>{int32_t{2}, 0.001, "tRUE", " -1 "}
               : std::vector<Variant>{Variant(), -0.0, "FALSE", "0", Variant::FromDate(0)};
    for (const Variant& value : values) {
      EXPECT_EQ(CBool(value), result) << ConcatText(value);
      EXPECT_EQ(TryCBool(value), std::optional<bool>(result)) << ConcatText(value);
    }
  }
  for (const Variant& value : {Variant(""), Variant("yes"), Variant(ObjectRef())}) {
    EXPECT_EQ(ErrorNumberOf([&] { CBool(value); }), errc::kTypeMismatch) << ConcatText(value);
    EXPECT_EQ(TryCBool(value), std::nullopt) << ConcatText(value);
  }
  platform::Hooks german;
  german.boolean_words = [] { return platform::BooleanWords{"Wahr", "Falsch"}; };
  platform::Scope scope(german);
  EXPECT_EQ(CStr(Variant(false)), "Falsch");
  EXPECT_TRUE(CBool(Variant("wahr")));
  EXPECT_EQ(ErrorNumberOf([] { CBool(Variant("True")); }), errc::kTypeMismatch);
}

TEST(ConversionTest, KindsAndTheirText) {
  const struct {
    Variant value;
    const char* type_name;
    bool numeric, date;
  } cases[] = {
      {Variant(), "Empty", true, false},
      {Variant::Null(), "Null", false, false},
      {Variant::FromDate(2.5), "Date", false, true},
      {Variant("12"), "String", true, false},
      {Variant("2024-02-29"), "String", false, true},
      {Variant(std::make_shared<Dictionary>()), "Dictionary", false, false},
      {Variant(ObjectRef()), "Nothing", false, false},
      {Variant(VariantArray({Variant(1)})), "Variant()", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TypeName(c.value), c.type_name);
    EXPECT_EQ(IsNumeric(c.value), c.numeric) << c.type_name;
    EXPECT_EQ(IsDate(c.value), c.date) << c.type_name;
  }
  EXPECT_EQ(CStr(Variant()), "");
  EXPECT_EQ(ErrorNumberOf([] { CStr(Variant::Null()); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorNumberOf([] { CStr(Variant(std::make_shared<Dictionary>())); }),
            errc::kTypeMismatch);
}

TEST(NumberTextTest, FifteenSignificantDigitsForDoublesSevenForSinglesAndTheTextGrammar) {
  const std::pair<Variant, const char*> cases[] = {
      {0.1 + 0.2, "0.3"},
      {1e20, "1E+20"},
      {123456789012345.0, "123456789012345"},
      {1234567890123456.0, "1.23456789012346E+15"},
      {-0.0, "0"},
      {3.1415927f, "3.141593"},
      {12345678.0f, "1.234568E+07"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(CStr(value), text) << text;
  const std::pair<const char*, double> numbers[] = {
      {"  12\t", 12}, {"+5", 5}, {"-.5", -0.5}, {"5.", 5}, {"2.5E-1", 0.25}, {"1e-400", 0}};
  for (const auto& [text, value] : numbers) EXPECT_EQ(ParseNumericText(text), value) << text;
  for (const char* text : {"1e", ".", "", "1 2", "1,5", "0x10", "inf", "1e400"}) {
    EXPECT_FALSE(IsNumeric(Variant(text))) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace tamrel
