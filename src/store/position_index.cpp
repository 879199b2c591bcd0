#include "store/position_index.hpp"

#include <algorithm>
#include <bit>

namespace tamrel::detail {
namespace {
std::size_t LowBit(std::size_t i) { return i & (~i + 1); }
}  // namespace

void PositionIndex::Accumulate() {
  const std::size_t size = tree_.size() - 1;
  for (std::size_t i = 1; i <= size; ++i) {
    const std::size_t parent = i + LowBit(i);
    if (parent <= size) tree_[parent] += tree_[i];
  }
  top_bit_ = size == 0 ? 0 : std::bit_floor(size);
}

void PositionIndex::Change(std::size_t slot, int32_t delta) const {
  for (std::size_t i = slot + 1; i < tree_.size(); i += LowBit(i)) tree_[i] += delta;
}

void PositionIndex::StartRun(std::size_t slot) {
  Settle();
  run_start_ = slot;
  run_length_ = 1;
}

// A short run goes in slot by slot, O(log n) each; a long one in one pass
// over the nodes from its start, each node gaining the run slots it covers.
// Whichever is cheaper, so noting a run never costs more than entering it.
void PositionIndex::Settle() const {
  if (run_length_ == 0) return;
  const std::size_t size = tree_.size() - 1;
  const std::size_t first = run_start_ + 1;  // the run, 1-based: [first, last]
  const std::size_t last = run_start_ + run_length_;
  const std::size_t levels = static_cast<std::size_t>(std::bit_width(size));
  if (run_length_ * levels < size - run_start_) {
    for (std::size_t slot = run_start_; slot < last; ++slot) Change(slot, +1);
  } else {
    for (std::size_t i = first; i <= size; ++i) {
      const std::size_t from = std::max(i - LowBit(i) + 1, first);
      const std::size_t to = std::min(i, last);
      if (to >= from) tree_[i] += static_cast<int32_t>(to - from + 1);
    }
  }
  run_length_ = 0;
}

int32_t PositionIndex::Rank(std::size_t slot) const {
  Settle();
  int32_t occupied = 0;
  for (std::size_t i = slot + 1; i > 0; i -= LowBit(i)) occupied += tree_[i];
  return occupied;
}

std::size_t PositionIndex::Select(int32_t position) const {
  Settle();
  // Descends from the highest power of two, keeping `prefix` the largest
  // 1-based index whose count stays below `position`.
  std::size_t prefix = 0;
  int32_t remaining = position;
  for (std::size_t step = top_bit_; step > 0; step >>= 1) {
    const std::size_t next = prefix + step;
    if (next < tree_.size() && tree_[next] < remaining) {
      prefix = next;
      remaining -= tree_[next];
    }
  }
  return prefix;  // 1-based index prefix + 1 is slot `prefix`
}

}  // namespace tamrel::detail
