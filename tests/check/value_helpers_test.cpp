// The Boolean and numeric value helpers on English and non-English systems.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/platform.hpp"

namespace tamrel {
namespace {

// Installs German Boolean words for the lifetime of the object.
class GermanSystem {
 public:
  GermanSystem() : scope_(Hooks()) {}

 private:
  static platform::Hooks Hooks() {
    platform::Hooks hooks;
    hooks.boolean_words = [] { return platform::BooleanWords{"Wahr", "Falsch"}; };
    return hooks;
  }
  platform::Scope scope_;
};

struct Case {
  const char* label;
  Variant value;
  bool expected;
};

TEST(IsBooleanTest, EnglishSystem) {
  ContextCls context;
  const std::vector<Case> cases = {
      {"Boolean True", Variant(true), true},
      {"text True", Variant("True"), true},
      {"text true", Variant("true"), true},
      {"text FALSE", Variant("FALSE"), true},
      {"text 1", Variant("1"), false},
      {"text 0", Variant("0"), false},
      {"text -1", Variant("-1"), false},
      {"number 1", Variant(int32_t{1}), false},
      {"empty text", Variant(""), false},
      {"word yes", Variant("yes"), false},
      {"Empty", Variant(), false},
      {"Null", Variant::Null(), false},
      {"date text", Variant("2024-03-01"), false},
      {"German word", Variant("Wahr"), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(context.isBoolean(c.value), c.expected) << c.label;
  }
}

TEST(IsBooleanTest, NonEnglishSystemStillKnowsTheEnglishWordsExactly) {
  GermanSystem german;
  ContextCls context;
  const std::vector<Case> cases = {
      {"text True", Variant("True"), true},
      {"text False", Variant("False"), true},
      {"text true", Variant("true"), false},
      {"system word", Variant("Wahr"), true},
      {"system word in capitals", Variant("FALSCH"), true},
      {"word yes", Variant("yes"), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(context.isBoolean(c.value), c.expected) << c.label;
  }
}

TEST(IsBadBooleanTest, OnlyExactBooleanTextIsGood) {
  ContextCls context;
  EXPECT_TRUE(context.isBadBoolean(Variant(true)));
  EXPECT_FALSE(context.isBadBoolean(Variant("False")));
  EXPECT_FALSE(context.isBadBoolean(Variant("True")));
  EXPECT_TRUE(context.isBadBoolean(Variant("false")));
  EXPECT_TRUE(context.isBadBoolean(Variant("")));
  EXPECT_TRUE(context.isBadBoolean(Variant(int32_t{0})));
  EXPECT_TRUE(context.isBadBoolean(Variant::Null()));
}

TEST(MYcBoolTest, EnglishAndNonEnglish) {
  ContextCls context;
  EXPECT_TRUE(context.MYcBool(Variant("True")));
  EXPECT_TRUE(context.MYcBool(Variant("tRUE")));
  EXPECT_FALSE(context.MYcBool(Variant("abc")));
  EXPECT_FALSE(context.MYcBool(Variant::Null()));
  EXPECT_FALSE(context.MYcBool(Variant(int32_t{0})));
  EXPECT_TRUE(context.MYcBool(Variant(-2.5)));
  EXPECT_TRUE(context.MYcBool(Variant("1")));

  GermanSystem german;
  EXPECT_TRUE(context.MYcBool(Variant("True")));
  EXPECT_FALSE(context.MYcBool(Variant("False")));
  EXPECT_FALSE(context.MYcBool(Variant("true")));  // not the exact English word
  EXPECT_TRUE(context.MYcBool(Variant("wahr")));
}

TEST(CBoolStrTest, KindDecidesTheConversion) {
  ContextCls context;
  EXPECT_EQ(context.cBoolStr(Variant(int32_t{1})), "False");
  EXPECT_EQ(context.cBoolStr(Variant("1")), "True");
  EXPECT_EQ(context.cBoolStr(Variant::Null()), "False");
  EXPECT_EQ(context.cBoolStr(Variant(true)), "True");
  EXPECT_EQ(context.cBoolStr(Variant(false)), "False");
  EXPECT_EQ(context.cBoolStr(Variant("true")), "True");
  EXPECT_EQ(context.cBoolStr(Variant("nonsense")), "False");
  GermanSystem german;
  EXPECT_EQ(context.cBoolStr(Variant("True")), "True");
  EXPECT_EQ(context.cBoolStr(Variant("Falsch")), "False");
}

TEST(MinTest, SmallestElementLowestIndexWins) {
  ContextCls context;
  VariantArray values({Variant(int32_t{5}), Variant(int16_t{3}), Variant(3.0),
                       Variant(int32_t{7})});
  Variant smallest = context.min(values);
  // The 3 at index 1 (an Integer), not the equal Double at index 2.
  EXPECT_EQ(smallest.kind(), VariantKind::Integer);
  EXPECT_EQ(smallest.AsInteger(), 3);

  EXPECT_EQ(CLng(context.min(VariantArray({Variant(int32_t{2})}))), 2);
  EXPECT_EQ(CStr(context.min(VariantArray({Variant("b"), Variant("B"), Variant("a")}))), "B");
  EXPECT_EQ(CLng(context.min(VariantArray({Variant(int32_t{200}), Variant(int32_t{17})}))), 17);
}

TEST(MinTest, LowerBoundBelowZeroIgnoresNegativeIndices) {
  ContextCls context;
  VariantArray values({Variant(int32_t{-100}), Variant(int32_t{8}), Variant(int32_t{9})}, -1);
  EXPECT_EQ(CLng(context.min(values)), 8);
}

TEST(MinTest, SubscriptOutOfRange) {
  ContextCls context;
  const std::vector<std::pair<const char*, VariantArray>> bad = {
      {"indexed 1 to 3", VariantArray({Variant(int32_t{1}), Variant(int32_t{2}),
                                       Variant(int32_t{3})}, 1)},
      {"empty", VariantArray(std::vector<Variant>{})},
      {"not allocated", VariantArray()},
      {"two dimensions", VariantArray(std::vector<ArrayBounds>{{0, 1}, {0, 1}})},
  };
  for (const auto& [label, array] : bad) {
    try {
      context.min(array);
      ADD_FAILURE() << label << ": no error";
    } catch (const Error& error) {
      EXPECT_EQ(error.number(), errc::kSubscriptOutOfRange) << label;
    }
  }
}

}  // namespace
}  // namespace tamrel
