// The control parameter text in a control's Tag.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/control_params.hpp"
#include "forms_fixture.hpp"

namespace tamrel::testing {
namespace {

class ControlParamsTest : public FormsTest {
 protected:
  std::string Param(const std::string& text, const std::string& name) {
    return detail::GetParam(detail::StateOf(*context_), text, name);
  }
};

TEST_F(ControlParamsTest, FindsParametersAsTheControlTagWritesThem) {
  struct Case {
    const char* text;
    const char* name;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"id=Size;prop=Caption", "id", "Size"},
      {"id=Size;prop=Caption", "prop", "Caption"},
      {"id=Size; prop=Caption", "prop", "Caption"},
      {"id=Size;  prop=Caption", "prop", "Caption"},
      {"id=Size;   prop=Caption ", "prop", "Caption "},
      {"ID=Size", "id", "Size"},
      {"Id=MixedCase", "iD", "MixedCase"},
      {"id='a;b';prop=List", "id", "'a;b'"},
      {"id=\"a;'b\";prop=List", "id", "\"a;'b\""},
      {"id='open;prop=List", "id", "'open;prop=List"},
      {"id=x;id=y", "id", "y"},
      {"prop=List", "id", ""},
      {"", "id", ""},
      {"grid=7;id=Row", "id", "Row"},
      {"grid=7", "id", ""},
      {"id = Size", "id", ""},
      {"id =Size", "id ", "Size"},
      {"id=", "id", ""},
      {"id=a=b", "id", "a=b"},
      {"xid=1;id=2", "id", "2"},
      {"xid=1", "id", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Param(c.text, c.name), c.expected) << c.text << " / " << c.name;
  }
  EXPECT_TRUE(host_->calls().empty());
}

TEST_F(ControlParamsTest, ControlIdAndPropComeFromTheControlTag) {
  TextBox box;
  box.Tag("ID=Other.Field; Prop=BackColor");
  detail::ContextState& state = detail::StateOf(*context_);
  EXPECT_EQ(detail::GetControlId(state, box), "Other.Field");
  EXPECT_EQ(detail::GetControlProp(state, box), "BackColor");
}

}  // namespace
}  // namespace tamrel::testing
