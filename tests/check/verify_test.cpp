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

const std::string kPrefix = "Tamrel/ContextCls/Verify Plant";

class VerifyTest : public ::testing::Test {
 protected:
  VerifyTest() {
    context_->SetApplicationContext(host_);
    context_->name("Plant");
  }

  // Stores `value` exactly as given (Add would turn boolean words into
  // "True"/"False"), as the only value of Cal/Flag.
  void StoreRaw(const std::string& value) {
    context_->Remove("Cal", Variant("Flag"));
    context_->CloneAdd("Cal", "Flag", value, 1);
    host_->ClearCalls();
  }

  std::vector<std::string> Values() {
    std::vector<std::string> values;
    detail::StateOf(*context_).items.ForEach([&](const detail::ContextItem& item) {
      if (item.Tag == "Cal" && item.Id == "Flag") values.push_back(item.Value);
    });
    return values;
  }

  static std::string ResetLine(const std::string& reason, const std::string& old_value,
                               const std::string& new_value) {
    return kPrefix + reason + "Cal,Flag] Value '" + old_value + "' reset to '" + new_value + "'";
  }

  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
};

struct RepairCase {
  const char* stored;
  Variant def;
  const char* expected_value;  // what Cal/Flag holds afterwards
  std::string expected_log;    // "" for no line
};

TEST_F(VerifyTest, RepairsAValueOfTheWrongKind) {
  const std::vector<RepairCase> cases = {
      // Boolean default: non-English booleans, and values that are no boolean.
      {"true", Variant(true), "True", ResetLine(" non-english-boolean tag [", "true", "True")},
      {"FALSE", Variant(true), "False", ResetLine(" non-english-boolean tag [", "FALSE", "False")},
      {"True", Variant(false), "True", ""},
      {"False", Variant(true), "False", ""},
      {"1", Variant(true), "True", ResetLine(" non-boolean tag [", "1", "True")},
      {"0", Variant(true), "True", ResetLine(" non-boolean tag [", "0", "True")},
      {"-1", Variant(false), "False", ResetLine(" non-boolean tag [", "-1", "False")},
      {"", Variant(true), "True", ResetLine(" non-boolean tag [", "", "True")},
      {"yes", Variant(false), "False", ResetLine(" non-boolean tag [", "yes", "False")},
      // A text that converts to a Boolean is a boolean default; the log shows
      // its own text, the store Boolean text.
      {"abc", Variant("false"), "False", ResetLine(" non-boolean tag [", "abc", "false")},
      {"abc", Variant("False"), "False", ResetLine(" non-boolean tag [", "abc", "False")},
      // Numeric default (a number or numeric text).
      {"abc", Variant(int32_t{10}), "10", ResetLine(" non-numeric tag [", "abc", "10")},
      {"", Variant(int32_t{10}), "10", ResetLine(" non-numeric tag [", "", "10")},
      {"12.5", Variant(int32_t{10}), "12.5", ""},
      {"-3e2", Variant(int32_t{10}), "-3e2", ""},
      {"True", Variant("5"), "5", ResetLine(" non-numeric tag [", "True", "5")},
      {"1", Variant("5"), "1", ""},
      // Text default.
      {"", Variant("C:\\Data"), "C:\\Data", ResetLine(" non-blank tag [", "", "C:\\Data")},
      {"x", Variant("C:\\Data"), "x", ""},
      {"", Variant(""), "", ""},
      {"", Variant::Null(), "", ""},
  };
  for (const RepairCase& c : cases) {
    SCOPED_TRACE(std::string("stored '") + c.stored + "', default '" + ConcatText(c.def) + "'");
    StoreRaw(c.stored);
    context_->Verify("Cal", "Flag", c.def);
    EXPECT_EQ(Values(), std::vector<std::string>{c.expected_value});
    const std::vector<std::string> expected_log =
        c.expected_log.empty() ? std::vector<std::string>{} : std::vector{c.expected_log};
    EXPECT_EQ(host_->LogLines(), expected_log);
    EXPECT_TRUE(host_->Errors().empty());
  }
}

TEST_F(VerifyTest, AddsAMissingSettingWithItsDefault) {
  struct Case {
    Variant def;
    const char* logged;
    const char* stored;
  };
  const std::vector<Case> cases = {
      {Variant(true), "True", "True"},
      {Variant("false"), "False", "False"},
      {Variant(int32_t{10}), "10", "10"},
      {Variant(2.5), "2.5", "2.5"},
      {Variant("C:\\Data"), "C:\\Data", "C:\\Data"},
      {Variant::Null(), "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logged);
    context_->Remove("Cal");
    host_->ClearCalls();
    context_->Verify("Cal", "Flag", c.def);
    EXPECT_EQ(host_->LogLines(), std::vector<std::string>{kPrefix + " missing tag [Cal,Flag] set to '" +
                                                          c.logged + "'"});
    EXPECT_EQ(Values(), std::vector<std::string>{c.stored});
    EXPECT_EQ(context_->Count("Cal", "Flag"), 2) << "one value, Instance 1";
  }
}

TEST_F(VerifyTest, OnlyTheFirstValueIsExaminedAndARepairLeavesOneValue) {
  context_->Add("Cal", "Flag", Variant("7"));
  context_->Add("Cal", "Flag", Variant("8"));
  context_->Add("Cal", "Flag", Variant("bad"));
  context_->Verify("Cal", "Flag", Variant(int32_t{1}));
  EXPECT_EQ(Values(), std::vector<std::string>{"1"});

  context_->Add("Cal", "Flag", Variant("bad"));
  context_->Add("Cal", "Flag", Variant("2"));
  host_->ClearCalls();
  context_->Verify("Cal", "Flag", Variant(int32_t{1}));
  EXPECT_EQ(Values(), (std::vector<std::string>{"2", "bad", "1"}));
  EXPECT_TRUE(host_->LogLines().empty());
}

TEST_F(VerifyTest, TheLogLineComesBeforeTheAssignmentExceptForNonEnglishBooleans) {
  StoreRaw("abc");
  host_->FailOn("WriteLog", 5, 1);
  context_->Verify("Cal", "Flag", Variant(true));
  EXPECT_EQ(Values(), std::vector<std::string>{"abc"}) << "the failed log line stopped Verify";
  EXPECT_EQ(host_->Errors(),
            (std::vector<std::pair<std::string, int32_t>>{{"Tamrel/ContextCls/Verify", 5}}));
  EXPECT_EQ(host_->CallsOf("RegisterError")[0].args[1], "Initialize");

  StoreRaw("true");
  host_->FailOn("WriteLog", 5, 1);
  context_->Verify("Cal", "Flag", Variant(true));
  EXPECT_EQ(Values(), std::vector<std::string>{"True"}) << "repaired before the log line";
  EXPECT_EQ(host_->Errors().size(), 1u);
}

TEST_F(VerifyTest, AcceptsEnglishBooleanTextOnANonEnglishSystem) {
  platform::Hooks hooks;
  hooks.boolean_words = [] { return platform::BooleanWords{"Wahr", "Falsch"}; };
  platform::Scope german(std::move(hooks));
  StoreRaw("True");
  context_->Verify("Cal", "Flag", Variant(false));
  EXPECT_EQ(Values(), std::vector<std::string>{"True"});
  EXPECT_TRUE(host_->LogLines().empty());

  StoreRaw("wahr");
  context_->Verify("Cal", "Flag", Variant(false));
  EXPECT_EQ(Values(), std::vector<std::string>{"True"});
  EXPECT_EQ(host_->LogLines(),
            std::vector<std::string>{ResetLine(" non-english-boolean tag [", "wahr", "True")});
}

}  // namespace
}  // namespace tamrel::testing
