// The reader on its own: what it hands a sink, in order, for well-formed,
// nested, carried-over and failing texts.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "persist/byte_search.hpp"
#include "persist/context_reader.hpp"
#include "persist_fixture.hpp"
#include "tamrel/error.hpp"

namespace tamrel::detail {
namespace {

// Writes each event as one short line: "S A", "A A id=x", "T A v", "E A",
// "L <next>", "F 5 <rest>".
class TracingSink final : public ReaderSink {
 public:
  void StartTag(std::string_view element) override { Add("S ", element); }
  void Attribute(std::string_view element, std::string_view name, std::string_view value) override {
    Add("A ", std::string(element) + " " + std::string(name) + "=" + std::string(value));
  }
  void ElementText(std::string_view element, std::string_view text,
                   References references) override {
    Add("T ", std::string(element) + " " + std::string(text));
    if (references == References::kNone) {
      ++texts_without_references;
      // A wrong hint would leave a reference undecoded: it fails the trace.
      if (text.find('&') != std::string_view::npos) Add("wrong hint ", text);
    }
  }
  void EndTag(std::string_view element) override { Add("E ", element); }
  void LookAhead(std::string_view next) override { Add("L ", next); }
  void LevelFailed(const Error& failure, std::string_view rest) override {
    Add("F ", std::to_string(failure.number()) + " " + std::string(rest));
  }

  std::vector<std::string> trace;
  int texts_without_references = 0;

 private:
  void Add(const char* kind, std::string_view text) { trace.push_back(kind + std::string(text)); }
};

using Trace = std::vector<std::string>;

// The events and the error number of reading `text` in one of the modes.
Trace TraceOf(std::string_view text, PlainElements plain = PlainElements::kOwnPass) {
  TracingSink sink;
  try {
    ReadContextText(text, sink, plain);
  } catch (const Error& error) {
    sink.trace.push_back("raised " + std::to_string(error.number()));
  }
  return sink.trace;
}

TEST(ReaderSinkTest, EventsInTheOrderTheTextGivesThem) {
  struct Case {
    std::string text;
    Trace trace;
  } cases[] = {
      {"<context><A id=\"x\" instance=\"1\">v</A></context>",
       {"S context", "L ", "T context ", "S A", "A A id=x", "A A instance=1", "L ", "T A v", "E A",
        "E context"}},
      // The text before a nested "<" is the element's text; the look-ahead
      // shows what follows the element at its own level.
      {"<A>t<B>u</B></A> <C>w</C>",
       {"S A", "L <C>w</C>", "T A t", "S B", "L ", "T B u", "E B", "E A", "S C", "L ", "T C w",
        "E C"}},
      // A bare name that ">" ends is reported, then carried into the first
      // attribute name of the next element at the same level.
      {"<A i>v</A><B d=\"x\">w</B>",
       {"S A", "A A i=", "L <B d=\"x\">w</B>", "T A v", "E A", "S B", "A B id=x", "L ", "T B w",
        "E B"}},
      // A failure is told at every level, innermost first, then raised; the
      // outer level had read past its end tag: nothing was left to it.
      {"<A><B>x</A>", {"S A", "L ", "T A ", "S B", "F 5 <B>x", "F 5 ", "raised 5"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TraceOf(c.text), c.trace) << c.text;
  }
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
  testing::Picker pick(12345);
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
    ReadContextText(text, sink);
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
  testing::Picker pick(7);
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
}  // namespace tamrel::detail
