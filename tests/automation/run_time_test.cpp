#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "error_number.hpp"
#include "support/observation.hpp"
#include "support/recording_host.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;
using Texts = std::vector<std::string>;

// Each conversion of a value: its result as text, or the error it raises.
// Integers round halves to even and overflow at their limits; doubles show
// fifteen significant digits, singles seven.
TEST(ConversionTest, EachConversionGivesItsResultOrItsError) {
  using Conversion = std::string (*)(const Variant&);
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  const Conversion cint = [](const Variant& v) { return std::to_string(CInt(v)); };
  const Conversion clng = [](const Variant& v) { return std::to_string(CLng(v)); };
  const Conversion cbool = [](const Variant& v) { return std::string(CBool(v) ? "T" : "F"); };
  const Conversion cstr = [](const Variant& v) { return CStr(v); };
  const Conversion kind = [](const Variant& v) {
    return TypeName(v) + (IsNumeric(v) ? " numeric" : "") + (IsDate(v) ? " date" : "");
  };
  const struct {
    Conversion convert;
    Variant value;
    std::string result;  // "" when it raises `error`
    int32_t error = 0;
  } rows[] = {
      // clang-format off
      {cint, 2.5, "2"}, {cint, 3.5, "4"}, {cint, -2.5, "-2"}, {cint, 32766.5, "32766"},
      {clng, 2.5, "2"}, {clng, 3.5, "4"}, {clng, -2.5, "-2"}, {clng, 32766.5, "32766"},
      {cint, 32767.5, "", errc::kOverflow}, {cint, -32769.0, "", errc::kOverflow},
      {clng, 2147483647.5, "", errc::kOverflow}, {clng, -2147483649.0, "", errc::kOverflow},
      {cint, "abc", "", errc::kTypeMismatch}, {clng, Variant::Null(), "", errc::kInvalidUseOfNull},
      {cbool, int32_t{2}, "T"}, {cbool, 0.001, "T"}, {cbool, "tRUE", "T"}, {cbool, " -1 ", "T"},
      {cbool, Variant(), "F"}, {cbool, -0.0, "F"}, {cbool, "FALSE", "F"}, {cbool, "0", "F"},
      {cbool, Variant::FromDate(0), "F"},
      {cbool, "", "", errc::kTypeMismatch}, {cbool, "yes", "", errc::kTypeMismatch},
      {kind, Variant(), "Empty numeric"}, {kind, Variant::Null(), "Null"},
      {kind, Variant::FromDate(2.5), "Date date"}, {kind, "12", "String numeric"},
      {kind, "2024-02-29", "String date"}, {kind, ObjectRef(), "Nothing"},
      {kind, VariantArray(), "Variant()"}, {cint, 2.5f, "2"}, {clng, 3.5f, "4"},
      {cstr, 0.1 + 0.2, "0.3"}, {cstr, 1e20, "1E+20"}, {cstr, 1234567890123456.0, "1.23456789012346E+15"},
      {cstr, -0.0, "0"}, {cstr, 3.1415927f, "3.141593"}, {cstr, kInfinity, "1.#INF"},
      {cstr, -kInfinity, "-1.#INF"}, {cstr, std::nan(""), "-1.#IND"},
      {cint, "25E-1", "2"}, {cint, " -1e+2 ", "-100"}, {cint, "1e-400", "0"},
      {cstr, Variant::Null(), "", errc::kInvalidUseOfNull},
      // clang-format on
  };
  for (const auto& row : rows) {
    const bool no_text = row.value.IsNull() || row.value.IsObject() || row.value.IsArray();
    SCOPED_TRACE(TypeName(row.value) + " " + (no_text ? "" : ConcatText(row.value)));
    if (row.error != 0) {
      EXPECT_EQ(ErrorNumberOf([&] { row.convert(row.value); }), row.error);
    } else {
      EXPECT_EQ(row.convert(row.value), row.result);
    }
  }
  for (const char* text : {"1e", ".", "", "1 2", "1,5", "0x10", "inf", "1e400"}) {
    EXPECT_FALSE(IsNumeric(Variant(text))) << '"' << text << '"';
  }
}

// Numbers by value, texts by their bytes taken as unsigned, Empty as the
// empty text, any text after any number; Null is unordered.
TEST(CompareTest, NumbersAndTexts) {
  const struct {
    Variant a, b;
    const char* order;  // whether a < b, b < a, a == b
  } cases[] = {{int16_t{2}, 2.0, "001"}, {"B", "a", "100"},
               {"\xC3\xA4", "z", "010"}, {1, Variant::Null(), "000"},
               {"", Variant(), "001"},   {Variant(), "a", "100"},
               {5, "1", "100"}};
  for (const auto& c : cases) {
    const std::string order = {"01"[c.a < c.b], "01"[c.b < c.a], "01"[c.a == c.b]};
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
  // Two dimensions, the first varying slowest; Empty elements.
  VariantArray grid({ArrayBounds{1, 2}, ArrayBounds{0, 2}});
  grid.At({2, 1}) = Variant("x");
  ASSERT_EQ(grid.Elements().size(), 6u);
  EXPECT_TRUE(grid.Elements()[3].IsEmpty());
  EXPECT_EQ(CStr(grid.Elements()[4]), "x");
  EXPECT_EQ(grid.LBound(1) + grid.UBound(2), 3);
  EXPECT_EQ(ErrorNumberOf([&] { grid.At({2}); }), errc::kSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { VariantArray({ArrayBounds{0, -2}}); }), errc::kSubscriptOutOfRange);
}

TEST(ErrorTest, DescriptionDefaultsToTheStandardText) {
  EXPECT_EQ(Error(errc::kWrongArgumentCount).description(),
            "Wrong number of arguments or invalid property assignment");
  EXPECT_EQ(Error(60011).description(), "Application-defined or object-defined error");
  EXPECT_EQ(Error(60011).source(), "Tamrel");
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
  d.Call("remove", {Variant("two")});
  EXPECT_EQ(TextsOf(d.Call("Items", {}).AsArray().Elements()), (Texts{"1", "three"}));
  EXPECT_EQ(CStr(d.Call("Item", {Variant("3")})), "three");
  d.Call("RemoveAll", {});
  EXPECT_EQ(CLng(d.Get("Count")), 0);
  EXPECT_EQ(ErrorNumberOf([&] { d.Call("Sort", {}); }), errc::kNoSuchMember);
}

// A late-bound caller reaches each operation of the host by name, with its
// arguments converted to the declared types; GetErrorText hands its text
// back in the argument the caller passed.
TEST(HostApplicationTest, ByName) {
  auto host = testing::RecordingHost::Make();
  std::vector<Variant> text{Variant("")};
  host->Call("writelog", {Variant(1.5)});
  host->Call("RegisterError", {Variant("here"), Variant(int16_t{2})});
  host->Call("geterrortext", text);
  EXPECT_TRUE(host->Call("HandleError", {Variant(1), Variant(false), Variant("True")}).IsEmpty());
  host->Call("WriteDetail", {Variant("d")});
  EXPECT_EQ(CInt(host->Call("ShowMessage", {"p", "3", "t", "h", 7.0})), 1);
  EXPECT_EQ(testing::HostCallsText(*host),
            "WriteLog #0 1.5\nRegisterError #0 here|2\nGetErrorText #0\n"
            "HandleError #0 True|False|True\nWriteDetail #0 d\nShowMessage #0 p|3|t|h|7\n");
  EXPECT_EQ(CStr(text[0]), "Error 0: ");
  std::vector<Variant> none;
  EXPECT_EQ(ErrorNumberOf([&] { host->Call("GetErrorText", none); }), errc::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { host->Call("Quit", none); }), errc::kNoSuchMember);
  EXPECT_EQ(ErrorNumberOf([&] { host->Get("Title", none); }), errc::kNoSuchMember);
  EXPECT_EQ(ErrorNumberOf([&] { host->Let("Title", Variant(), none); }), errc::kNoSuchMember);
}

}  // namespace
}  // namespace tamrel
