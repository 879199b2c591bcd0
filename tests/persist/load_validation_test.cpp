// ValidateLoadItem: instance numbers of each tag and id kept consecutive in
// file order, and the NewAlbumDefaults separator cleaning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "persist/context_reader.hpp"
#include "persist_fixture.hpp"

namespace tamrel::testing {
namespace {

class ValidationTest : public PersistTest {
 protected:
  // Decodes elements (tag, id, instance, raw value) as one Load does, into
  // an empty store of a context named `name`.
  void LoadRecords(const std::string& name, const Records& elements) {
    context_->Clear();
    context_->name(name);
    host_->ClearCalls();
    detail::ContextState& state = detail::StateOf(*context_);
    state.changed = false;
    std::string text;
    for (const auto& [tag, id, instance, value] : elements) {
      const std::string element = Element(tag, id, instance, value);
      text += element.substr(0, element.size() - 2);  // Load drops the line breaks
    }
    state.load_instances.emplace();
    detail::DecodeXML(*context_, ContextFile(text));
    state.load_instances.reset();
  }

  static std::string Mismatch(const std::string& id, int expected, int got) {
    return "ContextCls LOAD of ctx Tag: W Id: " + id + " Expected Instance: " +
           std::to_string(expected) + " Got: " + std::to_string(got);
  }
};

TEST_F(ValidationTest, InstanceRepairs) {
  struct Case {
    const char* what;
    Records file, store;
    Texts log;
    bool changed;
  } cases[] = {
      {"consecutive", {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}},
       {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}}, {}, false},
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
      {"showtextsep is an ordinary id", {{"W", "showtextsep", 2, "a"}},
       {{"W", "showtextsep", 1, "a"}}, {Mismatch("showtextsep", 1, 2)}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LoadRecords("ctx", c.file);
    EXPECT_EQ(RecordsOf(*context_), c.store);
    EXPECT_EQ(host_->LogLines(), c.log);
    EXPECT_EQ(context_->changed(), c.changed);
  }
}

TEST_F(ValidationTest, NewAlbumDefaultsSeparatorLosesItsMarks) {
  struct Case {
    std::string context_name, tag, id, value, kept;
  } cases[] = {
      {"NewAlbumDefaults", "Caption", "ShowTextSep", " \\b- \\c", " - "},
      {"NewAlbumDefaults", "CAPTION", "showtextsep", "\\b\\c\\B", "\\B"},
      {"NewAlbumDefaults", "Caption", "ShowTextSep", "\\\\bb", "\\b"},  // one pass per mark
      {"newalbumdefaults", "Caption", "ShowTextSep", " \\b- \\c", " \\b- \\c"},
      {"NewAlbumDefaults", "Title", "ShowTextSep", " \\b- \\c", " \\b- \\c"},
  };
  for (const Case& c : cases) {
    LoadRecords(c.context_name, {{c.tag, c.id, 1, c.value}});
    EXPECT_EQ(RecordsOf(*context_), (Records{{c.tag, c.id, 1, c.kept}})) << c.value;
    EXPECT_EQ(context_->changed(), c.kept != c.value) << c.value;
  }
}

TEST_F(ValidationTest, OutsideLoadOrWithAFailedLogLineTheRecordEntersUnrepaired) {
  context_->ProcessXML(0, "W");
  context_->ProcessXML(2, "W", "id", "x");
  context_->ProcessXML(2, "W", "instance", "4");
  context_->ProcessXML(1, "W", "v");
  EXPECT_EQ(RecordsOf(*context_), (Records{{"W", "x", 4, "v"}}));
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/ValidateLoadItem", errc::kObjectNotSet}}));

  host_->FailOn("WriteLog", 70, 1);
  LoadRecords("ctx", {{"W", "x", 4, "v"}});
  EXPECT_EQ(RecordsOf(*context_), (Records{{"W", "x", 4, "v"}}));
  EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/ValidateLoadItem", 70}}));
}

}  // namespace
}  // namespace tamrel::testing
