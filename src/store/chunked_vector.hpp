// ChunkedVector: a growable array whose elements never move once added.
//
// Elements sit in chunks of kChunkSize; growing adds a chunk and never
// relocates what is held, so appending costs O(1) without the copies and the
// doubled memory of a vector's growth. Index access is two loads.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace tamrel::detail {

template <class T>
class ChunkedVector {
 public:
  static constexpr std::size_t kChunkSize = 512;

  std::size_t size() const { return size_; }

  // REQUIRES: index < size().
  T& operator[](std::size_t index) { return chunks_[index / kChunkSize][index % kChunkSize]; }
  const T& operator[](std::size_t index) const {
    return chunks_[index / kChunkSize][index % kChunkSize];
  }

  void push_back(T&& value) { emplace_back() = std::move(value); }

  // Appends a default element and returns it, for filling in place.
  T& emplace_back() {
    if (size_ == chunks_.size() * kChunkSize) {
      // Default-initialised: the elements' constructors run, but the chunk
      // is not zero-filled first.
      chunks_.push_back(std::make_unique_for_overwrite<T[]>(kChunkSize));
    }
    return (*this)[size_++];
  }

  // Room for `count` elements in the table of chunks (the chunks themselves
  // come as needed).
  void reserve(std::size_t count) { chunks_.reserve((count + kChunkSize - 1) / kChunkSize); }

 private:
  std::vector<std::unique_ptr<T[]>> chunks_;
  std::size_t size_ = 0;
};

}  // namespace tamrel::detail
