// DiffRecords and SameRecords: the records of two looks at a file compared
// by their key, tag, id and instance.
#include "watch/record_diff.hpp"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>

namespace tamrel::detail {
namespace {

using Key = std::tuple<std::string, std::string, int16_t>;
using Pair = std::pair<std::string, std::string>;

std::map<Key, const Record*> ByKey(const std::vector<Record>& records) {
  std::map<Key, const Record*> keyed;
  for (const Record& record : records) {
    keyed.try_emplace(Key{record.tag, record.id, record.instance}, &record);
  }
  return keyed;
}

std::vector<Record> OfPairs(const std::vector<Record>& records, const std::set<Pair>& pairs) {
  std::vector<Record> found;
  for (const Record& record : records) {
    if (pairs.contains(Pair{record.tag, record.id})) found.push_back(record);
  }
  return found;
}

}  // namespace

ContextChange DiffRecords(const std::vector<Record>& before, const std::vector<Record>& after) {
  const std::map<Key, const Record*> old_records = ByKey(before);
  const std::map<Key, const Record*> new_records = ByKey(after);
  ContextChange change;
  std::set<Pair> touched;
  for (const auto& [key, record] : new_records) {
    auto old = old_records.find(key);
    if (old == old_records.end()) {
      change.added.push_back(*record);
    } else if (old->second->value != record->value) {
      change.changed.push_back(*record);
    } else {
      continue;
    }
    touched.insert(Pair{record->tag, record->id});
  }
  for (const auto& [key, record] : old_records) {
    if (new_records.contains(key)) continue;
    change.removed.push_back(*record);
    touched.insert(Pair{record->tag, record->id});
  }
  change.before = OfPairs(before, touched);
  change.after = OfPairs(after, touched);
  return change;
}

bool SameRecords(std::vector<Record> a, std::vector<Record> b) {
  if (a.size() != b.size()) return false;
  auto order = [](const Record& x, const Record& y) {
    return std::tie(x.tag, x.id, x.instance, x.value) < std::tie(y.tag, y.id, y.instance, y.value);
  };
  std::sort(a.begin(), a.end(), order);
  std::sort(b.begin(), b.end(), order);
  return a == b;
}

}  // namespace tamrel::detail
