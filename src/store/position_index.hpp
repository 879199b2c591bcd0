// PositionIndex: which slots of the tag store hold a record, answering
// "position of this slot" and "slot at this position" in O(log n).
//
// A Fenwick tree over slot numbers 0..size-1 counting occupied slots. The
// position of an occupied slot is the number of occupied slots up to and
// including it (Rank); Select is its inverse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamrel::detail {

class PositionIndex {
 public:
  // `size` slots; slot s is occupied when occupied(s). O(size).
  template <class Occupied>
  void Build(std::size_t size, Occupied&& occupied) {
    tree_.assign(size + 1, 0);
    for (std::size_t slot = 0; slot < size; ++slot) tree_[slot + 1] = occupied(slot) ? 1 : 0;
    Accumulate();
  }

  // REQUIRES: slot < size and the slot is empty (Occupy) / occupied (Vacate).
  void Occupy(std::size_t slot) { Change(slot, +1); }
  void Vacate(std::size_t slot) { Change(slot, -1); }

  // Occupied slots in [0, slot]. REQUIRES: slot < size.
  int32_t Rank(std::size_t slot) const;
  // The occupied slot whose Rank is `position`.
  // REQUIRES: 1 <= position <= number of occupied slots.
  std::size_t Select(int32_t position) const;

 private:
  // Turns per-slot counts into the tree's partial sums.
  void Accumulate();
  void Change(std::size_t slot, int32_t delta);

  std::vector<int32_t> tree_;  // tree_[i] counts slots (i - lowbit(i), i], 1-based
  std::size_t top_bit_ = 0;    // highest power of two <= size
};

}  // namespace tamrel::detail
