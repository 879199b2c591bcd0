// Form population: the store into the controls, with the snapshot entries.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms_fixture.hpp"
#include "tamrel/error.hpp"
#include "tamrel/platform.hpp"

namespace tamrel::testing {
namespace {

class FormPopulationTest : public FormsTest {
 protected:
  void Populate(const std::string& tag_name = "Dlg") {
    context_->PopulateFormFromTags(tag_name, form_, snapshot_);
  }
  // Adds values so that the first one given ends as Instance 1.
  void Store(const std::string& tag, const std::string& id, std::vector<std::string> values) {
    for (auto value = values.rbegin(); value != values.rend(); ++value) {
      context_->Add(tag, id, Variant(*value));
    }
  }
  std::shared_ptr<ComboBox> Combo(const std::string& tag, std::vector<std::string> items,
                                  int16_t style = ComboBox::kDropDownCombo) {
    auto combo = form_.Add<ComboBox>(tag, style);
    for (std::string& item : items) combo->AddItem(std::move(item));
    return combo;
  }

  StandardForm form_;
};

TEST_F(FormPopulationTest, CaptionNeedsAValueWhileBackColorIsAlwaysWritten) {
  Store("Dlg", "Empty", {""});
  Store("Dlg", "Title", {"Hello"});
  Store("Dlg", "Colour", {"255"});
  auto missing = form_.Add<Label>("id=Missing;prop=Caption");
  auto empty = form_.Add<Label>("id=Empty;prop=Caption");
  auto title = form_.Add<Label>("id=Title;prop=Caption");
  auto coloured = form_.Add<TextBox>("id=Colour;prop=BackColor");
  auto uncoloured = form_.Add<TextBox>("id=Missing;prop=BackColor");
  auto after = form_.Add<TextBox>("id=Colour");
  missing->Caption("m");
  empty->Caption("e");
  Populate();
  EXPECT_EQ(missing->Caption(), "m");
  EXPECT_EQ(empty->Caption(), "e");
  EXPECT_EQ(title->Caption(), "Hello");
  EXPECT_EQ(coloured->BackColor(), 255);
  EXPECT_EQ(uncoloured->BackColor(), kWindowBackground) << "the empty text is no colour";
  EXPECT_EQ(after->Text(), "") << "the sweep ends at the failing control";
  EXPECT_EQ(snapshot_.Keys(), (std::vector<std::string>{"Dlg.Title", "Dlg.Colour"}));
  EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                 {"Tamrel/ContextCls/PopulateFormFromTags",
                                  errc::kTypeMismatch}}));
}

TEST_F(FormPopulationTest, ComboBoxSelectsTheLowestMatchAndSnapshotsEveryMatch) {
  Store("Dlg", "Letter", {"A"});
  Store("Dlg", "Free", {"C"});
  Store("Dlg", "Fixed", {"C"});
  Store("Dlg", "Empty", {"typed"});
  auto letter = Combo("id=Letter", {"A", "B", "A"});
  auto free_text = Combo("id=Free", {"A", "B"});
  auto fixed = Combo("id=Fixed", {"A", "B"}, ComboBox::kDropDownList);
  auto empty = Combo("id=Empty", {});
  auto empty_fixed = Combo("id=Empty", {}, ComboBox::kDropDownList);
  fixed->ListIndex(1);
  Populate();
  EXPECT_EQ(letter->ListIndex(), 0);
  EXPECT_EQ(Entry("Dlg.Letter"), Joined({"A", "A"}));
  EXPECT_EQ(free_text->Text(), "C");
  EXPECT_EQ(free_text->ListIndex(), -1);
  EXPECT_EQ(fixed->Text(), "B");
  EXPECT_EQ(empty->Text(), "typed");
  EXPECT_EQ(empty_fixed->Text(), "");
  EXPECT_EQ(snapshot_.Keys(), std::vector<std::string>{"Dlg.Letter"});
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_F(FormPopulationTest, ItemDataMatchesNumerically) {
  Store("Dlg", "Data", {"20"});
  Store("Dlg", "Word", {"abc"});
  auto data = Combo("id=Data;prop=ItemData", {"ten", "twenty", "again"});
  data->ItemData(0, 10);
  data->ItemData(1, 20);
  data->ItemData(2, 20);
  auto word = Combo("id=Word;prop=ItemData", {"zero"});
  word->ListIndex(0);
  Populate();
  EXPECT_EQ(data->ListIndex(), 1);
  EXPECT_EQ(Entry("Dlg.Data"), Joined({"20", "20"}));
  EXPECT_EQ(word->ListIndex(), 0) << "a text that is no number matches nothing";
  EXPECT_FALSE(snapshot_.Exists("Dlg.Word"));
}

TEST_F(FormPopulationTest, ListPropertyAddsEveryValueAndASecondCallFailsOnTheKey) {
  Store("Dlg", "Recent", {"x", "", "z"});
  auto recent = form_.Add<ListBox>("id=Recent;prop=List");
  recent->AddItem("already");
  Populate();
  ASSERT_EQ(recent->ListCount(), 4);
  EXPECT_EQ(recent->List(1), "x");
  EXPECT_EQ(recent->List(2), "");
  EXPECT_EQ(recent->List(3), "z");
  EXPECT_EQ(Entry("Dlg.Recent"), "x``z");
  EXPECT_TRUE(host_->Errors().empty());

  Populate();
  EXPECT_EQ(recent->ListCount(), 7) << "the items are added before the snapshot fails";
  EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                 {"Tamrel/ContextCls/PopulateFormFromTags",
                                  errc::kDuplicateKey}}));
}

TEST_F(FormPopulationTest, MultiLineTextBoxShowsEveryValueAndSnapshotsTheFirst) {
  Store("Dlg", "Lines", {"one", "two", "three"});
  Store("Dlg", "Blank", {"", "b"});
  context_->MoveNext("Dlg", "Lines");  // the values are read from the first
  context_->MoveNext("Dlg", "Lines");
  auto lines = form_.Add<TextBox>("id=Lines", true);
  auto blank = form_.Add<TextBox>("id=Blank", true);
  auto none = form_.Add<TextBox>("id=None", true);
  lines->Text("replaced");
  none->Text("cleared");
  Populate();
  EXPECT_EQ(lines->Text(), "one\r\ntwo\r\nthree");
  EXPECT_EQ(Entry("Dlg.Lines"), "one");
  EXPECT_EQ(blank->Text(), "b") << "no line break follows an empty text";
  EXPECT_EQ(Entry("Dlg.Blank"), "");
  EXPECT_EQ(none->Text(), "");
  EXPECT_FALSE(snapshot_.Exists("Dlg.None"));
}

TEST_F(FormPopulationTest, CheckBoxesAndOptionButtonsTakeOnlyExactTrue) {
  Store("Dlg", "Upper", {"True"});
  context_->CloneAdd("Dlg", "Lower", "true", 1);  // Add would store "True"
  auto upper = form_.Add<CheckBox>("id=Upper");
  auto lower = form_.Add<CheckBox>("id=Lower");
  auto missing = form_.Add<CheckBox>("id=Missing");
  lower->Value(CheckBox::kChecked);
  missing->Value(CheckBox::kGrayed);
  auto on = form_.Add<OptionButton>("id=Upper");
  auto off = form_.Add<OptionButton>("id=Lower");
  off->Value(true);

  std::vector<bool> first_button_at_pump;
  platform::Hooks hooks;
  hooks.pump_messages = [&] { first_button_at_pump.push_back(on->Value()); };
  platform::Scope scope(std::move(hooks));
  Populate();
  EXPECT_EQ(upper->Value(), CheckBox::kChecked);
  EXPECT_EQ(lower->Value(), CheckBox::kUnchecked);
  EXPECT_EQ(missing->Value(), CheckBox::kUnchecked);
  EXPECT_TRUE(on->Value());
  EXPECT_FALSE(off->Value());
  EXPECT_EQ(first_button_at_pump, (std::vector<bool>{true, true})) << "one pump after each write";
  EXPECT_EQ(Entry("Dlg.Upper"), "True");
  EXPECT_EQ(Entry("Dlg.Lower"), "true");
  EXPECT_EQ(Entry("Dlg.Missing"), "");
}

TEST_F(FormPopulationTest, ListBoxSelectsExactlyTheStoredItems) {
  Store("Dlg", "Pick", {"z", "x", "missing"});
  auto pick = form_.Add<ListBox>("id=Pick", ListBox::kSimpleMultiSelect);
  for (const char* item : {"x", "y", "z"}) pick->AddItem(item);
  pick->Selected(1, true);
  Populate();
  EXPECT_TRUE(pick->Selected(0));
  EXPECT_FALSE(pick->Selected(1));
  EXPECT_TRUE(pick->Selected(2));
  EXPECT_EQ(Entry("Dlg.Pick"), Joined({"z", "x"}));
}

TEST_F(FormPopulationTest, ASecondCallKeepsSnapshotsButExtendsListEntries) {
  Store("Dlg", "Size", {"12"});
  Store("Dlg", "Letter", {"A"});
  Store("Dlg", "Pick", {"x"});
  Store("Dlg", "Data", {"5"});
  form_.Add<TextBox>("id=Size");
  Combo("id=Letter", {"A"});
  form_.Add<ListBox>("id=Pick")->AddItem("x");
  Combo("id=Data;prop=ItemData", {"five"})->ItemData(0, 5);
  Populate();
  context_->Value("Dlg", "Size", Variant("13"));
  Populate();
  EXPECT_EQ(Entry("Dlg.Size"), "12");
  EXPECT_EQ(Entry("Dlg.Letter"), Joined({"A", "A"}));
  EXPECT_EQ(Entry("Dlg.Pick"), Joined({"x", "x"}));
  EXPECT_EQ(Entry("Dlg.Data"), Joined({"5", "5"}));
  EXPECT_TRUE(host_->Errors().empty());
}

}  // namespace
}  // namespace tamrel::testing
