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

TEST(EscapingTest, FiveCharactersOnlyAndDecodingInOnePass) {
  for (const auto& [plain, encoded] : std::vector<std::pair<std::string, std::string>>{
           {"<&'\">", "&lt;&amp;&apos;&quot;&gt;"},
           {"&lt;&&", "&amp;lt;&amp;&amp;"},
           {std::string("a\r\n\tb\0c", 7), std::string("a\r\n\tb\0c", 7)}}) {
    EXPECT_EQ(Encoded(plain), encoded);
    EXPECT_EQ(Decoded(encoded), plain);
  }
  // An ampersand that begins none of the five references stays.
  EXPECT_EQ(Decoded("&amp;amp; &foo; &LT; &am x& &&lt;"), "&amp; &foo; &LT; &am x& &<");
  std::mt19937 random(7);
  const std::string alphabet = "&<>'\";altgqupos \r\nxA";
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (auto length = random() % 20; length > 0; --length) {
      text.push_back(alphabet[random() % alphabet.size()]);
    }
    ASSERT_EQ(Decoded(Encoded(text)), text);
  }
}

TEST(ContextTextTest, OneElementPerLineAndTheSameTextFromTheSaveBuffer) {
  auto context = std::make_shared<ContextCls>();
  detail::ContextState& state = detail::StateOf(*context);
  EXPECT_EQ(detail::SaveText(state), "<context></context>");
  Fill(*context, {{"Window", "Left", 1, "120"}, {"Recent", "File", 2, "a<b & c"},
                  {"T", "neg", -32768, "two\r\nlines"}});
  EXPECT_EQ(detail::SaveText(state),
            "<context><Window id=\"Left\" instance=\"1\">120</Window>\r\n"
            "<Recent id=\"File\" instance=\"2\">a&lt;b &amp; c</Recent>\r\n"
            "<T id=\"neg\" instance=\"-32768\">two\r\nlines</T>\r\n</context>");
  // Around the buffer's flush every 11 records (11, 12, 22, 23) and at the
  // 16-bit limit of the record count.
  std::string full;
  for (int count : {8, 1, 10, 1, 32744}) {
    for (int i = 0; i < count; ++i) Fill(*context, {{"T", std::to_string(i), i % 5, "v'"}});
    full = detail::SaveText(state);
    EXPECT_EQ(full, detail::ContextText(state)) << state.items.Count();
  }
  Fill(*context, {{"T", "I", 1, "v"}});
  try {
    detail::SaveText(state);
    ADD_FAILURE() << "no overflow at 32,768 records";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), errc::kOverflow);
  }
  // The log's text has no such limit.
  EXPECT_EQ(detail::ContextText(state),
            full.substr(0, full.size() - 10) + Element("T", "I", 1, "v") + "</context>");
}

}  // namespace
}  // namespace tamrel::testing
