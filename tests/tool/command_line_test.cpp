// The command line and the JSON text of a listing.
#include "command_line.hpp"

#include <gtest/gtest.h>

#include "json_text.hpp"

namespace tamrel::tool {
namespace {

using Words = std::vector<std::string>;

TEST(CommandLine, AcceptsOptionsAnywhereAndInBothSpellings) {
  const ParseResult result = ParseCommandLine(
      {"--verbose", "set", "f.tmc", "Recent", "File", "a.txt", "--max=2", "--link", "'View"});
  ASSERT_TRUE(result.invocation) << result.error;
  const Invocation& invocation = *result.invocation;
  EXPECT_EQ(invocation.command->name, "set");
  EXPECT_EQ(invocation.arguments, (Words{"f.tmc", "Recent", "File", "a.txt"}));
  EXPECT_TRUE(invocation.verbose);
  EXPECT_EQ(invocation.Number("--max", 4), 2);
  EXPECT_EQ(invocation.Text("--link"), "'View");
  // Negative numbers and words after "--" are arguments.
  for (const Words& args :
       {Words{"set", "f", "W", "L", "-.5"}, Words{"set", "--", "f", "W", "L", "--json"}}) {
    const ParseResult parsed = ParseCommandLine(args);
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->arguments.back(), args.back());
    EXPECT_TRUE(parsed.invocation->options.empty());
  }
  for (const Words& args : {Words{"help", "set"}, Words{"get", "-h", "f.tmc"}}) {
    const ParseResult parsed = ParseCommandLine(args);
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_TRUE(parsed.invocation->help);
    EXPECT_EQ(parsed.invocation->command->name, args[0] == "help" ? "set" : "get");
  }
}

TEST(CommandLine, RefusesBadCommandLinesWithOneLineReasons) {
  const struct {
    Words args;
    std::string error;
  } cases[] = {
      {{}, "missing command"},
      {{"frobnicate", "x"}, "unknown command 'frobnicate'"},
      {{"list"}, "list: too few arguments"},
      {{"remove", "f", "T", "I", "V", "extra"}, "remove: too many arguments"},
      {{"list", "f", "--bogus"}, "unknown option --bogus"},
      {{"get", "f", "T", "I", "--json"}, "get has no option --json"},
      {{"list", "f", "--json=yes"}, "option --json takes no value"},
      {{"set", "f", "T", "I", "v", "--max"}, "option --max needs a value"},
      {{"set", "f", "T", "I", "v", "--max", "32768"},
       "option --max needs a whole number from -32768 to 32767"},
      {{"cycle", "f", "--keep", "0"}, "option --keep needs a whole number from 1 to 32767"},
      {{"get", "f", "T", "I", "--instance", "one"}, "option --instance needs a whole number"},
      {{"get", "f", "T", "I", "--all", "--instance", "2"},
       "options --all and --instance exclude each other"},
      {{"list", "f", "--json", "--json"}, "option --json given twice"},
      {{"list", "f", "--log="}, "option --log needs a file name"},
  };
  for (const auto& c : cases) {
    const ParseResult result = ParseCommandLine(c.args);
    EXPECT_FALSE(result.invocation) << c.error;
    EXPECT_EQ(result.error, c.error);
  }
  for (const CommandSpec& command : Commands()) {
    const std::string help = CommandHelp(command);
    EXPECT_EQ(help.find("Usage: tamrel " + std::string(command.name)), 0u);
    for (const OptionSpec& option : command.options) {
      EXPECT_NE(help.find(std::string(option.name)), std::string::npos) << command.name;
    }
    EXPECT_NE(GeneralHelp().find("  " + std::string(command.name)), std::string::npos);
  }
}

TEST(JsonText, EscapesWhatJsonNeedsAndAlwaysGivesValidUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"line\nbreak\r\ttab", R"("line\nbreak\r\ttab")"},
      {std::string("nul \0 \x1f \x7f", 9), R"("nul \u0000 \u001f \u007f")"},
      // Valid UTF-8 passes; other bytes become their Latin-1 characters: a
      // single-byte code page, a cut-off lead byte, an overlong form, a surrogate.
      {"caf\xc3\xa9 \xf0\x9f\x93\x81", "\"caf\xc3\xa9 \xf0\x9f\x93\x81\""},
      {"M\xfcller", "\"M\xc3\xbcller\""},
      {"\xc3", "\"\xc3\x83\""},
      {"\xc0\xaf", "\"\xc3\x80\xc2\xaf\""},
      {"\xed\xa0\x80", "\"\xc3\xad\xc2\xa0\xc2\x80\""},
  };
  for (const auto& [text, json] : cases) EXPECT_EQ(JsonString(text), json);
  EXPECT_EQ(RecordsAsJson({}), "[]\n");
}

}  // namespace
}  // namespace tamrel::tool
