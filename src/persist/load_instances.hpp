// LoadInstances: the instance number each Tag and Id pair has reached in the
// Load under way.
//
// Pairs are told apart by the text Tag + "$$" + Id, so two pairs whose joined
// texts agree share one number (a Tag ending in "$" can meet an Id that
// starts with one). A pair whose Tag and Id hold no "$" shares its joined
// text with no other pair, so the store keeps its number: the store's round
// numbers (one round per Load) are filed with the accepted record's append,
// in the entry the check looked up for the pair (the append does not look it
// up again), and no other change of the store touches them. Only pairs with
// a "$" are filed here, in a table of their own.
//
// The table is open addressing (linear probing, at most half full) over
// flat arrays: the joined texts sit end to end in one buffer and each slot
// keeps the hash, place and length of its text beside the number. Pairs are
// never removed; the table lives for one Load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "persist/byte_search.hpp"
#include "store/tag_store.hpp"

namespace tamrel::detail {

class LoadInstances {
 public:
  // Checks a record of (tag, id): decide(reached) gets the number the pair
  // has reached in this Load (none before its first record) and returns the
  // number the pair reaches with the record, or none when it is dropped. For
  // a pair without a "$" the number is filed when the caller appends the
  // accepted record with the number TakeFiling gives. When `decide` fails,
  // the pair keeps the number it had. The first check starts the store's
  // round.
  template <class Decide>
  void Check(TagStore& items, std::string_view tag, std::string_view id, Decide&& decide) {
    StartRound(items);
    filing_ = Filing{};
    if (IsNumberedByStore(tag, id)) {
      const TagStore::Found found = items.Locate(tag, id);
      filing_.number = decide(items.RoundNumber(found, tag, id));
      filing_.found = found;
      return;
    }
    int32_t* reached = Find(tag, id);
    const std::optional<int32_t> reaches =
        decide(reached ? std::optional<int32_t>(*reached) : std::nullopt);
    if (!reaches) return;
    if (reached) {
      *reached = *reaches;
    } else {
      Add(tag, id, *reaches);
    }
  }

  // The round the store numbers pairs in, started once per Load, before the
  // first check. Check starts it itself; a caller that reads and files the
  // store's numbers directly (RoundNumber, PushBack with the number) starts
  // it first.
  void StartRound(TagStore& items) {
    if (round_started_) return;
    items.BeginRound();
    round_started_ = true;
  }

  // Whether the store keeps the number of (tag, id): the pair shares its
  // joined text with no other pair, as it holds no "$".
  static bool IsNumberedByStore(std::string_view tag, std::string_view id) {
    return !HoldsByte<'$'>(tag) && !HoldsByte<'$'>(id);
  }

  // What the last check left for the record's append: the number for the
  // store to file with it (none when the check dropped the record, failed,
  // or filed the number here), and where the store found the pair (none for
  // a pair filed here). Taking it leaves nothing.
  struct Filing {
    std::optional<int32_t> number;
    std::optional<TagStore::Found> found;
  };
  Filing TakeFiling() { return std::exchange(filing_, Filing{}); }

 private:
  // --- The table of pairs with a "$" --------------------------------------

  // The number reached by (tag, id); nullptr when the pair has none yet.
  // Valid until the next Add.
  int32_t* Find(std::string_view tag, std::string_view id);
  // REQUIRES: Find(tag, id) == nullptr.
  void Add(std::string_view tag, std::string_view id, int32_t reached);

  struct Slot {
    std::size_t hash = 0;
    std::size_t offset = 0;  // of the joined text in texts_
    uint32_t length = 0;     // 0: a free slot (a joined text holds "$$")
    int32_t reached = 0;
  };

  // Joins (tag, id) into joined_ and returns its hash.
  std::size_t Join(std::string_view tag, std::string_view id);
  // The slot holding joined_, or the free slot where it would go.
  std::size_t Probe(std::size_t hash) const;
  std::string_view TextOf(const Slot& slot) const {
    return std::string_view(texts_).substr(slot.offset, slot.length);
  }
  void Rehash(std::size_t slot_count);

  std::vector<Slot> slots_;  // size a power of two (or 0)
  std::size_t count_ = 0;
  std::string texts_;   // every joined text, end to end
  std::string joined_;  // scratch: the pair being looked up
  bool round_started_ = false;
  Filing filing_;  // see TakeFiling
};

}  // namespace tamrel::detail
