#include <gtest/gtest.h>

#include <optional>

#include <cstdint>
#include <memory>
#include <string>

#include "error_number.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/error.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/variant.hpp"

namespace tamrel {
namespace {

using testing::ErrorNumberOf;

TEST(ConversionTest, IntegerConversionsRoundHalvesToEven) {
  struct Case {
    double value;
    int32_t rounded;
  } cases[] = {
      {2.5, 2},   {3.5, 4},   {-2.5, -2}, {-3.5, -4}, {0.5, 0},
      {1.5, 2},   {2.4, 2},   {2.6, 3},   {-2.6, -3}, {-0.5, 0},
      {32766.5, 32766},       {-32768.5, -32768},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CInt(Variant(c.value)), c.rounded) << c.value;
    EXPECT_EQ(CLng(Variant(c.value)), c.rounded) << c.value;
  }
}

TEST(ConversionTest, IntegerConversionsOverflowAtTheirLimits) {
  EXPECT_EQ(CInt(Variant(32767.4)), 32767);
  EXPECT_EQ(ErrorNumberOf([] { CInt(Variant(32767.5)); }), errc::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { CInt(Variant(-32769.0)); }), errc::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { CInt(Variant(int32_t{40000})); }), errc::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { CInt(Variant("99999")); }), errc::kOverflow);

  EXPECT_EQ(CLng(Variant(-2147483648.5)), INT32_MIN);
  EXPECT_EQ(ErrorNumberOf([] { CLng(Variant(2147483647.5)); }), errc::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { CLng(Variant(-2147483649.0)); }), errc::kOverflow);
  EXPECT_EQ(ErrorNumberOf([] { CLng(Variant(1e300)); }), errc::kOverflow);
}

TEST(ConversionTest, NumericConversionsOfOtherKinds) {
  EXPECT_EQ(CInt(Variant(true)), -1);
  EXPECT_EQ(CInt(Variant()), 0);
  EXPECT_EQ(CInt(Variant(" -12.5 ")), -12);
  EXPECT_EQ(CDbl(Variant(1.5f)), 1.5);
  EXPECT_EQ(CLng(Variant::FromDate(2.5)), 2);

  EXPECT_EQ(ErrorNumberOf([] { CInt(Variant("abc")); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorNumberOf([] { CDbl(Variant("2024-01-02")); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorNumberOf([] { CLng(Variant::Null()); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorNumberOf([] { CInt(Variant(VariantArray({Variant(1)}))); }),
            errc::kTypeMismatch);
}

TEST(ConversionTest, BooleanConversion) {
  struct Case {
    Variant value;
    bool result;
  } cases[] = {
      {Variant(), false},         {Variant(true), true},      {Variant(false), false},
      {Variant(int16_t{0}), false}, {Variant(int32_t{2}), true}, {Variant(-0.0), false},
      {Variant(0.001), true},     {Variant("True"), true},    {Variant("tRUE"), true},
      {Variant("FALSE"), false},  {Variant("0"), false},      {Variant(" -1 "), true},
      {Variant::FromDate(0), false}, {Variant::FromDate(1), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CBool(c.value), c.result) << ConcatText(c.value);
    EXPECT_EQ(TryCBool(c.value), std::optional<bool>(c.result)) << ConcatText(c.value);
  }

  for (const char* text : {"", "yes", "T", "Wahr"}) {
    EXPECT_EQ(ErrorNumberOf([&] { CBool(Variant(text)); }), errc::kTypeMismatch) << text;
    EXPECT_EQ(TryCBool(Variant(text)), std::nullopt) << text;
  }
  EXPECT_EQ(TryCBool(Variant::Null()), std::nullopt);
  EXPECT_EQ(TryCBool(Variant(ObjectRef())), std::nullopt);
  EXPECT_EQ(ErrorNumberOf([] { CBool(Variant::Null()); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorNumberOf([] { CBool(Variant(ObjectRef())); }), errc::kTypeMismatch);
}

TEST(ConversionTest, BooleanWordsFollowTheSystem) {
  platform::Hooks german;
  german.boolean_words = [] { return platform::BooleanWords{"Wahr", "Falsch"}; };
  platform::Scope scope(german);
  EXPECT_EQ(CStr(Variant(true)), "Wahr");
  EXPECT_EQ(CStr(Variant(false)), "Falsch");
  EXPECT_TRUE(CBool(Variant("wahr")));
  EXPECT_FALSE(CBool(Variant("FALSCH")));
  EXPECT_EQ(ErrorNumberOf([] { CBool(Variant("True")); }), errc::kTypeMismatch);
  EXPECT_TRUE(CBool(Variant("1")));
}

TEST(ConversionTest, TextOfEachKind) {
  EXPECT_EQ(CStr(Variant()), "");
  EXPECT_EQ(CStr(Variant(true)), "True");
  EXPECT_EQ(CStr(Variant(false)), "False");
  EXPECT_EQ(CStr(Variant::FromDate(2.5)), "1900-01-01 12:00:00");
  EXPECT_EQ(ErrorNumberOf([] { CStr(Variant::Null()); }), errc::kInvalidUseOfNull);
  EXPECT_EQ(ErrorNumberOf([] { CStr(Variant(std::make_shared<Dictionary>())); }),
            errc::kTypeMismatch);

  EXPECT_EQ(ConcatText(Variant::Null()), "");
  EXPECT_EQ(ConcatText(Variant(int16_t{7})), "7");
}

TEST(ConversionTest, KindTests) {
  struct Case {
    Variant value;
    const char* type_name;
    bool numeric;
    bool date;
  } cases[] = {
      {Variant(), "Empty", true, false},
      {Variant::Null(), "Null", false, false},
      {Variant(true), "Boolean", true, false},
      {Variant(int16_t{1}), "Integer", true, false},
      {Variant(1.0f), "Single", true, false},
      {Variant(1.0), "Double", true, false},
      {Variant::FromDate(1.0), "Date", false, true},
      {Variant("12"), "String", true, false},
      {Variant("2024-02-29"), "String", false, true},
      {Variant("True"), "String", false, false},
      {Variant(std::make_shared<Dictionary>()), "Dictionary", false, false},
      {Variant(ObjectRef()), "Nothing", false, false},
      {Variant(VariantArray({Variant(1)})), "Variant()", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TypeName(c.value), c.type_name);
    EXPECT_EQ(IsNumeric(c.value), c.numeric) << c.type_name;
    EXPECT_EQ(IsDate(c.value), c.date) << c.type_name;
  }
}

TEST(ConversionTest, DirectAccessChecksTheKind) {
  EXPECT_EQ(ErrorNumberOf([] { Variant(int16_t{3}).AsLong(); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorNumberOf([] { Variant::FromDate(1).AsDouble(); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorNumberOf([] { Variant("1").NumericValue(); }), errc::kTypeMismatch);
}

}  // namespace
}  // namespace tamrel
