// KeyIndex: for every Tag and Id held in the tag store, the order stamps of
// its records; and for every Tag, the Ids it holds.
//
// Entries are numbered from 1 (0 is none) and found through an
// open-addressing table (linear probing, at most three quarters full,
// removal by backward shift) of eight-byte slots that keep each entry's
// 32-bit hash beside its number, so a lookup usually touches one table slot
// and the entry itself, and the table stays small enough for the cache.
// Entries live in a pool (chunks of kChunkEntries, with a free list), so
// they never move while they exist and adding one rarely allocates. An
// entry exists exactly while its Tag and Id hold records: the store adds it
// with the first record and forgets it with the last.
//
// An entry is forty bytes: the Tag is kept once for all its entries (the
// text of its list in TagLists, named by its place there), a short Id in
// the entry and a longer one in a TextArena (IdText), a single stamp in the
// entry and more in a block of the index's StampPool, and the entries of one
// Tag are chained through the entries themselves.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/chunked_vector.hpp"
#include "store/id_text.hpp"
#include "store/same_text.hpp"
#include "store/stamp_list.hpp"
#include "store/stamp_pool.hpp"
#include "store/tag_lists.hpp"
#include "store/text_arena.hpp"

namespace tamrel::detail {

class KeyIndex {
 public:
  using Number = uint32_t;  // of an entry; 0: none
  static constexpr Number kNone = 0;

  struct Entry {
    StampList stamps;  // ascending: store order
    // The Tag, kept once for all its entries: the place of its list in
    // tags_, which stays while the Tag has entries.
    uint32_t tag = 0;
    // The neighbours in the Tag's list.
    Number previous_of_tag = kNone;
    Number next_of_tag = kNone;
    IdText id;
  };
  static_assert(sizeof(Entry) == 40, "an entry stays forty bytes");

  KeyIndex() = default;
  KeyIndex(KeyIndex&&) noexcept = default;
  KeyIndex& operator=(KeyIndex&&) noexcept = default;

  // REQUIRES: `number` names a live entry.
  Entry& At(Number number) const { return entries_[number - 1]; }
  const std::string& TagOf(const Entry& entry) const { return tags_.TextAt(entry.tag); }
  std::string_view IdOf(const Entry& entry) const { return entry.id.View(ids_); }
  // Where the entries' lists of more than one stamp take their memory.
  StampPool& StampMemory() { return stamp_memory_ ? *stamp_memory_ : NewStampMemory(); }

  // What a lookup found: the pair's entry, or the free slot where it would
  // go with its hash. Good for an AddAt of the same texts until the table
  // next changes (`version` tells).
  struct Found {
    Number entry = kNone;
    uint64_t tag_fold = 0;
    uint32_t hash = 0;
    std::size_t slot = 0;
    uint64_t version = 0;
  };

  // The hash of a pair, worked out ahead of its lookup.
  struct Hashed {
    uint64_t tag_fold = 0;
    uint32_t hash = 0;
  };

  Number Find(std::string_view tag, std::string_view id) const;
  // Looks (tag, id) up for an AddAt to follow, first making room for one
  // more entry so that a missing pair's free slot stays free until then.
  // `hashed`, when given, is what Prefetch gave for (tag, id). (The texts
  // are taken by reference so that all the arguments travel in registers: a
  // Load looks up every record it files.)
  Found Locate(const std::string_view& tag, const std::string_view& id,
               const Hashed* hashed = nullptr);
  // The entry of (tag, id), added when it has none. `found` is what Locate
  // gave for these same texts; when the table has changed since, the pair
  // is looked up again. Keeps copies of `tag` (when new) and `id` for the
  // entry it adds.
  Number AddAt(const Found& found, std::string_view tag, std::string_view id);
  Number FindOrAdd(std::string_view tag, std::string_view id) {
    return AddAt(Locate(tag, id), tag, id);
  }
  // Starts loading the table slot of (tag, id) into the cache, so that a
  // lookup a little later finds it there. Changes nothing.
  void Prefetch(std::string_view tag, std::string_view id) const {
    Hashed unused;
    Prefetch(tag, id, unused);
  }
  // The same, giving the pair's hash for its lookup to take; false, with
  // nothing done, for the pair found last, which its lookup finds without.
  bool Prefetch(std::string_view tag, std::string_view id, Hashed& hashed) const;
  // Whether the table is too big to stay in the cache from one lookup to the
  // next (beyond 1 MB, a core's second-level cache), so that a prefetch has
  // to start well ahead of its lookup to arrive in time.
  bool OutgrowsCache() const { return slots_.size() > kCachedSlots; }
  // Whether the table is past 128 KB, beyond the first-level cache and much
  // of the second, so that a lookup tends to wait for its slot unless the
  // slot is fetched a little ahead.
  bool OutgrowsNearCaches() const { return slots_.size() > kNearSlots; }
  // REQUIRES: the entry holds no stamp.
  void Forget(Number number);
  // Makes every Found given by `before`, a table this one replaces, stale.
  void Succeed(const KeyIndex& before) { version_ = before.version_ + 1; }
  // Makes room for `entries` more entries, so that adding as many does not
  // grow the table step by step.
  void Reserve(std::size_t entries);
  // How many entries the table holds before it next grows.
  std::size_t Room() const { return 3 * slots_.size() / 4; }
  // Gives back the room the Ids grew into beyond what they take, and the
  // table's room when Reserve made it twice too big or more (beyond 256 KB).
  void ShrinkToFit();

  bool HasTag(std::string_view tag) const { return FindList(tag) != nullptr; }
  // Visits the entries of `tag`, in no particular order.
  template <class Visit>
  void ForEachOfTag(std::string_view tag, Visit&& visit) const {
    const TagList* const list = FindList(tag);
    if (list == nullptr) return;
    for (Number number = list->first; number != kNone; number = At(number).next_of_tag) {
      visit(number);
    }
  }
  // Forgets every entry of `tag`, whatever stamps they hold.
  void ForgetTag(std::string_view tag);

  // Visits every entry.
  template <class Visit>
  void ForEachEntry(Visit&& visit) const {
    for (const Slot& slot : slots_) {
      if (slot.entry != kNone) visit(slot.entry);
    }
  }

 private:
  static constexpr std::size_t kCachedSlots = std::size_t{1} << 17;
  static constexpr std::size_t kNearSlots = std::size_t{1} << 14;
  static constexpr std::size_t kChunkEntries = 256;
  struct Slot {
    uint32_t hash = 0;
    Number entry = kNone;
  };
  using TagList = TagLists::List;

  static uint32_t Hash(std::string_view tag, std::string_view id);
  // The hash of (tag, id) from the Tag's share of it, TagFold(tag).
  static uint64_t TagFold(std::string_view tag);
  static uint32_t Hash(uint64_t tag_fold, std::string_view id);
  bool Holds(const Entry& entry, std::string_view tag, std::string_view id) const {
    return SameText(TagOf(entry), tag) && SameText(IdOf(entry), id);  // the Tags stay in the cache
  }
  bool IsLastFound(std::string_view tag, std::string_view id) const {
    if (last_found_ == kNone) return false;
    const Entry& entry = At(last_found_);
    return SameText(IdOf(entry), id) && SameText(TagOf(entry), tag);  // Ids tell pairs apart sooner
  }
  std::size_t Mask() const { return slots_.size() - 1; }
  // The slot holding (tag, id), or the free slot where it would go.
  std::size_t Probe(uint32_t hash, std::string_view tag, std::string_view id) const;
  void Grow();
  // The fewest slots (a power of two, at least kInitialSlots) that hold
  // `entries` at most three quarters full.
  static std::size_t SlotsFor(std::size_t entries);
  void EraseSlot(std::size_t slot);
  // An unused entry from the pool; Release gives it back.
  Number NewEntry();
  void Release(Number number);
  void Rehash(std::size_t slot_count);
  // The list of `tag`, created empty when the Tag is new.
  TagList& ListOf(std::string_view tag, uint64_t tag_fold);
  const TagList* FindList(std::string_view tag) const;
  void Unlink(Number number, TagList& list);
  // Keeps the Ids of the live entries in a fresh arena, without the garbage.
  void RebuildIds();
  // Makes the pool of the entries' stamps (out of line: the append of every
  // record asks for it, and only the first list of two makes it).
  StampPool& NewStampMemory();

  // The entry found last: the operations on one Tag and Id tend to follow
  // each other. Cleared when an entry is forgotten.
  mutable Number last_found_ = kNone;
  // Counts the changes of the table: a Found is good while it stands still.
  uint64_t version_ = 0;
  std::vector<Slot> slots_;  // size a power of two (or 0)
  std::size_t count_ = 0;
  // Every entry, live or free. Mutable: At, a const member, hands out
  // entries for the store to change (their stamps).
  mutable ChunkedVector<Entry, kChunkEntries> entries_;
  std::vector<Number> free_entries_;  // released entries, ready for reuse
  TextArena ids_;
  TagLists tags_;
  // The lists ListOf gave lately, by the low bits of their TagFold: a
  // store holds a few dozen Tags, and a Load adds an entry to one of them
  // for almost every record. Cleared when a Tag is forgotten.
  // Kept apart from the index (made with the first list), so that its size
  // does not move the store's other fields apart.
  static constexpr std::size_t kRecentLists = 256;
  std::unique_ptr<std::array<TagList*, kRecentLists>> recent_lists_;
  // For the entries' stamps, made with the first list of two; kept apart
  // for the same reason.
  std::unique_ptr<StampPool> stamp_memory_;
};

}  // namespace tamrel::detail
