// The instance numbers of a Load where a file read cannot show them: pairs
// with a "$" filed by their joined text, and plain pairs answered by the
// records appended in this Load only.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "persist/load_instances.hpp"

namespace tamrel::detail {
namespace {

// What Check hands to its decision for (tag, id); the record is then filed
// with `reaches` (none: dropped).
std::optional<int32_t> Checked(LoadInstances& seen, TagStore& items, const char* tag,
                               const char* id, std::optional<int32_t> reaches = std::nullopt) {
  std::optional<int32_t> given;
  seen.Check(items, tag, id, [&](std::optional<int32_t> reached) {
    given = reached;
    return reaches;
  });
  return given;
}

TEST(LoadInstances, PlainPairsCountOnlyRecordsAppendedInTheLoad) {
  TagStore items;
  items.PushBack(ContextItem{"W", "x", 1, "", ""});  // held before the Load
  items.PushBack(ContextItem{"W", "y", 1, "", ""});
  LoadInstances seen;
  EXPECT_EQ(Checked(seen, items, "W", "x"), std::nullopt);
  items.PushBack(ContextItem{"W", "x", 1, "", ""});
  items.PushBack(ContextItem{"W", "x", 2, "", ""});
  items.PushFront(ContextItem{"W", "x", 7, "", ""});  // an Add at the front is not an append
  EXPECT_EQ(Checked(seen, items, "W", "x"), 2);
  EXPECT_EQ(Checked(seen, items, "W", "y"), std::nullopt);
  EXPECT_EQ(Checked(seen, items, "w", "x"), std::nullopt);  // case counts
}

TEST(LoadInstances, PairsWithADollarKeepTheirJoinedTextNumberThroughGrowth) {
  TagStore items;
  LoadInstances seen;
  EXPECT_EQ(Checked(seen, items, "a$", "b", 3), std::nullopt);
  items.PushBack(ContextItem{"a$", "b", 3, "", ""});
  items.PushBack(ContextItem{"a", "b", 5, "", ""});
  EXPECT_EQ(Checked(seen, items, "a", "$b"), 3);  // "a$$$b" either way; dropped
  EXPECT_EQ(Checked(seen, items, "a", "b"), 5);
  EXPECT_EQ(Checked(seen, items, "a", "$b", 4), 3);
  EXPECT_EQ(Checked(seen, items, "a$", "b"), 4);
  EXPECT_EQ(Checked(seen, items, "a$$", "b"), std::nullopt);  // "a$$$$$b" is another text
  for (int i = 0; i < 6000; ++i) {  // each pair twice, after all of them were filed
    const std::string id = "$" + std::to_string(i % 3000);
    ASSERT_EQ(Checked(seen, items, "T", id.c_str(), i - 7), i < 3000 ? std::nullopt
                                                                     : std::optional(i - 3007))
        << i;
  }
  EXPECT_EQ(Checked(seen, items, "a$", "b"), 4);
}

}  // namespace
}  // namespace tamrel::detail
