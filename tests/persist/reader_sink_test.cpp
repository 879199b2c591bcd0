// The reader on its own: what it hands a sink, in order, for well-formed,
// nested, carried-over and failing texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "persist/byte_search.hpp"
#include "persist/context_reader.hpp"
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
  void ElementText(std::string_view element, std::string_view text) override {
    Add("T ", std::string(element) + " " + std::string(text));
  }
  void EndTag(std::string_view element) override { Add("E ", element); }
  void LookAhead(std::string_view next) override { Add("L ", next); }
  void LevelFailed(const Error& failure, std::string_view rest) override {
    Add("F ", std::to_string(failure.number()) + " " + std::string(rest));
  }

  std::vector<std::string> trace;

 private:
  void Add(const char* kind, std::string_view text) { trace.push_back(kind + std::string(text)); }
};

using Trace = std::vector<std::string>;

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
  };
  for (const Case& c : cases) {
    TracingSink sink;
    ReadContextText(c.text, sink);
    EXPECT_EQ(sink.trace, c.trace) << c.text;
  }
}

TEST(ReaderSinkTest, AFailureIsToldAtEveryLevelInnermostFirstThenRaised) {
  TracingSink sink;
  int32_t raised = 0;
  try {
    ReadContextText("<A><B>x</A>", sink);
  } catch (const Error& error) {
    raised = error.number();
  }
  EXPECT_EQ(raised, errc::kInvalidArgument);
  // The outer level had read past its end tag: nothing was left to it.
  EXPECT_EQ(sink.trace, (Trace{"S A", "L ", "T A ", "S B", "F 5 <B>x", "F 5 "}));
}

// The events and the error number of reading `text` in one of the modes.
Trace TraceOf(std::string_view text, PlainElements plain) {
  TracingSink sink;
  try {
    ReadContextText(text, sink, plain);
  } catch (const Error& error) {
    sink.trace.push_back("raised " + std::to_string(error.number()));
  }
  return sink.trace;
}

// Elements as Save writes them take a pass of their own; it must hand over
// what the general path hands over, also for texts that only nearly have
// that form, which it must leave to the general path.
TEST(ReaderSinkTest, ThePlainElementPassAgreesWithTheGeneralPath) {
  const std::vector<std::string> written = {"<A id=\"x\" instance=\"1\">v</A>",
                                            "<Tag id=\"\">C:\\Data\\a.dat</Tag>",
                                            "<B id=\"  y\" instance=\"2\">a &amp; b</B>",
                                            "<C>text</C>",
                                            "<D id=\"x>y\" k=\"a=b c\">v</D>",
                                            "<E a=\"1\" b=\"2\" c=\"3\" d=\"4\" e=\"5\">v</E>"};
  for (const std::string& element : written) {
    for (const std::string& text : {element, "<context>" + element + element + "</context>",
                                    "<context> " + element + " </context>"}) {
      EXPECT_EQ(TraceOf(text, PlainElements::kOwnPass), TraceOf(text, PlainElements::kGeneralPath))
          << text;
    }
  }
  // Random texts over the characters that matter, many of them almost
  // plain: each is a plain record with a few characters replaced or cut.
  const std::string alphabet = "<>/=\" Aaid";
  uint32_t seed = 12345;
  const auto next = [&seed](std::size_t bound) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<std::size_t>(seed >> 8) % bound;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string text =
        "<context>" + written[next(written.size())] + written[next(written.size())] + "</context>";
    for (std::size_t edits = 1 + next(3); edits > 0; --edits) {
      const std::size_t at = next(text.size());
      if (next(4) == 0) {
        text.erase(at, 1);
      } else {
        text[at] = alphabet[next(alphabet.size())];
      }
    }
    ASSERT_EQ(TraceOf(text, PlainElements::kOwnPass), TraceOf(text, PlainElements::kGeneralPath))
        << text;
  }
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
  uint32_t seed = 7;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int round = 0; round < 20000; ++round) {
    std::string text(next() % 50, 'a');
    const uint32_t density = 2 + next() % 12;
    for (char& c : text) {
      if (next() % density == 0) c = "<\"& \x80/c$"[next() % 8];
    }
    const std::size_t from = text.empty() ? 0 : next() % (text.size() + 1);
    SCOPED_TRACE(testing::Message() << '"' << text << "\" from " << from);
    ASSERT_EQ(FindByte<'<'>(text, from), naive(text, from, "<"));
    ASSERT_EQ((FindByte<'"', '<'>(text, from)), naive(text, from, "\"<"));
    ASSERT_EQ((FindByte<'&', '\x80'>(text, from)), naive(text, from, "&\x80"));
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
