// Form binding: extraction into the store and a dictionary, building from a
// dictionary, population from the store, and round trips through a full form.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/error_number.hpp"
#include "context/context_state.hpp"
#include "support/recording_host.hpp"
#include "tamrel/context.hpp"
#include "tamrel/dictionary.hpp"
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"

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
    detail::StateOf(*context_).items.ForEach([&](const detail::ContextItem& item) {
      if (item.Tag == tag && item.Id == id) values.push_back(item.Value);
    });
    return values;
  }
  int32_t RecordCount() { return detail::StateOf(*context_).items.Count(); }
  // The dictionary entry under `key`, which must exist.
  std::string Entry(const std::string& key) {
    EXPECT_TRUE(snapshot_.Exists(key)) << key;
    return snapshot_.Exists(key) ? CStr(snapshot_.Item(key)) : std::string();
  }
  void Populate() { context_->PopulateFormFromTags("Dlg", form_, snapshot_); }
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

using FormExtractionTest = FormsTest;
using BuildFromCollectionTest = FormsTest;
using FormPopulationTest = FormsTest;
using RoundTripTest = FormsTest;

TEST_F(FormExtractionTest, MultiLineTextBoxAddsItsLinesLastToFirst) {
  struct Case {
    std::string text;
    Values stored;  // store order, newest first
    std::string dictionary;
  };
  const Case cases[] = {
      {"1\r\n2\r\n3\r\n4\r\n5\r\n6", {"1", "2", "3", "4"}, Joined({"6", "5", "4", "3", "2", "1"})},
      {"a\r\nb\r\n", {"a", "b", ""}, Joined({"b", "a"})},
      {"a\r\n\r\nc", {"a", "", "c"}, "c``a"},
      {"a\nb", {"a\nb"}, "a\nb"},
      {"", {""}, ""},
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
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_F(FormExtractionTest, ExplicitPropertiesAndListsSelectTheValue) {
  form_.Add<Label>("id=Lower;prop=caption")->Caption("ignored");
  auto items = form_.Add<ListBox>("id=Items;prop=List");
  form_.Add<CheckBox>("id=Grey")->Value(CheckBox::kGrayed);
  auto pick = form_.Add<ListBox>("id=Pick", ListBox::kSimpleMultiSelect);
  for (const char* item : {"x", "", "z"}) items->AddItem(item);
  for (const char* item : {"a", "b", "c", "d", "e", "f"}) pick->AddItem(item);
  for (int32_t i = 0; i < 6; ++i) pick->Selected(i, true);

  context_->ExtractTagsFromForm("Dlg", form_);
  EXPECT_EQ(Stored("Dlg", "Items"), Values{Joined({"z", "x"})});
  EXPECT_EQ(Stored("Dlg", "Grey"), Values{"False"});
  EXPECT_EQ(Stored("Dlg", "Pick"), (Values{"a", "b", "c", "d"}));
  EXPECT_EQ(RecordCount(), 6);

  EXPECT_TRUE(ExtractToCollection(form_));
  EXPECT_EQ(snapshot_.Keys(), (Values{"Dlg.Items", "Dlg.Grey", "Dlg.Pick"}));
  EXPECT_EQ(Entry("Dlg.Pick"), Joined({"f", "e", "d", "c", "b", "a"}));
}

TEST_F(FormExtractionTest, AFailingControlEndsTheSweepAndIsReported) {
  form_.Add<TextBox>("id=First")->Text("1");
  form_.Add<Label>("id=Broken;prop=List");  // a label has no list
  form_.Add<TextBox>("id=Last")->Text("3");
  context_->Add("Dlg", "Old", Variant("o"));

  context_->ExtractTagsFromForm("Dlg", form_);
  EXPECT_EQ(Stored("Dlg", "First"), Values{"1"});
  EXPECT_EQ(RecordCount(), 1) << "the last control is not reached; the removal is not undone";
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/ExtractTagsFromForm", errc::kNoSuchMember}}));

  host_->ClearCalls();
  EXPECT_TRUE(ExtractToCollection(form_));
  EXPECT_EQ(snapshot_.Keys(), Values{"Dlg.First"});
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/ExtractTagsFromFormToCollection", errc::kNoSuchMember}}));
}

TEST_F(BuildFromCollectionTest, EntriesBecomeValuesOfTheirTagAndId) {
  context_->Add("Dlg", "Size", Variant("old 1"));
  context_->Add("Dlg", "Size", Variant("old 2"));
  context_->Add("Dlg", "Lines", Variant("old"));
  context_->Add("Dlg", "Untouched", Variant("u"));
  Dictionary cln;
  cln.Add("Size", Variant(int32_t{10}));
  cln.Add("Dlg.Size", Variant(int32_t{12}));  // the later key wins
  cln.Add("Other.Field", Variant("x"));
  cln.Add("A.B.C", Variant("y"));
  cln.Add("Lines", Variant(Joined({"one", "two", "three"})));
  cln.Add("Blanks", Variant("``"));
  cln.Add(".NoTag", Variant("a"));  // refused by Add and skipped
  cln.Add("NoId.", Variant("b"));

  context_->BuildFromCollection("Dlg", cln);
  EXPECT_EQ(Stored("Dlg", "Size"), Values{"12"});
  EXPECT_EQ(Stored("Other", "Field"), Values{"x"});
  EXPECT_EQ(Stored("A", "B.C"), Values{"y"});
  EXPECT_EQ(Stored("Dlg", "Lines"), (Values{"one", "two", "three"}));
  EXPECT_EQ(Stored("Dlg", "Blanks"), (Values{"", "", ""}));
  EXPECT_EQ(Stored("Dlg", "Untouched"), Values{"u"});
  EXPECT_EQ(RecordCount(), 10);
  EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/Add", errc::kIllegalContextParam},
                                      {"Tamrel/ContextCls/Add", errc::kIllegalContextParam}}));
}

TEST_F(BuildFromCollectionTest, ABadEntryEndsTheBuildAndIsReported) {
  const std::pair<Variant, int32_t> cases[] = {
      {Variant::Null(), errc::kInvalidUseOfNull},
      {Variant(std::string(32767, '`')), errc::kOverflow},  // 32768 parts
  };
  for (const auto& [bad, error] : cases) {
    SCOPED_TRACE(error);
    context_->Clear();
    host_->ClearCalls();
    Dictionary cln;
    cln.Add("First", Variant("1"));
    cln.Add("Bad", bad);
    cln.Add("Last", Variant("3"));
    context_->BuildFromCollection("Dlg", cln);
    EXPECT_EQ(Stored("Dlg", "First"), Values{"1"});
    EXPECT_EQ(RecordCount(), 1);
    EXPECT_EQ(host_->Errors(), (Reports{{"Tamrel/ContextCls/BuildFromCollection", error}}));
  }
}

TEST_F(FormPopulationTest, ChoiceControlsTakeExactMatchesAndSnapshotEveryMatch) {
  for (const char* id : {"Free", "Fixed"}) Store(id, {"C"});
  Store("Letter", {"A"});
  Store("Upper", {"True"});
  context_->CloneAdd("Dlg", "Lower", "true", 1);  // Add would store "True"
  Store("Pick", {"z", "x", "missing"});
  auto letter = With(form_.Add<ComboBox>("id=Letter"), {"A", "B", "A"});
  auto free_text = With(form_.Add<ComboBox>("id=Free"), {"A", "B"});
  auto fixed = With(form_.Add<ComboBox>("id=Fixed", ComboBox::kDropDownList), {"A", "B"});
  fixed->ListIndex(1);
  auto upper = form_.Add<CheckBox>("id=Upper");
  auto lower = form_.Add<CheckBox>("id=Lower");
  lower->Value(CheckBox::kChecked);
  auto pick = With(form_.Add<ListBox>("id=Pick", ListBox::kSimpleMultiSelect), {"x", "y", "z"});
  pick->Selected(1, true);
  Populate();
  EXPECT_EQ(std::pair(letter->ListIndex(), free_text->ListIndex()), std::pair(0, -1));
  EXPECT_EQ(free_text->Text() + fixed->Text(), "CB");
  EXPECT_EQ(Entry("Dlg.Letter"), Joined({"A", "A"}));
  EXPECT_EQ(std::pair(upper->Value(), lower->Value()),
            std::pair(CheckBox::kChecked, CheckBox::kUnchecked));
  EXPECT_EQ(Entry("Dlg.Lower"), "true");
  EXPECT_TRUE(pick->Selected(0) && !pick->Selected(1) && pick->Selected(2));
  EXPECT_EQ(Entry("Dlg.Pick"), Joined({"z", "x"}));
  EXPECT_FALSE(snapshot_.Exists("Dlg.Free"));
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_F(FormPopulationTest, TextAndListsShowEveryValueAndASecondCallExtendsListEntries) {
  Store("Lines", {"one", "two", "three"});
  Store("Blank", {"", "b"});
  Store("Recent", {"x", "", "z"});
  Store("Letter", {"A"});
  Store("Size", {"12"});
  context_->MoveNext("Dlg", "Lines");  // the values are read from the first
  auto lines = form_.Add<TextBox>("id=Lines", true);
  auto blank = form_.Add<TextBox>("id=Blank", true);
  auto none = form_.Add<TextBox>("id=None", true);
  none->Text("cleared");
  With(form_.Add<ComboBox>("id=Letter"), {"A"});
  form_.Add<TextBox>("id=Size");
  auto recent = With(form_.Add<ListBox>("id=Recent;prop=List"), {"already"});
  Populate();
  EXPECT_EQ(lines->Text() + "|" + blank->Text() + "|" + none->Text(), "one\r\ntwo\r\nthree|b|");
  EXPECT_EQ(Entry("Dlg.Lines") + "|" + Entry("Dlg.Blank"), "one|");
  EXPECT_FALSE(snapshot_.Exists("Dlg.None"));
  ASSERT_EQ(recent->ListCount(), 4);
  EXPECT_EQ(recent->List(3), "z");
  EXPECT_EQ(Entry("Dlg.Recent"), "x``z");
  EXPECT_TRUE(host_->Errors().empty());

  context_->Value("Dlg", "Size", Variant("13"));
  Populate();
  EXPECT_EQ(Entry("Dlg.Size"), "12");
  EXPECT_EQ(Entry("Dlg.Letter"), Joined({"A", "A"}));
  EXPECT_EQ(recent->ListCount(), 7) << "the items are added before the snapshot fails";
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/PopulateFormFromTags", errc::kDuplicateKey}}));
}

// One control of every kind, the same on every call; values start empty.
struct SettingsForm {
  SettingsForm() {
    for (const char* item : {"Arial", "Courier", "Times"}) font->AddItem(item);
    for (int32_t points : {10, 12, 14}) size->AddItem(std::to_string(points) + " pt");
    for (int32_t i = 0; i < 3; ++i) size->ItemData(i, 10 + 2 * i);
    for (const char* item : {"red", "green", "blue"}) pick->AddItem(item);
    form->Add<Label>("prop=Caption");  // not bound
  }
  // Every control's state as one comparable list of texts.
  Values State() const {
    Values state = {name->Text(), notes->Text(), font->Text(), title->Caption(), shared->Text()};
    for (int32_t number : {font->ListIndex(), size->ListIndex(), int32_t{bold->Value()},
                           int32_t{left->Value()}, int32_t{right->Value()}, colour->BackColor()}) {
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
    title->Caption("Settings");
    shared->Text("/var/lib/plant");
  }

  std::shared_ptr<StandardForm> form = std::make_shared<StandardForm>();
  std::shared_ptr<TextBox> name = form->Add<TextBox>("id=Name");
  std::shared_ptr<TextBox> notes = form->Add<TextBox>("id=Notes", true);
  std::shared_ptr<ComboBox> font = form->Add<ComboBox>("id=Font");
  std::shared_ptr<ComboBox> size =
      form->Add<ComboBox>("id=Size;prop=ItemData", ComboBox::kDropDownList);
  std::shared_ptr<CheckBox> bold = form->Add<CheckBox>("id=Bold");
  std::shared_ptr<OptionButton> left = form->Add<OptionButton>("id=Left");
  std::shared_ptr<OptionButton> right = form->Add<OptionButton>("id=Right");
  std::shared_ptr<ListBox> pick = form->Add<ListBox>("id=Pick", ListBox::kSimpleMultiSelect);
  std::shared_ptr<Label> colour = form->Add<Label>("id=Colour;prop=BackColor");
  std::shared_ptr<Label> title = form->Add<Label>("id=Title;prop=Caption");
  std::shared_ptr<TextBox> shared = form->Add<TextBox>("id=Shared.Path");
};

TEST_F(RoundTripTest, FormThroughTheStoreIntoAFreshForm) {
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

TEST_F(RoundTripTest, FormThroughADictionaryAndTheStoreWithChangedExact) {
  SettingsForm original;
  original.Fill("one line");  // several lines would come back reversed
  EXPECT_TRUE(ExtractToCollection(*original.form));
  context_->BuildFromCollection("Dlg", snapshot_);

  const std::pair<const char*, void (*)(SettingsForm&)> edits[] = {
      {"none", [](SettingsForm&) {}},
      {"text", [](SettingsForm& f) { f.name->Text("Plant 8"); }},
      {"multi-line text", [](SettingsForm& f) { f.notes->Text("first"); }},
      {"item data", [](SettingsForm& f) { f.size->ListIndex(0); }},
      {"check box", [](SettingsForm& f) { f.bold->Value(CheckBox::kGrayed); }},
      {"option button", [](SettingsForm& f) { f.left->Value(true); }},
      {"list box", [](SettingsForm& f) { f.pick->Selected(1, true); }},
      {"back colour", [](SettingsForm& f) { f.colour->BackColor(1); }},
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
