// The Boolean and numeric value helpers on English and non-English systems,
// and Verify: a missing setting is added, a value of the wrong kind
// repaired, and every change logged.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/context_state.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/error.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {
namespace {

using Texts = std::vector<std::string>;

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

class VerifyTest : public ::testing::Test {
 protected:
  VerifyTest() {
    context_->SetApplicationContext(host_);
    context_->name("Plant");
  }

  // Stores `value` as given (Add would rewrite boolean words) as the only
  // value of Cal/Flag.
  void StoreRaw(const std::string& value) {
    context_->Remove("Cal");
    context_->CloneAdd("Cal", "Flag", value, 1);
    host_->ClearCalls();
  }

  Texts Values() {
    Texts values;
    detail::StateOf(*context_).items.ForEach(
        [&](const detail::ContextItem& item) { values.push_back(item.Value); });
    return values;
  }

  static std::string Reset(const std::string& reason, const std::string& old_value,
                           const std::string& new_value) {
    return "Tamrel/ContextCls/Verify Plant non-" + reason + " tag [Cal,Flag] Value '" + old_value +
           "' reset to '" + new_value + "'";
  }

  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
};

TEST_F(VerifyTest, RepairsAValueOfTheWrongKind) {
  struct Case {
    const char* stored;
    Variant def;
    const char* kept;
    std::string log;  // "" for no line
  };
  const std::vector<Case> cases = {
      {"true", Variant(true), "True", Reset("english-boolean", "true", "True")},
      {"False", Variant(true), "False", ""},
      {"1", Variant(false), "False", Reset("boolean", "1", "False")},
      // A default text that converts to a Boolean: the log shows its text.
      {"abc", Variant("false"), "False", Reset("boolean", "abc", "false")},
      {"abc", Variant(int32_t{10}), "10", Reset("numeric", "abc", "10")},
      {"-3e2", Variant(int32_t{10}), "-3e2", ""},
      {"", Variant("C:\\Data"), "C:\\Data", Reset("blank", "", "C:\\Data")},
      {"", Variant::Null(), "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("stored '") + c.stored + "', default '" + ConcatText(c.def) + "'");
    StoreRaw(c.stored);
    context_->Verify("Cal", "Flag", c.def);
    EXPECT_EQ(Values(), Texts{c.kept});
    EXPECT_EQ(host_->LogLines(), c.log.empty() ? Texts{} : Texts{c.log});
    EXPECT_TRUE(host_->Errors().empty());
  }
}

TEST_F(VerifyTest, AddsAMissingSettingWithItsDefault) {
  for (const auto& [def, text] : std::vector<std::pair<Variant, std::string>>{
           {Variant("false"), "False"}, {Variant(2.5), "2.5"}, {Variant::Null(), ""}}) {
    context_->Remove("Cal");
    host_->ClearCalls();
    context_->Verify("Cal", "Flag", def);
    EXPECT_EQ(host_->LogLines(),
              Texts{"Tamrel/ContextCls/Verify Plant missing tag [Cal,Flag] set to '" + text + "'"});
    EXPECT_EQ(Values(), Texts{text});
    EXPECT_EQ(context_->Count("Cal", "Flag"), 2) << "one value, at instance 1";
  }
}

TEST_F(VerifyTest, OnlyTheFirstValueIsExaminedAndARepairLeavesOneValue) {
  for (const char* value : {"7", "8", "bad"}) context_->Add("Cal", "Flag", Variant(value));
  context_->Verify("Cal", "Flag", Variant(int32_t{1}));
  EXPECT_EQ(Values(), Texts{"1"});
  for (const char* value : {"bad", "2"}) context_->Add("Cal", "Flag", Variant(value));
  host_->ClearCalls();
  context_->Verify("Cal", "Flag", Variant(int32_t{1}));
  EXPECT_EQ(Values(), (Texts{"2", "bad", "1"}));
  EXPECT_TRUE(host_->LogLines().empty());
}

TEST_F(VerifyTest, TheLogLineComesBeforeTheRepairExceptForNonEnglishBooleans) {
  StoreRaw("abc");
  host_->FailOn("WriteLog", 5, 1);
  context_->Verify("Cal", "Flag", Variant(true));
  EXPECT_EQ(Values(), Texts{"abc"}) << "the failed log line stopped Verify";
  EXPECT_EQ(host_->Errors(),
            (std::vector<std::pair<std::string, int32_t>>{{"Tamrel/ContextCls/Verify", 5}}));

  StoreRaw("true");
  host_->FailOn("WriteLog", 5, 1);
  context_->Verify("Cal", "Flag", Variant(true));
  EXPECT_EQ(Values(), Texts{"True"}) << "repaired before the log line";
  EXPECT_EQ(host_->Errors().size(), 1u);
}

TEST_F(VerifyTest, GermanSystemAcceptsEnglishWordsAndRepairsItsOwn) {
  platform::Scope german(German());
  StoreRaw("True");
  context_->Verify("Cal", "Flag", Variant(false));
  EXPECT_EQ(Values(), Texts{"True"});
  EXPECT_TRUE(host_->LogLines().empty());
  StoreRaw("wahr");
  context_->Verify("Cal", "Flag", Variant(false));
  EXPECT_EQ(Values(), Texts{"True"});
  EXPECT_EQ(host_->LogLines(), Texts{Reset("english-boolean", "wahr", "True")});
}

}  // namespace
}  // namespace tamrel::testing
