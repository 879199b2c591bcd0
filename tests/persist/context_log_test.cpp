// The context written to the host's log (log and LogContextFile).
#include <gtest/gtest.h>

#include <string>

#include "persist/context_log.hpp"
#include "persist/context_text.hpp"
#include "persist_fixture.hpp"

namespace tamrel::testing {
namespace {

class ContextLogTest : public PersistTest {
 protected:
  Texts LogFile(const std::string& text) {
    host_->ClearCalls();
    detail::LogContextFile(detail::StateOf(*context_), "F.tmc", text);
    return host_->LogLines();
  }
};

TEST_F(ContextLogTest, FileTextIsCutAfterTheLastEndTagOfEachWindow) {
  // 15001 characters fit the first line.
  for (auto [length, count] :
       {std::pair<std::size_t, std::size_t>{15001, 1}, {15002, 2}, {40000, 3}}) {
    SCOPED_TRACE(length);
    std::string text = "<context>";
    while (text.size() + 49 <= length) text += Element("Tag", "Id", 1, "value");
    text += std::string(length - text.size() - 10, 'v') + "</context>";
    const Texts lines = LogFile(text);
    ASSERT_EQ(lines.size(), count);
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
}

}  // namespace
}  // namespace tamrel::testing
