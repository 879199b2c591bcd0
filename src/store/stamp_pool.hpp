// StampPool: the memory of the stamp lists of one key index that hold more
// than one stamp.
//
// A list grows through blocks of 2, 4, 8, ... stamps. Blocks are carved from
// chunks the pool allocates a few at a time (growing to 64 KB), and a block
// a list has outgrown is kept for the next list of its size: filling a store
// whose pairs hold several records allocates rarely, and a block carries no
// allocator's header. Blocks go back to the system only with the pool.
// Neither copyable nor movable: lists point into it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tamrel::detail {

class StampPool {
 public:
  StampPool() = default;
  StampPool(const StampPool&) = delete;
  StampPool& operator=(const StampPool&) = delete;

  // A block of `capacity` stamps, a power of two from 2.
  int64_t* Take(uint32_t capacity);
  // Gives back a block Take gave for `capacity`, for a later Take.
  void Give(int64_t* block, uint32_t capacity);

 private:
  static constexpr std::size_t kClasses = 32;  // capacities 2^1 .. 2^31
  static constexpr std::size_t kFirstChunk = 64;
  static constexpr std::size_t kLargestChunk = 8192;  // stamps: 64 KB

  // Starts a chunk of at least `capacity` stamps, the rest of the last one
  // kept as blocks.
  void NewChunk(std::size_t capacity);

  // Given-back blocks of each capacity, chained through their first stamp.
  std::array<int64_t*, kClasses> free_{};
  std::vector<std::unique_ptr<int64_t[]>> chunks_;
  int64_t* rest_ = nullptr;  // the part of the last chunk not yet carved
  std::size_t rest_size_ = 0;
  std::size_t next_chunk_ = kFirstChunk;
};

}  // namespace tamrel::detail
