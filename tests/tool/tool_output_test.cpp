// JSON text and the reading of a logged context, whose outer path the
// process tests run with a small store.
#include <gtest/gtest.h>

#include "json_text.hpp"
#include "store_listing.hpp"

namespace tamrel::tool {
namespace {

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

TEST(ParseLoggedContext, RefusesTextOfAnyOtherForm) {
  EXPECT_EQ(ParseLoggedContext("<context></context>")->size(), 0u);
  for (const char* text : {
           "<context>",
           "<context><A id=\"i\" instance=\"1\">v</A></context>",     // no line-break mark
           "<context><A id=\"i\" instance=\"1\">v</B>~</context>",    // wrong end tag
           "<context><A id=\"i\" instance=\"one\">v</A>~</context>",  // no number
           "<context><A instance=\"1\">v</A>~</context>",             // no id
       }) {
    EXPECT_FALSE(ParseLoggedContext(text)) << text;
  }
}

}  // namespace
}  // namespace tamrel::tool
