#include "store/text_arena.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace tamrel::detail {
namespace {
constexpr std::size_t kFirstCapacity = 256;
constexpr std::size_t kMostBytes = std::numeric_limits<uint32_t>::max();
}  // namespace

TextArena::Span TextArena::Keep(std::string_view text) {
  if (text.size() > capacity_ - used_) {
    Resize(std::max({2 * capacity_, used_ + text.size(), kFirstCapacity}));
  }
  if (!text.empty()) std::memcpy(buffer_.get() + used_, text.data(), text.size());
  const Span span{static_cast<uint32_t>(used_), static_cast<uint32_t>(text.size())};
  used_ += text.size();
  return span;
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
