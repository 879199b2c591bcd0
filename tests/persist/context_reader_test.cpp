// Decoding context text: records, reports and instance repairs; then the
// instance table a Load keeps for pairs its file cannot number.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "persist/context_reader.hpp"
#include "persist/load_instances.hpp"
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

  // Decodes the file text of `records` as one Load does, without its line
  // breaks, into an empty store of a context named `name`.
  void Load(const std::string& name, const Records& records) {
    context_->Clear();
    context_->name(name);
    host_->ClearCalls();
    detail::StateOf(*context_).changed = false;
    std::string text = ContextFile(records);
    std::erase(text, '\r');
    std::erase(text, '\n');
    EXPECT_EQ(Decode(text), 0);
  }

  static std::string Mismatch(const std::string& id, int expected, int got) {
    return "ContextCls LOAD of ctx Tag: W Id: " + id +
           " Expected Instance: " + std::to_string(expected) + " Got: " + std::to_string(got);
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
      // An ampersand that begins none of the five references stays.
      {"<A>&amp;amp; &foo; &LT; &am x& &&lt;&apos;&quot;&gt;</A>",
       {{"A", "", 1, "&amp; &foo; &LT; &am x& &<'\">"}}, {}},
      {"<Context id=\"a\">v</Context><CONTEXT id=\"b\">w</CONTEXT>", {}, {}},
      {"<A id=\"p\" instance=\"1\">before<B id=\"c\" instance=\"1\">inner</B></A>",
       {{"A", "p", 1, "before"}, {"B", "c", 1, "inner"}}, {}},
      {"<A id=\"x\" instance=\"12abc\">v</A><B id=\"y\" instance=\"70000\">w</B>",
       {{"A", "x", 1, "v"}, {"B", "y", 1, "w"}},
       {{kProcess, errc::kTypeMismatch}, {kProcess, errc::kOverflow}}},
      {"<A id=\"x\">v</A>stray<B id=\"y\">w</B>", {{"A", "x", 1, "v"}, {"B", "y", 1, "w"}},
       {{kProcess, errc::kObjectNotSet}}},
  };
  for (const Case& c : cases) {
    context_->Clear();
    host_->ClearCalls();
    EXPECT_EQ(Decode(ContextFile(c.elements)), 0) << c.elements;
    EXPECT_EQ(RecordsOf(*context_), c.records) << c.elements;
    EXPECT_EQ(host_->Errors(), c.reports) << c.elements;
  }
}

TEST_F(ReaderTest, CutOffTextIsReportedOnceAndDamageInsideByEachLevel) {
  const std::string text = "<context><A id=\"x\" instance=\"1\">v</A>\r\n<B id=\"y\" inst";
  EXPECT_EQ(Decode(text), errc::kInvalidArgument);
  EXPECT_TRUE(RecordsOf(*context_).empty());
  EXPECT_EQ(host_->Ops(), (Texts{"RegisterError", "WriteDetail", "HandleError", "GetErrorText"}));
  EXPECT_EQ(host_->DetailLines(), Texts{"XML: " + text});
  EXPECT_EQ(host_->calls()[0].args, (Texts{"Tamrel/ContextCls/DecodeXML", "Initialize"}));
  EXPECT_EQ(host_->calls()[2].args, (Texts{"False", "False", "False"}));
  // A missing inner end tag: the records before it stay, each level reports.
  host_->ClearCalls();
  EXPECT_EQ(Decode("<context><A id=\"a\" instance=\"1\">1</A><C id=\"c\" instance=\"1\">3</context>"
                   "  tail "),
            errc::kInvalidArgument);
  EXPECT_EQ(RecordsOf(*context_), (Records{{"A", "a", 1, "1"}}));
  EXPECT_EQ(host_->DetailLines(), (Texts{"XML: <C id=\"c\" instance=\"1\">3", "XML: tail"}));
  EXPECT_EQ(host_->Ops().size(), 8u);
}

TEST_F(ReaderTest, MalformedAndTooDeepTextsFail) {
  for (const char* text : {"<context></contex>", "plain text", "<A id=\"x>\" instance=\"1\"></A"}) {
    EXPECT_EQ(Decode(text), errc::kInvalidArgument) << text;
  }
  std::string open, close;
  for (int i = 0; i < 2000; ++i) {
    open += "<e" + std::to_string(i) + ">x";
    close = "</e" + std::to_string(i) + ">" + close;
  }
  EXPECT_EQ(Decode(open + close), 28);  // out of stack space, not a crash
}

TEST_F(ReaderTest, InstanceRepairs) {
  struct Case {
    const char* what;
    Records file, store;
    Texts log;
    bool changed;
  } cases[] = {
      {"gap pulled back", {{"W", "x", 1, "a"}, {"W", "x", 3, "b"}},
       {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}}, {Mismatch("x", 2, 3)}, true},
      {"ShowText gap filled", {{"W", "ShowTextSep", 1, "a"}, {"W", "ShowTextSep", 3, "c"}},
       {{"W", "ShowTextSep", 1, "a"}, {"W", "ShowTextSep", 2, ""}, {"W", "ShowTextSep", 3, "c"}},
       {Mismatch("ShowTextSep", 2, 3)}, true},
      {"repeat dropped, not a change", {{"W", "x", 1, "a"}, {"W", "x", 1, "b"}},
       {{"W", "x", 1, "a"}}, {Mismatch("x", 2, 1)}, false},
      {"repeat of Created dropped silently", {{"W", "Created", 1, "a"}, {"W", "Created", 1, "b"}},
       {{"W", "Created", 1, "a"}}, {}, false},
      {"ShowText record at 0 kept", {{"W", "ShowTextInd", 0, "a"}, {"W", "ShowTextInd", 1, "b"}},
       {{"W", "ShowTextInd", 0, "a"}, {"W", "ShowTextInd", 1, "b"}},
       {Mismatch("ShowTextInd", 1, 0)}, true},
      {"instance 0 twice", {{"W", "x", 0, "a"}, {"W", "x", 0, "b"}}, {{"W", "x", 1, "a"}},
       {Mismatch("x", 1, 0), Mismatch("x", 2, 0)}, true},
      {"case-sensitive pairs", {{"W", "x", 1, "a"}, {"W", "X", 1, "b"}, {"w", "x", 1, "c"}},
       {{"W", "x", 1, "a"}, {"W", "X", 1, "b"}, {"w", "x", 1, "c"}}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Load("ctx", c.file);
    EXPECT_EQ(RecordsOf(*context_), c.store);
    EXPECT_EQ(host_->LogLines(), c.log);
    EXPECT_EQ(context_->changed(), c.changed);
  }
}

TEST_F(ReaderTest, NewAlbumDefaultsSeparatorLosesItsMarks) {
  struct Case {
    std::string context_name, tag, id, value, kept;
  } cases[] = {
      {"NewAlbumDefaults", "Caption", "ShowTextSep", " \\b- \\c", " - "},
      {"NewAlbumDefaults", "CAPTION", "showtextsep", "\\b\\c\\B", "\\B"},
      {"newalbumdefaults", "Caption", "ShowTextSep", " \\b- \\c", " \\b- \\c"},
      {"NewAlbumDefaults", "Title", "ShowTextSep", " \\b- \\c", " \\b- \\c"},
  };
  for (const Case& c : cases) {
    Load(c.context_name, {{c.tag, c.id, 1, c.value}});
    EXPECT_EQ(RecordsOf(*context_), (Records{{c.tag, c.id, 1, c.kept}})) << c.value;
    EXPECT_EQ(context_->changed(), c.kept != c.value) << c.value;
  }
}

using detail::ContextItem;
using detail::LoadInstances;
using detail::TagStore;

// What Check hands to its decision for (tag, id); the record is then filed
// with `reaches` (none: dropped).
std::optional<int32_t> Checked(LoadInstances& seen, TagStore& items, const char* tag,
                               const char* id, std::optional<int32_t> reaches = std::nullopt) {
  std::optional<int32_t> given;
  seen.Check(items, tag, id, [&](std::optional<int32_t> reached) {
    given = reached;
    return reaches;
  });
  return given;
}

TEST(LoadInstancesTest, PairsWithADollarKeepTheirJoinedTextNumberThroughGrowth) {
  TagStore items;
  LoadInstances seen;
  EXPECT_EQ(Checked(seen, items, "a$", "b", 3), std::nullopt);
  items.PushBack(ContextItem{"a$", "b", 3, "", ""});
  items.PushBack(ContextItem{"a", "b", 5, "", ""});
  EXPECT_EQ(Checked(seen, items, "a", "$b"), 3);  // "a$$$b" either way; dropped
  EXPECT_EQ(Checked(seen, items, "a", "b"), 5);
  EXPECT_EQ(Checked(seen, items, "a", "$b", 4), 3);
  EXPECT_EQ(Checked(seen, items, "a$", "b"), 4);
  EXPECT_EQ(Checked(seen, items, "a$$b", "c", 9), std::nullopt);
  EXPECT_EQ(Checked(seen, items, "a", "b$$c"), 9);  // "a$$b$$c" either way
  EXPECT_EQ(Checked(seen, items, "a$", "$b$$c"), std::nullopt);  // "a$$$$$b$$c"
  for (int i = 0; i < 6000; ++i) {  // each pair twice, after all of them were filed
    const std::string id = "$" + std::to_string(i % 3000);
    ASSERT_EQ(Checked(seen, items, "T", id.c_str(), i - 7), i < 3000 ? std::nullopt
                                                                     : std::optional(i - 3007))
        << i;
  }
  EXPECT_EQ(Checked(seen, items, "a$", "b"), 4);
}

}  // namespace
}  // namespace tamrel::testing
