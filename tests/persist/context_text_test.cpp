// The context file text, the escaping of values, and the context written
// to the host's log (log and LogContextFile).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "persist/context_log.hpp"
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

TEST(ContextTextTest, SaveBufferGivesThePlainTextUpTo32767Records) {
  auto context = std::make_shared<ContextCls>();
  detail::ContextState& state = detail::StateOf(*context);
  EXPECT_EQ(detail::SaveText(state), "<context></context>");
  // Around the buffer's flush every 11 records (11, 12, 22, 23) and at the
  // 16-bit limit of the record count.
  std::string full;
  for (int count : {11, 1, 10, 1, 32744}) {
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

class ContextLogTest : public PersistTest {
 protected:
  Texts LogFile(const std::string& text) {
    host_->ClearCalls();
    detail::LogContextFile(detail::StateOf(*context_), "F.tmc", text);
    return host_->LogLines();
  }
};

TEST_F(ContextLogTest, LogWritesTheStoreOnOneLineAndCutsOnlyCalibrationAt200) {
  Fill(*context_, {{"A", "a", 1, "x"}, {"B", "b", -32768, "two\r\nlines"}, {"C", "c", 1, "<"}});
  context_->log("Start");
  EXPECT_EQ(host_->LogLines(),
            Texts{"Context log: Start <context><A id=\"a\" instance=\"1\">x</A>~<B id=\"b\" "
                  "instance=\"-32768\">two~lines</B>~<C id=\"c\" instance=\"1\">&lt;</C>~"
                  "</context>"});
  Fill(*context_, Records(400, Record{"Tag", "Id", 1, "value"}));
  context_->log("CALIBRATION");
  context_->log("calibration");
  const Texts lines = host_->LogLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "Context log: CALIBRATION " + lines[2].substr(25, 200));
  EXPECT_GT(lines[2].size(), 400u * 30u);
}

TEST_F(ContextLogTest, FileTextIsCutAfterTheLastEndTagOfEachWindow) {
  // 15001 characters fit the first line, 15002 do not.
  for (std::size_t length : {std::size_t{15001}, std::size_t{15002}, std::size_t{40000}}) {
    SCOPED_TRACE(length);
    std::string text = "<context>";
    while (text.size() + 49 <= length) text += Element("Tag", "Id", 1, "value");
    text += std::string(length - text.size() - 10, 'v') + "</context>";
    const Texts lines = LogFile(text);
    ASSERT_EQ(lines.size(), length == 15001 ? 1u : length == 15002 ? 2u : 3u);
    ASSERT_EQ(lines[0].rfind("Context log: F.tmc <context>", 0), 0u);
    std::string joined = lines[0].substr(19);
    for (std::size_t i = 1; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i - 1].back(), '>');  // each line but the last ends after an end tag
      joined += lines[i];
    }
    std::string shown;
    detail::AppendCrLfShown(shown, text);
    EXPECT_EQ(joined, shown);
  }
  // No end tag in a window: the rest goes on one line.
  const std::string big = ContextFile(Element("B", "x", 1, std::string(40000, 'v')) + "<S>w</S>");
  std::string rest;
  detail::AppendCrLfShown(rest, big.substr(9));
  EXPECT_EQ(LogFile(big), (Texts{"Context log: F.tmc <context>", rest}));
}

TEST_F(ContextLogTest, FailureIsWrittenToTheLogOnly) {
  host_->FailOn("WriteLog", 70, 1);
  EXPECT_EQ(LogFile("<context>\r\n</context>"),
            (Texts{"Context log: F.tmc <context>~</context>",  // the line that failed
                   "Tamrel/ContextCls/LogContextFile Error: 70 Line: 0 RecordingHost: WriteLog "
                   "failed on purpose",
                   "Context log: F.tmc <context>~</context>"}));
  EXPECT_TRUE(host_->Errors().empty());
}

}  // namespace
}  // namespace tamrel::testing
