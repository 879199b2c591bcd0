#include "store/text_arena.hpp"

#include <algorithm>
#include <limits>
#include <new>

namespace tamrel::detail {
namespace {
constexpr std::size_t kFirstCapacity = 256;
constexpr std::size_t kMostBytes = std::numeric_limits<uint32_t>::max();
}  // namespace

void TextArena::MakeRoomFor(std::size_t bytes) {
  Resize(std::max({2 * capacity_, used_ + bytes, kFirstCapacity}));
}

void TextArena::Reserve(std::size_t bytes) {
  if (bytes > capacity_ - used_) Resize(used_ + bytes);
}

void TextArena::ShrinkToFit() {
  if (used_ < capacity_) Resize(used_);
}

void TextArena::Resize(std::size_t capacity) {
  if (capacity > kMostBytes) throw std::bad_alloc();
  if (capacity == 0) {
    buffer_.reset();
  } else {
    void* resized = std::realloc(buffer_.get(), capacity);
    if (resized == nullptr) throw std::bad_alloc();
    static_cast<void>(buffer_.release());
    buffer_.reset(static_cast<char*>(resized));
  }
  capacity_ = capacity;
}

}  // namespace tamrel::detail
