// The context file text and the escaping of values.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "persist/context_text.hpp"
#include "persist/entity_escaping.hpp"
#include "persist_fixture.hpp"
#include "tamrel/error.hpp"

namespace tamrel::testing {
namespace {

std::string Encoded(const std::string& text) {
  std::string out;
  detail::AppendEncoded(out, text);
  return out;
}

std::string Decoded(const std::string& text) {
  std::string out;
  detail::AppendDecoded(out, text);
  return out;
}

TEST(SpecialCharsTest, EncodesTheFiveCharactersOnly) {
  struct Case {
    std::string plain;
    std::string encoded;
  } cases[] = {
      {"", ""},
      {"plain text 123", "plain text 123"},
      {"<&'\"", "&lt;&amp;&apos;&quot;"},
      {"a>b", "a&gt;b"},
      {"&lt;", "&amp;lt;"},
      {"&&", "&amp;&amp;"},
      {"line\r\nbreak\ttab", "line\r\nbreak\ttab"},
      {std::string("nul\0byte", 8), std::string("nul\0byte", 8)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Encoded(c.plain), c.encoded) << c.plain;
    EXPECT_EQ(Decoded(c.encoded), c.plain) << c.encoded;
  }
}

TEST(SpecialCharsTest, DecodesInOnePassAndKeepsUnknownAmpersands) {
  struct Case {
    std::string encoded;
    std::string decoded;
  } cases[] = {
      {"&amp;lt;", "&lt;"},           // what a replacement produces is not read again
      {"&amp;amp;", "&amp;"},
      {"&foo; & &am", "&foo; & &am"},  // not one of the five references
      {"&LT;", "&LT;"},                // case-sensitive
      {"&lt;&gt;&apos;&quot;&amp;", "<>'\"&"},
      {"x&", "x&"},
      {"&&lt;", "&<"},
  };
  for (const Case& c : cases) EXPECT_EQ(Decoded(c.encoded), c.decoded) << c.encoded;
}

TEST(SpecialCharsTest, DecodingTheEncodingGivesAnyTextBack) {
  std::mt19937 random(7);
  const std::string alphabet = "&<>'\";altgqupos \r\nxA";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int length = static_cast<int>(random() % 20); length > 0; --length) {
      text.push_back(alphabet[random() % alphabet.size()]);
    }
    ASSERT_EQ(Decoded(Encoded(text)), text);
  }
}

class ContextTextTest : public PersistTest {
 protected:
  detail::ContextState& state() { return detail::StateOf(*context_); }
};

TEST_F(ContextTextTest, EmptyStoreIsTheRootAlone) {
  EXPECT_EQ(detail::ContextText(state()), "<context></context>");
  EXPECT_EQ(detail::SaveText(state()), "<context></context>");
}

TEST_F(ContextTextTest, ElementsFollowTheRootOnOneLineEachEndingInCrLf) {
  Fill(*context_, {{"Window", "Left", 1, "120"}, {"Recent", "File", 2, "a<b & c"},
                   {"T", "neg", -32768, "two\r\nlines"}});
  EXPECT_EQ(detail::ContextText(state()),
            "<context><Window id=\"Left\" instance=\"1\">120</Window>\r\n"
            "<Recent id=\"File\" instance=\"2\">a&lt;b &amp; c</Recent>\r\n"
            "<T id=\"neg\" instance=\"-32768\">two\r\nlines</T>\r\n</context>");
}

TEST_F(ContextTextTest, SaveBufferGivesTheSameTextAsPlainAppending) {
  // Around the buffer's flush every 11 records.
  for (int count : {1, 10, 11, 12, 22, 23, 100}) {
    context_->Clear();
    std::vector<Record> records;
    for (int i = 0; i < count; ++i) {
      records.emplace_back("Tag" + std::to_string(i % 3), "Id" + std::to_string(i), i % 5,
                           "v'" + std::to_string(i));
    }
    Fill(*context_, records);
    EXPECT_EQ(detail::SaveText(state()), detail::ContextText(state())) << count;
  }
}

TEST_F(ContextTextTest, SaveTextOverflowsBeyond32767Records) {
  std::vector<Record> records(32767, Record{"T", "I", 1, "v"});
  Fill(*context_, records);
  EXPECT_NO_THROW(detail::SaveText(state()));
  Fill(*context_, {{"T", "I", 1, "v"}});
  try {
    detail::SaveText(state());
    FAIL() << "no overflow";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), errc::kOverflow);
  }
  // The log's text has no such limit.
  EXPECT_EQ(detail::ContextText(state()).size(),
            std::string("<context></context>").size() + 32768 * Element("T", "I", 1, "v").size());
}

}  // namespace
}  // namespace tamrel::testing
