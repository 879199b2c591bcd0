// The listing of a whole store and its JSON form, checked by reading the
// JSON back with an independent reader.
#include <gtest/gtest.h>

#include <sstream>

#include "json_reader.hpp"
#include "json_text.hpp"
#include "store_listing.hpp"

namespace tamrel::tool {
namespace {

using testing::JsonValue;
using testing::ParseJson;

TEST(JsonString, RoundTripsTextThroughAStrictReader) {
  const std::string texts[] = {
      "",
      "plain",
      "quote \" and backslash \\",
      "line\nbreak\r\ttab",
      std::string("nul \0 and \x1f and \x7f", 17),
      "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\x81",  // UTF-8: e acute, euro sign, folder
  };
  for (const std::string& text : texts) {
    const JsonValue value = ParseJson(JsonString(text));
    ASSERT_EQ(value.kind, JsonValue::Kind::kString);
    EXPECT_EQ(value.text, text);
  }
}

TEST(JsonString, WritesBytesOutsideUtf8AsTheirLatin1Characters) {
  struct Case {
    std::string bytes;
    std::string utf8;
  };
  const Case cases[] = {
      {"M\xfcller", "M\xc3\xbcller"},        // a single-byte code page
      {"\xc3", "\xc3\x83"},                  // a lead byte cut off
      {"\xc0\xaf", "\xc3\x80\xc2\xaf"},      // an overlong form
      {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},  // a surrogate
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseJson(JsonString(c.bytes)).text, c.utf8);
  }
}

TEST(RecordsAsJson, GivesExactlyTheFourKeysPerRecord) {
  const std::vector<StoreRecord> records = {{"Window", "Left", 1, "120"},
                                            {"Recent", "File", -3, "a \"b\""}};
  const JsonValue array = ParseJson(RecordsAsJson(records));
  ASSERT_EQ(array.kind, JsonValue::Kind::kArray);
  ASSERT_EQ(array.elements.size(), 2u);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const JsonValue& object = array.elements[i];
    EXPECT_EQ(object.Keys(), (std::vector<std::string>{"tag", "id", "instance", "value"}));
    EXPECT_EQ(object["tag"].text, records[i].tag);
    EXPECT_EQ(object["id"].text, records[i].id);
    EXPECT_EQ(object["instance"].number, records[i].instance);
    EXPECT_EQ(object["value"].text, records[i].value);
  }
  EXPECT_EQ(ParseJson(RecordsAsJson({})).elements.size(), 0u);
}

TEST(ParseLoggedContext, ReadsElementsAndUndoesTheFiveReferences) {
  const auto records = ParseLoggedContext(
      "<context><Window id=\"Left\" instance=\"1\">120</Window>~"
      "<Recent id=\"R&D's \" instance=\"x\" instance=\"2\">a&lt;b &amp;lt; &apos;&quot;&gt;</Recent>~"
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
      "<context><A id=\"i\" instance=\"1\">v</A></context>",       // no line-break mark
      "<context><A id=\"i\" instance=\"1\">v</B>~</context>",      // wrong end tag
      "<context><A id=\"i\" instance=\"one\">v</A>~</context>",    // no number
      "<context><A instance=\"1\">v</A>~</context>",               // no id
      "<context><A id=\"i\" instance=\"1\">v~</context>",          // value runs on
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
  context.Add("Window", "Left", Variant(int32_t{-20}));
  context.Add("Options", "Grid", Variant(true));
  context.CloneAdd("Recent", "File", "older", 2);
  log.str("");

  const std::vector<StoreRecord> expected = {
      {"Options", "Grid", 1, "True"},
      {"Window", "Left", 1, "-20"},
      {"Recent", "File", 1, "/home/ana/R&D/Tom's <draft>.txt"},
      {"Recent", "File", 2, "older"},
  };
  EXPECT_EQ(ListRecords(context, *host), expected);
  EXPECT_EQ(log.str(), "");
  EXPECT_TRUE(host->errors().empty());
}

}  // namespace
}  // namespace tamrel::tool
