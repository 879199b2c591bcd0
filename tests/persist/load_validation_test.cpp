// ValidateLoadItem: instance numbers of each tag and id kept consecutive in
// file order, and the NewAlbumDefaults separator cleaning.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "persist/context_reader.hpp"
#include "persist/load_validation.hpp"
#include "persist_fixture.hpp"

namespace tamrel::testing {
namespace {

class ValidationTest : public PersistTest {
 protected:
  // Decodes elements (tag, id, instance, raw value) as one Load does.
  void LoadRecords(const std::vector<Record>& elements) {
    std::string text;
    for (const auto& [tag, id, instance, value] : elements) {
      std::string element = Element(tag, id, instance, value);
      text += element.substr(0, element.size() - 2);  // Load drops the line breaks
    }
    detail::ContextState& state = detail::StateOf(*context_);
    state.load_instances.emplace();
    detail::DecodeXML(*context_, ContextFile(text));
    state.load_instances.reset();
  }

  static std::string Mismatch(const std::string& name, const std::string& tag,
                              const std::string& id, int expected, int got) {
    return "ContextCls LOAD of " + name + " Tag: " + tag + " Id: " + id +
           " Expected Instance: " + std::to_string(expected) + " Got: " + std::to_string(got);
  }
};

TEST_F(ValidationTest, InstanceRepairs) {
  struct Case {
    const char* what;
    std::vector<Record> file;
    std::vector<Record> store;
    std::vector<std::string> log;
    bool changed;
  } cases[] = {
      {"consecutive",
       {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}, {"W", "x", 3, "c"}},
       {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}, {"W", "x", 3, "c"}},
       {},
       false},
      {"gap pulled back",
       {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}, {"W", "x", 5, "c"}},
       {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}, {"W", "x", 3, "c"}},
       {Mismatch("ctx", "W", "x", 3, 5)},
       true},
      {"ShowText gap filled",
       {{"W", "ShowTextSep", 1, "a"}, {"W", "ShowTextSep", 2, "b"}, {"W", "ShowTextSep", 5, "c"}},
       {{"W", "ShowTextSep", 1, "a"}, {"W", "ShowTextSep", 2, "b"}, {"W", "ShowTextSep", 3, ""},
        {"W", "ShowTextSep", 4, ""}, {"W", "ShowTextSep", 5, "c"}},
       {Mismatch("ctx", "W", "ShowTextSep", 3, 5)},
       true},
      {"repeat dropped without setting changed",
       {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}, {"W", "x", 2, "c"}},
       {{"W", "x", 1, "a"}, {"W", "x", 2, "b"}},
       {Mismatch("ctx", "W", "x", 3, 2)},
       false},
      {"repeat of Created dropped silently",
       {{"W", "Created", 1, "a"}, {"W", "Created", 1, "b"}},
       {{"W", "Created", 1, "a"}},
       {},
       false},
      {"first record beyond 1",
       {{"W", "x", 3, "a"}},
       {{"W", "x", 1, "a"}},
       {Mismatch("ctx", "W", "x", 1, 3)},
       true},
      {"first ShowText record beyond 1",
       {{"W", "ShowTextDesc", 3, "a"}},
       {{"W", "ShowTextDesc", 1, ""}, {"W", "ShowTextDesc", 2, ""}, {"W", "ShowTextDesc", 3, "a"}},
       {Mismatch("ctx", "W", "ShowTextDesc", 1, 3)},
       true},
      {"ShowText record at 0 kept, next expected at 1",
       {{"W", "ShowTextInd", 0, "a"}, {"W", "ShowTextInd", 1, "b"}},
       {{"W", "ShowTextInd", 0, "a"}, {"W", "ShowTextInd", 1, "b"}},
       {Mismatch("ctx", "W", "ShowTextInd", 1, 0)},
       true},
      {"instance 0 twice: second is a repeat",
       {{"W", "x", 0, "a"}, {"W", "x", 0, "b"}},
       {{"W", "x", 1, "a"}},
       {Mismatch("ctx", "W", "x", 1, 0), Mismatch("ctx", "W", "x", 2, 0)},
       true},
      {"pairs told apart case-sensitively",
       {{"Window", "x", 1, "a"}, {"WINDOW", "x", 1, "b"}, {"Window", "X", 1, "c"}},
       {{"Window", "x", 1, "a"}, {"WINDOW", "x", 1, "b"}, {"Window", "X", 1, "c"}},
       {},
       false},
      {"showtextsep in another case is an ordinary id",
       {{"W", "showtextsep", 2, "a"}},
       {{"W", "showtextsep", 1, "a"}},
       {Mismatch("ctx", "W", "showtextsep", 1, 2)},
       true},
  };
  for (const Case& c : cases) {
    context_->Clear();
    context_->name("ctx");
    host_->ClearCalls();
    LoadRecords(c.file);
    EXPECT_EQ(RecordsOf(*context_), c.store) << c.what;
    EXPECT_EQ(host_->LogLines(), c.log) << c.what;
    EXPECT_EQ(context_->changed(), c.changed) << c.what;
    detail::StateOf(*context_).changed = false;
  }
}

TEST_F(ValidationTest, FillersTakeKeysBeforeTheRecordTheyPrecede) {
  LoadRecords({{"W", "ShowTextPrefix", 3, "a"}});
  std::vector<std::string> keys = KeysOf(*context_);
  EXPECT_EQ(keys, (std::vector<std::string>{"A1", "A2", "A3"}));
}

TEST_F(ValidationTest, NewAlbumDefaultsSeparatorLosesItsMarks) {
  struct Case {
    std::string context_name;
    std::string tag;
    std::string id;
    std::string value;
    std::string kept;
  } cases[] = {
      {"NewAlbumDefaults", "Caption", "ShowTextSep", " \\b- \\c", " - "},
      {"NewAlbumDefaults", "CAPTION", "showtextsep", "\\b\\c\\B", "\\B"},
      {"NewAlbumDefaults", "Caption", "ShowTextSep", "\\\\bb", "\\b"},  // one pass per mark
      {"newalbumdefaults", "Caption", "ShowTextSep", " \\b- \\c", " \\b- \\c"},
      {"NewAlbumDefaults", "Title", "ShowTextSep", " \\b- \\c", " \\b- \\c"},
      {"NewAlbumDefaults", "Caption", "ShowTextInd", " \\b- \\c", " \\b- \\c"},
  };
  for (const Case& c : cases) {
    context_->Clear();
    context_->name(c.context_name);
    detail::StateOf(*context_).changed = false;
    LoadRecords({{c.tag, c.id, 1, c.value}});
    ASSERT_EQ(RecordsOf(*context_).size(), 1u);
    EXPECT_EQ(std::get<3>(RecordsOf(*context_)[0]), c.kept) << c.value;
    EXPECT_EQ(context_->changed(), c.kept != c.value) << c.value;
  }
}

TEST_F(ValidationTest, OutsideLoadTheRecordEntersAfterAReport) {
  context_->ProcessXML(0, "W");
  context_->ProcessXML(2, "W", "id", "x");
  context_->ProcessXML(2, "W", "instance", "4");
  context_->ProcessXML(1, "W", "v");
  EXPECT_EQ(RecordsOf(*context_), (std::vector<Record>{{"W", "x", 4, "v"}}));
  EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                 {"Tamrel/ContextCls/ValidateLoadItem", errc::kObjectNotSet}}));
}

TEST_F(ValidationTest, FailedLogLineLeavesTheRecordUnrepaired) {
  host_->FailOn("WriteLog", 70, 1);
  LoadRecords({{"W", "x", 4, "v"}});
  EXPECT_EQ(RecordsOf(*context_), (std::vector<Record>{{"W", "x", 4, "v"}}));
  EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                 {"Tamrel/ContextCls/ValidateLoadItem", 70}}));
}

}  // namespace
}  // namespace tamrel::testing
