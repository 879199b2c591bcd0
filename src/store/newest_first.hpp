// The values of one Tag and Id as Add keeps them: newest first, numbered
// 1, 2, 3, ... and bounded, with the records of linked Tags following the
// values that fall off.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "store/tag_store.hpp"

namespace tamrel::detail {

// Renumbers the values of (tag, id) from 2, to make room for a new first
// one, and removes those beyond `max_count`. Returns the removed values for
// which `differs_from_new(value)` holds: those a linked removal follows.
template <class DiffersFromNew>
std::vector<std::string> RenumberAndDrop(TagStore& items, const std::string& tag,
                                         const std::string& id, int16_t max_count,
                                         const DiffersFromNew& differs_from_new) {
  std::vector<std::string> dropped;
  int32_t next = 2;
  items.RemoveIf(tag, id, [&](const ItemRef& item) {
    if (next <= max_count) {
      item.Instance = static_cast<int16_t>(next++);
      return false;
    }
    if (differs_from_new(item.Value)) dropped.emplace_back(item.Value);
    return true;
  });
  return dropped;
}

// Removes the records of `linked_tags` whose Id is one of the `dropped`
// values, except the record under `kept_key` (the one just added).
void RemoveLinked(TagStore& items, const std::vector<std::string>& linked_tags,
                  const std::vector<std::string>& dropped, int64_t kept_key);

}  // namespace tamrel::detail
