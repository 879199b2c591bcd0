// The indexed collection on its own, against a deque, through enough pushes
// (single and in runs), removals at both ends and of whole Tags to force many
// re-layouts of its slots and rebuilds of the arenas of its Ids and values.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "store/same_text.hpp"
#include "store/stamp_pool.hpp"
#include "store/tag_lists.hpp"
#include "store/tag_store.hpp"

namespace tamrel::detail {
namespace {

// Texts of many lengths, so that removed ones leave garbage of many sizes.
std::string ValueOf(int64_t key) {
  return std::string(static_cast<std::size_t>(key % 40), 'v') + std::to_string(key);
}

// Same records with the same texts in the same order, found the same way by
// position, by ForEach and by FindFrom (from every position, for tag B and
// `id`).
void ExpectSame(const TagStore& store, const std::deque<ContextItem>& expected,
                const std::string& id, int step) {
  SCOPED_TRACE(step);
  ASSERT_EQ(store.Count(), static_cast<int32_t>(expected.size()));
  int32_t next_b = 0;  // the first position at or after p holding B/id, 0 if none
  for (auto p = static_cast<int32_t>(expected.size()); p >= 1; --p) {
    const ContextItem& wanted = expected[static_cast<std::size_t>(p - 1)];
    if (wanted.Tag == "B" && wanted.Id == id) next_b = p;
    const ItemView item = store.At(p);
    ASSERT_EQ(item.Key, wanted.Key) << p;
    ASSERT_EQ(item.Tag, wanted.Tag) << p;
    ASSERT_EQ(item.Id, wanted.Id) << p;
    ASSERT_EQ(item.Value, wanted.Value) << p;
    ASSERT_EQ(store.FindFrom(wanted.Tag, wanted.Id, p), p);
    ASSERT_EQ(store.FindFrom("B", id, p), next_b) << p;
  }
  ASSERT_EQ(store.FindFrom("B", id, 0), next_b);
  ASSERT_EQ(store.FindFrom("B", id, store.Count() + 1), 0);
  std::size_t visited = 0;
  store.ForEach([&](const ItemView& item) {
    ASSERT_LT(visited, expected.size());
    ASSERT_EQ(item.Key, expected[visited++].Key);
  });
  ASSERT_EQ(visited, expected.size());
}

TEST(TagStore, StaysInStepWithADequeThroughChurn) {
  std::mt19937 rng(7);
  auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(rng); };
  const std::string tags[] = {"A", "B", "C", "D"};
  TagStore store;
  std::deque<ContextItem> expected;
  for (int step = 0, key = 0; step < 20000; ++step) {
    // Grow, then shrink to a fraction: both re-layouts and both rebuilds fire.
    const bool growing = (step / 2500) % 2 == 0;
    const int roll = pick(99);
    const std::string tag = tags[pick(3)];
    const std::string id = std::to_string(pick(20));
    if (roll < (growing ? 60 : 10)) {
      // Now and then a run of appends, as a Load makes: short and long runs
      // reach the position index by different paths. A third of the records
      // have an Id of their own, which goes when they go.
      const bool run = growing && pick(199) == 0;
      const int count = run ? 1 + pick(400) : 1;
      const bool front = !run && pick(1) == 0;
      for (int i = 0; i < count; ++i) {
        ++key;
        ContextItem item{tag, pick(2) == 0 ? "own" + ValueOf(key) : id, 1, ValueOf(key), key};
        front ? expected.push_front(item) : expected.push_back(item);
        front ? store.PushFront(std::move(item)) : store.PushBack(std::move(item));
      }
    } else if (roll < (growing ? 80 : 95) && !expected.empty()) {
      const int position = 1 + pick(static_cast<int>(expected.size()) - 1);
      expected.erase(expected.begin() + position - 1);
      store.RemoveAt(position);
    } else if (roll < 99) {
      const std::size_t parity = static_cast<std::size_t>(pick(1));
      auto odd_key = [&](const auto& item) {
        return static_cast<std::size_t>(item.Key % 2) == parity;
      };
      std::erase_if(expected, [&](const ContextItem& item) {
        return item.Tag == tag && item.Id == id && odd_key(item);
      });
      store.RemoveIf(tag, id, odd_key);
    } else if (tag == "D") {
      std::erase_if(expected, [&](const ContextItem& item) { return item.Tag == tag; });
      store.RemoveTag(tag);
    }
    if (step % 97 == 0) ExpectSame(store, expected, id, step);
  }
}
// A pair's number in a round outlives its records, and is not handed on
// with its index entry to the next pair that takes the entry's place.
TEST(TagStore, RoundNumbersStayWithTheirPair) {
  TagStore store;
  store.BeginRound();
  store.PushBack(ContextItem{"T", "a", 1, "x", 1}, 5);
  store.PushBack(ContextItem{"T", "b", 1, "y", 2});
  EXPECT_EQ(store.RoundNumber("T", "a"), 5);
  EXPECT_EQ(store.RoundNumber("T", "b"), std::nullopt);
  store.RemoveAt(1);                                 // (T, a) loses its last record
  store.PushBack(ContextItem{"U", "c", 1, "z", 3});  // may reuse its entry
  EXPECT_EQ(store.RoundNumber("T", "a"), 5);
  EXPECT_EQ(store.RoundNumber("U", "c"), std::nullopt);
  store.Clear();
  store.PushBack(ContextItem{"V", "d", 1, "w", 4});
  EXPECT_EQ(store.RoundNumber("T", "a"), 5);
  EXPECT_EQ(store.RoundNumber("V", "d"), std::nullopt);
  store.EndRound();
  EXPECT_EQ(store.RoundNumber("T", "a"), std::nullopt);
}

// Blocks of many sizes, some given back and taken again, one larger than a
// chunk: no two held blocks share a stamp, so each keeps what was written
// into it.
TEST(StampPool, HeldBlocksNeverOverlap) {
  std::mt19937 rng(5);
  auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(rng); };
  struct Held {
    int64_t* block;
    uint32_t capacity;
    int64_t mark;
  };
  auto holds_its_mark = [](const Held& held) {
    return std::all_of(held.block, held.block + held.capacity,
                       [&](int64_t stamp) { return stamp == held.mark; });
  };
  StampPool pool;
  std::vector<Held> held;
  for (int64_t step = 0; step < 3000; ++step) {
    if (!held.empty() && pick(2) == 0) {
      const std::size_t at = static_cast<std::size_t>(pick(static_cast<int>(held.size()) - 1));
      ASSERT_TRUE(holds_its_mark(held[at])) << step;
      pool.Give(held[at].block, held[at].capacity);
      held.erase(held.begin() + static_cast<std::ptrdiff_t>(at));
      continue;
    }
    const uint32_t capacity = step == 1500 ? (1u << 14) : (2u << pick(7));
    Held taken{pool.Take(capacity), capacity, step};
    std::fill(taken.block, taken.block + capacity, step);
    held.push_back(taken);
  }
  for (const Held& each : held) EXPECT_TRUE(holds_its_mark(each));
}

// Tags come and go in a table where many share a hash and so a probe run:
// every held Tag stays found at the place it was given, every removed one
// is gone, and a removed Tag's place is taken again.
TEST(TagLists, KeepTheirPlacesThroughCollidingChurn) {
  std::mt19937 rng(11);
  auto pick = [&](int high) { return std::uniform_int_distribution<int>(0, high)(rng); };
  auto hash_of = [](int tag) { return static_cast<uint64_t>(tag % 5); };
  TagLists lists;
  std::map<int, const TagLists::List*> held;
  for (int step = 0; step < 4000; ++step) {
    const int tag = pick(299);
    const std::string text = "Tag" + std::to_string(tag);
    const auto found = held.find(tag);
    if (found == held.end()) {
      TagLists::List& list = lists.FindOrAdd(text, hash_of(tag));
      ASSERT_EQ(list.tag, text);
      ASSERT_EQ(list.first, 0u);
      list.first = static_cast<uint32_t>(tag + 1);
      held.emplace(tag, &list);
    } else if (pick(2) == 0) {
      lists.Remove(*found->second);
      held.erase(found);
    } else {
      ASSERT_EQ(&lists.FindOrAdd(text, hash_of(tag)), found->second);
    }
    if (step % 50 != 0) continue;
    for (int other = 0; other < 300; ++other) {
      const TagLists::List* list = lists.Find("Tag" + std::to_string(other), hash_of(other));
      const auto expected = held.find(other);
      if (expected == held.end()) {
        ASSERT_EQ(list, nullptr) << step << " " << other;
      } else {
        ASSERT_EQ(list, expected->second) << step << " " << other;
        ASSERT_EQ(list->first, static_cast<uint32_t>(other + 1));
      }
    }
  }
}

// A difference in any one byte of texts of every length the word-wise
// comparison treats apart (and some beyond) is seen.
TEST(SameText, SeesADifferenceAtEveryPlaceOfEveryLength) {
  for (std::size_t size = 0; size <= 20; ++size) {
    const std::string text(size, 'a');
    EXPECT_TRUE(SameText(text, std::string(size, 'a'))) << size;
    EXPECT_FALSE(SameText(text, text + "a")) << size;
    for (std::size_t at = 0; at < size; ++at) {
      std::string other = text;
      other[at] = 'b';
      EXPECT_FALSE(SameText(text, other)) << size << " " << at;
    }
  }
}

}  // namespace
}  // namespace tamrel::detail
