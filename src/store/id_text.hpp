// IdText: where a key index entry keeps its Id. An Id of up to kInPlace
// bytes (most are: "Left", "Width", "Item4892", "RecentFile") is kept in the
// entry itself, so that a lookup compares it in the cache line it reads for
// the entry anyway; a longer one is a span of the index's arena. Twelve
// bytes, so that an entry stays forty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "store/text_arena.hpp"

namespace tamrel::detail {

class IdText {
 public:
  static constexpr std::size_t kInPlace = 11;

  std::string_view View(const TextArena& arena) const {
    return InPlace() ? std::string_view(bytes_, size_) : arena.View(ArenaSpan());
  }
  // Keeps `id`, in place or in `arena`.
  void Keep(std::string_view id, TextArena& arena) {
    if (id.size() <= kInPlace) {
      if (!id.empty()) std::memcpy(bytes_, id.data(), id.size());  // an empty view may have no data
      size_ = static_cast<uint8_t>(id.size());
    } else {
      SetArenaSpan(arena.Keep(id));
    }
  }
  // Gives the Id's bytes in `arena` back as garbage; the text is empty after.
  void Drop(TextArena& arena) {
    if (!InPlace()) arena.Drop(ArenaSpan());
    size_ = 0;
  }
  // Keeps an Id held in `from` in `to` instead (an arena rebuilt without its
  // garbage); an Id in place stays.
  void MoveTo(const TextArena& from, TextArena& to) {
    if (!InPlace()) SetArenaSpan(to.Keep(from.View(ArenaSpan())));
  }

 private:
  static constexpr uint8_t kInArena = 0xff;

  bool InPlace() const { return size_ != kInArena; }
  TextArena::Span ArenaSpan() const {
    TextArena::Span span;
    std::memcpy(&span, bytes_, sizeof span);
    return span;
  }
  void SetArenaSpan(TextArena::Span span) {
    std::memcpy(bytes_, &span, sizeof span);
    size_ = kInArena;
  }

  char bytes_[kInPlace] = {};
  uint8_t size_ = 0;  // of the text in place, or kInArena
};

static_assert(sizeof(IdText) == 12);
static_assert(sizeof(TextArena::Span) <= IdText::kInPlace);

}  // namespace tamrel::detail
