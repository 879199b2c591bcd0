// ChunkedVector: a growable array whose elements never move once added.
//
// Elements sit in chunks of ChunkSize; growing adds a chunk and never
// relocates what is held, so appending costs O(1) without the copies and the
// doubled memory of a vector's growth. Index access is two loads.
//
// A chunk comes as bare memory, and each element is made when it is
// appended: making a whole chunk up front would write its memory once for
// the default elements and again as they are filled in, and a store's first
// chunks are written while it loads, when that second pass over fresh memory
// shows.
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

namespace tamrel::detail {

template <class T, std::size_t ChunkSize = 512>
class ChunkedVector {
  // Elements are never destroyed one by one: the chunks are simply freed.
  static_assert(std::is_trivially_destructible_v<T>);

 public:
  static constexpr std::size_t kChunkSize = ChunkSize;

  std::size_t size() const { return size_; }

  // REQUIRES: index < size().
  T& operator[](std::size_t index) { return CellAt(index).value; }
  const T& operator[](std::size_t index) const { return CellAt(index).value; }

  // Appends an element made from `args` (value-initialised when there are
  // none) and returns it.
  template <class... Args>
  T& emplace_back(Args&&... args) {
    if (size_ == chunks_.size() * kChunkSize) {
      chunks_.push_back(std::make_unique_for_overwrite<Cell[]>(kChunkSize));
    }
    return *std::construct_at(&CellAt(size_++).value, std::forward<Args>(args)...);
  }
  void push_back(T&& value) { emplace_back(std::move(value)); }

  // Room for `count` elements in the table of chunks (the chunks themselves
  // come as needed).
  void reserve(std::size_t count) { chunks_.reserve((count + kChunkSize - 1) / kChunkSize); }

 private:
  // The room of one element, left unmade until the element is appended.
  union Cell {
    Cell() {}
    T value;
  };

  Cell& CellAt(std::size_t index) const { return chunks_[index / kChunkSize][index % kChunkSize]; }

  std::vector<std::unique_ptr<Cell[]>> chunks_;
  std::size_t size_ = 0;
};

}  // namespace tamrel::detail
