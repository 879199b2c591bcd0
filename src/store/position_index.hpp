// PositionIndex: which slots of the tag store hold a record, answering
// "position of this slot" and "slot at this position" in O(log n).
//
// A Fenwick tree over slot numbers 0..size-1 counting occupied slots. The
// position of an occupied slot is the number of occupied slots up to and
// including it (Rank); Select is its inverse.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tamrel::detail {

class PositionIndex {
 public:
  // `size` slots, none occupied.
  void BuildEmpty(std::size_t size) {
    run_length_ = 0;
    tree_.assign(size + 1, 0);
    top_bit_ = size == 0 ? 0 : std::bit_floor(size);
  }
  // `size` slots; slot s is occupied when occupied(s). O(size).
  template <class Occupied>
  void Build(std::size_t size, Occupied&& occupied) {
    run_length_ = 0;
    tree_.assign(size + 1, 0);
    for (std::size_t slot = 0; slot < size; ++slot) tree_[slot + 1] = occupied(slot) ? 1 : 0;
    Accumulate();
  }

  // Slots occupied one after the other (a Load appending records) are only
  // noted, and entered into the tree together when it is next needed.
  void Occupy(std::size_t slot) {
    if (run_length_ > 0 && slot == run_start_ + run_length_) {
      ++run_length_;
    } else {
      StartRun(slot);
    }
  }
  void Vacate(std::size_t slot) {
    Settle();
    Change(slot, -1);
  }

  int32_t Rank(std::size_t slot) const;
  std::size_t Select(int32_t position) const;

 private:
  void Accumulate();
  void Change(std::size_t slot, int32_t delta) const;
  // Enters the run of noted slots into the tree.
  void Settle() const;
  // Settles the run noted so far and notes a new one from `slot`.
  void StartRun(std::size_t slot);

  // tree_[i] counts slots (i - lowbit(i), i], 1-based; slots of the run
  // are not counted yet.
  mutable std::vector<int32_t> tree_;
  std::size_t top_bit_ = 0;            // highest power of two <= size
  mutable std::size_t run_start_ = 0;  // the noted slots: run_start_ onwards
  mutable std::size_t run_length_ = 0;
};

}  // namespace tamrel::detail
