// What the open-addressing tables of the store share: linear probing over
// a power-of-two number of slots, and removal by backward shift.
#pragma once

#include <cstddef>
#include <vector>

namespace tamrel::detail {

// The slots an empty table takes at its first member: a power of two.
inline constexpr std::size_t kInitialSlots = 16;

// Empties slot `hole` of `slots` and moves later members of its probe run
// back into the hole, so that every member stays reachable from its home
// slot without tombstones. `free` is an empty slot, is_free(slot) tells one,
// and home(slot) is a held slot's home. REQUIRES: slots.size() is a power
// of two and some slot is free.
template <class Slot, class IsFree, class Home>
void EraseWithBackwardShift(std::vector<Slot>& slots, std::size_t hole, const Slot& free,
                            IsFree&& is_free, Home&& home) {
  const std::size_t mask = slots.size() - 1;
  slots[hole] = free;
  for (std::size_t next = (hole + 1) & mask; !is_free(slots[next]); next = (next + 1) & mask) {
    const bool home_after_hole = ((next - home(slots[next])) & mask) < ((next - hole) & mask);
    if (home_after_hole) continue;
    slots[hole] = slots[next];
    slots[next] = free;
    hole = next;
  }
}

}  // namespace tamrel::detail
