// Form extraction into the store and into a dictionary, and
// setScrDictionaryVal.
#include "forms_fixture.hpp"

namespace tamrel::testing {
namespace {

using FormExtractionTest = FormsTest;

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

TEST_F(FormExtractionTest, SetScrDictionaryValComparesAsTextAndNeverClearsTheFlag) {
  Dictionary cln;
  cln.Item("n", Variant(int32_t{12}));
  bool changed = false;
  context_->setScrDictionaryVal(cln, "n", Variant(int32_t{12}), changed);
  EXPECT_TRUE(changed) << "a number in the entry differs from the text 12";
  EXPECT_EQ(cln.Item("n"), Variant("12"));
  context_->setScrDictionaryVal(cln, "n", Variant("12"), changed);
  EXPECT_TRUE(changed) << "a flag already True stays True";
  EXPECT_EQ(
      ErrorNumberOf([&] { context_->setScrDictionaryVal(cln, "x", Variant::Null(), changed); }),
      errc::kInvalidUseOfNull);
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

}  // namespace
}  // namespace tamrel::testing
