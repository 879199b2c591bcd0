// KeyIndex: for every Tag and Id held in the tag store, the order stamps of
// its records; and for every Tag, the Ids it holds.
//
// Entries are found through an open-addressing table (linear probing, at
// most half full, removal by backward shift) of eight-byte slots that keep
// each entry's 32-bit hash beside its number in the pool, so a lookup
// usually touches one table slot and the entry itself, and the table stays
// small enough for the cache. Entries live in a pool (chunks of
// kChunkEntries, with a free list), so they never move while they exist and
// adding one rarely allocates. An entry exists exactly while its Tag and Id
// hold records: the store adds it with the first record and forgets it with
// the last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/stamp_list.hpp"

namespace tamrel::detail {

class KeyIndex {
 public:
  struct Entry {
    // The Tag, kept once for all its entries: the key of its list in tags_,
    // which stays where it is while the Tag has entries.
    const std::string* tag = nullptr;
    std::string id;
    StampList stamps;          // ascending: store order
    uint32_t in_tag = 0;       // where the entry sits in its Tag's list
    uint32_t number = 0;       // 1 + its place in the pool, for the table
    uint32_t round = 0;        // the store's round that numbered the pair (0: none)
    int32_t round_number = 0;  // the pair's number in that round
  };

  KeyIndex() = default;
  KeyIndex(KeyIndex&&) noexcept = default;
  KeyIndex& operator=(KeyIndex&&) noexcept = default;

  const Entry* Find(std::string_view tag, std::string_view id) const;
  Entry* Find(std::string_view tag, std::string_view id);
  // Takes `id` for the entry it adds, and `tag` when the Tag is new;
  // leaves them as they are otherwise.
  Entry& FindOrAdd(std::string&& tag, std::string&& id);
  // Starts loading the table slot of (tag, id) into the cache, so that a
  // lookup a little later finds it there. Changes nothing.
  void Prefetch(std::string_view tag, std::string_view id) const;
  // Whether the table is too big to stay in the cache from one lookup to the
  // next (beyond 1 MB, a core's second-level cache), so that a prefetch has
  // to start well ahead of its lookup to arrive in time.
  bool OutgrowsCache() const { return slots_.size() > kCachedSlots; }
  // Makes room for `entries` more entries without growing the table.
  void Reserve(std::size_t entries);
  // REQUIRES: `entry` holds no stamp.
  void Forget(Entry& entry);

  bool HasTag(std::string_view tag) const { return tags_.find(tag) != tags_.end(); }
  // The entries of `tag`, in no particular order (empty when none).
  const std::vector<Entry*>& EntriesOf(std::string_view tag) const;
  // Forgets every entry of `tag`, whatever stamps they hold.
  void ForgetTag(std::string_view tag);

  // Visits every entry.
  template <class Visit>
  void ForEachEntry(Visit&& visit) {
    for (const Slot& slot : slots_) {
      if (slot.entry != kFree) visit(EntryAt(slot.entry));
    }
  }

 private:
  static constexpr uint32_t kFree = 0;
  static constexpr std::size_t kCachedSlots = std::size_t{1} << 17;
  struct Slot {
    uint32_t hash = 0;
    uint32_t entry = kFree;  // the entry's number
  };
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };

  static uint32_t Hash(std::string_view tag, std::string_view id);
  Entry& EntryAt(uint32_t number) const {
    return chunks_[(number - 1) / kChunkEntries][(number - 1) % kChunkEntries];
  }
  bool IsLastFound(std::string_view tag, std::string_view id) const {
    return last_found_ != nullptr && last_found_->id == id && *last_found_->tag == tag;
  }
  std::size_t Mask() const { return slots_.size() - 1; }
  // The slot holding (tag, id), or the free slot where it would go.
  std::size_t Probe(uint32_t hash, std::string_view tag, std::string_view id) const;
  void Grow();
  void EraseSlot(std::size_t slot);
  // An unused entry from the pool; Release gives it back.
  Entry& NewEntry();
  void Release(Entry& entry);
  void Rehash(std::size_t slot_count);
  // A Tag and its entries.
  using TagList = std::pair<const std::string, std::vector<Entry*>>;
  // The list of `tag`, created empty when the Tag is new.
  TagList& ListOf(std::string&& tag);

  // The entry found last: the operations on one Tag and Id tend to follow
  // each other. Cleared when an entry is forgotten.
  mutable Entry* last_found_ = nullptr;
  std::vector<Slot> slots_;  // size a power of two (or 0)
  std::size_t count_ = 0;
  static constexpr std::size_t kChunkEntries = 256;
  std::vector<std::unique_ptr<Entry[]>> chunks_;  // every entry, live or free
  std::size_t used_in_last_chunk_ = kChunkEntries;
  std::vector<Entry*> free_entries_;  // released entries, ready for reuse
  std::unordered_map<std::string, std::vector<Entry*>, TextHash, std::equal_to<>> tags_;
  // The list ListOf gave last (records of one Tag tend to come together);
  // cleared when a Tag is forgotten.
  TagList* last_list_ = nullptr;
};

}  // namespace tamrel::detail
