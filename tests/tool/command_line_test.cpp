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
      {{"remove", "f", "T", "I", "V", "extra"}, "remove: too many arguments"},
      {{"list", "f", "--bogus"}, "unknown option --bogus"},
      {{"get", "f", "T", "I", "--json"}, "get has no option --json"},
      {{"list", "f", "--json=yes"}, "option --json takes no value"},
      {{"set", "f", "T", "I", "v", "--max"}, "option --max needs a value"},
      {{"set", "f", "T", "I", "v", "--max", "32768"},
       "option --max needs a whole number from -32768 to 32767"},
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
