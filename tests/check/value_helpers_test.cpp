// The Boolean and numeric value helpers on English and non-English systems.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

platform::Hooks German() {
  platform::Hooks hooks;
  hooks.boolean_words = [] { return platform::BooleanWords{"Wahr", "Falsch"}; };
  return hooks;
}

TEST(ValueHelpersTest, BooleanHelpersOnEnglishAndGermanSystems) {
  // -1: not checked for this value.
  struct Case {
    Variant value;
    int is_boolean, is_bad, my_cbool;
    const char* cbool_str;
  };
  const std::vector<Case> english = {
      {Variant(true), 1, 1, -1, "True"},          {Variant("True"), 1, 0, 1, nullptr},
      {Variant("false"), 1, 1, -1, nullptr},      {Variant("true"), 1, -1, -1, "True"},
      {Variant("FALSE"), 1, -1, -1, nullptr},     {Variant("tRUE"), -1, -1, 1, nullptr},
      {Variant("1"), 0, -1, 1, "True"},           {Variant(int32_t{1}), 0, -1, -1, "False"},
      {Variant(int32_t{0}), -1, 1, 0, nullptr},   {Variant(-2.5), -1, -1, 1, nullptr},
      {Variant(""), 0, 1, -1, nullptr},           {Variant::Null(), 0, 1, 0, "False"},
      {Variant("abc"), -1, -1, 0, "False"},       {Variant("Wahr"), 0, -1, -1, nullptr},
  };
  const std::vector<Case> german = {
      {Variant("True"), 1, -1, 1, "True"},  {Variant("False"), 1, -1, 0, nullptr},
      {Variant("true"), 0, -1, 0, nullptr}, {Variant("Wahr"), 1, -1, -1, nullptr},
      {Variant("wahr"), -1, -1, 1, nullptr}, {Variant("FALSCH"), 1, -1, -1, nullptr},
      {Variant("Falsch"), -1, -1, -1, "False"}, {Variant("yes"), 0, -1, -1, nullptr},
  };
  auto check = [](const std::vector<Case>& cases) {
    ContextCls context;
    for (const Case& c : cases) {
      SCOPED_TRACE(TypeName(c.value) + " " + ConcatText(c.value));
      if (c.is_boolean >= 0) {
        EXPECT_EQ(context.isBoolean(c.value), c.is_boolean == 1);
      }
      if (c.is_bad >= 0) {
        EXPECT_EQ(context.isBadBoolean(c.value), c.is_bad == 1);
      }
      if (c.my_cbool >= 0) {
        EXPECT_EQ(context.MYcBool(c.value), c.my_cbool == 1);
      }
      if (c.cbool_str != nullptr) {
        EXPECT_EQ(context.cBoolStr(c.value), c.cbool_str);
      }
    }
  };
  check(english);
  platform::Scope scope(German());
  check(german);
}

TEST(ValueHelpersTest, MinTakesTheLowestIndexOfTheSmallestElementFromIndexZero) {
  ContextCls context;
  Variant smallest = context.min(VariantArray(
      {Variant(int32_t{5}), Variant(int16_t{3}), Variant(3.0), Variant(int32_t{7})}));
  EXPECT_EQ(smallest.kind(), VariantKind::Integer);  // not the equal Double after it
  EXPECT_EQ(CStr(context.min(VariantArray({Variant("b"), Variant("B"), Variant("a")}))), "B");
  EXPECT_EQ(CLng(context.min(VariantArray(
                {Variant(int32_t{-100}), Variant(int32_t{8}), Variant(int32_t{9})}, -1))),
            8);
  for (const VariantArray& bad : {VariantArray({Variant(int32_t{1}), Variant(int32_t{2})}, 1),
                                  VariantArray(std::vector<Variant>{}), VariantArray(),
                                  VariantArray(std::vector<ArrayBounds>{{0, 1}, {0, 1}})}) {
    try {
      context.min(bad);
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(error.number(), errc::kSubscriptOutOfRange);
    }
  }
}

}  // namespace
}  // namespace tamrel
