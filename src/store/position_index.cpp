#include "store/position_index.hpp"

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

void PositionIndex::Change(std::size_t slot, int32_t delta) {
  for (std::size_t i = slot + 1; i < tree_.size(); i += LowBit(i)) tree_[i] += delta;
}

int32_t PositionIndex::Rank(std::size_t slot) const {
  int32_t occupied = 0;
  for (std::size_t i = slot + 1; i > 0; i -= LowBit(i)) occupied += tree_[i];
  return occupied;
}

std::size_t PositionIndex::Select(int32_t position) const {
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
