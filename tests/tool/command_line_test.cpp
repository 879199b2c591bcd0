#include "command_line.hpp"

#include <gtest/gtest.h>

namespace tamrel::tool {
namespace {

ParseResult Parse(std::vector<std::string> args) { return ParseCommandLine(args); }

TEST(CommandLine, AcceptsOptionsAnywhereAndInBothSpellings) {
  const ParseResult result =
      Parse({"--verbose", "set", "f.tmc", "Recent", "File", "a.txt", "--max=2", "--link", "'View"});
  ASSERT_TRUE(result.invocation) << result.error;
  const Invocation& invocation = *result.invocation;
  EXPECT_EQ(invocation.command->name, "set");
  EXPECT_EQ(invocation.arguments, (std::vector<std::string>{"f.tmc", "Recent", "File", "a.txt"}));
  EXPECT_TRUE(invocation.verbose);
  EXPECT_EQ(invocation.Number("--max", 4), 2);
  EXPECT_EQ(invocation.Text("--link"), "'View");
}

TEST(CommandLine, NegativeNumbersAndWordsAfterDoubleDashAreArguments) {
  ParseResult result = Parse({"set", "f.tmc", "Window", "Left", "-20"});
  ASSERT_TRUE(result.invocation) << result.error;
  EXPECT_EQ(result.invocation->arguments.back(), "-20");

  result = Parse({"set", "f.tmc", "Window", "Left", "-.5"});
  ASSERT_TRUE(result.invocation) << result.error;
  EXPECT_EQ(result.invocation->arguments.back(), "-.5");

  result = Parse({"set", "--", "f.tmc", "Options", "Flag", "--json"});
  ASSERT_TRUE(result.invocation) << result.error;
  EXPECT_EQ(result.invocation->arguments.back(), "--json");
  EXPECT_FALSE(result.invocation->Has("--json"));
}

TEST(CommandLine, HelpNeedsNoArguments) {
  struct Case {
    std::vector<std::string> args;
    std::string_view command;  // "" for the general help
  };
  const Case cases[] = {
      {{"--help"}, ""},
      {{"-h"}, ""},
      {{"help"}, ""},
      {{"help", "set"}, "set"},
      {{"set", "--help"}, "set"},
      {{"get", "-h", "f.tmc"}, "get"},
  };
  for (const Case& c : cases) {
    const ParseResult result = Parse(c.args);
    ASSERT_TRUE(result.invocation) << c.args.front() << ": " << result.error;
    EXPECT_TRUE(result.invocation->help);
    const std::string_view named = result.invocation->command ? result.invocation->command->name : "";
    EXPECT_EQ(named, c.command);
  }
}

TEST(CommandLine, RefusesBadCommandLinesWithOneLineReasons) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{}, "missing command"},
      {{"frobnicate", "x"}, "unknown command 'frobnicate'"},
      {{"list"}, "list: too few arguments"},
      {{"list", "a", "b"}, "list: too many arguments"},
      {{"remove", "f", "T", "I", "V", "extra"}, "remove: too many arguments"},
      {{"list", "f", "--bogus"}, "unknown option --bogus"},
      {{"get", "f", "T", "I", "--json"}, "get has no option --json"},
      {{"list", "f", "--json=yes"}, "option --json takes no value"},
      {{"set", "f", "T", "I", "v", "--max"}, "option --max needs a value"},
      {{"set", "f", "T", "I", "v", "--max", "40000"},
       "option --max needs a whole number from -32768 to 32767"},
      {{"set", "f", "T", "I", "v", "--max", "2x"},
       "option --max needs a whole number from -32768 to 32767"},
      {{"cycle", "f", "--keep", "0"}, "option --keep needs a whole number from 1 to 32767"},
      {{"get", "f", "T", "I", "--instance", "one"}, "option --instance needs a whole number"},
      {{"get", "f", "T", "I", "--all", "--instance", "2"},
       "options --all and --instance exclude each other"},
      {{"list", "f", "--json", "--json"}, "option --json given twice"},
      {{"--json"}, "missing command"},
      {{"list", "f", "--log="}, "option --log needs a file name"},
  };
  for (const Case& c : cases) {
    const ParseResult result = Parse(c.args);
    EXPECT_FALSE(result.invocation) << c.error;
    EXPECT_EQ(result.error, c.error);
  }
}

TEST(CommandLine, UsageOfAFailedLineNamesItsCommand) {
  const ParseResult result = Parse({"cycle"});
  ASSERT_NE(result.command, nullptr);
  EXPECT_EQ(ShortUsage(result.command).find("Usage: tamrel cycle FILE [--keep N]"), 0u);
}

TEST(CommandTable, EveryCommandHasHelpThatListsItsOptions) {
  for (const CommandSpec& command : Commands()) {
    const std::string help = CommandHelp(command);
    EXPECT_EQ(help.find("Usage: tamrel " + std::string(command.name)), 0u);
    for (const OptionSpec& option : command.options) {
      EXPECT_NE(help.find(std::string(option.name)), std::string::npos) << command.name;
    }
    EXPECT_NE(GeneralHelp().find("  " + std::string(command.name)), std::string::npos);
  }
}

}  // namespace
}  // namespace tamrel::tool
