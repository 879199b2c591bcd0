// Form extraction into the store and into a dictionary, and
// setScrDictionaryVal.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/error_number.hpp"
#include "forms_fixture.hpp"
#include "tamrel/error.hpp"

namespace tamrel::testing {
namespace {

using Values = std::vector<std::string>;

class FormExtractionTest : public FormsTest {
 protected:
  // Extracts the form into the dictionary and returns the caller's flag.
  bool ExtractToCollection(const std::string& tag_name = "Dlg") {
    bool changed = false;
    context_->ExtractTagsFromFormToCollection(tag_name, form_, snapshot_, changed);
    return changed;
  }

  StandardForm form_;
};

TEST_F(FormExtractionTest, MultiLineTextBoxAddsItsLinesLastToFirst) {
  struct Case {
    const char* label;
    std::string text;
    Values stored;          // store order, newest first
    std::string dictionary;
  };
  const std::vector<Case> cases = {
      {"three lines", "a\r\nb\r\nc", {"a", "b", "c"}, Joined({"c", "b", "a"})},
      {"six lines keep the first four", "1\r\n2\r\n3\r\n4\r\n5\r\n6", {"1", "2", "3", "4"},
       Joined({"6", "5", "4", "3", "2", "1"})},
      {"trailing line break", "a\r\nb\r\n", {"a", "b", ""}, Joined({"b", "a"})},
      {"empty middle line", "a\r\n\r\nc", {"a", "", "c"}, "c``a"},
      {"lone LF is no break", "a\nb", {"a\nb"}, "a\nb"},
      {"empty text is one empty line", "", {""}, ""},
  };
  auto box = form_.Add<TextBox>("id=Lines", true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    box->Text(c.text);
    context_->ExtractTagsFromForm("Dlg", form_);
    EXPECT_EQ(Stored("Dlg", "Lines"), c.stored);
    snapshot_.RemoveAll();
    EXPECT_TRUE(ExtractToCollection());
    EXPECT_EQ(Entry("Dlg.Lines"), c.dictionary);
  }
  EXPECT_TRUE(host_->Errors().empty());
}

TEST_F(FormExtractionTest, ListBoxGivesItsSelectedItemsLastToFirst) {
  auto list = form_.Add<ListBox>("id=Pick", ListBox::kSimpleMultiSelect);
  for (const char* item : {"a", "b", "c", "d", "e", "f"}) list->AddItem(item);

  EXPECT_TRUE(ExtractToCollection());
  EXPECT_EQ(Entry("Dlg.Pick"), "");
  context_->ExtractTagsFromForm("Dlg", form_);
  EXPECT_TRUE(Stored("Dlg", "Pick").empty());

  for (int32_t i = 0; i < 6; ++i) list->Selected(i, true);
  context_->ExtractTagsFromForm("Dlg", form_);
  EXPECT_EQ(Stored("Dlg", "Pick"), (Values{"a", "b", "c", "d"}));
  EXPECT_TRUE(ExtractToCollection());
  EXPECT_EQ(Entry("Dlg.Pick"), Joined({"f", "e", "d", "c", "b", "a"}));
}

TEST_F(FormExtractionTest, ExplicitPropertiesSelectTheValue) {
  auto colour = form_.Add<TextBox>("id=Colour;prop=BackColor");
  colour->BackColor(255);
  auto caption = form_.Add<Label>("id=Title; prop=Caption");
  caption->Caption("Hello");
  auto lower_case = form_.Add<Label>("id=Lower;prop=caption");
  lower_case->Caption("ignored");
  auto data = form_.Add<ComboBox>("id=Data;prop=ItemData");
  data->AddItem("ten");
  data->AddItem("twenty");
  data->ItemData(1, 20);
  auto no_data = form_.Add<ComboBox>("id=NoData;prop=ItemData");
  no_data->AddItem("only");
  auto items = form_.Add<ListBox>("id=Items;prop=List");
  for (const char* item : {"x", "", "z"}) items->AddItem(item);
  data->ListIndex(1);
  form_.Add<CheckBox>("id=Grey")->Value(CheckBox::kGrayed);

  context_->ExtractTagsFromForm("Dlg", form_);
  EXPECT_EQ(Stored("Dlg", "Colour"), Values{"255"});
  EXPECT_EQ(Stored("Dlg", "Title"), Values{"Hello"});
  EXPECT_TRUE(Stored("Dlg", "Lower").empty());
  EXPECT_EQ(Stored("Dlg", "Data"), Values{"20"});
  EXPECT_TRUE(Stored("Dlg", "NoData").empty());
  EXPECT_EQ(Stored("Dlg", "Items"), Values{Joined({"z", "x"})});
  EXPECT_EQ(Stored("Dlg", "Grey"), Values{"False"});
  EXPECT_EQ(RecordCount(), 5);

  EXPECT_TRUE(ExtractToCollection());
  EXPECT_EQ(snapshot_.Keys(),
            (std::vector<std::string>{"Dlg.Colour", "Dlg.Title", "Dlg.Data", "Dlg.Items", "Dlg.Grey"}));
  EXPECT_EQ(snapshot_.Item("Dlg.Colour"), Variant("255"));  // always text
  EXPECT_EQ(Entry("Dlg.Items"), Joined({"z", "x"}));
}

TEST_F(FormExtractionTest, SetScrDictionaryValSetsChangedOnlyOnADifference) {
  Dictionary cln;
  bool changed = false;
  context_->setScrDictionaryVal(cln, "k", Variant("v"), changed);
  EXPECT_TRUE(changed);
  changed = false;
  context_->setScrDictionaryVal(cln, "k", Variant("v"), changed);
  EXPECT_FALSE(changed);
  context_->setScrDictionaryVal(cln, "k", Variant("V"), changed);
  EXPECT_TRUE(changed);
  EXPECT_EQ(cln.Item("k"), Variant("V"));

  context_->setScrDictionaryVal(cln, "k", Variant("V"), changed);
  EXPECT_TRUE(changed) << "a flag already True stays True";

  cln.Item("n", Variant(int32_t{12}));
  changed = false;
  context_->setScrDictionaryVal(cln, "n", Variant(int32_t{12}), changed);
  EXPECT_TRUE(changed) << "a number in the entry differs from the text 12";
  EXPECT_EQ(cln.Item("n"), Variant("12"));

  changed = false;
  EXPECT_EQ(ErrorNumberOf([&] { context_->setScrDictionaryVal(cln, "x", Variant::Null(), changed); }),
            errc::kInvalidUseOfNull);
  EXPECT_FALSE(changed);
  EXPECT_FALSE(cln.Exists("x"));
}

TEST_F(FormExtractionTest, AFailingControlEndsTheSweepAndIsReported) {
  form_.Add<TextBox>("id=First")->Text("1");
  form_.Add<Label>("id=Broken;prop=List");  // a label has no list
  form_.Add<TextBox>("id=Last")->Text("3");
  context_->Add("Dlg", "Old", Variant("o"));

  context_->ExtractTagsFromForm("Dlg", form_);
  EXPECT_EQ(Stored("Dlg", "First"), Values{"1"});
  EXPECT_TRUE(Stored("Dlg", "Last").empty());
  EXPECT_TRUE(Stored("Dlg", "Old").empty()) << "the removal is not undone";
  ASSERT_EQ(host_->Errors().size(), 1u);
  EXPECT_EQ(host_->Errors()[0].first, "Tamrel/ContextCls/ExtractTagsFromForm");
  EXPECT_EQ(host_->Errors()[0].second, errc::kNoSuchMember);

  host_->ClearCalls();
  EXPECT_TRUE(ExtractToCollection());
  EXPECT_EQ(snapshot_.Keys(), std::vector<std::string>{"Dlg.First"});
  EXPECT_EQ(host_->Errors(), (std::vector<std::pair<std::string, int32_t>>{
                                 {"Tamrel/ContextCls/ExtractTagsFromFormToCollection",
                                  errc::kNoSuchMember}}));
  EXPECT_EQ(host_->CallsOf("HandleError").size(), 1u);
}

}  // namespace
}  // namespace tamrel::testing
