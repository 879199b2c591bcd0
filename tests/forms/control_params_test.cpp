// The control parameter text in a control's Tag.
#include "forms/control_params.hpp"
#include "forms_fixture.hpp"

namespace tamrel::testing {
namespace {

TEST(ControlParamsTest, FindsParametersAsTheControlTagWritesThem) {
  struct Case {
    const char* text;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"id=Size;prop=Caption", "id", "Size"},
      {"id=Size;  prop=Caption", "prop", "Caption"},
      {"id=Size;   prop=Caption ", "prop", "Caption "},
      {"Id=MixedCase", "iD", "MixedCase"},
      {"id='a;b';prop=List", "id", "'a;b'"},
      {"id=\"a;'b\";prop=List", "id", "\"a;'b\""},
      {"id='open;prop=List", "id", "'open;prop=List"},
      {"id=x;id=y", "id", "y"},
      {"prop=List", "id", ""},
      {"grid=7;id=Row", "id", "Row"},
      {"id = Size", "id", ""},
      {"id =Size", "id ", "Size"},
      {"id=a=b", "id", "a=b"},
      {"xid=1;id=2", "id", "2"},
      {"xid=1", "id", ""},
  };
  ContextCls context;
  for (const Case& c : cases) {
    EXPECT_EQ(detail::GetParam(detail::StateOf(context), c.text, c.name), c.expected)
        << c.text << " / " << c.name;
  }
}

}  // namespace
}  // namespace tamrel::testing
