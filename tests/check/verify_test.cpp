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

TEST(VerifyTest, AddsAMissingSettingAndRepairsAValueOfTheWrongKind) {
  const std::string missing = "Tamrel/ContextCls/Verify Plant missing tag [Cal,Flag] set to '";
  const auto reset = [](const std::string& reason, const std::string& was, const std::string& is) {
    return "Tamrel/ContextCls/Verify Plant non-" + reason + " tag [Cal,Flag] Value '" + was +
           "' reset to '" + is + "'";
  };
  const struct {
    const char* stored;  // as given (Add would rewrite boolean words); nullptr: no setting
    Variant def;
    const char* kept;
    std::string log;  // "" for no line
  } cases[] = {
      {nullptr, Variant("false"), "False", missing + "False'"},
      {"true", Variant(true), "True", reset("english-boolean", "true", "True")},
      {"False", Variant(true), "False", ""},
      {"1", Variant(false), "False", reset("boolean", "1", "False")},
      {"abc", Variant(int32_t{10}), "10", reset("numeric", "abc", "10")},
      {"-3e2", Variant(int32_t{10}), "-3e2", ""},
      {"", Variant("C:\\Data"), "C:\\Data", reset("blank", "", "C:\\Data")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.log.empty() ? c.kept : c.log);
    auto host = RecordingHost::Make();
    auto context = std::make_shared<ContextCls>();
    context->SetApplicationContext(host);
    context->name("Plant");
    if (c.stored) context->CloneAdd("Cal", "Flag", c.stored, 1);
    host->ClearCalls();
    context->Verify("Cal", "Flag", c.def);
    EXPECT_EQ(Records(*context), (std::vector<Record>{{"Cal", "Flag", 1, c.kept}}));
    EXPECT_EQ(host->LogLines(), c.log.empty() ? Texts{} : Texts{c.log});
    EXPECT_TRUE(host->Errors().empty());
  }
}

}  // namespace
}  // namespace tamrel::testing
