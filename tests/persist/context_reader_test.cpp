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

  Texts XmlDetails() const {
    Texts details;
    for (const std::string& line : host_->DetailLines()) {
      if (line.rfind("XML: ", 0) == 0) details.push_back(line);
    }
    return details;
  }
};

TEST_F(ReaderTest, ElementsAndAttributeForms) {
  const std::string kProcess = "Tamrel/ContextCls/ProcessXML";
  struct Case {
    std::string elements;
    Records records;
    Reports reports;
  } cases[] = {
      {"<A id=x instance=1>v</A>", {{"A", "x", 1, "v"}}, {}},
      {"<A id=\" a b>c\" instance=\"1\">&lt;&amp;lt;</A>", {{"A", "a b>c", 1, "<&lt;"}}, {}},
      {"<A version=\"3\" id=\"x\" instance=\"1\"></A>", {{"A", "x", 1, ""}}, {}},
      {"<A>plain</A>", {{"A", "", 1, "plain"}}, {}},  // instance 0, repaired to 1
      {"<A id=\"x\" instance=\" 2 \">v</A>", {{"A", "x", 1, "v"}}, {}},
      {"<A id=\"\" instance=\"2\">v</A><B id=\"y\" instance=\"1\">w</B>",
       {{"A", "", 1, "v"}, {"B", "y", 1, "w"}}, {}},
      {"<Context id=\"a\">v</Context><CONTEXT id=\"b\">w</CONTEXT>", {}, {}},
      {"<A id=\"p\" instance=\"1\">before<B id=\"c\" instance=\"1\">inner</B></A>",
       {{"A", "p", 1, "before"}, {"B", "c", 1, "inner"}}, {}},
      {"<A id=\"x\" instance=\"12abc\">v</A><B id=\"y\" instance=\"70000\">w</B>",
       {{"A", "x", 1, "v"}, {"B", "y", 1, "w"}},
       {{kProcess, errc::kTypeMismatch}, {kProcess, errc::kOverflow}}},
      {"<A id=\"x\">v</A>stray<B id=\"y\">w</B>",
       {{"A", "x", 1, "v"}, {"B", "y", 1, "w"}}, {{kProcess, errc::kObjectNotSet}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.elements);
    context_->Clear();
    host_->ClearCalls();
    EXPECT_EQ(Decode("<context>" + c.elements + "</context>"), 0);
    EXPECT_EQ(RecordsOf(*context_), c.records);
    EXPECT_EQ(host_->Errors(), c.reports);
  }
}

TEST_F(ReaderTest, CutOffTextIsReportedOnceAndAddsNothing) {
  const std::string text = "<context><A id=\"x\" instance=\"1\">v</A>\r\n<B id=\"y\" inst";
  EXPECT_EQ(Decode(text), errc::kInvalidArgument);
  EXPECT_TRUE(RecordsOf(*context_).empty());
  EXPECT_EQ(host_->Ops(), (Texts{"RegisterError", "WriteDetail", "HandleError", "GetErrorText"}));
  EXPECT_EQ(XmlDetails(), Texts{"XML: " + text});
}

TEST_F(ReaderTest, MissingInnerEndTagKeepsEarlierRecordsAndReportsEachLevel) {
  EXPECT_EQ(Decode("<context><A id=\"a\" instance=\"1\">1</A><C id=\"c\" instance=\"1\">3</context>"
                   "  tail "),
            errc::kInvalidArgument);
  EXPECT_EQ(RecordsOf(*context_), (Records{{"A", "a", 1, "1"}}));
  EXPECT_EQ(host_->Ops(), (Texts{"RegisterError", "WriteDetail", "HandleError", "GetErrorText",
                                 "RegisterError", "WriteDetail", "HandleError", "GetErrorText"}));
  EXPECT_EQ(XmlDetails(), (Texts{"XML: <C id=\"c\" instance=\"1\">3", "XML: tail"}));
  for (const HostCall& call : host_->CallsOf("RegisterError")) {
    EXPECT_EQ(call.args, (Texts{"Tamrel/ContextCls/DecodeXML", "Initialize"}));
    EXPECT_EQ(call.error.number, errc::kInvalidArgument);
  }
  EXPECT_EQ(host_->CallsOf("HandleError")[0].args, (Texts{"False", "False", "False"}));
}

TEST_F(ReaderTest, MalformedAndTooDeepTextsFail) {
  for (const char* text : {"<context", "<context></contex>", "<context><A>v</A>junk</context>x",
                           "plain text", "<A id=\"x>\" instance=\"1\"></A"}) {
    EXPECT_EQ(Decode(text), errc::kInvalidArgument) << text;
  }
  std::string open;
  std::string close;
  for (int i = 0; i < 2000; ++i) {
    open += "<e" + std::to_string(i) + ">x";
    close = "</e" + std::to_string(i) + ">" + close;
  }
  EXPECT_EQ(Decode(open + close), 28);  // out of stack space, not a crash
}

TEST_F(ReaderTest, ElementsWithoutSpacesDecodeInLinearTime) {
  // A reader that looks for the next space from the start of the remaining
  // text on every element needs minutes for this.
  std::string text = "<context>";
  for (int i = 0; i < 200000; ++i) text += "<a>x</a>";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Decode(text + "</context>"), 0);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 20.0);
  EXPECT_EQ(RecordsOf(*context_).size(), 1u);  // the rest repeat instance 0
}

}  // namespace
}  // namespace tamrel::testing
