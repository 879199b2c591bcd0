// Form population: the store into the controls, with the snapshot entries.
#include "forms_fixture.hpp"

namespace tamrel::testing {
namespace {

class FormPopulationTest : public FormsTest {
 protected:
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
};

TEST_F(FormPopulationTest, CaptionNeedsAValueAndAnEmptyBackColorEndsTheSweep) {
  Store("Empty", {""});
  Store("Title", {"Hello"});
  Store("Colour", {"255"});
  auto empty = form_.Add<Label>("id=Empty;prop=Caption");
  auto title = form_.Add<Label>("id=Title;prop=Caption");
  auto coloured = form_.Add<TextBox>("id=Colour;prop=BackColor");
  form_.Add<TextBox>("id=Missing;prop=BackColor");
  auto after = form_.Add<TextBox>("id=Colour");
  empty->Caption("e");
  Populate();
  EXPECT_EQ(empty->Caption() + title->Caption(), "eHello");
  EXPECT_EQ(coloured->BackColor(), 255);
  EXPECT_EQ(after->Text(), "");
  EXPECT_EQ(snapshot_.Keys(), (Values{"Dlg.Title", "Dlg.Colour"}));
  EXPECT_EQ(host_->Errors(),
            (Reports{{"Tamrel/ContextCls/PopulateFormFromTags", errc::kTypeMismatch}}));
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

}  // namespace
}  // namespace tamrel::testing
