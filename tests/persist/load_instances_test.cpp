// The instance numbers of a Load: pairs filed by their joined text, kept
// through growth; pairs without a "$" answered by the store's round.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "persist/load_instances.hpp"

namespace tamrel::detail {
namespace {

TEST(LoadInstances, KeepsEveryPairsNumberThroughGrowth) {
  LoadInstances table;
  EXPECT_EQ(table.Find("Window", "Left"), nullptr);
  for (int i = 0; i < 5000; ++i) {
    const std::string id = "Id" + std::to_string(i);
    ASSERT_EQ(table.Find("Tag", id), nullptr) << id;
    table.Add("Tag", id, i - 7);
  }
  EXPECT_EQ(table.Count(), 5000u);
  for (int i = 0; i < 5000; ++i) {
    int32_t* reached = table.Find("Tag", "Id" + std::to_string(i));
    ASSERT_NE(reached, nullptr) << i;
    EXPECT_EQ(*reached, i - 7) << i;
  }
  *table.Find("Tag", "Id42") = 9;
  EXPECT_EQ(*table.Find("Tag", "Id42"), 9);
  EXPECT_EQ(table.Find("Tag", "Id5000"), nullptr);
  EXPECT_EQ(table.Find("tag", "Id1"), nullptr);  // case counts
}

TEST(LoadInstances, PairsWithTheSameJoinedTextShareOneNumber) {
  LoadInstances table;
  table.Reserve(3);
  table.Add("a$$b", "c", 4);
  int32_t* shared = table.Find("a", "b$$c");
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(*shared, 4);
  EXPECT_EQ(table.Find("a$", "$b$$c"), nullptr);  // "a$$$$b$$c" is another text
  table.Add("", "", 1);                             // "$$" on its own is a pair too
  ASSERT_NE(table.Find("", ""), nullptr);
  EXPECT_EQ(*table.Find("", ""), 1);
}

ContextItem Item(const char* tag, const char* id, int16_t instance) {
  return ContextItem{tag, id, instance, "", ""};
}

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
  items.PushBack(Item("W", "x", 1));  // held before the Load
  items.PushBack(Item("W", "y", 1));
  LoadInstances seen;
  EXPECT_EQ(Checked(seen, items, "W", "x"), std::nullopt);
  items.PushBack(Item("W", "x", 1));
  items.PushBack(Item("W", "x", 2));
  items.PushFront(Item("W", "x", 7));  // an Add at the front is not an append
  EXPECT_EQ(Checked(seen, items, "W", "x"), 2);
  EXPECT_EQ(Checked(seen, items, "W", "y"), std::nullopt);
  EXPECT_EQ(Checked(seen, items, "w", "x"), std::nullopt);  // case counts
}

TEST(LoadInstances, PairsWithADollarKeepTheirJoinedTextNumber) {
  TagStore items;
  LoadInstances seen;
  EXPECT_EQ(Checked(seen, items, "a$", "b", 3), std::nullopt);
  items.PushBack(Item("a$", "b", 3));
  items.PushBack(Item("a", "b", 5));
  EXPECT_EQ(Checked(seen, items, "a", "$b"), 3);  // "a$$$b" either way; dropped
  EXPECT_EQ(Checked(seen, items, "a", "b"), 5);
  EXPECT_EQ(Checked(seen, items, "a", "$b", 4), 3);
  EXPECT_EQ(Checked(seen, items, "a$", "b"), 4);
}

}  // namespace
}  // namespace tamrel::detail
