// ApplyChange: a watcher's report taken into a context, tag and id by tag
// and id, where the host has not changed them itself.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "context/state_of.hpp"
#include "tamrel/context.hpp"
#include "tamrel/variant.hpp"
#include "tamrel/watcher.hpp"

namespace tamrel {
namespace {

using Pair = std::pair<std::string, std::string>;
using PairRecords = std::map<Pair, std::vector<Record>>;

// The records of `records` whose tag and id are in `pairs` (every one when
// `pairs` is null), grouped by tag and id, in the order given.
PairRecords ByPair(const std::vector<Record>& records, const PairRecords* pairs = nullptr) {
  PairRecords grouped;
  for (const Record& record : records) {
    Pair pair{record.tag, record.id};
    if (pairs != nullptr && !pairs->contains(pair)) continue;
    grouped[std::move(pair)].push_back(record);
  }
  return grouped;
}

}  // namespace

int32_t ApplyChange(ContextCls& context, const ContextChange& change) {
  PairRecords touched = ByPair(change.before);
  for (auto& [pair, records] : ByPair(change.after)) touched.try_emplace(pair);
  const PairRecords before = ByPair(change.before, &touched);
  const PairRecords after = ByPair(change.after, &touched);
  const PairRecords held = ByPair(Records(context), &touched);

  auto records_of = [](const PairRecords& grouped, const Pair& pair) {
    auto found = grouped.find(pair);
    return found == grouped.end() ? std::vector<Record>() : found->second;
  };
  const bool was_changed = context.changed();
  int32_t replaced = 0;
  for (const auto& [pair, unused] : touched) {
    if (records_of(held, pair) != records_of(before, pair)) continue;  // the host's own change
    const auto& [tag, id] = pair;
    if (held.contains(pair)) context.Remove(tag, Variant(id));
    for (const Record& record : records_of(after, pair)) {
      context.CloneAdd(tag, id, record.value, record.instance);
    }
    ++replaced;
  }
  // The values taken in are the file's already: nothing new to save.
  detail::StateOf(context).changed = was_changed;
  return replaced;
}

}  // namespace tamrel
