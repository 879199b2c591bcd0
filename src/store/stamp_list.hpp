// StampList: the order stamps of one Tag and Id's records, ascending.
//
// Most pairs hold a handful of records (a value and its few older
// instances), so the first kInline stamps sit in the list itself and only a
// longer list takes memory of its own. Filling a store of a new pair per
// record then allocates nothing per pair. Not copyable: lists live in the
// key index's entries, which never move.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tamrel::detail {

class StampList {
 public:
  static constexpr std::size_t kInline = 4;

  StampList() = default;
  StampList(const StampList&) = delete;
  StampList& operator=(const StampList&) = delete;
  ~StampList() = default;

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

  void push_back(int64_t stamp) {
    if (size_ == capacity()) Grow();
    data()[size_++] = stamp;
  }
  void push_front(int64_t stamp) {
    if (size_ == capacity()) Grow();
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
  std::size_t capacity() const { return heap_ ? heap_capacity_ : kInline; }
  int64_t* data() { return heap_ ? heap_.get() : inline_; }
  const int64_t* data() const { return heap_ ? heap_.get() : inline_; }

  void Grow() {
    const std::size_t grown = 2 * capacity();
    auto bigger = std::make_unique_for_overwrite<int64_t[]>(grown);
    std::copy(begin(), end(), bigger.get());
    heap_ = std::move(bigger);
    heap_capacity_ = static_cast<uint32_t>(grown);
  }

  uint32_t size_ = 0;
  uint32_t heap_capacity_ = 0;
  std::unique_ptr<int64_t[]> heap_;  // null while the stamps fit inline_
  int64_t inline_[kInline] = {};
};

}  // namespace tamrel::detail
