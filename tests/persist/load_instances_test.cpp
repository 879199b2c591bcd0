// The instance table of a Load: pairs filed by their joined text, kept
// through growth.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tamrel::detail
