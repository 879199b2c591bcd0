// The Boolean value helpers, and Verify's additions and repairs.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/platform.hpp"
#include "tamrel/records.hpp"

namespace tamrel::testing {
namespace {

using Texts = std::vector<std::string>;

platform::Hooks German() {
  platform::Hooks hooks;
  hooks.boolean_words = [] { return platform::BooleanWords{"Wahr", "Falsch"}; };
  return hooks;
}

TEST(ValueHelpersTest, BooleanHelpersOnEnglishAndGermanSystems) {
  // The answers of isBoolean, isBadBoolean and MYcBool ('1', '0', '-' not
  // checked) and of cBoolStr ('T': "True", 'F': "False").
  struct Case {
    bool german;
    Variant value;
    const char* answers;
  } cases[] = {
      {false, Variant(true), "11-T"},  {false, Variant("True"), "101-"},
      {false, Variant("1"), "0-1T"},   {false, Variant::Null(), "010F"},
      {true, Variant("Wahr"), "1-1-"}, {true, Variant("Falsch"), "---F"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TypeName(c.value) + " " + ConcatText(c.value) + (c.german ? " german" : ""));
    std::optional<platform::Scope> german;
    if (c.german) german.emplace(German());
    ContextCls context;
    std::string got = c.answers;
    if (got[0] != '-') got[0] = context.isBoolean(c.value) ? '1' : '0';
    if (got[1] != '-') got[1] = context.isBadBoolean(c.value) ? '1' : '0';
    if (got[2] != '-') got[2] = context.MYcBool(c.value) ? '1' : '0';
    if (got[3] != '-') {
      const std::string text = context.cBoolStr(c.value);
      got[3] = text == "True" ? 'T' : text == "False" ? 'F' : '?';
    }
    EXPECT_EQ(got, c.answers);
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
    for (const Record& record : Records(*context_)) values.push_back(record.value);
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

TEST_F(VerifyTest, AddsAMissingSettingAndRepairsAValueOfTheWrongKind) {
  const std::string missing = "Tamrel/ContextCls/Verify Plant missing tag [Cal,Flag] set to '";
  struct Case {
    const char* stored;  // nullptr: no setting
    Variant def;
    const char* kept;
    std::string log;  // "" for no line
  } cases[] = {
      {nullptr, Variant("false"), "False", missing + "False'"},
      {"true", Variant(true), "True", Reset("english-boolean", "true", "True")},
      {"False", Variant(true), "False", ""},
      {"1", Variant(false), "False", Reset("boolean", "1", "False")},
      {"abc", Variant(int32_t{10}), "10", Reset("numeric", "abc", "10")},
      {"-3e2", Variant(int32_t{10}), "-3e2", ""},
      {"", Variant("C:\\Data"), "C:\\Data", Reset("blank", "", "C:\\Data")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("stored '") + (c.stored ? c.stored : "none") + "', default '" +
                 ConcatText(c.def) + "'");
    StoreRaw(c.stored ? c.stored : "");
    if (!c.stored) context_->Remove("Cal");
    context_->Verify("Cal", "Flag", c.def);
    EXPECT_EQ(Values(), Texts{c.kept});
    EXPECT_EQ(context_->Count("Cal", "Flag"), 2) << "one value, at instance 1";
    EXPECT_EQ(host_->LogLines(), c.log.empty() ? Texts{} : Texts{c.log});
    EXPECT_TRUE(host_->Errors().empty());
  }
}

}  // namespace
}  // namespace tamrel::testing
