// The standard in-memory controls, reached by name as form binding reaches
// a host's controls, with the run-time's errors of real controls.
#include <gtest/gtest.h>

#include <functional>

#include "automation/error_number.hpp"
#include "tamrel/error.hpp"
#include "tamrel/forms.hpp"

namespace tamrel::testing {
namespace {

constexpr int32_t kInvalidPropertyValue = 380;
constexpr int32_t kDesignTimeOnly = 382;
constexpr int32_t kReadOnly = 383;

std::vector<Variant> At(int32_t index) { return {Variant(index)}; }

template <class C, class... Args>
std::shared_ptr<C> WithItems(std::vector<std::string> items, Args... args) {
  auto control = std::make_shared<C>(args...);
  for (std::string& item : items) control->AddItem(std::move(item));
  return control;
}

TEST(StandardControlsTest, ValuesAreCheckedAsRealControlsCheckThem) {
  TextBox text;
  CheckBox check;
  auto combo = WithItems<ComboBox>({"A", "B"});
  auto fixed = WithItems<ComboBox>({"A", "B"}, ComboBox::kDropDownList);
  auto list = WithItems<ListBox>({"x"}, ListBox::kSimpleMultiSelect);
  struct Case {
    const char* label;
    std::function<void()> call;
    int32_t error;
  };
  const Case cases[] = {
      {"BackColor empty text", [&] { text.Let("BackColor", Variant("")); }, errc::kTypeMismatch},
      {"BackColor negative", [&] { text.Let("BackColor", Variant(int32_t{-1})); },
       kInvalidPropertyValue},
      {"BackColor past system colours",
       [&] { text.Let("BackColor", Variant(static_cast<int32_t>(0x80000019u))); },
       kInvalidPropertyValue},
      {"Text Null", [&] { text.Let("Text", Variant::Null()); }, errc::kInvalidUseOfNull},
      {"List past the end", [&] { combo->Get("List", At(2)); }, errc::kInvalidPropertyIndex},
      {"ItemData at -1", [&] { combo->Let("ItemData", Variant(1), At(-1)); },
       errc::kInvalidPropertyIndex},
      {"Selected past the end", [&] { list->Let("Selected", Variant(true), At(1)); },
       errc::kInvalidPropertyIndex},
      {"List without index", [&] { combo->Get("List"); }, errc::kWrongArgumentCount},
      {"ListIndex past the end", [&] { combo->Let("ListIndex", Variant(int32_t{2})); },
       kInvalidPropertyValue},
      {"ListCount set", [&] { combo->Let("ListCount", Variant(int32_t{5})); }, kReadOnly},
      {"AddItem past the end", [&] { combo->Call("AddItem", {Variant("C"), Variant(3)}); },
       errc::kInvalidArgument},
      {"MultiLine set", [&] { text.Let("MultiLine", Variant(true)); }, kDesignTimeOnly},
      {"CheckBox Value True", [&] { check.Let("Value", Variant(true)); }, kInvalidPropertyValue},
      {"CheckBox Value 3", [&] { check.Let("Value", Variant(int16_t{3})); }, kInvalidPropertyValue},
      {"Caption of a text box", [&] { text.Get("Caption"); }, errc::kNoSuchMember},
      {"Text of a check box", [&] { check.Let("Text", Variant("x")); }, errc::kNoSuchMember},
      {"drop-down list text not an item", [&] { fixed->Let("Text", Variant("C")); }, kReadOnly},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorNumberOf(c.call), c.error) << c.label;
  EXPECT_EQ(text.BackColor(), kWindowBackground);
  EXPECT_EQ(combo->ListCount(), 2);

  text.Let("backcolor", Variant("255"));
  combo->Call("AddItem", {Variant(int32_t{7}), Variant(int32_t{0})});
  check.Let("Value", Variant("2"));
  EXPECT_EQ(text.Get("BackColor"), Variant(int32_t{255}));
  EXPECT_EQ(CStr(combo->Get("List", {Variant("0")})), "7");
  EXPECT_EQ(check.Get("Value"), Variant(int16_t{2}));
}

TEST(StandardControlsTest, ComboBoxTextFollowsItsItems) {
  auto editable = WithItems<ComboBox>({"A", "B", "A"});
  editable->Let("ListIndex", Variant(int32_t{1}));
  editable->AddItem("first", 0);
  EXPECT_EQ(editable->ListIndex(), 2) << "the current item stays the same item";
  EXPECT_EQ(CStr(editable->Get("Text")), "B");
  editable->Let("Text", Variant("other"));
  EXPECT_EQ(editable->ListIndex(), -1);
  editable->Let("Text", Variant("A"));
  EXPECT_EQ(editable->ListIndex(), 1);
}

TEST(StandardControlsTest, SelectionFollowsMultiSelectAndOptionButtonsExcludeEachOther) {
  auto single = WithItems<ListBox>({"x", "y", "z"}, ListBox::kSingleSelect);
  single->Let("Selected", Variant(true), At(0));
  single->Let("Selected", Variant(true), At(2));
  EXPECT_EQ(single->Get("Selected", At(0)), Variant(false));
  EXPECT_EQ(CStr(single->Get("Text")), "z");

  StandardForm form;
  auto first = form.Add<OptionButton>("id=First");
  form.Add<TextBox>("id=Text", true);
  auto second = form.Add<OptionButton>("id=Second");
  first->Let("Value", Variant(true));
  second->Let("Value", Variant(true));
  EXPECT_FALSE(first->Value());
  OptionButton elsewhere;
  elsewhere.Value(true);
  EXPECT_TRUE(second->Value()) << "a button on no form is in no group";
}

}  // namespace
}  // namespace tamrel::testing
