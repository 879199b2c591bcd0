// log and LogContextFile: the context written to the host's log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "persist/context_log.hpp"
#include "persist_fixture.hpp"

namespace tamrel::testing {
namespace {

class ContextLogTest : public PersistTest {
 protected:
  std::vector<std::string> LogFile(const std::string& text) {
    host_->ClearCalls();
    detail::LogContextFile(detail::StateOf(*context_), "F.tmc", text);
    return host_->LogLines();
  }

  // A text of exactly `length` characters made of one element per 30
  // characters or so, ending with an end tag.
  static std::string TextOfLength(std::size_t length) {
    std::string text = "<context>";
    const std::string element = Element("Tag", "Id", 1, "value");
    while (text.size() + element.size() + 10 <= length) text += element;
    text += std::string(length - text.size() - 10, 'v') + "</context>";
    return text;
  }
};

TEST_F(ContextLogTest, LogWritesTheWholeStoreOnOneLine) {
  context_->log("CALIBRATION");
  Fill(*context_, {{"A", "a", 1, "x"}, {"B", "b", 2, "two\r\nlines"}, {"C", "c", 1, "<"}});
  context_->log("Start");
  EXPECT_EQ(host_->LogLines(),
            (std::vector<std::string>{
                "Context log: CALIBRATION <context></context>",
                "Context log: Start <context><A id=\"a\" instance=\"1\">x</A>~"
                "<B id=\"b\" instance=\"2\">two~lines</B>~<C id=\"c\" instance=\"1\">&lt;</C>~"
                "</context>"}));
}

TEST_F(ContextLogTest, CalibrationLabelCutsAt200AndOtherLabelsNever) {
  std::vector<Record> records(400, Record{"Tag", "Id", 1, "value"});
  Fill(*context_, records);
  context_->log("CALIBRATION");
  context_->log("calibration");
  std::vector<std::string> lines = host_->LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), std::string("Context log: CALIBRATION ").size() + 200);
  EXPECT_GT(lines[1].size(), 400u * 30u);
  EXPECT_EQ(lines[0].substr(26, 50), lines[1].substr(26, 50));
}

TEST_F(ContextLogTest, FileTextIsCutAfterTheLastEndTagOfEachWindow) {
  for (std::size_t length : {std::size_t{15001}, std::size_t{15002}, std::size_t{40000}}) {
    const std::string text = TextOfLength(length);
    ASSERT_EQ(text.size(), length);
    std::vector<std::string> lines = LogFile(text);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("Context log: F.tmc ", 0), 0u);
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::string chunk = i == 0 ? lines[i].substr(19) : lines[i];
      if (i + 1 < lines.size()) {
        EXPECT_EQ(chunk.back(), '>') << length << " line " << i;
        EXPECT_NE(chunk.rfind("</"), std::string::npos);
      }
      joined += chunk;
    }
    std::string shown;
    detail::AppendCrLfShown(shown, text);
    EXPECT_EQ(joined, shown) << length;
    EXPECT_EQ(lines.size(), length == 15001 ? 1u : length == 15002 ? 2u : 3u) << length;
  }
}

TEST_F(ContextLogTest, WindowWithoutANewEndTagEndsWithTheRestOnOneLine) {
  // One value longer than the window: the first line ends after "<context>"
  // (no end tag in the first window), the next window holds no new end tag.
  const std::string text =
      "<context>" + Element("Big", "x", 1, std::string(40000, 'v')) + Element("S", "y", 1, "w") +
      "</context>";
  std::vector<std::string> lines = LogFile(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Context log: F.tmc <context>");
  std::string rest;
  detail::AppendCrLfShown(rest, text.substr(9));
  EXPECT_EQ(lines[1], rest);
}

TEST_F(ContextLogTest, FailureIsWrittenToTheLogOnly) {
  host_->FailOn("WriteLog", 70, 1);
  std::vector<std::string> written = LogFile("<context>\r\n</context>");
  ASSERT_EQ(written.size(), 3u);  // the line that failed, the error line, the whole text
  EXPECT_EQ(written[1],
            "Tamrel/ContextCls/LogContextFile Error: 70 Line: 0 RecordingHost: WriteLog failed "
            "on purpose");
  EXPECT_EQ(written[2], "Context log: F.tmc <context>~</context>");
  EXPECT_TRUE(host_->Errors().empty());
}

}  // namespace
}  // namespace tamrel::testing
