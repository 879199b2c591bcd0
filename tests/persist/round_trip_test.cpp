// RoundTrips against what a saved and loaded file really holds.
#include <gtest/gtest.h>

#include <string>

#include "persist_fixture.hpp"
#include "tamrel/records.hpp"

namespace tamrel::testing {
namespace {

TEST_F(PersistTest, RoundTripsAgreesWithASaveAndALoad) {
  const struct {
    std::string tag, id, value;
    bool round_trips;
  } cases[] = {
      {"Window", "Left", "100", true},
      {"Note", "a b>c", "<&>\"' and a lone \r stays", true},
      {"Note", "x", "&lt;&amp; are text, as is C:\\Data\\x y.tmc", true},
      {"Note", "x", "", true},
      {"Ünïcode", "ïd", "välue", true},
      {"Window", "", "empty id comes back", true},
      {"Window Pos", "Left", "1", false},  // a tag ends at a blank
      {"Window>", "Left", "1", false},     // or at ">"
      {"CONTEXT", "Left", "1", false},     // the root element in any case is skipped
      {"context", "Left", "1", false},
      {"Window", "x\"y", "1", false},             // an id ends at a double quote
      {"Window", " Left", "1", false},            // its opening blanks are dropped
      {"Window", "a</Window>b", "1", false},      // the element ends early
      {"Window", "a</context>b", "1", false},     // the whole context ends early
      {"Win\ndow", "Left", "1", false},           // line feeds are dropped on reading
      {"Window", "Left", "two\r\nlines", false},  // a line break goes on reading
  };
  const std::string path = dir_.Path("Trip.tmc");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag + "|" + c.id + "|" + c.value);
    EXPECT_EQ(RoundTrips(c.tag, c.id, c.value), c.round_trips);
    // What the file itself does with the record, beside a plain one.
    auto written = std::make_shared<ContextCls>();
    written->SetApplicationContext(host_);
    written->CloneAdd("Plain", "One", "1", 1);
    written->CloneAdd(c.tag, c.id, c.value, 1);
    ASSERT_TRUE(written->Save(path));
    auto read = std::make_shared<ContextCls>();
    read->SetApplicationContext(host_);
    read->Load(path);
    EXPECT_EQ(tamrel::Records(*read) == tamrel::Records(*written), c.round_trips);
  }
}

}  // namespace
}  // namespace tamrel::testing
