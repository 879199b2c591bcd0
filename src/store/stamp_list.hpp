// StampList: the order stamps of one Tag and Id's records, ascending.
//
// Most pairs hold one record (a setting kept once), so the list keeps one
// stamp in itself and only a longer list takes memory: a block of the key
// index's StampPool, which the list takes as it grows and gives back when it
// outgrows it. Sixteen bytes per pair, and filling a store of a new pair per
// record allocates nothing per pair. A list's block belongs to the pool, so
// a list must not outlive it. Not copyable: lists live in the key index's
// entries, which never move.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "store/stamp_pool.hpp"

namespace tamrel::detail {

class StampList {
 public:
  StampList() : one_(0) {}
  StampList(const StampList&) = delete;
  StampList& operator=(const StampList&) = delete;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const int64_t* begin() const { return data(); }
  const int64_t* end() const { return data() + size_; }
  int64_t* begin() { return data(); }
  int64_t* end() { return data() + size_; }
  // REQUIRES: !empty().
  int64_t front() const { return data()[0]; }
  int64_t back() const { return data()[size_ - 1]; }
  int64_t& operator[](std::size_t index) { return data()[index]; }

  // `pool` gives the list a larger block when it is full.
  void push_back(int64_t stamp, StampPool& pool) {
    if (size_ == capacity_) Grow(pool);
    data()[size_++] = stamp;
  }
  void push_front(int64_t stamp, StampPool& pool) {
    if (size_ == capacity_) Grow(pool);
    std::copy_backward(begin(), end(), end() + 1);
    data()[0] = stamp;
    ++size_;
  }
  // REQUIRES: begin() <= at < end().
  void erase(int64_t* at) {
    std::copy(at + 1, end(), at);
    --size_;
  }
  // Keeps the first `count` stamps. REQUIRES: count <= size().
  void truncate(std::size_t count) { size_ = static_cast<uint32_t>(count); }
  // Keeps the memory for the next stamps.
  void clear() { size_ = 0; }

 private:
  bool OnHeap() const { return capacity_ > 1; }
  int64_t* data() { return OnHeap() ? many_ : &one_; }
  const int64_t* data() const { return OnHeap() ? many_ : &one_; }

  void Grow(StampPool& pool) {
    const uint32_t grown = 2 * capacity_;
    int64_t* const bigger = pool.Take(grown);
    std::copy(begin(), end(), bigger);
    if (OnHeap()) pool.Give(many_, capacity_);
    many_ = bigger;
    capacity_ = grown;
  }

  uint32_t size_ = 0;
  uint32_t capacity_ = 1;
  union {
    int64_t one_;    // while capacity_ is 1
    int64_t* many_;  // beyond
  };
};

}  // namespace tamrel::detail
