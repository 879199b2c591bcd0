// TagStore: the ordered collection of ContextItem records of one context.
//
// Positions are 1-based. Records enter at the front (Add) or at the back
// (CloneAdd, Load) and leave from anywhere.
//
// How it stays fast. Records sit in a vector of slots in store order with
// free room on both sides: PushFront takes the slot before the first record,
// PushBack the slot after the last, so slot order is always store order. A
// removed record leaves an empty slot behind. A PositionIndex (a Fenwick tree
// counting occupied slots) turns a slot into its position and a position into
// its slot in O(log n). Every (Tag, Id) keeps the ordered set of its slots,
// and every Tag its Ids, so the records of one Tag and Id (or of one Tag) and
// the first of them at or after a position are found without a scan. When a
// side runs out of room, or empty slots outnumber the records, the records are
// laid out afresh: O(n), paid for by the O(n) operations since the previous
// layout. Memory is O(n).
//
// Costs, with k the records of the Tag and Id concerned: PushFront, PushBack,
// RemoveAt, At, FindFrom O(log n) (amortised); ForEachOf O(k); FindFirst
// O(k + log n); RemoveIf O(k + removed * log n); ForEach O(n).
//
// Not copyable (slots point into the index); movable.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/context_item.hpp"
#include "store/position_index.hpp"

namespace tamrel::detail {

class TagStore {
 public:
  TagStore() = default;
  TagStore(const TagStore&) = delete;
  TagStore& operator=(const TagStore&) = delete;
  TagStore(TagStore&&) noexcept = default;
  TagStore& operator=(TagStore&&) noexcept = default;

  int32_t Count() const { return count_; }

  // REQUIRES: 1 <= position <= Count().
  const ContextItem& At(int32_t position) const { return slots_[SlotAt(position)].item; }
  // REQUIRES: 1 <= position <= Count(). The record's Tag and Id must not be
  // changed through the reference (the store is indexed by them); Instance,
  // Value and Key may be.
  ContextItem& At(int32_t position) { return slots_[SlotAt(position)].item; }

  void PushFront(ContextItem item);
  void PushBack(ContextItem item);
  // REQUIRES: 1 <= position <= Count().
  void RemoveAt(int32_t position);
  void Clear();

  // Visits every record in store order.
  template <class Visit>
  void ForEach(Visit&& visit) const {
    for (std::size_t slot = first_; slot < end_; ++slot) {
      if (slots_[slot].entry != nullptr) visit(slots_[slot].item);
    }
  }

  // --- Lookups by Tag and Id (exact, case-sensitive) ----------------------

  // Position of the first record of (tag, id) at position `from` or later;
  // 0 when there is none. A `from` below 1 counts as 1.
  int32_t FindFrom(std::string_view tag, std::string_view id, int32_t from) const;

  // Position of the first record of (tag, id), in store order, for which
  // match(const ContextItem&) holds; 0 when there is none.
  template <class Match>
  int32_t FindFirst(std::string_view tag, std::string_view id, Match&& match) const {
    const KeyEntry* entry = FindEntry(tag, id);
    if (entry == nullptr) return 0;
    for (std::size_t slot : entry->slots) {
      if (match(slots_[slot].item)) return positions_.Rank(slot);
    }
    return 0;
  }

  // Visits the records of (tag, id) in store order.
  template <class Visit>
  void ForEachOf(std::string_view tag, std::string_view id, Visit&& visit) const {
    const KeyEntry* entry = FindEntry(tag, id);
    if (entry == nullptr) return;
    for (std::size_t slot : entry->slots) visit(slots_[slot].item);
  }

  bool HasTag(std::string_view tag) const { return tags_.find(tag) != tags_.end(); }

  // Visits the records of `tag` in store order.
  template <class Visit>
  void ForEachOfTag(std::string_view tag, Visit&& visit) const {
    std::vector<std::size_t> slots = SlotsOfTag(tag);
    for (std::size_t slot : slots) visit(slots_[slot].item);
  }

  // Visits the records of (tag, id) in store order and removes those for
  // which decide(ContextItem&) returns true. `decide` may change the Instance
  // and Value of the records it keeps; it must not use the store.
  // REQUIRES: `tag` and `id` do not refer to text held in the store.
  template <class Decide>
  void RemoveIf(std::string_view tag, std::string_view id, Decide&& decide) {
    KeyEntry* entry = FindEntry(tag, id);
    if (entry == nullptr) return;
    for (auto it = entry->slots.begin(); it != entry->slots.end();) {
      if (decide(slots_[*it].item)) {
        VacateSlot(*it);
        it = entry->slots.erase(it);
      } else {
        ++it;
      }
    }
    ForgetIfEmpty(tag, id, *entry);
    CompactIfSparse();
  }

  // Removes every record of `tag`.
  // REQUIRES: `tag` does not refer to text held in the store.
  void RemoveTag(std::string_view tag);

 private:
  // Lookup of std::string keys by std::string_view without a copy.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  template <class T>
  using TextMap = std::unordered_map<std::string, T, TextHash, std::equal_to<>>;

  // The slots of one Tag and Id, in store order.
  struct KeyEntry {
    std::set<std::size_t> slots;
  };
  using IdMap = TextMap<KeyEntry>;

  struct Slot {
    ContextItem item;
    KeyEntry* entry = nullptr;  // nullptr: the slot is empty
  };

  std::size_t SlotAt(int32_t position) const { return positions_.Select(position); }
  const KeyEntry* FindEntry(std::string_view tag, std::string_view id) const;
  KeyEntry* FindEntry(std::string_view tag, std::string_view id);
  KeyEntry& EntryFor(const ContextItem& item);
  std::vector<std::size_t> SlotsOfTag(std::string_view tag) const;

  void Place(std::size_t slot, ContextItem item);
  // Empties the slot; its entry's set is left to the caller.
  void VacateSlot(std::size_t slot);
  // Drops the index entry of (tag, id) once it holds no slot.
  void ForgetIfEmpty(std::string_view tag, std::string_view id, const KeyEntry& entry);
  // Lays the records out afresh once empty slots outnumber them.
  void CompactIfSparse();
  void Relayout();

  std::vector<Slot> slots_;
  std::size_t first_ = 0;  // records occupy slots [first_, end_), with gaps
  std::size_t end_ = 0;
  int32_t count_ = 0;
  PositionIndex positions_;
  TextMap<IdMap> tags_;  // Tag -> Id -> slots
};

}  // namespace tamrel::detail
