// TextArena: short texts kept end to end in one buffer, each addressed by a
// Span (place and length, eight bytes) rather than owned by a std::string
// (thirty-two bytes, and an allocation of its own beyond fifteen
// characters).
//
// Texts are only ever appended. Dropping one leaves its bytes in place as
// garbage; the owner counts them (Garbage) and, when they outweigh the live
// texts, keeps the live ones in a fresh arena (see Rebuilt), so memory stays
// proportional to what is held. Spans stay valid as the buffer grows (they
// are places, not pointers); views of the texts only until the next Keep.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace tamrel::detail {

class TextArena {
 public:
  struct Span {
    uint32_t at = 0;
    uint32_t size = 0;
  };

  TextArena() = default;
  TextArena(TextArena&&) noexcept = default;
  TextArena& operator=(TextArena&&) noexcept = default;

  // Appends `text`; fails with std::bad_alloc (error 7) beyond 4 GB of text.
  Span Keep(std::string_view text) {
    if (text.size() > capacity_ - used_) MakeRoomFor(text.size());
    CopyText(buffer_.get() + used_, text);
    const Span span{static_cast<uint32_t>(used_), static_cast<uint32_t>(text.size())};
    used_ += text.size();
    return span;
  }
  std::string_view View(Span span) const { return {buffer_.get() + span.at, span.size}; }
  // Counts the span's bytes as garbage.
  void Drop(Span span) { garbage_ += span.size; }

  std::size_t Garbage() const { return garbage_; }
  std::size_t Live() const { return used_ - garbage_; }
  // Whether the garbage outweighs the live texts, and by enough that
  // rebuilding is worth its pass.
  bool WorthRebuilding() const { return garbage_ > Live() + kMinGarbage; }

  // Makes room for `bytes` more bytes of text, so that as many are kept
  // without the buffer moving.
  void Reserve(std::size_t bytes);
  // Gives back the room beyond the texts kept.
  void ShrinkToFit();

 private:
  static constexpr std::size_t kMinGarbage = 4096;
  struct Free {
    void operator()(char* buffer) const { std::free(buffer); }
  };
  // Copies `text` to `to`. Names, Ids and most values are short: up to 32
  // bytes are copied as two overlapping words rather than by a call to
  // memcpy, whose set-up costs more than such a copy.
  static void CopyText(char* to, std::string_view text) {
    const char* const from = text.data();
    const std::size_t size = text.size();
    if (size > 32) {
      std::memcpy(to, from, size);
    } else if (size >= 16) {
      CopyEnds<16>(to, from, size);
    } else if (size >= 8) {
      CopyEnds<8>(to, from, size);
    } else if (size >= 4) {
      CopyEnds<4>(to, from, size);
    } else if (size > 0) {  // the first, the middle and the last byte cover them all
      to[0] = from[0];
      to[size / 2] = from[size / 2];
      to[size - 1] = from[size - 1];
    }
  }
  // Copies the first and the last `Word` bytes of the `size` bytes at
  // `from`. REQUIRES: Word <= size <= 2 * Word.
  template <std::size_t Word>
  static void CopyEnds(char* to, const char* from, std::size_t size) {
    char first[Word];
    char last[Word];
    std::memcpy(first, from, Word);
    std::memcpy(last, from + size - Word, Word);
    std::memcpy(to, first, Word);
    std::memcpy(to + size - Word, last, Word);
  }
  void Resize(std::size_t capacity);
  // Grows the buffer, at least doubling it, so that `bytes` more fit.
  void MakeRoomFor(std::size_t bytes);

  // malloc'd, so that growing and shrinking can use realloc, which for a
  // large buffer remaps its pages instead of copying them.
  std::unique_ptr<char, Free> buffer_;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
  std::size_t garbage_ = 0;
};

}  // namespace tamrel::detail
