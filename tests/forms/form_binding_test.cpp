// Form binding: extraction into the store and a dictionary, building from a
// dictionary, population from the store, and round trips through a full form.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/error_number.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"
#include "tamrel/records.hpp"

namespace tamrel::testing {
namespace {

using Values = std::vector<std::string>;
using Reports = std::vector<std::pair<std::string, int32_t>>;

// The list separator of form binding.
inline std::string Joined(const Values& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) text += (i == 0 ? "" : "`") + parts[i];
  return text;
}

class FormsTest : public ::testing::Test {
 protected:
  FormsTest() { context_->SetApplicationContext(host_); }

  // The values under (tag, id) in store order, newest first.
  Values Stored(const std::string& tag, const std::string& id) {
    Values values;
    for (const Record& record : Records(*context_)) {
      if (record.tag == tag && record.id == id) values.push_back(record.value);
    }
    return values;
  }
  std::size_t RecordCount() { return Records(*context_).size(); }
  // The dictionary entry under `key`, which must exist.
  std::string Entry(const std::string& key) {
    EXPECT_TRUE(snapshot_.Exists(key)) << key;
    return snapshot_.Exists(key) ? CStr(snapshot_.Item(key)) : std::string();
  }
  // Adds values so that the first one given ends as Instance 1.
  void Store(const std::string& id, Values values) {
    for (auto value = values.rbegin(); value != values.rend(); ++value) {
      context_->Add("Dlg", id, Variant(*value));
    }
  }
  template <class C>
  std::shared_ptr<C> With(std::shared_ptr<C> control, Values items) {
    for (std::string& item : items) control->AddItem(std::move(item));
    return control;
  }
  // Extracts `form` into the dictionary and returns the caller's flag.
  bool ExtractToCollection(StandardForm& form) {
    bool changed = false;
    context_->ExtractTagsFromFormToCollection("Dlg", form, snapshot_, changed);
    return changed;
  }

  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
  Dictionary snapshot_;
  StandardForm form_;
};

TEST_F(FormsTest, ExtractionOfAMultiLineTextBoxAddsItsLinesLastToFirst) {
  struct Case {
    std::string text;
    Values stored;  // store order, newest first
    std::string dictionary;
  };
  const Case cases[] = {
      {"1\r\n2\r\n3\r\n4\r\n5\r\n6", {"1", "2", "3", "4"}, Joined({"6", "5", "4", "3", "2", "1"})},
      {"a\r\nb\r\n", {"a", "b", ""}, Joined({"b", "a"})},
  };
  auto box = form_.Add<TextBox>("id=Lines", true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    box->Text(c.text);
    context_->ExtractTagsFromForm("Dlg", form_);
    EXPECT_EQ(Stored("Dlg", "Lines"), c.stored);
    snapshot_.RemoveAll();
    EXPECT_TRUE(ExtractToCollection(form_));
    EXPECT_EQ(Entry("Dlg.Lines"), c.dictionary);
  }
}

TEST_F(FormsTest, ExtractionEndsAtAFailingControlAndReportsIt) {
  form_.Add<TextBox>("id=First")->Text("1");
  form_.Add<Label>("id=Broken;prop=List");  // a label has no list
  form_.Add<TextBox>("id=Last")->Text("3");
  context_->Add("Dlg", "Old", Variant("o"));
  context_->ExtractTagsFromForm("Dlg", form_);
  EXPECT_EQ(Stored("Dlg", "First"), Values{"1"});
  EXPECT_EQ(RecordCount(), 1u);
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/ExtractTagsFromForm", errc::kNoSuchMember}}));
}

TEST_F(FormsTest, BuildFromCollectionMakesEntriesValuesOfTheirTagAndId) {
  context_->Add("Dlg", "Size", Variant("old"));
  context_->Add("Dlg", "Untouched", Variant("u"));
  Dictionary cln;
  cln.Add("Dlg.Size", Variant(int32_t{12}));
  cln.Add("Other.Field", Variant("x"));
  cln.Add("Lines", Variant(Joined({"one", "two", "three"})));
  cln.Add("Bad", Variant::Null());  // ends the build
  cln.Add("Last", Variant("3"));
  context_->BuildFromCollection("Dlg", cln);
  EXPECT_EQ(Stored("Dlg", "Size"), Values{"12"});
  EXPECT_EQ(Stored("Other", "Field"), Values{"x"});
  EXPECT_EQ(Stored("Dlg", "Lines"), (Values{"one", "two", "three"}));
  EXPECT_EQ(Stored("Dlg", "Untouched"), Values{"u"});
  EXPECT_EQ(RecordCount(), 6u);
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/BuildFromCollection", errc::kInvalidUseOfNull}}));
}

TEST_F(FormsTest, PopulationShowsEveryValueAndSnapshotsEveryMatch) {
  Store("Letter", {"A"});
  Store("Pick", {"z", "x", "missing"});
  Store("Lines", {"one", "two", "three"});
  Store("Recent", {"x", "", "z"});
  context_->MoveNext("Dlg", "Lines");  // the values are read from the first
  auto letter = With(form_.Add<ComboBox>("id=Letter"), {"A", "B", "A"});
  auto pick = With(form_.Add<ListBox>("id=Pick", ListBox::kSimpleMultiSelect), {"x", "y", "z"});
  pick->Selected(1, true);
  auto lines = form_.Add<TextBox>("id=Lines", true);
  auto recent = With(form_.Add<ListBox>("id=Recent;prop=List"), {"already"});
  context_->PopulateFormFromTags("Dlg", form_, snapshot_);
  EXPECT_EQ(letter->ListIndex(), 0);
  EXPECT_EQ(Entry("Dlg.Letter"), Joined({"A", "A"}));
  EXPECT_TRUE(pick->Selected(0) && !pick->Selected(1) && pick->Selected(2));
  EXPECT_EQ(Entry("Dlg.Pick"), Joined({"z", "x"}));
  EXPECT_EQ(lines->Text(), "one\r\ntwo\r\nthree");
  EXPECT_EQ(Entry("Dlg.Lines"), "one");
  ASSERT_EQ(recent->ListCount(), 4);
  EXPECT_EQ(recent->List(3), "z");
  EXPECT_EQ(Entry("Dlg.Recent"), "x``z");
  EXPECT_TRUE(host_->Errors().empty());
}

// One control of every kind, the same on every call; values start empty.
struct SettingsForm {
  SettingsForm() {
    for (const char* item : {"Arial", "Courier", "Times"}) font->AddItem(item);
    for (int32_t points : {10, 12, 14}) size->AddItem(std::to_string(points) + " pt");
    for (int32_t i = 0; i < 3; ++i) size->ItemData(i, 10 + 2 * i);
    for (const char* item : {"red", "green", "blue"}) pick->AddItem(item);
  }
  // Every control's state as one comparable list of texts.
  Values State() const {
    Values state = {name->Text(), notes->Text(), font->Text(), shared->Text()};
    for (int32_t number : {font->ListIndex(), size->ListIndex(), int32_t{bold->Value()},
                           int32_t{right->Value()}, colour->BackColor()}) {
      state.push_back(std::to_string(number));
    }
    for (int32_t i = 0; i < pick->ListCount(); ++i) state.push_back(pick->Selected(i) ? "+" : "-");
    return state;
  }
  void Fill(const std::string& notes_text) {
    name->Text("Plant 7");
    notes->Text(notes_text);
    font->ListIndex(1);
    size->ListIndex(2);
    bold->Value(CheckBox::kChecked);
    right->Value(true);
    pick->Selected(0, true);
    pick->Selected(2, true);
    colour->BackColor(0x00FF00);
    shared->Text("/var/lib/plant");
  }

  std::shared_ptr<StandardForm> form = std::make_shared<StandardForm>();
  std::shared_ptr<TextBox> name = form->Add<TextBox>("id=Name");
  std::shared_ptr<TextBox> notes = form->Add<TextBox>("id=Notes", true);
  std::shared_ptr<ComboBox> font = form->Add<ComboBox>("id=Font");
  std::shared_ptr<ComboBox> size =
      form->Add<ComboBox>("id=Size;prop=ItemData", ComboBox::kDropDownList);
  std::shared_ptr<CheckBox> bold = form->Add<CheckBox>("id=Bold");
  std::shared_ptr<OptionButton> right = form->Add<OptionButton>("id=Right");
  std::shared_ptr<ListBox> pick = form->Add<ListBox>("id=Pick", ListBox::kSimpleMultiSelect);
  std::shared_ptr<Label> colour = form->Add<Label>("id=Colour;prop=BackColor");
  std::shared_ptr<TextBox> shared = form->Add<TextBox>("id=Shared.Path");
};

TEST_F(FormsTest, RoundTripOfAFormThroughTheStoreIntoAFreshForm) {
  SettingsForm original;
  original.Fill("first\r\n\r\nthird\r\n");
  context_->ExtractTagsFromForm("Dlg", *original.form);
  // Extraction files a dotted id under the tag; population reads the tag before the dot.
  EXPECT_EQ(Stored("Dlg", "Shared.Path"), Values{"/var/lib/plant"});
  context_->Value("Shared", "Path", Variant("/var/lib/plant"));

  SettingsForm copy;
  ASSERT_NE(copy.State(), original.State());
  context_->PopulateFormFromTags("Dlg", *copy.form, snapshot_);
  EXPECT_EQ(copy.State(), original.State());
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_F(FormsTest, RoundTripOfAFormThroughADictionaryAndTheStoreWithChangedExact) {
  SettingsForm original;
  original.Fill("one line");  // several lines would come back reversed
  EXPECT_TRUE(ExtractToCollection(*original.form));
  context_->BuildFromCollection("Dlg", snapshot_);

  const std::pair<const char*, void (*)(SettingsForm&)> edits[] = {
      {"none", [](SettingsForm&) {}},
      {"text", [](SettingsForm& f) { f.name->Text("Plant 8"); }},
      {"item data", [](SettingsForm& f) { f.size->ListIndex(0); }},
      {"list box", [](SettingsForm& f) { f.pick->Selected(1, true); }},
      {"dotted id", [](SettingsForm& f) { f.shared->Text("/tmp"); }},
  };
  for (const auto& [label, edit] : edits) {
    SCOPED_TRACE(label);
    SettingsForm copy;
    Dictionary fresh;
    context_->PopulateFormFromTags("Dlg", *copy.form, fresh);
    EXPECT_EQ(copy.State(), original.State());
    snapshot_ = fresh;  // what the form now shows
    EXPECT_FALSE(ExtractToCollection(*copy.form));
    edit(copy);
    EXPECT_EQ(ExtractToCollection(*copy.form), label != std::string("none"));
    EXPECT_FALSE(ExtractToCollection(*copy.form)) << "the dictionary now holds the edit";
  }
  EXPECT_TRUE(host_->Errors().empty());
}

}  // namespace
}  // namespace tamrel::testing
