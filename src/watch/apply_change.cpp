// ApplyChange: a watcher's report taken into a context, tag and id by tag
// and id, where the host has not changed them itself.
#include <map>
#include <set>
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
using RecordsByPair = std::map<Pair, std::vector<Record>>;

RecordsByPair ByPair(const std::vector<Record>& records) {
  RecordsByPair grouped;
  for (const Record& record : records) grouped[Pair{record.tag, record.id}].push_back(record);
  return grouped;
}

const std::vector<Record>& RecordsOf(const RecordsByPair& grouped, const Pair& pair) {
  static const std::vector<Record> kNone;
  auto found = grouped.find(pair);
  return found == grouped.end() ? kNone : found->second;
}

}  // namespace

int32_t ApplyChange(ContextCls& context, const ContextChange& change) {
  const RecordsByPair before = ByPair(change.before);
  const RecordsByPair after = ByPair(change.after);
  const RecordsByPair held = ByPair(Records(context));
  std::set<Pair> touched;
  for (const auto& [pair, records] : before) touched.insert(pair);
  for (const auto& [pair, records] : after) touched.insert(pair);

  const bool was_changed = context.changed();
  int32_t replaced = 0;
  for (const Pair& pair : touched) {
    // The host changed this tag and id since the file last held what it had.
    if (RecordsOf(held, pair) != RecordsOf(before, pair)) continue;
    const auto& [tag, id] = pair;
    if (held.contains(pair)) context.Remove(tag, Variant(id));
    for (const Record& record : RecordsOf(after, pair)) {
      context.CloneAdd(tag, id, record.value, record.instance);
    }
    ++replaced;
  }
  // The values taken in are the file's already: nothing new to save.
  detail::StateOf(context).changed = was_changed;
  return replaced;
}

}  // namespace tamrel
