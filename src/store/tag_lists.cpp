#include "store/tag_lists.hpp"

#include <algorithm>
#include <bit>
#include <utility>

#include "store/linear_probing.hpp"
#include "store/same_text.hpp"

namespace tamrel::detail {
std::size_t TagLists::Probe(std::string_view tag, uint64_t hash) const {
  std::size_t slot = Home(hash);
  for (; slots_[slot] != kFree; slot = (slot + 1) & Mask()) {
    const List& list = lists_[slots_[slot] - 1];
    if (list.hash == hash && SameText(list.tag, tag)) return slot;
  }
  return slot;
}

TagLists::List& TagLists::FindOrAdd(std::string_view tag, uint64_t hash) {
  if (2 * (count_ + 1) > slots_.size()) Rehash(std::max(kInitialSlots, 2 * slots_.size()));
  const std::size_t slot = Probe(tag, hash);
  if (slots_[slot] != kFree) return lists_[slots_[slot] - 1];
  std::size_t place = lists_.size();
  if (removed_.empty()) {
    texts_.resize(place + 1);  // first: a failure leaves the lists as they were
    lists_.emplace_back();
    texts_[place] = &lists_.back().tag;
  } else {
    place = removed_.back();
    removed_.pop_back();
  }
  List& list = lists_[place];
  list.tag.assign(tag);
  list.hash = hash;
  list.first = 0;
  list.place = static_cast<uint32_t>(place);
  slots_[slot] = static_cast<uint32_t>(place + 1);
  ++count_;
  return list;
}

void TagLists::Remove(const List& list) {
  const std::size_t hole = Probe(list.tag, list.hash);
  const uint32_t place = slots_[hole] - 1;
  removed_.push_back(place);  // first: a failure leaves the list held
  --count_;
  lists_[place].tag.clear();
  EraseWithBackwardShift(
      slots_, hole, kFree, [](uint32_t slot) { return slot == kFree; },
      [&](uint32_t slot) { return Home(lists_[slot - 1].hash); });
}

void TagLists::Reserve(std::size_t lists) {
  const std::size_t slots = std::bit_ceil(std::max(kInitialSlots, 2 * lists));
  if (slots > slots_.size()) Rehash(slots);
}

void TagLists::Rehash(std::size_t slot_count) {
  std::vector<uint32_t> old(slot_count, kFree);  // allocated first: a failure changes nothing
  std::swap(old, slots_);
  for (const uint32_t held : old) {
    if (held == kFree) continue;
    std::size_t to = Home(lists_[held - 1].hash);
    while (slots_[to] != kFree) to = (to + 1) & Mask();
    slots_[to] = held;
  }
}

}  // namespace tamrel::detail
