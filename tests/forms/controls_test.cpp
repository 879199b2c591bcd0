// The parameter text in a control's Tag, and the standard in-memory
// controls, reached by name as form binding reaches a host's controls, with
// the run-time's errors of real controls.
#include <functional>

#include "forms/control_params.hpp"
#include "forms_fixture.hpp"

namespace tamrel::testing {
namespace {

TEST(ControlParamsTest, FindsParametersAsTheControlTagWritesThem) {
  const char* const cases[][3] = {
      // text, name, value
      {"id=Size;  prop=Caption", "prop", "Caption"},
      {"Id=MixedCase", "iD", "MixedCase"},
      {"id=\"a;'b\";prop=List", "id", "\"a;'b\""},
      {"id='open;prop=List", "id", "'open;prop=List"},
      {"id=x;id=y", "id", "y"},
      {"id = Size", "id", ""},
      {"id =Size", "id ", "Size"},
      {"xid=1;id=2", "id", "2"},
  };
  ContextCls context;
  for (const auto& [text, name, value] : cases) {
    EXPECT_EQ(detail::GetParam(detail::StateOf(context), text, name), value) << text;
  }
}

std::vector<Variant> At(int32_t index) { return {Variant(index)}; }

TEST(StandardControlsTest, ValuesAreCheckedAsRealControlsCheckThem) {
  constexpr int32_t kInvalidPropertyValue = 380, kReadOnly = 383;
  TextBox text;
  CheckBox check;
  ComboBox combo, fixed(ComboBox::kDropDownList);
  for (ComboBox* box : {&combo, &fixed}) {
    for (const char* item : {"A", "B"}) box->AddItem(item);
  }
  const std::pair<std::function<void()>, int32_t> cases[] = {
      {[&] { text.Let("BackColor", Variant("")); }, errc::kTypeMismatch},
      {[&] { text.Let("BackColor", Variant(static_cast<int32_t>(0x80000019u))); },
       kInvalidPropertyValue},
      {[&] { text.Let("Text", Variant::Null()); }, errc::kInvalidUseOfNull},
      {[&] { combo.Get("List", At(2)); }, errc::kInvalidPropertyIndex},
      {[&] { combo.Get("List"); }, errc::kWrongArgumentCount},
      {[&] { combo.Let("ListIndex", Variant(int32_t{2})); }, kInvalidPropertyValue},
      {[&] { combo.Let("ListCount", Variant(int32_t{5})); }, kReadOnly},
      {[&] {
         combo.Call("AddItem", {Variant("C"), Variant(3)});
       },
       errc::kInvalidArgument},
      {[&] { fixed.Let("Text", Variant("C")); }, kReadOnly},
      {[&] { check.Let("Value", Variant(int16_t{3})); }, kInvalidPropertyValue},
      {[&] { text.Get("Caption"); }, errc::kNoSuchMember},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(ErrorNumberOf(cases[i].first), cases[i].second) << "case " << i;
  }
  EXPECT_EQ(text.BackColor(), kWindowBackground);
  text.Let("backcolor", Variant("255"));
  combo.Call("AddItem", {Variant(int32_t{7}), Variant(int32_t{0})});
  EXPECT_EQ(text.Get("BackColor"), Variant(int32_t{255}));
  EXPECT_EQ(CStr(combo.Get("List", {Variant("0")})), "7");
}

TEST(StandardControlsTest, ComboBoxKeepsItsItemAndOptionButtonsExcludeEachOther) {
  ComboBox combo;
  for (const char* item : {"A", "B", "A"}) combo.AddItem(item);
  combo.ListIndex(1);
  combo.AddItem("first", 0);
  EXPECT_EQ(combo.ListIndex(), 2) << "the current item stays the same item";

  StandardForm form;
  auto first = form.Add<OptionButton>("id=First");
  form.Add<TextBox>("id=Text");
  auto second = form.Add<OptionButton>("id=Second");
  first->Let("Value", Variant(true));
  second->Let("Value", Variant(true));
  OptionButton elsewhere;
  elsewhere.Value(true);
  EXPECT_TRUE(!first->Value() && second->Value()) << "a button on no form is in no group";
}

}  // namespace
}  // namespace tamrel::testing
