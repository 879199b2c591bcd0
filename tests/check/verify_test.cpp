// Verify: a missing setting is added, a value of the wrong kind repaired,
// and every change logged.
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
  platform::Hooks hooks;
  hooks.boolean_words = [] { return platform::BooleanWords{"Wahr", "Falsch"}; };
  platform::Scope german(std::move(hooks));
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
