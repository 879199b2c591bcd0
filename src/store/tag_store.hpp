// TagStore: the ordered collection of ContextItem records of one context.
//
// Positions are 1-based. Records enter at the front (Add) or at the back
// (CloneAdd, Load) and leave from anywhere.
//
// How it stays fast. Every record gets an order stamp: PushFront takes one
// below the lowest stamp in use, PushBack one above the highest, so stamp
// order is store order and stamps never change while records come and go.
// A window of slots, one per stamp (slot = stamp - origin), says which record
// holds each stamp; a removed record leaves its slot empty. A PositionIndex
// (a Fenwick tree counting occupied slots) turns a slot into its position and
// a position into its slot in O(log n). A KeyIndex keeps the stamps of every
// Tag and Id in ascending order, and the Ids of every Tag, so the records of
// one Tag and Id (or of one Tag) and the first of them at or after a position
// are found without a scan. When the window runs out of room it is re-based
// with room on both sides (O(n) integers); when empty slots outnumber the
// records, the stamps are renumbered densely in store order. Both are paid
// for by the O(n) operations since the previous one. Memory is O(n). The
// records themselves sit in a ChunkedVector with a free list: they never
// move as the store grows, and a removed record's place is reused. A record
// is 24 bytes: its Key, Instance, its entry's number and the place of its
// Value in a TextArena of the store's values (rebuilt without the removed
// values once they outweigh the rest); its Id is kept once for all the
// records of the pair, in its KeyIndex entry, and its Tag once for all the
// Tag's entries, which is why records are shown as views (ItemView,
// ItemRef) rather than as ContextItems.
//
// Costs, with k the records of the Tag and Id concerned: PushBack, RemoveAt
// O(log n + k) (amortised), PushFront O(log n + k), At and FindFrom
// O(log n), ForEachOf O(k), FindFirst O(k + log n), RemoveIf
// O(k + removed * log n), ForEach O(n).
//
// The views At returns stay valid until the store next changes.
// Not copyable; movable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/chunked_vector.hpp"
#include "store/context_item.hpp"
#include "store/key_index.hpp"
#include "store/position_index.hpp"
#include "store/text_arena.hpp"

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
  ItemView At(int32_t position) const { return View(RecordAt(StampAt(position))); }
  // REQUIRES: 1 <= position <= Count().
  ItemRef At(int32_t position) { return Ref(RecordAt(StampAt(position))); }

  // The store keeps copies of the item's texts.
  void PushFront(const ContextItem& item);
  // With a `round_number`, also files it as the number of the record's Tag
  // and Id in the round under way.
  void PushBack(const ContextItem& item, std::optional<int32_t> round_number = std::nullopt);

  // A pair looked up once for a check and the append that follows it (a
  // Load's records): what Locate found is good for PushBack of a record with
  // the same Tag and Id until the store next changes, and looked up again
  // after. The store keeps copies of the record's texts.
  using Found = KeyIndex::Found;
  // `hashed`, when given, is what Prefetch gave for (tag, id).
  using Hashed = KeyIndex::Hashed;
  Found Locate(std::string_view tag, std::string_view id, const Hashed* hashed = nullptr) {
    return keys_.Locate(tag, id, hashed);
  }
  void PushBack(const ItemView& item, std::optional<int32_t> round_number, const Found& found);
  // The same, always filing `round_number`. (A Load's usual record: a plain
  // number travels in a register, where an optional one goes through memory.)
  void PushBack(const ItemView& item, int32_t round_number, const Found& found) {
    FileRoundNumber(Append(item, found), round_number);
  }
  // Makes room for `records` more records at the back, of `pairs` more Tag
  // and Id pairs (records that share a pair take one entry), and
  // `value_bytes` more bytes of their values, so that as many PushBack calls
  // neither re-base the window nor move what is held. The contents do not
  // change.
  void Reserve(int32_t records, std::size_t pairs, std::size_t value_bytes);
  // Gives back the room Reserve made that the records did not take.
  void ShrinkToFit();
  // REQUIRES: 1 <= position <= Count().
  void RemoveAt(int32_t position);
  void Clear();

  // Visits every record in store order.
  template <class Visit>
  void ForEach(Visit&& visit) const {
    for (int64_t stamp = first_; stamp < end_; ++stamp) {
      const int32_t record = slots_[Slot(stamp)];
      if (record != kEmpty) visit(View(records_[static_cast<std::size_t>(record)]));
    }
  }

  // --- Lookups by Tag and Id (exact, case-sensitive) ----------------------

  // Position of the first record of (tag, id) at position `from` or later;
  // 0 when there is none. A `from` below 1 counts as 1.
  int32_t FindFrom(std::string_view tag, std::string_view id, int32_t from) const;

  // Position of the first record of (tag, id), in store order, for which
  // match(ItemView) holds; 0 when there is none.
  template <class Match>
  int32_t FindFirst(std::string_view tag, std::string_view id, Match&& match) const {
    const KeyIndex::Number entry = keys_.Find(tag, id);
    if (entry == KeyIndex::kNone) return 0;
    for (int64_t stamp : keys_.At(entry).stamps) {
      if (match(View(RecordAt(stamp)))) return PositionOf(stamp);
    }
    return 0;
  }

  // Visits the records of (tag, id) in store order.
  template <class Visit>
  void ForEachOf(std::string_view tag, std::string_view id, Visit&& visit) const {
    const KeyIndex::Number entry = keys_.Find(tag, id);
    if (entry == KeyIndex::kNone) return;
    for (int64_t stamp : keys_.At(entry).stamps) visit(View(RecordAt(stamp)));
  }

  bool HasTag(std::string_view tag) const { return keys_.HasTag(tag); }

  // A hint that (tag, id) is looked up next: its index slot is fetched
  // into the cache meanwhile.
  void Prefetch(std::string_view tag, std::string_view id) const { keys_.Prefetch(tag, id); }
  // The same, giving the pair's hash for Locate to take; false, with
  // nothing done, when the pair is the one looked up last.
  bool Prefetch(std::string_view tag, std::string_view id, Hashed& hashed) const {
    return keys_.Prefetch(tag, id, hashed);
  }
  // Whether the index has outgrown the cache: a prefetch must then start
  // well ahead of its lookup.
  bool IndexOutgrowsCache() const { return keys_.OutgrowsCache(); }
  // Whether the index has outgrown the nearest caches: a prefetch a little
  // ahead of the lookup then pays for itself.
  bool IndexOutgrowsNearCaches() const { return keys_.OutgrowsNearCaches(); }

  // Visits the records of `tag` in store order.
  template <class Visit>
  void ForEachOfTag(std::string_view tag, Visit&& visit) const {
    for (int64_t stamp : StampsOfTag(tag)) visit(View(RecordAt(stamp)));
  }

  // Visits the records of (tag, id) in store order and removes those for
  // which decide(ItemRef) returns true. `decide` may change the Instance of
  // the records it keeps; it must not use the store.
  template <class Decide>
  void RemoveIf(std::string_view tag, std::string_view id, Decide&& decide) {
    const KeyIndex::Number entry = keys_.Find(tag, id);
    if (entry == KeyIndex::kNone) return;
    StampList& stamps = keys_.At(entry).stamps;
    std::size_t kept = 0;
    for (int64_t stamp : stamps) {
      if (decide(Ref(RecordAt(stamp)))) {
        Vacate(stamp);
      } else {
        stamps[kept++] = stamp;
      }
    }
    stamps.truncate(kept);
    if (stamps.empty()) Forget(entry);
    CompactIfSparse();
  }

  // Removes every record of `tag`.
  void RemoveTag(std::string_view tag);

  // --- Rounds (Load) -------------------------------------------------------
  //
  // During a round each Tag and Id may carry a number of its own, filed by
  // PushBack: Load's count of the pair's instances. Nothing else changes it:
  // not Add's renumbering, not other records of the pair coming or going.
  // It outlives the pair's records until the round ends.

  // Starts a round, with no pair numbered; ends the one under way, if any.
  void BeginRound();
  // Ends the round under way: the numbers are forgotten.
  void EndRound();
  // The number filed for (tag, id) in the round under way; none when the
  // pair has none or no round is under way.
  std::optional<int32_t> RoundNumber(std::string_view tag, std::string_view id) const;
  // The same for the pair Locate found as `found`.
  std::optional<int32_t> RoundNumber(const Found& found, std::string_view tag,
                                     std::string_view id) const {
    const int32_t number = RoundNumberOr(found, tag, id, Rounds::kUnnumbered);
    if (number == Rounds::kUnnumbered) return std::nullopt;
    return number;
  }
  // The same, `none` when the pair has no number.
  int32_t RoundNumberOr(const Found& found, std::string_view tag, std::string_view id,
                        int32_t none) const {
    if (!rounds_.under_way) return none;
    if (found.entry != KeyIndex::kNone && found.entry < rounds_.numbers.size() &&
        rounds_.numbers[found.entry] != Rounds::kUnnumbered) {
      return rounds_.numbers[found.entry];
    }
    if (rounds_.forgotten.empty()) return none;
    return ForgottenRoundNumber(tag, id).value_or(none);
  }

 private:
  static constexpr int32_t kEmpty = -1;

  // A record without its Tag and Id: its entry holds them.
  struct Record {
    int64_t key = 0;
    TextArena::Span value;
    KeyIndex::Number entry = KeyIndex::kNone;  // kNone: a free record
    int16_t instance = 0;
  };

  ItemView View(const Record& record) const {
    const KeyIndex::Entry& entry = keys_.At(record.entry);
    return ItemView{keys_.TagOf(entry), keys_.IdOf(entry), record.instance,
                    values_.View(record.value), record.key};
  }
  ItemRef Ref(Record& record) {
    const KeyIndex::Entry& entry = keys_.At(record.entry);
    return ItemRef{keys_.TagOf(entry), keys_.IdOf(entry), record.instance,
                   values_.View(record.value), record.key};
  }

  std::size_t Slot(int64_t stamp) const { return static_cast<std::size_t>(stamp - origin_); }
  // Position <-> stamp, remembering the last pair: a reading loop asks for
  // the same position several times in a row.
  int64_t StampAt(int32_t position) const;
  int32_t PositionOf(int64_t stamp) const;
  void ForgetMemo() { memo_position_ = 0; }
  const Record& RecordAt(int64_t stamp) const {
    return records_[static_cast<std::size_t>(slots_[Slot(stamp)])];
  }
  Record& RecordAt(int64_t stamp) {
    return records_[static_cast<std::size_t>(slots_[Slot(stamp)])];
  }

  std::vector<int64_t> StampsOfTag(std::string_view tag) const;

  // Puts `item`, whose pair has `entry`, under `stamp`, the new lowest
  // (at_front) or highest stamp.
  void Place(int64_t stamp, const ItemView& item, KeyIndex::Number entry, bool at_front);
  // The number the round gave (tag, id) before its entry was forgotten.
  std::optional<int32_t> ForgottenRoundNumber(std::string_view tag, std::string_view id) const;
  // Appends `item` as the new last record; `found` as for PushBack. Returns
  // the entry of its pair.
  KeyIndex::Number Append(const ItemView& item, const Found& found);
  // Files `round_number` as the number of `entry`'s pair.
  void FileRoundNumber(KeyIndex::Number entry, int32_t round_number) {
    if (!rounds_.under_way) return;
    if (entry >= rounds_.numbers.size()) rounds_.numbers.resize(2 * entry, Rounds::kUnnumbered);
    rounds_.numbers[entry] = round_number;
  }
  // Forgets `entry`, whose pair holds no record any more; a number the pair
  // carries in the round under way is kept.
  void Forget(KeyIndex::Number entry);
  // Moves the number `entry` carries in the round under way, if any, to
  // the numbers of forgotten pairs: the entry is about to go.
  void KeepRoundNumber(KeyIndex::Number entry);
  // Frees the record under `stamp`; its entry's stamps are left to the caller.
  void Vacate(int64_t stamp);
  bool Sparse() const;
  void CompactIfSparse();
  // Keeps the values of the live records in a fresh arena.
  void RebuildValues();
  // Renumbers the stamps 0.. in store order and packs the records likewise.
  void Renumber();
  // Re-bases the slot window on the stamps in use, with room on both sides
  // (at least `back_room` slots after the last stamp).
  void Regrow(int64_t back_room = 0);

  ChunkedVector<Record> records_;      // live and free records, in no order
  std::vector<int32_t> free_records_;  // indices of free records
  std::vector<int32_t> slots_;         // slot -> record index, or kEmpty
  int64_t origin_ = 0;                 // the stamp of slot 0
  int64_t first_ = 0;                  // stamps in use: [first_, end_), with gaps
  int64_t end_ = 0;
  int32_t count_ = 0;
  PositionIndex positions_;
  KeyIndex keys_;
  TextArena values_;
  struct Rounds {
    static constexpr int32_t kUnnumbered = std::numeric_limits<int32_t>::min();
    bool under_way = false;
    // The numbers of the pairs the round numbered, by entry number
    // (kUnnumbered: none); held only while the round is under way.
    std::vector<int32_t> numbers;
    // The numbers of the pairs the round numbered whose entries are gone:
    // Tag -> Id -> number.
    std::map<std::string, std::map<std::string, int32_t, std::less<>>, std::less<>> forgotten;
  };
  Rounds rounds_;  // kept by Clear
  // The last position and stamp paired by StampAt or PositionOf, valid until
  // a record enters or leaves (0: none).
  mutable int32_t memo_position_ = 0;
  mutable int64_t memo_stamp_ = 0;
};

}  // namespace tamrel::detail
