#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "error_number.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;
using Texts = std::vector<std::string>;

TEST(ConversionTest, IntegersRoundHalvesToEvenAndOverflowAtTheirLimits) {
  const std::pair<double, int32_t> cases[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {32766.5, 32766}};
  for (const auto& [value, rounded] : cases) {
    EXPECT_EQ(CInt(Variant(value)), rounded) << value;
    EXPECT_EQ(CLng(Variant(value)), rounded) << value;
  }
  for (const std::pair<double, double>& limits :
       {std::pair{32767.5, 2147483647.5}, std::pair{-32769.0, -2147483649.0}}) {
    // Named copies: clang 14 cannot capture structured bindings.
    const double integer = limits.first;
    const double long_integer = limits.second;
    EXPECT_EQ(ErrorNumberOf([&] { CInt(Variant(integer)); }), errc::kOverflow) << integer;
    EXPECT_EQ(ErrorNumberOf([&] { CLng(Variant(long_integer)); }), errc::kOverflow);
  }
  EXPECT_EQ(ErrorNumberOf([] { CInt(Variant("abc")); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorNumberOf([] { CLng(Variant::Null()); }), errc::kInvalidUseOfNull);
}

TEST(ConversionTest, BooleanConversion) {
  for (bool result : {false, true}) {
    const std::vector<Variant> values =
        result ? std::vector<Variant>{int32_t{2}, 0.001, "tRUE", " -1 "}
               : std::vector<Variant>{Variant(), -0.0, "FALSE", "0", Variant::FromDate(0)};
    for (const Variant& value : values) EXPECT_EQ(CBool(value), result) << ConcatText(value);
  }
  for (const char* text : {"", "yes"}) {
    EXPECT_EQ(ErrorNumberOf([&] { CBool(Variant(text)); }), errc::kTypeMismatch) << text;
  }
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
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TypeName(c.value), c.type_name);
    EXPECT_EQ(IsNumeric(c.value), c.numeric) << c.type_name;
    EXPECT_EQ(IsDate(c.value), c.date) << c.type_name;
  }
  EXPECT_EQ(ErrorNumberOf([] { CStr(Variant::Null()); }), errc::kInvalidUseOfNull);
}

TEST(NumberTextTest, FifteenSignificantDigitsForDoublesSevenForSinglesAndTheTextGrammar) {
  const std::pair<Variant, const char*> cases[] = {
      {0.1 + 0.2, "0.3"}, {1e20, "1E+20"},          {1234567890123456.0, "1.23456789012346E+15"},
      {-0.0, "0"},        {3.1415927f, "3.141593"},  // a Single
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(CStr(value), text) << text;
  for (const char* text : {"1e", ".", "", "1 2", "1,5", "0x10", "inf", "1e400"}) {
    EXPECT_FALSE(IsNumeric(Variant(text))) << '"' << text << '"';
  }
}

// Numbers by value, texts by their bytes taken as unsigned; Null is unordered.
TEST(CompareTest, NumbersAndTexts) {
  enum Order { kLess, kEqual, kGreater, kUnordered };
  const struct {
    Variant a, b;
    Order order;
  } cases[] = {{int16_t{2}, 2.0, kEqual},
               {"B", "a", kLess},
               {"\xC3\xA4", "z", kGreater},
               {1, Variant::Null(), kUnordered}};
  for (const auto& c : cases) {
    const bool less = c.a < c.b, greater = c.b < c.a, equal = c.a == c.b;
    const Order order = less ? kLess : greater ? kGreater : equal ? kEqual : kUnordered;
    EXPECT_EQ(order, c.order) << ConcatText(c.a) << " vs " << ConcatText(c.b);
  }
}

TEST(VariantArrayTest, BoundsAndCopies) {
  VariantArray array({Variant("a"), Variant("b"), Variant("c")}, 1);
  EXPECT_EQ(CStr(array[1]) + CStr(array[3]), "ac");
  EXPECT_EQ(ErrorNumberOf([&] { (void)array[4]; }), errc::kSubscriptOutOfRange);
  const Variant held(array);  // a copy: later changes to the array stay out of it
  array[1] = Variant("z");
  EXPECT_EQ(CStr(held.AsArray()[1]), "a");
}

TEST(ErrorTest, DescriptionDefaultsToTheStandardText) {
  const std::pair<int32_t, const char*> cases[] = {
      {errc::kWrongArgumentCount, "Wrong number of arguments or invalid property assignment"},
      {60011, "Application-defined or object-defined error"},
  };
  for (const auto& [number, description] : cases) {
    const Error error(number);
    EXPECT_EQ(error.description(), description);
    EXPECT_EQ(error.source(), "Tamrel");
  }
  EXPECT_EQ(Error(6, "mine").description(), "mine");
}

TEST(DateTextTest, KnownDatesBothWaysTimesRoundedToTheSecondAndTheLimits) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "1899-12-30"},
      {61.0, "1900-03-01"},  // 1900 is no leap year
      {45351.75, "2024-02-29 18:00:00"},
      {-1.25, "1899-12-29 06:00:00"},  // the time counts forward from the day
  };
  for (const auto& [ole_date, text] : cases) {
    EXPECT_EQ(FormatDate(ole_date), text) << ole_date;
    EXPECT_EQ(ParseDateText(text), ole_date) << text;
  }
  // Day 0 and "day -0" are the same day; times round to the second, across midnight too.
  EXPECT_EQ(FormatDate(-0.5), "1899-12-30 12:00:00");
  EXPECT_EQ(FormatDate(2.0 - 0.2 / 86400.0), "1900-01-01");
  EXPECT_EQ(ErrorNumberOf([] { FormatDate(-657435.0); }), errc::kOverflow);
  for (const char* text : {"2024-13-01", "2023-02-29", "2024-01-02 24:00:00", "2024-01-02 12:00"}) {
    EXPECT_FALSE(ParseDateText(text).has_value()) << text;
  }
}

Texts TextsOf(const std::vector<Variant>& values) {
  Texts texts;
  for (const Variant& value : values) texts.push_back(ConcatText(value));
  return texts;
}

TEST(DictionaryTest, KeepsInsertionOrderKeysAreCaseSensitiveAndReadingAddsThem) {
  Dictionary d;
  for (const char* key : {"b", "a", "k", "K"}) d.Add(key, Variant(key));
  d.Item("a", Variant(4));  // replacing keeps the place
  d.Remove("b");
  d.Add("b", Variant(5));  // re-added keys go to the end
  EXPECT_TRUE(d.Item("ghost").IsEmpty());
  EXPECT_EQ(d.Keys(), (Texts{"a", "k", "K", "b", "ghost"}));
  EXPECT_EQ(TextsOf(d.Items()), (Texts{"4", "k", "K", "5", ""}));
  EXPECT_EQ(ErrorNumberOf([&] { d.Add("a", Variant(2)); }), errc::kDuplicateKey);
  EXPECT_EQ(ErrorNumberOf([&] { d.Remove("y"); }), errc::kInvalidArgument);
}

TEST(DictionaryTest, ByName) {
  Dictionary d;
  d.Call("add", {Variant("one"), Variant(1)});
  d.Let("Item", Variant(2), {Variant("two")});
  d.Call("Add", {Variant(3), Variant("three")});  // keys by their text
  EXPECT_TRUE(CBool(d.Get("Exists", {Variant("3")})));
  EXPECT_EQ(TextsOf(d.Get("Keys").AsArray().Elements()), (Texts{"one", "two", "3"}));
  EXPECT_EQ(CLng(d.Get("Count")), 3);
  EXPECT_EQ(ErrorNumberOf([&] { d.Call("Sort", {}); }), errc::kNoSuchMember);
}

}  // namespace
}  // namespace tamrel
