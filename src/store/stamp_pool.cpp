#include "store/stamp_pool.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

namespace tamrel::detail {
namespace {

int64_t* NextOf(const int64_t* block) {
  int64_t* next = nullptr;
  std::memcpy(&next, block, sizeof next);
  return next;
}

}  // namespace

int64_t* StampPool::Take(uint32_t capacity) {
  int64_t*& free = free_[static_cast<std::size_t>(std::countr_zero(capacity))];
  if (free != nullptr) return std::exchange(free, NextOf(free));
  if (rest_size_ < capacity) NewChunk(capacity);
  rest_size_ -= capacity;
  return std::exchange(rest_, rest_ + capacity);
}

void StampPool::Give(int64_t* block, uint32_t capacity) {
  int64_t*& free = free_[static_cast<std::size_t>(std::countr_zero(capacity))];
  std::memcpy(block, &free, sizeof free);
  free = block;
}

void StampPool::NewChunk(std::size_t capacity) {
  const std::size_t size = std::max(capacity, next_chunk_);
  chunks_.reserve(chunks_.size() + 1);  // first: a failure leaves the pool as it was
  auto chunk = std::make_unique_for_overwrite<int64_t[]>(size);
  while (rest_size_ >= 2) {  // the rest of the last chunk, in the largest blocks it holds
    const auto piece = static_cast<uint32_t>(std::bit_floor(rest_size_));
    Give(rest_, piece);
    rest_ += piece;
    rest_size_ -= piece;
  }
  rest_ = chunk.get();
  rest_size_ = size;
  chunks_.push_back(std::move(chunk));
  next_chunk_ = std::min(2 * next_chunk_, kLargestChunk);
}

}  // namespace tamrel::detail
