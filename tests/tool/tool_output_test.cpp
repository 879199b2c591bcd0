// The listing of a whole store and its JSON form.
#include <gtest/gtest.h>

#include <sstream>

#include "json_text.hpp"
#include "store_listing.hpp"

namespace tamrel::tool {
namespace {

TEST(JsonText, EscapesWhatJsonNeedsAndAlwaysGivesValidUtf8) {
  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"", R"("")"},
      {"quote \" and backslash \\", R"("quote \" and backslash \\")"},
      {"line\nbreak\r\ttab", R"("line\nbreak\r\ttab")"},
      {std::string("nul \0 \x1f \x7f", 9), R"("nul \u0000 \u001f \u007f")"},
      // Valid UTF-8 passes: e acute, euro sign, a folder.
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x81",
       "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x81\""},
      // Other bytes become their Latin-1 characters: a single-byte code page,
      // a cut-off lead byte, an overlong form, a surrogate, beyond U+10FFFF.
      {"M\xfcller", "\"M\xc3\xbcller\""},
      {"\xc3", "\"\xc3\x83\""},
      {"\xc0\xaf", "\"\xc3\x80\xc2\xaf\""},
      {"\xed\xa0\x80", "\"\xc3\xad\xc2\xa0\xc2\x80\""},
      {"\xf4\x90\x80\x80", "\"\xc3\xb4\xc2\x90\xc2\x80\xc2\x80\""},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json);

  EXPECT_EQ(RecordsAsJson({}), "[]\n");
  EXPECT_EQ(RecordsAsJson({{"Window", "Left", 1, "120"}, {"Recent", "File", -3, "a\tb"}}),
            "[\n"
            R"(  {"tag": "Window", "id": "Left", "instance": 1, "value": "120"},)"
            "\n"
            R"(  {"tag": "Recent", "id": "File", "instance": -3, "value": "a\tb"})"
            "\n]\n");
}

TEST(ParseLoggedContext, ReadsElementsAndUndoesTheFiveReferences) {
  const auto records = ParseLoggedContext(
      "<context><Window id=\"Left\" instance=\"1\">120</Window>~"
      "<Recent id=\"R&D's \" instance=\"x\" instance=\"2\">a&lt;b &amp;lt; "
      "&apos;&quot;&gt;</Recent>~"
      "<Empty id=\"\" instance=\"-4\"></Empty>~</context>");
  ASSERT_TRUE(records);
  const std::vector<StoreRecord> expected = {
      {"Window", "Left", 1, "120"},
      {"Recent", "R&D's \" instance=\"x", 2, "a<b &lt; '\">"},
      {"Empty", "", -4, ""},
  };
  EXPECT_EQ(*records, expected);
  EXPECT_EQ(ParseLoggedContext("<context></context>")->size(), 0u);
}

TEST(ParseLoggedContext, RefusesTextOfAnyOtherForm) {
  const char* texts[] = {
      "",
      "<context>",
      "<context><A id=\"i\" instance=\"1\">v</A></context>",     // no line-break mark
      "<context><A id=\"i\" instance=\"1\">v</B>~</context>",    // wrong end tag
      "<context><A id=\"i\" instance=\"one\">v</A>~</context>",  // no number
      "<context><A instance=\"1\">v</A>~</context>",             // no id
      "<context><A id=\"i\" instance=\"1\">v~</context>",        // value runs on
  };
  for (const char* text : texts) EXPECT_FALSE(ParseLoggedContext(text)) << text;
}

TEST(ListRecords, GivesTheStoreInOrderAndKeepsItsLogLineOutOfTheLog) {
  std::ostringstream log;
  std::ostringstream messages;
  auto host = std::make_shared<ConsoleHost>(&log, messages);
  ContextCls context;
  context.SetApplicationContext(host);
  context.Add("Recent", "File", Variant("/home/ana/R&D/Tom's <draft>.txt"));
  context.CloneAdd("Window", "Left", "-20", 2);  // at the end, with its own number
  log.str("");
  EXPECT_EQ(ListRecords(context, *host),
            (std::vector<StoreRecord>{{"Recent", "File", 1, "/home/ana/R&D/Tom's <draft>.txt"},
                                      {"Window", "Left", 2, "-20"}}));
  EXPECT_EQ(log.str(), "");
  EXPECT_TRUE(host->errors().empty());
}

}  // namespace
}  // namespace tamrel::tool
