// Form binding: extraction into the store and a dictionary, building from a
// dictionary, population from the store, and round trips through a full form.
// The form cases run once per kind of form (FormKinds()), reaching every
// control by name only.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/form_kit.hpp"
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

// The vocabulary of the cases: a control's properties by name.
std::string TextOf(Object& control) { return CStr(control.Get("Text")); }
void SetText(Object& control, const std::string& text) { control.Let("Text", Variant(text)); }
int32_t ListIndexOf(Object& control) { return CLng(control.Get("ListIndex")); }
void SetListIndex(Object& control, int32_t index) { control.Let("ListIndex", Variant(index)); }
bool IsSelected(Object& control, int32_t index) {
  return CBool(control.Get("Selected", {Variant(index)}));
}
void Select(Object& control, int32_t index, bool selected = true) {
  control.Let("Selected", Variant(selected), {Variant(index)});
}
int32_t ValueOf(Object& control) { return CLng(control.Get("Value")); }
void SetValue(Object& control, const Variant& value) { control.Let("Value", value); }
int32_t ListCountOf(Object& control) { return CLng(control.Get("ListCount")); }
ObjectRef WithItems(ObjectRef control, const Values& items) {
  for (const std::string& item : items) control->Call("AddItem", {Variant(item)});
  return control;
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
  // Extracts `form` into the dictionary and returns the caller's flag.
  bool ExtractToCollection(Form& form) {
    bool changed = false;
    context_->ExtractTagsFromFormToCollection("Dlg", form, snapshot_, changed);
    return changed;
  }

  std::shared_ptr<RecordingHost> host_ = RecordingHost::Make();
  std::shared_ptr<ContextCls> context_ = std::make_shared<ContextCls>();
  Dictionary snapshot_;
};

class FormBindingTest : public FormsTest, public ::testing::WithParamInterface<FormKind> {
 protected:
  std::unique_ptr<FormKit> NewKit() { return GetParam().make(); }

  std::unique_ptr<FormKit> kit_ = NewKit();
};

TEST_P(FormBindingTest, ExtractionOfAMultiLineTextBoxAddsItsLinesLastToFirst) {
  struct Case {
    std::string text;
    Values stored;  // store order, newest first
    std::string dictionary;
  };
  const Case cases[] = {
      {"1\r\n2\r\n3\r\n4\r\n5\r\n6", {"1", "2", "3", "4"}, Joined({"6", "5", "4", "3", "2", "1"})},
      {"a\r\nb\r\n", {"a", "b", ""}, Joined({"b", "a"})},
  };
  ObjectRef box = kit_->TextBox("id=Lines", true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SetText(*box, c.text);
    EXPECT_EQ(TextOf(*box), c.text);
    context_->ExtractTagsFromForm("Dlg", kit_->form());
    EXPECT_EQ(Stored("Dlg", "Lines"), c.stored);
    snapshot_.RemoveAll();
    EXPECT_TRUE(ExtractToCollection(kit_->form()));
    EXPECT_EQ(Entry("Dlg.Lines"), c.dictionary);
  }
}

TEST_P(FormBindingTest, ExtractionReadsEachKindOfControlByItsType) {
  ObjectRef grey = kit_->CheckBox("id=Grey");
  SetValue(*grey, Variant(int16_t{2}));
  ObjectRef size = WithItems(kit_->ComboBox("id=Size;prop=ItemData", 2), {"10", "12"});
  ObjectRef single = WithItems(kit_->ListBox("id=Single"), {"a", "b"});
  ObjectRef caption = kit_->Label("id=Caption;prop=caption");  // letter case: no prop
  ObjectRef free_text = WithItems(kit_->ComboBox("id=Free"), {"x"});
  SetText(*free_text, "typed");

  context_->ExtractTagsFromForm("Dlg", kit_->form());
  EXPECT_EQ(Stored("Dlg", "Grey"), Values{"False"});
  EXPECT_EQ(Stored("Dlg", "Size"), Values{}) << "no current item gives no value";
  EXPECT_EQ(Stored("Dlg", "Single"), Values{});
  EXPECT_EQ(Stored("Dlg", "Caption"), Values{});
  EXPECT_EQ(Stored("Dlg", "Free"), Values{"typed"});
  EXPECT_TRUE(ExtractToCollection(kit_->form()));
  EXPECT_EQ(Entry("Dlg.Single"), "");
  EXPECT_FALSE(snapshot_.Exists("Dlg.Size"));
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_P(FormBindingTest, ExtractionEndsAtAFailingControlAndReportsIt) {
  SetText(*kit_->TextBox("id=First"), "1");
  kit_->Label("id=Broken;prop=List");  // a label has no list
  SetText(*kit_->TextBox("id=Last"), "3");
  context_->Add("Dlg", "Old", Variant("o"));
  context_->ExtractTagsFromForm("Dlg", kit_->form());
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

TEST_P(FormBindingTest, PopulationShowsEveryValueAndSnapshotsEveryMatch) {
  Store("Letter", {"A"});
  Store("Pick", {"z", "x", "missing"});
  Store("Lines", {"one", "two", "three"});
  Store("Recent", {"x", "", "z"});
  context_->MoveNext("Dlg", "Lines");  // the values are read from the first
  ObjectRef letter = WithItems(kit_->ComboBox("id=Letter"), {"A", "B", "A"});
  ObjectRef pick =
      WithItems(kit_->ListBox("id=Pick", ListBox::kSimpleMultiSelect), {"x", "y", "z"});
  Select(*pick, 1);
  ObjectRef lines = kit_->TextBox("id=Lines", true);
  ObjectRef recent = WithItems(kit_->ListBox("id=Recent;prop=List"), {"already"});
  context_->PopulateFormFromTags("Dlg", kit_->form(), snapshot_);
  EXPECT_EQ(ListIndexOf(*letter), 0);
  EXPECT_EQ(Entry("Dlg.Letter"), Joined({"A", "A"}));
  EXPECT_TRUE(IsSelected(*pick, 0) && !IsSelected(*pick, 1) && IsSelected(*pick, 2));
  EXPECT_EQ(Entry("Dlg.Pick"), Joined({"z", "x"}));
  EXPECT_EQ(TextOf(*lines), "one\r\ntwo\r\nthree");
  EXPECT_EQ(Entry("Dlg.Lines"), "one");
  ASSERT_EQ(ListCountOf(*recent), 4);
  EXPECT_EQ(CStr(recent->Get("List", {Variant(3)})), "z");
  EXPECT_EQ(Entry("Dlg.Recent"), "x``z");
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_P(FormBindingTest, PopulationWritesWhatEachControlCanTake) {
  Store("Free", {"Courier"});
  Store("Fixed", {"Courier"});
  Store("Bold", {"yes"});  // not exactly "True"
  Store("Single", {"b"});
  ObjectRef free_text = WithItems(kit_->ComboBox("id=Free"), {"Arial", "Times"});
  ObjectRef fixed = WithItems(kit_->ComboBox("id=Fixed", 2), {"Arial", "Times"});
  SetListIndex(*fixed, 1);
  ObjectRef bold = kit_->CheckBox("id=Bold");
  SetValue(*bold, Variant(int16_t{1}));
  ObjectRef single = WithItems(kit_->ListBox("id=Single"), {"a", "b"});
  Select(*single, 0);
  ObjectRef caption = kit_->Label("id=Missing;prop=Caption");
  caption->Let("Caption", Variant("kept"));

  context_->PopulateFormFromTags("Dlg", kit_->form(), snapshot_);
  EXPECT_EQ(TextOf(*free_text), "Courier");
  EXPECT_EQ(ListIndexOf(*free_text), -1);
  EXPECT_FALSE(snapshot_.Exists("Dlg.Free"));
  EXPECT_EQ(TextOf(*fixed), "Times") << "a drop-down list takes no free text";
  EXPECT_EQ(ValueOf(*bold), 0);
  EXPECT_TRUE(!IsSelected(*single, 0) && IsSelected(*single, 1));
  EXPECT_EQ(ListIndexOf(*single), 1);
  EXPECT_EQ(CStr(caption->Get("Caption")), "kept");
  EXPECT_FALSE(snapshot_.Exists("Dlg.Missing"));
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_P(FormBindingTest, PopulationOfAnOptionGroupLeavesTheStoredChoice) {
  struct Case {
    Values stored;  // for Left, Right
    std::vector<bool> shown;
  };
  const Case cases[] = {
      {{"False", "True"}, {false, true}},
      {{"True", "False"}, {true, false}},
      {{"False", "False"}, {false, false}},  // none chosen, as stored
  };
  ObjectRef left = kit_->OptionButton("id=Left");
  ObjectRef right = kit_->OptionButton("id=Right");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored[0] + "," + c.stored[1]);
    context_->Value("Dlg", "Left", Variant(c.stored[0]));
    context_->Value("Dlg", "Right", Variant(c.stored[1]));
    Dictionary snapshot;
    context_->PopulateFormFromTags("Dlg", kit_->form(), snapshot);
    EXPECT_EQ(CBool(left->Get("Value")), c.shown[0]);
    EXPECT_EQ(CBool(right->Get("Value")), c.shown[1]);
  }
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_P(FormBindingTest, PopulationEndsAtAControlThatRejectsItsValue) {
  Store("Name", {"Plant 7"});
  ObjectRef name = kit_->TextBox("id=Name");
  kit_->Label("id=Colour;prop=BackColor");  // no stored colour: the empty text
  ObjectRef last = kit_->TextBox("id=Name2");
  SetText(*last, "untouched");
  context_->PopulateFormFromTags("Dlg", kit_->form(), snapshot_);
  EXPECT_EQ(TextOf(*name), "Plant 7");
  EXPECT_EQ(TextOf(*last), "untouched");
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/PopulateFormFromTags", errc::kTypeMismatch}}));
}

// One control of every kind, the same on every call; values start empty.
struct SettingsForm {
  explicit SettingsForm(const FormKind& kind) : kit(kind.make()) {
    WithItems(font, {"Arial", "Courier", "Times"});
    WithItems(size, {"10 pt", "12 pt", "14 pt"});
    for (int32_t i = 0; i < 3; ++i) size->Let("ItemData", Variant(10 + 2 * i), {Variant(i)});
    WithItems(pick, {"red", "green", "blue"});
  }
  // Every control's state as one comparable list of texts.
  Values State() const {
    Values state = {TextOf(*name), TextOf(*notes), TextOf(*font), TextOf(*shared)};
    for (int32_t number : {ListIndexOf(*font), ListIndexOf(*size), ValueOf(*bold), ValueOf(*right),
                           CLng(colour->Get("BackColor"))}) {
      state.push_back(std::to_string(number));
    }
    for (int32_t i = 0; i < ListCountOf(*pick); ++i)
      state.push_back(IsSelected(*pick, i) ? "+" : "-");
    return state;
  }
  void Fill(const std::string& notes_text) {
    SetText(*name, "Plant 7");
    SetText(*notes, notes_text);
    SetListIndex(*font, 1);
    SetListIndex(*size, 2);
    SetValue(*bold, Variant(int16_t{1}));
    SetValue(*right, Variant(true));
    Select(*pick, 0);
    Select(*pick, 2);
    colour->Let("BackColor", Variant(int32_t{0x00FF00}));
    SetText(*shared, "/var/lib/plant");
  }
  Form& form() { return kit->form(); }

  std::unique_ptr<FormKit> kit;
  ObjectRef name = kit->TextBox("id=Name");
  ObjectRef notes = kit->TextBox("id=Notes", true);
  ObjectRef font = kit->ComboBox("id=Font");
  ObjectRef size = kit->ComboBox("id=Size;prop=ItemData", ComboBox::kDropDownList);
  ObjectRef bold = kit->CheckBox("id=Bold");
  ObjectRef right = kit->OptionButton("id=Right");
  ObjectRef pick = kit->ListBox("id=Pick", ListBox::kSimpleMultiSelect);
  ObjectRef colour = kit->Label("id=Colour;prop=BackColor");
  ObjectRef shared = kit->TextBox("id=Shared.Path");
};

TEST_P(FormBindingTest, RoundTripOfAFormThroughTheStoreIntoAFreshForm) {
  SettingsForm original(GetParam());
  original.Fill("first\r\n\r\nthird\r\n");
  context_->ExtractTagsFromForm("Dlg", original.form());
  // Extraction files a dotted id under the tag; population reads the tag before the dot.
  EXPECT_EQ(Stored("Dlg", "Shared.Path"), Values{"/var/lib/plant"});
  context_->Value("Shared", "Path", Variant("/var/lib/plant"));

  SettingsForm copy(GetParam());
  ASSERT_NE(copy.State(), original.State());
  context_->PopulateFormFromTags("Dlg", copy.form(), snapshot_);
  EXPECT_EQ(copy.State(), original.State());
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_P(FormBindingTest, RoundTripOfAFormThroughADictionaryAndTheStoreWithChangedExact) {
  SettingsForm original(GetParam());
  original.Fill("one line");  // several lines would come back reversed
  EXPECT_TRUE(ExtractToCollection(original.form()));
  context_->BuildFromCollection("Dlg", snapshot_);

  const std::pair<const char*, void (*)(SettingsForm&)> edits[] = {
      {"none", [](SettingsForm&) {}},
      {"text", [](SettingsForm& f) { SetText(*f.name, "Plant 8"); }},
      {"item data", [](SettingsForm& f) { SetListIndex(*f.size, 0); }},
      {"list box", [](SettingsForm& f) { Select(*f.pick, 1); }},
      {"dotted id", [](SettingsForm& f) { SetText(*f.shared, "/tmp"); }},
  };
  for (const auto& [label, edit] : edits) {
    SCOPED_TRACE(label);
    SettingsForm copy(GetParam());
    Dictionary fresh;
    context_->PopulateFormFromTags("Dlg", copy.form(), fresh);
    EXPECT_EQ(copy.State(), original.State());
    snapshot_ = fresh;  // what the form now shows
    EXPECT_FALSE(ExtractToCollection(copy.form()));
    edit(copy);
    EXPECT_EQ(ExtractToCollection(copy.form()), label != std::string("none"));
    EXPECT_FALSE(ExtractToCollection(copy.form())) << "the dictionary now holds the edit";
  }
  EXPECT_TRUE(host_->Errors().empty());
}

std::string KindName(const ::testing::TestParamInfo<FormKind>& kind) { return kind.param.name; }

INSTANTIATE_TEST_SUITE_P(EveryKindOfForm, FormBindingTest, ::testing::ValuesIn(FormKinds()),
                         KindName);

}  // namespace
}  // namespace tamrel::testing
