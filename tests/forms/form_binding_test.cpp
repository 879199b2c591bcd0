// Form binding: extraction into the store and a dictionary, building from a
// dictionary, population from the store, and round trips through a full form.
// The form cases run once per kind of form (FormKinds()), reaching every
// control by name only.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "context/state_of.hpp"
#include "forms/control_params.hpp"
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

// A parameter of a control's Tag: found after a semicolon (blanks there
// dropped) before at the start, in any case; quotes shield semicolons and
// stay in the value.
TEST(GetParamTest, FindsEachParameterAsItsAlgorithmReadsIt) {
  const struct {
    const char* text;
    const char* name;
    const char* value;
  } rows[] = {
      // clang-format off
      {"id=FontSize;   prop=Caption", "prop", "Caption"}, {"ID=a;Prop=b", "prop", "b"},
      {"id=a;id=b", "id", "b"}, {"xid=a;id=", "id", ""}, {"id =a", "id", ""},
      {"id= a ;x=1", "id", " a "}, {"id='a;b\";c';x=1", "id", "'a;b\";c'"},
      {"id=\"a;'b\";x", "id", "\"a;'b\""}, {"id='a;b", "id", "'a;b"}, {"", "id", ""},
      // clang-format on
  };
  ContextCls context;
  for (const auto& row : rows) {
    EXPECT_EQ(detail::GetParam(detail::StateOf(context), row.text, row.name), row.value)
        << row.text;
  }
}

ObjectRef WithItems(ObjectRef control, const Values& items) {
  for (const std::string& item : items) control->Call("AddItem", {Variant(item)});
  return control;
}

// What a control shows, as one text: its text, value or caption (and a
// label's colour); for a combo box also every item and the current item after
// "@"; for a list box every item, "+" marking a selected one.
std::string Shown(Object& control) {
  const std::string type = control.TypeName();
  if (type == "CheckBox" || type == "OptionButton") return CStr(control.Get("Value"));
  if (type == "Label") return CStr(control.Get("Caption")) + " " + CStr(control.Get("BackColor"));
  if (type == "TextBox") return CStr(control.Get("Text"));
  const bool combo = type == "ComboBox";
  std::string shown = combo ? CStr(control.Get("Text")) : "";
  for (int32_t i = 0; i < CLng(control.Get("ListCount")); ++i) {
    shown += "|" + CStr(control.Get("List", {Variant(i)}));
    if (!combo && CBool(control.Get("Selected", {Variant(i)}))) shown += "+";
  }
  return combo ? shown + "@" + CStr(control.Get("ListIndex")) : shown;
}

// What every control of `form` shows, in the form's order.
Values Shown(const Form& form) {
  Values shown;
  for (const ObjectRef& control : form.Controls()) shown.push_back(Shown(*control));
  return shown;
}

class FormBindingTest : public ::testing::TestWithParam<FormKind> {
 protected:
  FormBindingTest() { context_->SetApplicationContext(host_); }

  // The values under `tag` as "id=value", in store order, newest first.
  Values Stored(const std::string& tag) {
    Values values;
    for (const Record& record : Records(*context_)) {
      if (record.tag == tag) values.push_back(record.id + "=" + record.value);
    }
    return values;
  }
  // Every entry of the dictionary as "key=value", in its order.
  Values Snapshot() {
    Values entries;
    for (const std::string& key : snapshot_.Keys())
      entries.push_back(key + "=" + CStr(snapshot_.Item(key)));
    return entries;
  }
  // Adds each "id=value" under Dlg so that the first given of an id ends as
  // its Instance 1.
  void Store(const Values& values) {
    for (auto value = values.rbegin(); value != values.rend(); ++value) {
      const std::size_t equals = value->find('=');
      context_->Add("Dlg", value->substr(0, equals), Variant(value->substr(equals + 1)));
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
  std::unique_ptr<FormKit> kit_ = GetParam().make();
};

TEST_P(FormBindingTest, ExtractionOfAMultiLineTextBoxAddsItsLinesLastToFirst) {
  struct Case {
    std::string text;
    Values stored;  // store order, newest first
    std::string dictionary;
  };
  const Case cases[] = {
      {"1\r\n2\r\n3\r\n4\r\n5\r\n6", {"Lines=1", "Lines=2", "Lines=3", "Lines=4"}, "6`5`4`3`2`1"},
      {"a\r\nb\r\n", {"Lines=a", "Lines=b", "Lines="}, "b`a"},
  };
  ObjectRef box = kit_->TextBox("id=Lines", true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    box->Let("Text", Variant(c.text));
    EXPECT_EQ(Shown(*box), c.text);
    context_->ExtractTagsFromForm("Dlg", kit_->form());
    EXPECT_EQ(Stored("Dlg"), c.stored);
    snapshot_.RemoveAll();
    EXPECT_TRUE(ExtractToCollection(kit_->form()));
    EXPECT_EQ(Snapshot(), Values{"Dlg.Lines=" + c.dictionary});
  }
}

TEST_P(FormBindingTest, ExtractionReadsEachKindOfControlByItsType) {
  kit_->CheckBox("id=Grey")->Let("Value", Variant(int16_t{2}));
  WithItems(kit_->ComboBox("id=Size;prop=ItemData", 2), {"10", "12"});
  WithItems(kit_->ListBox("id=Single"), {"a", "b"});
  kit_->Label("id=Caption;prop=caption");  // letter case: no prop
  WithItems(kit_->ComboBox("id=Free"), {"x"})->Let("Text", Variant("typed"));

  context_->ExtractTagsFromForm("Dlg", kit_->form());
  // No current item gives no value; nor does a list box's, but its entry.
  EXPECT_EQ(Stored("Dlg"), (Values{"Free=typed", "Grey=False"}));
  EXPECT_TRUE(ExtractToCollection(kit_->form()));
  EXPECT_EQ(Snapshot(), (Values{"Dlg.Grey=False", "Dlg.Single=", "Dlg.Free=typed"}));
  EXPECT_TRUE(host_->Errors().empty());
}

// Population ends at a label whose colour is the empty text, extraction at
// a label asked for a list; the controls after them are left alone.
TEST_P(FormBindingTest, BindingEndsAtAFailingControlAndReportsIt) {
  Store({"First=stored"});
  kit_->TextBox("id=First");
  kit_->Label("id=Colour;prop=BackColor");  // no stored colour: the empty text
  kit_->Label("id=Broken;prop=List");       // a label has no list
  kit_->TextBox("id=Last")->Let("Text", Variant("shown"));
  context_->PopulateFormFromTags("Dlg", kit_->form(), snapshot_);
  EXPECT_EQ(Shown(kit_->form()), (Values{"stored", " -2147483633", " -2147483633", "shown"}));
  context_->ExtractTagsFromForm("Dlg", kit_->form());
  EXPECT_EQ(Stored("Dlg"), (Values{"Colour=-2147483633", "First=stored"}));
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/PopulateFormFromTags", errc::kTypeMismatch},
                     {"Tamrel/ContextCls/ExtractTagsFromForm", errc::kNoSuchMember}}));
}

TEST_P(FormBindingTest, BuildFromCollectionMakesEntriesValuesOfTheirTagAndId) {
  context_->Add("Dlg", "Size", Variant("old"));
  context_->Add("Dlg", "Untouched", Variant("u"));
  snapshot_.Add("Dlg.Size", Variant(int32_t{12}));
  snapshot_.Add("Other.Field", Variant("x"));
  snapshot_.Add("Lines", Variant("one`two`three"));
  snapshot_.Add("Bad", Variant::Null());  // ends the build
  snapshot_.Add("Last", Variant("3"));
  context_->BuildFromCollection("Dlg", snapshot_);
  EXPECT_EQ(Stored("Dlg"),
            (Values{"Lines=one", "Lines=two", "Lines=three", "Size=12", "Untouched=u"}));
  EXPECT_EQ(Stored("Other"), Values{"Field=x"});
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/BuildFromCollection", errc::kInvalidUseOfNull}}));
}

TEST_P(FormBindingTest, PopulationShowsEveryValueAndSnapshotsEveryMatch) {
  Store({"Letter=A", "Pick=z", "Pick=x", "Pick=missing", "Lines=one", "Lines=", "Lines=three",
         "Recent=x", "Recent=", "Recent=z"});
  context_->MoveNext("Dlg", "Lines");  // the values are read from the first
  WithItems(kit_->ComboBox("id=Letter"), {"A", "B", "A"});
  WithItems(kit_->ListBox("id=Pick", ListBox::kSimpleMultiSelect), {"x", "y", "z"})
      ->Let("Selected", Variant(true), {Variant(1)});
  kit_->TextBox("id=Lines", true);
  WithItems(kit_->ListBox("id=Recent;prop=List"), {"already"});
  context_->PopulateFormFromTags("Dlg", kit_->form(), snapshot_);
  EXPECT_EQ(Shown(kit_->form()),
            (Values{"A|A|B|A@0", "|x+|y|z+", "one\r\n\r\nthree", "|already|x||z"}));
  EXPECT_EQ(Snapshot(),
            (Values{"Dlg.Letter=A`A", "Dlg.Pick=z`x", "Dlg.Lines=one", "Dlg.Recent=x``z"}));
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_P(FormBindingTest, PopulationWritesWhatEachControlCanTake) {
  // "yes": not exactly "True"; the first system colour a colour all the same.
  Store({"Free=Courier", "Fixed=Courier", "Bold=yes", "Single=b", "Shade=-2147483648", "Title=Hi",
         "Typed=Serif", "NoList=x"});
  WithItems(kit_->ComboBox("id=Free"), {"Arial", "Times"});
  WithItems(kit_->ComboBox("id=Fixed", 2), {"Arial", "Times"})->Let("ListIndex", Variant(1));
  kit_->CheckBox("id=Bold")->Let("Value", Variant(int16_t{1}));
  WithItems(kit_->ListBox("id=Single"), {"a", "b"})->Let("Selected", Variant(true), {Variant(0)});
  kit_->Label("id=Missing;prop=Caption")->Let("Caption", Variant("kept"));
  kit_->Label("id=Shade;prop=BackColor");
  kit_->Label("id=Title;prop=Caption");
  kit_->ComboBox("id=Typed");
  kit_->ComboBox("id=NoList", 2);

  context_->PopulateFormFromTags("Dlg", kit_->form(), snapshot_);
  // A drop-down list takes no free text; a check box is checked by "True" alone.
  EXPECT_EQ(Shown(kit_->form()),
            (Values{"Courier|Arial|Times@-1", "Times|Arial|Times@1", "0", "|a|b+",
                    "kept -2147483633", " -2147483648", "Hi -2147483633", "Serif@-1", "@-1"}));
  EXPECT_EQ(Snapshot(),
            (Values{"Dlg.Bold=yes", "Dlg.Single=b", "Dlg.Shade=-2147483648", "Dlg.Title=Hi"}));
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_P(FormBindingTest, PopulationOfAnOptionGroupLeavesTheStoredChoice) {
  const Values cases[] = {{"False", "True"}, {"True", "False"}, {"False", "False"}};
  kit_->OptionButton("id=Left");
  kit_->OptionButton("id=Right");
  for (const Values& stored : cases) {  // for Left, Right; none chosen stays so
    context_->Value("Dlg", "Left", Variant(stored[0]));
    context_->Value("Dlg", "Right", Variant(stored[1]));
    context_->PopulateFormFromTags("Dlg", kit_->form(), snapshot_);
    EXPECT_EQ(Shown(kit_->form()), stored);
  }
  EXPECT_TRUE(host_->Errors().empty());
}

// One control of every kind, the same on every call; values start empty.
struct SettingsForm {
  explicit SettingsForm(const FormKind& kind) : kit(kind.make()) {
    WithItems(font, {"Arial", "Courier", "Times"});
    WithItems(size, {"10 pt", "12 pt", "14 pt"});
    for (int32_t i = 0; i < 3; ++i) size->Let("ItemData", Variant(10 + 2 * i), {Variant(i)});
    WithItems(pick, {"red", "green", "blue"});
  }
  void Fill(const std::string& notes_text) {
    name->Let("Text", Variant("Plant 7"));
    notes->Let("Text", Variant(notes_text));
    font->Let("ListIndex", Variant(1));
    size->Let("ListIndex", Variant(2));
    bold->Let("Value", Variant(int16_t{1}));
    right->Let("Value", Variant(true));
    for (int32_t i : {0, 2}) pick->Let("Selected", Variant(true), {Variant(i)});
    colour->Let("BackColor", Variant(int32_t{0x00FF00}));
    shared->Let("Text", Variant("/var/lib/plant"));
  }
  Values State() const { return Shown(kit->form()); }

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

// The form extracted through a dictionary into the store, populated afresh
// as it was, and then each edit, and no other, found by extraction against
// the snapshot.
TEST_P(FormBindingTest, RoundTripOfAFormThroughADictionaryAndTheStoreWithChangedExact) {
  SettingsForm original(GetParam());
  original.Fill("one line");  // several lines would come back reversed
  context_->ExtractTagsFromForm("Dlg", original.kit->form());
  EXPECT_EQ(Stored("Dlg").front(), "Shared.Path=/var/lib/plant") << "a dotted id under the tag";
  EXPECT_TRUE(ExtractToCollection(original.kit->form()));
  context_->BuildFromCollection("Dlg", snapshot_);

  const std::pair<const char*, void (*)(SettingsForm&)> edits[] = {
      {"none", [](SettingsForm&) {}},
      {"text", [](SettingsForm& f) { f.name->Let("Text", Variant("Plant 8")); }},
      {"item data", [](SettingsForm& f) { f.size->Let("ListIndex", Variant(0)); }},
      {"list box", [](SettingsForm& f) { f.pick->Let("Selected", Variant(true), {Variant(1)}); }},
      {"dotted id", [](SettingsForm& f) { f.shared->Let("Text", Variant("/tmp")); }},
  };
  for (const auto& [label, edit] : edits) {
    SCOPED_TRACE(label);
    SettingsForm copy(GetParam());
    ASSERT_NE(copy.State(), original.State());
    snapshot_.RemoveAll();
    context_->PopulateFormFromTags("Dlg", copy.kit->form(), snapshot_);
    EXPECT_EQ(copy.State(), original.State());
    EXPECT_FALSE(ExtractToCollection(copy.kit->form()));
    edit(copy);
    EXPECT_EQ(ExtractToCollection(copy.kit->form()), label != std::string("none"));
    EXPECT_FALSE(ExtractToCollection(copy.kit->form())) << "the dictionary now holds the edit";
  }
  EXPECT_TRUE(host_->Errors().empty());
}

std::string KindName(const ::testing::TestParamInfo<FormKind>& kind) { return kind.param.name; }

INSTANTIATE_TEST_SUITE_P(EveryKindOfForm, FormBindingTest, ::testing::ValuesIn(FormKinds()),
                         KindName);

}  // namespace
}  // namespace tamrel::testing
