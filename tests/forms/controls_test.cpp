// The parameter text in a control's Tag, and the run-time's errors of the
// standard in-memory controls, reached by name as form binding reaches them.
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
      {"xid=1;id=2", "id", "2"},
  };
  ContextCls context;
  for (const auto& [text, name, value] : cases) {
    EXPECT_EQ(detail::GetParam(detail::StateOf(context), text, name), value) << text;
  }
}

TEST(StandardControlsTest, ValuesAreCheckedAsRealControlsCheckThem) {
  constexpr int32_t kInvalidPropertyValue = 380, kReadOnly = 383;
  TextBox text;
  CheckBox check;
  ComboBox combo, fixed(ComboBox::kDropDownList);
  for (ComboBox* box : {&combo, &fixed}) box->AddItem("A");
  const std::pair<std::function<void()>, int32_t> cases[] = {
      {[&] { text.Let("BackColor", Variant("")); }, errc::kTypeMismatch},
      {[&] { text.Let("BackColor", Variant(static_cast<int32_t>(0x80000019u))); },
       kInvalidPropertyValue},
      {[&] { text.Let("Text", Variant::Null()); }, errc::kInvalidUseOfNull},
      {[&] { combo.Get("List", {Variant(int32_t{1})}); }, errc::kInvalidPropertyIndex},
      {[&] { combo.Get("List"); }, errc::kWrongArgumentCount},
      {[&] { combo.Let("ListIndex", Variant(int32_t{1})); }, kInvalidPropertyValue},
      {[&] { combo.Let("ListCount", Variant(int32_t{5})); }, kReadOnly},
      {[&] {
         combo.Call("AddItem", {Variant("C"), Variant(2)});
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
  EXPECT_EQ(text.Get("BackColor"), Variant(int32_t{255}));
}

}  // namespace
}  // namespace tamrel::testing
