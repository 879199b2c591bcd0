// The context text reader: the events it hands a sink, in order, and what a
// Load files of them (records, reports, instance repairs), for well-formed,
// nested, carried-over and failing texts; its plain-element pass and byte
// searches against plain ways of doing the same.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "persist/byte_search.hpp"
#include "persist/context_reader.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "persist_fixture.hpp"
#include "tamrel/error.hpp"
#include "tracing_sink.hpp"

namespace tamrel::testing {
namespace {

using detail::FindByte;
using detail::FindByteNoting;
using detail::FindThreeBytes;
using detail::HoldsByte;
using detail::PlainElements;

class ReaderTest : public PersistTest {
 protected:
  ReaderTest() { context_->SetApplicationContext(reentering_host_); }

  int32_t Decode(const std::string& text) { return testing::Decode(*context_, text); }

  // Decodes the file text of `records` as one Load does, without its line
  // breaks, into an empty store of a context named `name`.
  void Load(const std::string& name, const Records& records) {
    context_->Clear();
    context_->name(name);
    reentering_host_->ClearCalls();
    detail::StateOf(*context_).changed = false;
    std::string text = ContextFile(records);
    std::erase(text, '\r');
    std::erase(text, '\n');
    EXPECT_EQ(Decode(text), 0);
  }

  // The context's host, in place of the fixture's: host code can re-enter.
  std::shared_ptr<ReenteringHost> reentering_host_ = std::make_shared<ReenteringHost>();

  static std::string Mismatch(const std::string& id, int expected, int got,
                              const std::string& tag = "W") {
    return "ContextCls LOAD of ctx Tag: " + tag + " Id: " + id +
           " Expected Instance: " + std::to_string(expected) + " Got: " + std::to_string(got);
  }
};

// Each text as the reader hands it over (where `trace` is given) and as a
// Load files it; a text that fails is reported with its text, and nothing
// of it is filed.
TEST_F(ReaderTest, ElementForms) {
  const std::string kProcess = "Tamrel/ContextCls/ProcessXML";
  struct Case {
    std::string text;
    Trace trace;
    Records records;
    Reports reports = {};
    Texts details = {};  // of a text that fails, when not {"XML: " + text}
  } cases[] = {
      {"<context><A id=\"x\" instance=\"1\">v</A></context>",
       {"S context", "L ", "T context ", "S A", "A A id=x", "A A instance=1", "L ", "T A v", "E A",
        "E context"},
       {{"A", "x", 1, "v"}}},
      // The text before a nested "<" is the element's text; the look-ahead
      // shows what follows the element at its own level.
      {"<A>t<B>u</B></A> <C>w</C>",
       {"S A", "L <C>w</C>", "T A t", "S B", "L ", "T B u", "E B", "E A", "S C", "L ", "T C w",
        "E C"},
       {{"A", "", 1, "t"}, {"B", "", 1, "u"}, {"C", "", 1, "w"}}},
      // A bare name that ">" ends is reported, then carried into the first
      // attribute name of the next element at the same level ("i" + "d").
      {"<A i>v</A><B d=\"x\">w</B>",
       {"S A", "A A i=", "L <B d=\"x\">w</B>", "T A v", "E A", "S B", "A B id=x", "L ", "T B w",
        "E B"},
       {{"A", "", 1, "v"}, {"B", "x", 1, "w"}}},
      // A failure is told at every level, innermost first, then raised; the
      // outer level had read past its end tag: nothing was left to it.
      {"<A><B>x</A>",
       {"S A", "L ", "T A ", "S B", "F 5 <B>x", "F 5 ", "raised 5"},
       {{"A", "", 1, ""}},
       {},
       {"XML: <B>x", "XML: "}},
      {"<context><A id=\" a b>c\" instance=\"1\">&lt;&amp;lt;</A></context>",
       {},
       {{"A", "a b>c", 1, "<&lt;"}}},
      // An ampersand that begins none of the five references stays.
      {"<context><A>&amp;amp; &foo; &LT; &am x& &&lt;&apos;&quot;&gt;</A></context>",
       {},
       {{"A", "", 1, "&amp; &foo; &LT; &am x& &<'\">"}}},
      {"<context><A id=\"x\" instance=\"12abc\">v</A><B id=\"y\" "
       "instance=\"70000\">w</B></context>",
       {},
       {{"A", "x", 1, "v"}, {"B", "y", 1, "w"}},
       {{kProcess, errc::kTypeMismatch}, {kProcess, errc::kOverflow}}},
      {"<context><A id=\"x\" instance=\"1\">v</A>\r\n<B id=\"y\" inst", {}, {}, {}},
      {"<context></contex>", {}, {}, {}},
      {"plain text", {}, {}, {}},
      {"<A id=\"x>\" instance=\"1\"></A", {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    if (!c.trace.empty()) {
      EXPECT_EQ(TraceOf(c.text), c.trace);
    }
    context_->Clear();
    reentering_host_->ClearCalls();
    const int32_t raised = Decode(c.text);
    EXPECT_EQ(tamrel::Records(*context_), c.records);
    if (raised == 0) {
      EXPECT_EQ(reentering_host_->Errors(), c.reports);
      continue;
    }
    EXPECT_EQ(raised, errc::kInvalidArgument);
    // Each failed level is reported in full, with its text.
    const Texts details = c.details.empty() ? Texts{"XML: " + c.text} : c.details;
    EXPECT_EQ(reentering_host_->DetailLines(), details);
    Texts ops = reentering_host_->Ops(), reported;
    std::erase(ops, "WriteLog");
    for (std::size_t i = 0; i < details.size(); ++i) {
      reported.insert(reported.end(),
                      {"RegisterError", "WriteDetail", "HandleError", "GetErrorText"});
    }
    EXPECT_EQ(ops, reported);
  }
}

// How a Load numbers the instances of each pair; also when host code run
// from the first log line changes the store meanwhile (`act`), or the log
// line fails (`failing_log`): a pair's number stays with the pair.
TEST_F(ReaderTest, InstanceRepairs) {
  const std::string kCheck = "Tamrel/ContextCls/ValidateLoadItem";
  const Records reentered = {
      {"W", "x", 1, "a"}, {"W", "y", 2, "b"}, {"W", "x", 1, "c"}, {"W", "z", 1, "d"}};
  const Texts reentered_log = {Mismatch("y", 1, 2), Mismatch("x", 2, 1)};
  Records many;  // more pairs with "$" than the first table of them holds
  for (int16_t instance : {int16_t{1}, int16_t{2}})
    for (int i = 0; i < 40; ++i) many.push_back({"W$", "k" + std::to_string(i), instance, "v"});
  struct Case {
    const char* what;
    Records file, store;
    Texts log;
    std::optional<bool> changed;
    std::function<void()> act = nullptr;
    Reports errors = {};
    int32_t failing_log = 0;
  } cases[] = {
      // clang-format off
      {"gap pulled back (a number of two digits)", {{"W", "x", 1, "a"}, {"W", "x", 12, "b"}},
       {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}}, {Mismatch("x", 2, 12)}, true},
      {"repeat dropped, not a change", {{"W", "x", 1, "a"}, {"W", "x", 1, "b"}},
       {{"W", "x", 1, "a"}}, {Mismatch("x", 2, 1)}, false},
      {"instance 0 twice", {{"W", "x", 0, "a"}, {"W", "x", 0, "b"}},
       {{"W", "x", 1, "a"}}, {Mismatch("x", 1, 0), Mismatch("x", 2, 0)}, true},
      {"ShowText gap filled", {{"W", "ShowTextSep", 1, "a"}, {"W", "ShowTextSep", 3, "c"}},
       {{"W", "ShowTextSep", 1, "a"}, {"W", "ShowTextSep", 2, ""}, {"W", "ShowTextSep", 3, "c"}},
       {Mismatch("ShowTextSep", 2, 3)}, true},
      {"forty pairs with \"$\", each numbered 1 then 2", many, many, {}, false},
      {"repeat of Created dropped silently", {{"W", "Created", 1, "a"}, {"W", "Created", 1, "b"}},
       {{"W", "Created", 1, "a"}}, {}, false},
      {"pairs joined to the same text share a number",
       {{"W$", "x", 1, "a"}, {"W", "$x", 1, "b"}, {"W", "x", 1, "c"}},
       {{"W$", "x", 1, "a"}, {"W", "x", 1, "c"}}, {Mismatch("$x", 2, 1)}, false},
      {"Clear: x was numbered 1, its second 1 is a repeat", reentered,
       {{"W", "y", 1, "b"}, {"W", "z", 1, "d"}}, reentered_log, {}, [&] { context_->Clear(); }},
      {"Add renumbers x's records, not its number", reentered,
       {{"W", "x", 1, "n"}, {"W", "x", 2, "a"}, {"W", "y", 1, "b"}, {"W", "z", 1, "d"}},
       reentered_log, {}, [&] { context_->Add("W", "x", Variant("n")); }},
      {"CloneAdd of z numbers nothing", reentered,
       {{"W", "x", 1, "a"}, {"W", "z", 4, "n"}, {"W", "y", 1, "b"}, {"W", "z", 1, "d"}},
       reentered_log, {}, [&] { context_->CloneAdd("W", "z", "n", 4); }},
      // Element text sent by the host takes the record being checked: the
      // check and the append find it gone, and no empty record is filed.
      {"the host ends the record", {{"W", "x", 1, "a"}, {"W", "y", 2, "b"}, {"W", "z", 1, "d"}},
       {{"W", "x", 1, "a"}, {"W", "y", 1, "inner"}, {"W", "z", 1, "d"}},
       {Mismatch("y", 1, 2), Mismatch("y", 1, 2)}, {}, [&] { context_->ProcessXML(1, "W", "inner"); },
       {{kCheck, 91}, {"Tamrel/ContextCls/ProcessXML", 91}}},
      // A Load of its own (even of a missing file) ends the instance table
      // of the Load under way: the records after it enter unchecked.
      {"the host loads", {{"W$", "x", 1, "a"}, {"W$", "y", 2, "b"}, {"W$", "y", 5, "c"}},
       {{"W$", "x", 1, "a"}, {"W$", "y", 1, "b"}, {"W$", "y", 5, "c"}},
       {Mismatch("y", 1, 2, "W$")}, {}, [&] { context_->Load(dir_.Path("missing.tmc")); },
       {{kCheck, 91}, {kCheck, 91}}},
      {"a failing log line leaves the pair where it was",
       {{"W", "x", 1, "a"}, {"W", "x", 5, "b"}, {"W", "x", 2, "c"}},
       {{"W", "x", 1, "a"}, {"W", "x", 5, "b"}, {"W", "x", 2, "c"}},
       {Mismatch("x", 2, 5)}, {}, nullptr, {{kCheck, 5}}, 5},
      {"a pair whose first record failed its check has not been seen",
       {{"W", "x", 3, "a"}, {"W", "x", 1, "b"}}, {{"W", "x", 3, "a"}, {"W", "x", 1, "b"}},
       {Mismatch("x", 1, 3)}, {}, nullptr, {{kCheck, 5}}, 5},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    reentering_host_->act = c.act;
    reentering_host_->nth = 1;
    if (c.failing_log != 0) reentering_host_->FailOn("WriteLog", c.failing_log, 1);
    Load("ctx", c.file);
    EXPECT_EQ(tamrel::Records(*context_), c.store);
    EXPECT_EQ(reentering_host_->LogLines(), c.log);
    EXPECT_EQ(reentering_host_->Errors(), c.errors);
    if (c.changed) {
      EXPECT_EQ(context_->changed(), *c.changed);
    }
  }
}

TEST_F(ReaderTest, NewAlbumDefaultsLoseTheSeparatorMarksOfOlderVersions) {
  const Records file = {{"CAPTION", "showtextsep", 1, "a\\bb\\c"},
                        {"Caption", "ShowTextDesc", 1, "\\b"}};
  Load("NewAlbumDefaults", file);
  EXPECT_EQ(tamrel::Records(*context_), (Records{{"CAPTION", "showtextsep", 1, "ab"}, file[1]}));
  EXPECT_TRUE(context_->changed());
  Load("OtherDefaults", file);
  EXPECT_EQ(tamrel::Records(*context_), file);
  EXPECT_FALSE(context_->changed());
}

// Elements as Save writes them take a pass of their own; it must hand over
// what the general path hands over, also for texts that only nearly have
// that form, which it must leave to the general path: random texts over the
// characters that matter, each plain records, some with a few characters
// replaced or cut.
TEST(ReaderSinkTest, ThePlainElementPassAgreesWithTheGeneralPath) {
  const std::string written[] = {"<A id=\"x\" instance=\"1\">v</A>",
                                 "<Tag id=\"\">C:\\Data\\a.dat</Tag>",
                                 "<B id=\"  y\" instance=\"2\">a &amp; b</B>",
                                 "<C>text</C>",
                                 "<D id=\"x>y\" k=\"a=b c\">v</D>",
                                 "<E a=\"1\" b=\"2\" c=\"3\" d=\"4\" e=\"5\">v</E>"};
  const std::string alphabet = "<>/=\" Aaid";
  Picker pick(12345);
  for (int round = 0; round < 20000; ++round) {
    std::string text = pick.From(written);
    if (pick.Below(4) > 0) {
      const char* space = pick.Below(2) ? " " : "";
      text = "<context>" + (space + text + pick.From(written) + space) + "</context>";
    }
    for (std::size_t edits = pick.Below(4); edits > 0; --edits) {
      const std::size_t at = pick.Below(text.size());
      if (pick.Below(4) == 0) {
        text.erase(at, 1);
      } else {
        text[at] = alphabet[pick.Below(alphabet.size())];
      }
    }
    ASSERT_EQ(TraceOf(text, PlainElements::kOwnPass), TraceOf(text, PlainElements::kGeneralPath))
        << text;
  }
}

// The plain pass tells the sink which texts hold no "&", so that it need
// not look for references there; a "&" anywhere in the element, even
// outside its text, keeps the hint back.
TEST(ReaderSinkTest, ThePlainPassTellsOfTextsWithoutReferences) {
  const auto hints = [](std::string_view text) {
    TracingSink sink;
    detail::ReadContextText(text, sink);
    return sink.texts_without_references;
  };
  EXPECT_EQ(hints("<context><A id=\"x\" instance=\"1\">v</A><B id=\"y\">C:\\a b</B></context>"), 2);
  EXPECT_EQ(hints("<context><A id=\"x\">a &amp; b</A><A id=\"x&amp;\">v</A></context>"), 0);
  // A "&" past the end tag is the next text's (which the general path reads,
  // and B with it).
  EXPECT_EQ(hints("<context><A id=\"x\">v</A>&amp;<B id=\"y\">w</B></context>"), 1);
}

// The byte searches look at sixteen bytes at a time, at the last bytes in
// a block that overlaps the one before, and at a shorter text in two
// overlapping words: every length and place around those blocks and words
// must give what a plain search gives, with one byte or several looked for,
// high bytes among them.
TEST(FindByteTest, FindsWhatASearchByteByByteFinds) {
  const auto naive = [](std::string_view text, std::size_t from, std::string_view bytes) {
    const std::size_t at = text.find_first_of(bytes, from);
    return at == std::string_view::npos ? text.size() : at;
  };
  Picker pick(7);
  for (int round = 0; round < 20000; ++round) {
    std::string text(pick.Below(50), 'a');
    const std::size_t density = 2 + pick.Below(12);
    for (char& c : text) {
      if (pick.Below(density) == 0) c = "<\"& \x80/c$"[pick.Below(8)];
    }
    const std::size_t from = pick.Below(text.size() + 1);
    SCOPED_TRACE(::testing::Message() << '"' << text << "\" from " << from);
    ASSERT_EQ(FindByte<'<'>(text, from), naive(text, from, "<"));
    ASSERT_EQ((FindByte<'"', '<'>(text, from)), naive(text, from, "\"<"));
    ASSERT_EQ((FindByte<'&', '\x80'>(text, from)), naive(text, from, "&\x80"));
    for (const bool seen_before : {false, true}) {
      bool seen = seen_before;
      const std::size_t lt = FindByteNoting<'<', '&'>(text, from, seen);
      ASSERT_EQ(lt, naive(text, from, "<"));
      const bool amp_before_lt = text.substr(from, lt - from).find('&') != std::string::npos;
      ASSERT_EQ(seen, seen_before || amp_before_lt);
    }
    const std::string_view rest = std::string_view(text).substr(from);
    ASSERT_EQ(HoldsByte<'$'>(rest), rest.find('$') != std::string_view::npos);
    ASSERT_EQ((HoldsByte<'&', '\x80'>(rest)),
              rest.find_first_of("&\x80") != std::string_view::npos);
    const std::size_t end_tag = text.find("</c", from);
    ASSERT_EQ(FindThreeBytes(text, from, '<', '/', 'c'),
              end_tag == std::string::npos ? text.size() : end_tag);
  }
}

}  // namespace
}  // namespace tamrel::testing
