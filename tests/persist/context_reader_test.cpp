// DecodeXML and ProcessXML: what a text gives in the store and in the host's
// reports.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "persist/context_reader.hpp"
#include "persist_fixture.hpp"
#include "tamrel/error.hpp"

namespace tamrel::testing {
namespace {

class ReaderTest : public PersistTest {
 protected:
  // Decodes `text` as Load does; the error number that reached the caller,
  // 0 when none.
  int32_t Decode(const std::string& text) {
    detail::ContextState& state = detail::StateOf(*context_);
    state.load_instances.emplace();
    int32_t number = 0;
    try {
      detail::DecodeXML(*context_, text);
    } catch (const Error& error) {
      number = error.number();
    }
    state.load_instances.reset();
    return number;
  }

  std::vector<std::string> DecodeXMLDetails() const {
    std::vector<std::string> details;
    for (const std::string& line : host_->DetailLines()) {
      if (line.rfind("XML: ", 0) == 0) details.push_back(line);
    }
    return details;
  }
};

TEST_F(ReaderTest, AttributeForms) {
  struct Case {
    std::string element;
    Record record;
  } cases[] = {
      {"<A id=\"x\" instance=\"1\">v</A>", {"A", "x", 1, "v"}},
      {"<A id=x instance=1>v</A>", {"A", "x", 1, "v"}},
      {"<A id=\"a b>c\" instance=\"1\">v</A>", {"A", "a b>c", 1, "v"}},
      {"<A id=\" lead\" instance=\"1\">v</A>", {"A", "lead", 1, "v"}},
      {"<A version=\"3\" id=\"x\" instance=\"1\">v</A>", {"A", "x", 1, "v"}},
      {"<A id=x>v</A>", {"A", "x", 1, "v"}},         // no instance: 0, repaired to 1
      {"<A instance=\"1\">v</A>", {"A", "", 1, "v"}},  // no id: empty id
      {"<A id=\"\" instance=\"1\">v</A>", {"A", "", 1, "v"}},  // empty quoted value
      {"<A id=\"x\" instance=\" 2 \">v</A>", {"A", "x", 1, "v"}},
      {"<A>plain</A>", {"A", "", 1, "plain"}},
      {"<A id=\"x\" instance=\"1\"></A>", {"A", "x", 1, ""}},
      {"<A id=\"x\" instance=\"1\">&lt;&amp;lt;</A>", {"A", "x", 1, "<&lt;"}},
  };
  for (const Case& c : cases) {
    context_->Clear();
    EXPECT_EQ(Decode("<context>" + c.element + "</context>"), 0) << c.element;
    EXPECT_EQ(RecordsOf(*context_), std::vector<Record>{c.record}) << c.element;
  }
}

TEST_F(ReaderTest, EmptyQuotedValueEndsAtItsClosingQuote) {
  EXPECT_EQ(Decode("<context><A id=\"\" instance=\"2\">v</A><B id=\"y\" instance=\"1\">w</B>"
                   "</context>"),
            0);
  EXPECT_EQ(RecordsOf(*context_),
            (std::vector<Record>{{"A", "", 1, "v"}, {"B", "y", 1, "w"}}));
}

TEST_F(ReaderTest, RootElementInAnyCaseNeverReachesTheStore) {
  EXPECT_EQ(Decode("<context></context>"), 0);
  EXPECT_EQ(Decode("<context><Context id=\"a\" instance=\"1\">v</Context>"
                   "<CONTEXT id=\"b\" instance=\"1\">w</CONTEXT></context>"),
            0);
  EXPECT_TRUE(RecordsOf(*context_).empty());
  EXPECT_TRUE(host_->calls().empty());
}

TEST_F(ReaderTest, NestedElementBecomesARecordAfterItsParent) {
  EXPECT_EQ(Decode("<context><A id=\"p\" instance=\"1\">before<B id=\"c\" instance=\"1\">inner</B>"
                   "</A></context>"),
            0);
  EXPECT_EQ(RecordsOf(*context_),
            (std::vector<Record>{{"A", "p", 1, "before"}, {"B", "c", 1, "inner"}}));
}

TEST_F(ReaderTest, BadInstanceIsReportedAndTheRecordGoesOn) {
  EXPECT_EQ(Decode("<context><A id=\"x\" instance=\"12abc\">v</A>"
                   "<B id=\"y\" instance=\"70000\">w</B></context>"),
            0);
  EXPECT_EQ(host_->Errors(),
            (std::vector<std::pair<std::string, int32_t>>{
                {"Tamrel/ContextCls/ProcessXML", errc::kTypeMismatch},
                {"Tamrel/ContextCls/ProcessXML", errc::kOverflow}}));
  EXPECT_EQ(RecordsOf(*context_),
            (std::vector<Record>{{"A", "x", 1, "v"}, {"B", "y", 1, "w"}}));
}

TEST_F(ReaderTest, TextBetweenElementsIsAnOrphanElementText) {
  EXPECT_EQ(Decode("<context><A id=\"x\" instance=\"1\">v</A>stray<B id=\"y\" instance=\"1\">w</B>"
                   "</context>"),
            0);
  EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                 {"Tamrel/ContextCls/ProcessXML", errc::kObjectNotSet}}));
  EXPECT_EQ(RecordsOf(*context_).size(), 2u);
}

TEST_F(ReaderTest, CutOffTextFailsBeforeAnyRecord) {
  const std::string text = "<context><A id=\"x\" instance=\"1\">v</A>\r\n<B id=\"y\" inst";
  EXPECT_EQ(Decode(text), errc::kInvalidArgument);
  EXPECT_TRUE(RecordsOf(*context_).empty());
  // The root's end tag is looked for first: one report, by the outer level.
  EXPECT_EQ(host_->Ops(), (std::vector<std::string>{"RegisterError", "WriteDetail",
                                                    "HandleError", "GetErrorText"}));
  EXPECT_EQ(DecodeXMLDetails(), std::vector<std::string>{"XML: " + text});
}

TEST_F(ReaderTest, MissingInnerEndTagKeepsEarlierRecordsAndReportsEachLevel) {
  const std::string text =
      "<context><A id=\"a\" instance=\"1\">1</A><B id=\"b\" instance=\"1\">2</B>"
      "<C id=\"c\" instance=\"1\">3</context>  tail ";
  EXPECT_EQ(Decode(text), errc::kInvalidArgument);
  EXPECT_EQ(RecordsOf(*context_),
            (std::vector<Record>{{"A", "a", 1, "1"}, {"B", "b", 1, "2"}}));
  EXPECT_EQ(host_->Ops(),
            (std::vector<std::string>{"RegisterError", "WriteDetail", "HandleError",
                                      "GetErrorText", "RegisterError", "WriteDetail",
                                      "HandleError", "GetErrorText"}));
  EXPECT_EQ(DecodeXMLDetails(), (std::vector<std::string>{"XML: <C id=\"c\" instance=\"1\">3",
                                                          "XML: tail"}));
  for (const HostCall& call : host_->CallsOf("RegisterError")) {
    EXPECT_EQ(call.args, (std::vector<std::string>{"Tamrel/ContextCls/DecodeXML", "Initialize"}));
    EXPECT_EQ(call.error.number, errc::kInvalidArgument);
  }
  for (const HostCall& call : host_->CallsOf("HandleError")) {
    EXPECT_EQ(call.args, (std::vector<std::string>{"False", "False", "False"}));
  }
}

TEST_F(ReaderTest, MalformedTextsFailWithInvalidArgument) {
  const char* texts[] = {
      "<context",                       // no ">" at all: no name can be cut
      "<context></contex>",            // wrong end tag
      "<context><A id=\"x\" instance=\"1\">v</A>junk</context>x",  // trailing junk
      "plain text",                    // no tag
      "<A id=\"x>\" instance=\"1\"></A",  // quoted ">" swallows the start tag's end
  };
  for (const char* text : texts) {
    host_->ClearCalls();
    EXPECT_EQ(Decode(text), errc::kInvalidArgument) << text;
    EXPECT_FALSE(DecodeXMLDetails().empty()) << text;
  }
}

TEST_F(ReaderTest, DeepNestingFailsInsteadOfExhaustingTheStack) {
  std::string open;
  std::string close;
  for (int i = 0; i < 2000; ++i) {
    open += "<e" + std::to_string(i) + ">x";
    close = "</e" + std::to_string(i) + ">" + close;
  }
  EXPECT_EQ(Decode(open + close), 28);
}

TEST_F(ReaderTest, ElementsWithoutSpacesDecodeInLinearTime) {
  // A reader that looks for the next space from the start of the remaining
  // text on every element needs minutes for this.
  std::string text = "<context>";
  for (int i = 0; i < 200000; ++i) text += "<a>x</a>";
  text += "</context>";
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Decode(text), 0);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(RecordsOf(*context_).size(), 1u);  // one pair, the rest repeats instance 0
  EXPECT_LT(seconds, 20.0);
}

}  // namespace
}  // namespace tamrel::testing
