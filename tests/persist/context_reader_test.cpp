// Decoding context text: records, reports and instance repairs.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "persist/context_reader.hpp"
#include "persist/load.hpp"
#include "persist/process_xml.hpp"
#include "persist_fixture.hpp"
#include "tamrel/error.hpp"

namespace tamrel::testing {
namespace {

class ReaderTest : public PersistTest {
 protected:
  ReaderTest() { context_->SetApplicationContext(reentering_host_); }

  // Decodes `text` as Load does; the error number that reached the caller,
  // 0 when none.
  int32_t Decode(const std::string& text) {
    detail::ContextState& state = detail::StateOf(*context_);
    detail::LoadInstancesScope instances(state);
    int32_t number = 0;
    try {
      detail::DecodeXML(state, text);
    } catch (const Error& error) {
      number = error.number();
    }
    return number;
  }

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

TEST_F(ReaderTest, ElementsAndAttributeForms) {
  const std::string kProcess = "Tamrel/ContextCls/ProcessXML";
  struct Case {
    std::string elements;
    Records records;
    Reports reports;
  } cases[] = {
      {"<A id=\" a b>c\" instance=\"1\">&lt;&amp;lt;</A>", {{"A", "a b>c", 1, "<&lt;"}}, {}},
      // An ampersand that begins none of the five references stays.
      {"<A>&amp;amp; &foo; &LT; &am x& &&lt;&apos;&quot;&gt;</A>",
       {{"A", "", 1, "&amp; &foo; &LT; &am x& &<'\">"}},
       {}},
      {"<A id=\"x\" instance=\"12abc\">v</A><B id=\"y\" instance=\"70000\">w</B>",
       {{"A", "x", 1, "v"}, {"B", "y", 1, "w"}},
       {{kProcess, errc::kTypeMismatch}, {kProcess, errc::kOverflow}}},
      // An attribute name that ends at ">" stays collected: the next
      // element of the same level continues it ("i" + "d").
      {"<A i>v</A><B d=\"x\" instance=\"1\">w</B>", {{"A", "", 1, "v"}, {"B", "x", 1, "w"}}, {}},
  };
  for (const Case& c : cases) {
    context_->Clear();
    reentering_host_->ClearCalls();
    EXPECT_EQ(Decode(ContextFile(c.elements)), 0) << c.elements;
    EXPECT_EQ(RecordsOf(*context_), c.records) << c.elements;
    EXPECT_EQ(reentering_host_->Errors(), c.reports) << c.elements;
  }
}

TEST_F(ReaderTest, MalformedTextFailsAndIsReportedWithItsText) {
  for (const std::string text :
       {"<context><A id=\"x\" instance=\"1\">v</A>\r\n<B id=\"y\" inst", "<context></contex>",
        "plain text", "<A id=\"x>\" instance=\"1\"></A"}) {
    SCOPED_TRACE(text);
    reentering_host_->ClearCalls();
    EXPECT_EQ(Decode(text), errc::kInvalidArgument);
    EXPECT_TRUE(RecordsOf(*context_).empty());
    EXPECT_EQ(reentering_host_->Ops(),
              (Texts{"RegisterError", "WriteDetail", "HandleError", "GetErrorText"}));
    EXPECT_EQ(reentering_host_->DetailLines(), Texts{"XML: " + text});
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
      {"gap pulled back", {{"W", "x", 1, "a"}, {"W", "x", 3, "b"}},
       {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}}, {Mismatch("x", 2, 3)}, true},
      {"repeat dropped, not a change", {{"W", "x", 1, "a"}, {"W", "x", 1, "b"}},
       {{"W", "x", 1, "a"}}, {Mismatch("x", 2, 1)}, false},
      {"instance 0 twice", {{"W", "x", 0, "a"}, {"W", "x", 0, "b"}},
       {{"W", "x", 1, "a"}}, {Mismatch("x", 1, 0), Mismatch("x", 2, 0)}, true},
      {"ShowText gap filled", {{"W", "ShowTextSep", 1, "a"}, {"W", "ShowTextSep", 3, "c"}},
       {{"W", "ShowTextSep", 1, "a"}, {"W", "ShowTextSep", 2, ""}, {"W", "ShowTextSep", 3, "c"}},
       {Mismatch("ShowTextSep", 2, 3)}, true},
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
    EXPECT_EQ(RecordsOf(*context_), c.store);
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
  EXPECT_EQ(RecordsOf(*context_), (Records{{"CAPTION", "showtextsep", 1, "ab"}, file[1]}));
  EXPECT_TRUE(context_->changed());
  Load("OtherDefaults", file);
  EXPECT_EQ(RecordsOf(*context_), file);
  EXPECT_FALSE(context_->changed());
}

}  // namespace
}  // namespace tamrel::testing
