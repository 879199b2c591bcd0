// The standard in-memory controls, reached by name as form binding reaches
// a host's controls.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/error_number.hpp"
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::testing {
namespace {

constexpr int32_t kInvalidPropertyValue = 380;
constexpr int32_t kDesignTimeOnly = 382;
constexpr int32_t kReadOnly = 383;

std::vector<Variant> At(int32_t index) { return {Variant(index)}; }

std::shared_ptr<ComboBox> ComboWith(std::vector<std::string> items, int16_t style = 0) {
  auto combo = std::make_shared<ComboBox>(style);
  for (std::string& item : items) combo->AddItem(std::move(item));
  return combo;
}

std::shared_ptr<ListBox> ListWith(std::vector<std::string> items, int16_t multi_select) {
  auto list = std::make_shared<ListBox>(multi_select);
  for (std::string& item : items) list->AddItem(std::move(item));
  return list;
}

TEST(StandardControlsTest, EveryControlAnswersTagAndBackColorByNameInAnyCase) {
  const std::vector<std::shared_ptr<Control>> controls = {
      std::make_shared<TextBox>(), std::make_shared<ComboBox>(), std::make_shared<ListBox>(),
      std::make_shared<CheckBox>(), std::make_shared<OptionButton>(), std::make_shared<Label>()};
  for (const auto& control : controls) {
    SCOPED_TRACE(control->TypeName());
    control->Let("tag", Variant("id=Size"));
    EXPECT_EQ(CStr(control->Get("Tag")), "id=Size");
    control->Let("BACKCOLOR", Variant("255"));
    EXPECT_EQ(control->Get("BackColor"), Variant(int32_t{255}));
    EXPECT_EQ(control->BackColor(), 255);
  }
}

TEST(StandardControlsTest, BackColorTakesOnlyColourNumbers) {
  TextBox box;
  const int32_t before = box.BackColor();
  struct Case {
    const char* label;
    Variant value;
    int32_t error;
  };
  const std::vector<Case> cases = {
      {"empty text", Variant(""), errc::kTypeMismatch},
      {"word", Variant("red"), errc::kTypeMismatch},
      {"Null", Variant::Null(), errc::kInvalidUseOfNull},
      {"negative", Variant(int32_t{-1}), kInvalidPropertyValue},
      {"beyond RGB", Variant(int32_t{0x01000000}), kInvalidPropertyValue},
      {"beyond system colours", Variant(static_cast<int32_t>(0x80000019u)), kInvalidPropertyValue},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(ErrorNumberOf([&] { box.Let("BackColor", c.value); }), c.error);
    EXPECT_EQ(box.BackColor(), before);
  }
  box.Let("BackColor", Variant(int32_t{0xFFFFFF}));
  EXPECT_EQ(box.BackColor(), 0xFFFFFF);
  box.Let("BackColor", Variant(kButtonFace));
  EXPECT_EQ(box.BackColor(), kButtonFace);
}

TEST(StandardControlsTest, UnknownMembersRaise438) {
  TextBox text;
  Label label;
  CheckBox check;
  std::vector<Variant> no_args;
  EXPECT_EQ(ErrorNumberOf([&] { text.Get("Caption"); }), errc::kNoSuchMember);
  EXPECT_EQ(ErrorNumberOf([&] { label.Get("Text"); }), errc::kNoSuchMember);
  EXPECT_EQ(ErrorNumberOf([&] { label.Let("Value", Variant(true)); }), errc::kNoSuchMember);
  EXPECT_EQ(ErrorNumberOf([&] { check.Get("ListCount"); }), errc::kNoSuchMember);
  EXPECT_EQ(ErrorNumberOf([&] { text.Call("AddItem", no_args); }), errc::kNoSuchMember);
}

TEST(StandardControlsTest, ListIndicesOutOfRangeRaise381) {
  auto combo = ComboWith({"A", "B"});
  auto list = ListWith({"x"}, ListBox::kSimpleMultiSelect);
  for (int32_t bad : {-1, 2, 99}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ErrorNumberOf([&] { combo->Get("List", At(bad)); }), errc::kInvalidPropertyIndex);
    EXPECT_EQ(ErrorNumberOf([&] { combo->Let("ItemData", Variant(int32_t{1}), At(bad)); }),
              errc::kInvalidPropertyIndex);
  }
  EXPECT_EQ(ErrorNumberOf([&] { list->Get("Selected", At(1)); }), errc::kInvalidPropertyIndex);
  EXPECT_EQ(ErrorNumberOf([&] { list->Let("Selected", Variant(true), At(1)); }),
            errc::kInvalidPropertyIndex);
  EXPECT_EQ(ErrorNumberOf([&] { combo->Get("List"); }), errc::kWrongArgumentCount);
  EXPECT_EQ(ErrorNumberOf([&] { combo->Get("ListCount", At(0)); }), errc::kWrongArgumentCount);
  EXPECT_EQ(CStr(combo->Get("List", {Variant("1")})), "B");
}

TEST(StandardControlsTest, ListIndexIsMinusOneForNoneAndRejectsOtherValues) {
  auto combo = ComboWith({"A", "B"});
  EXPECT_EQ(combo->Get("ListIndex"), Variant(int32_t{-1}));
  EXPECT_EQ(ErrorNumberOf([&] { combo->Let("ListIndex", Variant(int32_t{2})); }),
            kInvalidPropertyValue);
  EXPECT_EQ(ErrorNumberOf([&] { combo->Let("ListIndex", Variant(int32_t{-2})); }),
            kInvalidPropertyValue);
  EXPECT_EQ(ErrorNumberOf([&] { combo->Let("ListIndex", Variant("")); }), errc::kTypeMismatch);
  EXPECT_EQ(ErrorNumberOf([&] { combo->Let("ListCount", Variant(int32_t{5})); }), kReadOnly);
  combo->Let("ListIndex", Variant(int32_t{1}));
  EXPECT_EQ(combo->Get("ListIndex"), Variant(int32_t{1}));
  EXPECT_EQ(combo->Get("ListCount"), Variant(int32_t{2}));
}

TEST(StandardControlsTest, AddItemAppendsOrInsertsAndKeepsTheCurrentItem) {
  auto combo = ComboWith({"A", "C"});
  combo->ListIndex(1);
  std::vector<Variant> args = {Variant("B"), Variant(int32_t{1})};
  combo->Call("AddItem", args);
  ASSERT_EQ(combo->ListCount(), 3);
  EXPECT_EQ(combo->List(1), "B");
  EXPECT_EQ(combo->ItemData(1), 0);
  EXPECT_EQ(combo->ListIndex(), 2);
  EXPECT_EQ(combo->Text(), "C");
  std::vector<Variant> beyond = {Variant("D"), Variant(int32_t{4})};
  EXPECT_EQ(ErrorNumberOf([&] { combo->Call("AddItem", beyond); }), errc::kInvalidArgument);
  std::vector<Variant> none;
  EXPECT_EQ(ErrorNumberOf([&] { combo->Call("AddItem", none); }), errc::kWrongArgumentCount);
  combo->Call("addItem", {Variant(int32_t{7})});
  EXPECT_EQ(combo->List(3), "7");
}

TEST(StandardControlsTest, ComboBoxTextFollowsTheItemsAndADropDownListTakesOnlyItems) {
  auto editable = ComboWith({"A", "B", "A"});
  editable->Let("Text", Variant("A"));
  EXPECT_EQ(editable->ListIndex(), 0);
  editable->Let("Text", Variant("other"));
  EXPECT_EQ(editable->ListIndex(), -1);
  EXPECT_EQ(CStr(editable->Get("Text")), "other");
  editable->Let("ListIndex", Variant(int32_t{1}));
  EXPECT_EQ(CStr(editable->Get("Text")), "B");

  auto fixed = ComboWith({"A", "B"}, ComboBox::kDropDownList);
  EXPECT_EQ(fixed->Get("Style"), Variant(int16_t{2}));
  EXPECT_EQ(ErrorNumberOf([&] { fixed->Let("Text", Variant("other")); }), kReadOnly);
  EXPECT_EQ(fixed->Text(), "");
  fixed->Let("Text", Variant("B"));
  EXPECT_EQ(fixed->ListIndex(), 1);
  fixed->Let("ListIndex", Variant(int32_t{-1}));
  EXPECT_EQ(fixed->Text(), "");
  EXPECT_EQ(ErrorNumberOf([&] { fixed->Let("Style", Variant(int16_t{0})); }), kDesignTimeOnly);
  EXPECT_EQ(ErrorNumberOf([] { ComboBox bad(3); }), kInvalidPropertyValue);
}

TEST(StandardControlsTest, ListBoxSelectionDependsOnMultiSelect) {
  auto single = ListWith({"x", "y", "z"}, ListBox::kSingleSelect);
  single->Let("Selected", Variant(true), At(0));
  single->Let("Selected", Variant(true), At(2));
  EXPECT_EQ(single->Get("Selected", At(0)), Variant(false));
  EXPECT_EQ(single->Get("Selected", At(2)), Variant(true));
  EXPECT_EQ(single->ListIndex(), 2);
  EXPECT_EQ(CStr(single->Get("Text")), "z");
  single->Let("Selected", Variant(false), At(2));
  EXPECT_EQ(single->ListIndex(), -1);
  single->Let("ListIndex", Variant(int32_t{1}));
  EXPECT_TRUE(single->Selected(1));

  auto multi = ListWith({"x", "y", "z"}, ListBox::kExtendedMultiSelect);
  multi->Let("Selected", Variant(true), At(0));
  multi->Let("Selected", Variant("True"), At(2));
  EXPECT_TRUE(multi->Selected(0));
  EXPECT_TRUE(multi->Selected(2));
  EXPECT_FALSE(multi->Selected(1));
  multi->AddItem("w", 0);
  EXPECT_TRUE(multi->Selected(1));
  EXPECT_TRUE(multi->Selected(3));
  EXPECT_EQ(ErrorNumberOf([&] { multi->Let("Text", Variant("x")); }), kReadOnly);
}

TEST(StandardControlsTest, CheckBoxValueIsZeroOneOrTwo) {
  CheckBox check;
  check.Let("Value", Variant("2"));
  EXPECT_EQ(check.Get("Value"), Variant(int16_t{2}));
  for (const Variant& bad : {Variant(true), Variant(int16_t{3})}) {
    EXPECT_EQ(ErrorNumberOf([&] { check.Let("Value", bad); }), kInvalidPropertyValue);
  }
  EXPECT_EQ(ErrorNumberOf([&] { check.Let("Value", Variant("yes")); }), errc::kTypeMismatch);
  EXPECT_EQ(check.Value(), CheckBox::kGrayed);
  check.Let("Caption", Variant("Bold"));
  EXPECT_EQ(check.Caption(), "Bold");
}

TEST(StandardControlsTest, TextBoxMultiLineIsFixedAtDesignTime) {
  TextBox box(true);
  EXPECT_EQ(box.Get("MultiLine"), Variant(true));
  EXPECT_EQ(ErrorNumberOf([&] { box.Let("MultiLine", Variant(false)); }), kDesignTimeOnly);
  EXPECT_EQ(ErrorNumberOf([&] { box.Let("Text", Variant::Null()); }), errc::kInvalidUseOfNull);
  box.Let("Text", Variant(12.5));
  EXPECT_EQ(box.Text(), "12.5");
}

TEST(StandardFormTest, KeepsControlsInOrderAndGroupsItsOptionButtons) {
  StandardForm form;
  auto first = form.Add<OptionButton>("id=First");
  auto text = form.Add<TextBox>("id=Text", true);
  auto second = form.Add<OptionButton>("id=Second");
  const std::vector<ObjectRef> controls = form.Controls();
  ASSERT_EQ(controls.size(), 3u);
  EXPECT_EQ(controls[0], first);
  EXPECT_EQ(controls[1], text);
  EXPECT_EQ(controls[2], second);
  EXPECT_TRUE(text->MultiLine());
  EXPECT_EQ(second->Tag(), "id=Second");

  first->Let("Value", Variant(true));
  second->Let("Value", Variant(true));
  EXPECT_FALSE(first->Value());
  EXPECT_TRUE(second->Value());
  second->Value(false);
  EXPECT_FALSE(first->Value());

  first->Value(true);
  OptionButton elsewhere;
  elsewhere.Value(true);
  EXPECT_TRUE(first->Value());
  EXPECT_TRUE(elsewhere.Value());
}

}  // namespace
}  // namespace tamrel::testing
