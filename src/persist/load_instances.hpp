// LoadInstances: the instance number each Tag and Id pair has reached in the
// Load under way.
//
// Pairs are told apart by the text Tag + "$$" + Id, so two pairs whose joined
// texts agree share one number (a Tag ending in "$" can meet an Id that
// starts with one).
//
// An open-addressing table (linear probing, at most half full) over flat
// arrays: the joined texts sit end to end in one buffer and each slot keeps
// the hash, place and length of its text beside the number. Filing a pair
// allocates nothing once the table has grown, and a lookup usually touches
// one slot and one text. Pairs are never removed; the table lives for one
// Load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamrel::detail {

class LoadInstances {
 public:
  // Makes room for `pairs` pairs without growing.
  void Reserve(std::size_t pairs);

  // The number reached by (tag, id); nullptr when the pair has none yet.
  // Valid until the next Add.
  int32_t* Find(std::string_view tag, std::string_view id);

  // REQUIRES: Find(tag, id) == nullptr.
  void Add(std::string_view tag, std::string_view id, int32_t reached);

  std::size_t Count() const { return count_; }

 private:
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
};

}  // namespace tamrel::detail
