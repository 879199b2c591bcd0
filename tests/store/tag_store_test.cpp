// The indexed collection on its own, against a deque, through enough pushes
// and removals at both ends to force many re-layouts of its slots.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <string>
#include <utility>

#include "store/tag_store.hpp"

namespace tamrel::detail {
namespace {

// Same records in the same order, found the same way.
void ExpectSame(const TagStore& store, const std::deque<ContextItem>& expected,
                const std::string& context) {
  ASSERT_EQ(store.Count(), static_cast<int32_t>(expected.size())) << context;
  std::size_t i = 0;
  store.ForEach(
      [&](const ContextItem& item) { ASSERT_EQ(item.Key, expected[i++].Key) << context; });
  for (int32_t p = 1; p <= store.Count(); ++p) {
    const ContextItem& wanted = expected[static_cast<std::size_t>(p - 1)];
    ASSERT_EQ(store.At(p).Key, wanted.Key) << context << " At(" << p << ")";
    // The first record of the same tag and id at or after p is p itself.
    ASSERT_EQ(store.FindFrom(wanted.Tag, wanted.Id, p), p) << context;
  }
}

int32_t ExpectedFindFrom(const std::deque<ContextItem>& items, const std::string& tag,
                         const std::string& id, int32_t from) {
  for (auto p = static_cast<std::size_t>(std::max(from, 1)); p <= items.size(); ++p) {
    if (items[p - 1].Tag == tag && items[p - 1].Id == id) return static_cast<int32_t>(p);
  }
  return 0;
}

TEST(TagStore, StaysInStepWithADequeThroughChurn) {
  std::mt19937 rng(7);
  auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(rng); };
  const std::string tags[] = {"A", "B", "C"};
  TagStore store;
  std::deque<ContextItem> expected;
  int key = 0;
  for (int step = 0; step < 20000; ++step) {
    // Grow for a while, then shrink, so both re-layout triggers fire.
    const bool growing = (step / 2500) % 2 == 0;
    const int roll = pick(9);
    const std::string context = "step " + std::to_string(step);
    if (roll < (growing ? 6 : 3)) {
      ContextItem item{tags[pick(2)], std::to_string(pick(20)), 1, "", "A" + std::to_string(++key)};
      if (pick(1) == 0) {
        expected.push_front(item);
        store.PushFront(std::move(item));
      } else {
        expected.push_back(item);
        store.PushBack(std::move(item));
      }
    } else if (roll < 8 && !expected.empty()) {
      const int position = 1 + pick(static_cast<int>(expected.size()) - 1);
      expected.erase(expected.begin() + position - 1);
      store.RemoveAt(position);
    } else if (roll == 8) {
      const std::string tag = tags[pick(2)];
      const std::string id = std::to_string(pick(20));
      const int parity = pick(1);
      auto odd_key = [&](const ContextItem& item) {
        return item.Key.size() % 2 == static_cast<std::size_t>(parity);
      };
      std::erase_if(expected, [&](const ContextItem& item) {
        return item.Tag == tag && item.Id == id && odd_key(item);
      });
      store.RemoveIf(tag, id, odd_key);
    } else if (roll == 9 && pick(5) == 0) {
      store.Reserve(pick(600));  // room only: the contents stay as they are
    } else if (pick(30) == 0) {
      const std::string tag = tags[pick(2)];
      std::erase_if(expected, [&](const ContextItem& item) { return item.Tag == tag; });
      store.RemoveTag(tag);
      EXPECT_FALSE(store.HasTag(tag));
    }
    if (step % 97 == 0) {
      ExpectSame(store, expected, context);
      const std::string id = std::to_string(pick(20));
      const int32_t from = pick(static_cast<int>(expected.size()) + 2);
      EXPECT_EQ(store.FindFrom("B", id, from), ExpectedFindFrom(expected, "B", id, from))
          << context;
    }
  }
  ExpectSame(store, expected, "end");

  TagStore moved = std::move(store);
  moved.PushFront(ContextItem{"A", "1", 1, "", "front"});
  expected.push_front(ContextItem{"A", "1", 1, "", "front"});
  ExpectSame(moved, expected, "after a move");
  moved.Clear();
  EXPECT_EQ(moved.Count(), 0);
  EXPECT_EQ(moved.FindFrom("A", "1", 1), 0);
}

TEST(TagStore, ForEachOfTagVisitsTheTagsRecordsInStoreOrder) {
  TagStore store;
  store.PushBack(ContextItem{"T", "x", 1, "", "k1"});
  store.PushFront(ContextItem{"T", "y", 1, "", "k2"});
  store.PushBack(ContextItem{"U", "x", 1, "", "k3"});
  store.PushFront(ContextItem{"T", "x", 2, "", "k4"});
  store.PushBack(ContextItem{"T", "z", 1, "", "k5"});
  std::string keys;
  store.ForEachOfTag("T", [&](const ContextItem& item) { keys += item.Key + " "; });
  EXPECT_EQ(keys, "k4 k2 k1 k5 ");
}

}  // namespace
}  // namespace tamrel::detail
