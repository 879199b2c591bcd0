// The reasons a command line is refused, and the JSON text of a listing.
#include "command_line.hpp"

#include <gtest/gtest.h>

#include "json_text.hpp"

namespace tamrel::tool {
namespace {

using Words = std::vector<std::string>;

TEST(CommandLine, RefusesBadCommandLinesWithOneLineReasons) {
  const struct {
    Words args;
    std::string error;
  } cases[] = {
      {{}, "missing command"},
      {{"frobnicate", "x"}, "unknown command 'frobnicate'"},
      {{"list"}, "list: too few arguments"},
      {{"get", "f", "T", "I", "--json"}, "get has no option --json"},
      {{"set", "f", "T", "I", "v", "--max", "32768"},
       "option --max needs a whole number from -32768 to 32767"},
      {{"get", "f", "T", "I", "--all", "--instance", "2"},
       "options --all and --instance exclude each other"},
  };
  for (const auto& c : cases) {
    const ParseResult result = ParseCommandLine(c.args);
    EXPECT_FALSE(result.invocation) << c.error;
    EXPECT_EQ(result.error, c.error);
  }
}

// The usage printed with a refusal is that of the command named, when one
// was named before the fault.
TEST(CommandLine, ARefusalKnowsTheCommandNamedBeforeTheFault) {
  const struct {
    Words args;
    std::string command;  // "" for none
  } cases[] = {
      {{"get", "f", "T", "I", "--bogus"}, "get"},
      {{"help", "set", "--bogus"}, "set"},
      {{"cycle", "f", "--keep"}, "cycle"},
      {{"--bogus", "get", "f", "T", "I"}, ""},
  };
  for (const auto& c : cases) {
    const ParseResult result = ParseCommandLine(c.args);
    ASSERT_FALSE(result.invocation) << c.args.back();
    EXPECT_EQ(result.command ? std::string(result.command->name) : "", c.command) << result.error;
  }
}

TEST(JsonText, EscapesWhatJsonNeedsAndAlwaysGivesValidUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"line\nbreak\r\ttab", R"("line\nbreak\r\ttab")"},
      {std::string("nul \0 \x1f \x7f", 9), R"("nul \u0000 \u001f \u007f")"},
      // Valid UTF-8 passes; other bytes become their Latin-1 characters.
      {"caf\xc3\xa9 M\xfcller", "\"caf\xc3\xa9 M\xc3\xbcller\""},
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(JsonString(text), json);
}

}  // namespace
}  // namespace tamrel::tool
